// Dialog start-up and the selection of a score workbook.
#include <gtest/gtest.h>

#include "engine/zupo.h"
#include "host/model/sheet.h"
#include "host_fixture.h"

namespace tavo::testing {
namespace {

struct DialogCommandsTest : HostFixture {
  engine::zupo engine;
  void click(const std::string& name) { engine.MyFunClick(app, dialog, name); }
  void choose(const std::string& file) {
    ASSERT_TRUE(dialog.select(file));
    click("ltbCJBChange");
  }
  model::Workbook& opened(const std::string& name) {
    return dynamic_cast<model::Workbook&>(app.workbook(name));
  }
};

TEST_F(DialogCommandsTest, StartUpListsTheDataFolderInOrderAndMakesTheWindowResizable) {
  addDataFile("一模.xlsx", "Sheet1");
  addDataFile("二模.xls", "Sheet1");
  platform.folders["/school/"] = {"elsewhere.xlsx"};
  platform.windowClass = "ThunderDFrame";
  platform.windowTitle = "成绩统计";
  platform.style = 0x80000000;
  click("UFInitialize");
  ASSERT_EQ(dialog.itemCount(), 2);
  EXPECT_EQ(dialog.item(0), "一模.xlsx");
  EXPECT_EQ(dialog.item(1), "二模.xls");
  EXPECT_EQ(static_cast<std::uint32_t>(platform.style), 0x80060000u);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DialogCommandsTest, StartUpWithoutFolderOrWindowAddsNothingAndStaysQuiet) {
  click("UFInitialize");
  EXPECT_EQ(dialog.itemCount(), 0);
  EXPECT_EQ(platform.style, 0);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DialogCommandsTest, SelectionCleansTheTableAndFreezesItsHeader) {
  addDataFile("一模.xlsx", "成绩", [](host::Worksheet& s) {
    put(s, 1, 1, "姓 名");
    put(s, 1, 2, "班级");
    put(s, 1, 3, "语文");
    put(s, 2, 1, "张\u00A0三");
    put(s, 2, 2, "1班\u3000");
    put(s, 2, 3, " 88");  // typed entry makes this the number 88 already
    put(s, 3, 1, "李四");
    put(s, 3, 2, "\u3000");
    // (3, 3) left empty inside the table
    put(s, 4, 1, "王五");
    put(s, 4, 2, "2班");
    put(s, 4, 3, 75);
    put(s, 7, 7, "外 面");  // outside the current region
  });
  click("UFInitialize");
  choose("一模.xlsx");
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0].prompt;
  EXPECT_EQ(engine.selectedDataWorkbook(), "一模.xlsx");

  model::Workbook& book = opened("一模.xlsx");
  model::Sheet& sheet = book.modelSheet(1);
  EXPECT_EQ(sheet.name(), "数据表") << "the only sheet is renamed";
  EXPECT_EQ(sheet.value({1, 1}), host::Value("姓名"));
  EXPECT_EQ(sheet.value({2, 1}), host::Value("张三"));
  EXPECT_EQ(sheet.value({2, 2}), host::Value("1班"));
  EXPECT_EQ(sheet.value({2, 3}), host::Value(88));
  EXPECT_EQ(sheet.value({3, 2}), host::Value(0)) << "full-width space, then empty, then 0";
  EXPECT_EQ(sheet.value({3, 3}), host::Value(0)) << "an empty score inside the table";
  EXPECT_EQ(sheet.value({7, 7}), host::Value("外 面"));
  EXPECT_TRUE(sheet.value({5, 1}).isEmpty());
  EXPECT_EQ(sheet.format({4, 3}).horizontalAlignment, host::HorizontalAlignment::Left);
  EXPECT_EQ(sheet.format({4, 3}).verticalAlignment, host::VerticalAlignment::Center);
  EXPECT_NE(sheet.format({7, 7}).horizontalAlignment, host::HorizontalAlignment::Left);

  EXPECT_EQ(sheet.tabColorIndex(), 32);
  EXPECT_EQ(sheet.view().selection, host::Rect::of(host::Cell{1, 1}));
  EXPECT_EQ(book.color(15), host::rgb(221, 221, 221));
  EXPECT_EQ(book.color(37), host::rgb(204, 236, 255));
  host::Window& w = book.window();
  EXPECT_EQ(w.splitRow(), 1);
  EXPECT_EQ(w.splitColumn(), 0);
  EXPECT_TRUE(w.freezePanes());
  EXPECT_EQ(w.scrollRow(), 1);
  EXPECT_EQ(w.scrollColumn(), 1);
  EXPECT_DOUBLE_EQ(w.tabRatio(), 0.9);
}

TEST_F(DialogCommandsTest, SelectingAnOpenWorkbookActivatesItsDataSheetWithoutASecondCopy) {
  addDataFile("一模.xlsx", "说明", [](host::Worksheet& s) {
    host::Worksheet& data = s.workbook().addSheet(nullptr);
    data.setName("数据表");
    put(data, 1, 1, "班级");
    put(data, 2, 1, "1班");
    s.activate();
  });
  click("UFInitialize");
  choose("一模.xlsx");
  app.createWorkbook("其他.xlsx", "/tmp");
  model::Workbook& book = opened("一模.xlsx");
  book.modelSheet(1).activate();

  choose("一模.xlsx");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(app.workbookCount(), 3) << "system, 一模, 其他";
  EXPECT_EQ(&app.activeWorkbook(), &book);
  EXPECT_EQ(book.activeSheet().name(), "数据表");
  EXPECT_EQ(book.sheet(1).name(), "说明") << "the other sheet keeps its name";
}

TEST_F(DialogCommandsTest, AnEmptySelectionEndsInTheErrorBox) {
  click("ltbCJBChange");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "错误");
  EXPECT_EQ(engine.selectedDataWorkbook(), "");
}

}  // namespace
}  // namespace tavo::testing
