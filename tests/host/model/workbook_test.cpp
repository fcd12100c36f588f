// Sheets, workbooks, the application, the window, the dialog and charts.
#include "host/model/dialog.h"
#include "model_fixture.h"

namespace tavo::testing {

using WorkbookTest = ModelFixture;

TEST_F(WorkbookTest, SheetsAreAddedBeforeAGivenSheetAndRenamed) {
  auto& data = sheet;
  data.setName("数据表");
  auto& a = book.addSheet(&data);
  a.setName("总分1");
  auto& b = book.addSheet(&data);
  b.setName("单科1");
  EXPECT_EQ(book.sheet(1).name(), "总分1");
  EXPECT_EQ(book.sheet(2).name(), "单科1");
  EXPECT_EQ(book.sheet(3).name(), "数据表");
  EXPECT_EQ(&book.activeSheet(), &b);  // the new sheet is active
  EXPECT_THROW(a.setName("数据表"), host::HostError);
  EXPECT_THROW(a.setName("a/b"), host::HostError);
  EXPECT_NO_THROW(a.setName(std::string(31, 'x')));
  EXPECT_THROW(a.setName(std::string(32, 'x')), host::HostError) << "31 characters at most, whatever the script";
  EXPECT_NO_THROW(a.setName("高二一班高二一班高二一班高二一班高二一班高二一班高二一班总分"));
  try {
    book.sheet("missing");
    FAIL();
  } catch (const host::HostError& e) {
    EXPECT_EQ(e.number, 9);
  }
  book.deleteSheet(a);
  EXPECT_EQ(book.sheetCount(), 2);
  EXPECT_EQ(book.findSheet("总分1"), nullptr);
}

TEST_F(WorkbookTest, SheetNamesDifferOnlyByMoreThanLetterCase) {
  book.appendSheet("abc");
  EXPECT_THROW(book.appendSheet("ABC"), host::HostError);
  EXPECT_EQ(book.findModelSheet("AbC"), book.findModelSheet("abc"));
  book.findModelSheet("abc")->setName("ABC");
  EXPECT_EQ(book.findModelSheet("abc")->name(), "ABC") << "a sheet may change its own case";

  // Beyond ASCII too, as the desktop spreadsheet compares names.
  for (auto [upper, lower] : {std::pair{"Übung", "übung"}, {"ДАННЫЕ", "данные"}, {"ΔΕΔΟΜΕΝΑ", "δεδομενα"},
                              {"ＡＢＣ表", "ａｂｃ表"}, {"Łódź", "łódź"}}) {
    book.appendSheet(upper);
    EXPECT_THROW(book.appendSheet(lower), host::HostError) << lower;
    EXPECT_EQ(book.findModelSheet(lower), book.findModelSheet(upper)) << lower;
  }
  EXPECT_FALSE(host::sameSheetName("数据表", "数据")) << "a name is no prefix";
  EXPECT_FALSE(host::sameSheetName("ＡＢＣ", "ABC")) << "full-width letters are other letters";
}

TEST_F(WorkbookTest, TheLastVisibleSheetStays) {
  EXPECT_THROW(book.deleteSheet(sheet), host::HostError);
  EXPECT_THROW(sheet.setVisible(false), host::HostError);
}

TEST_F(WorkbookTest, WindowSettingsBelongToTheActiveSheet) {
  auto& other = book.addSheet(nullptr);
  book.window().setSplitRow(2);
  book.window().setFreezePanes(true);
  sheet.activate();
  EXPECT_EQ(book.window().splitRow(), 0);
  other.activate();
  EXPECT_EQ(app.activeWindow().splitRow(), 2);
  EXPECT_TRUE(app.activeWindow().freezePanes());
  EXPECT_THROW(book.window().setTabRatio(1.5), host::HostError);
}

TEST_F(WorkbookTest, ApplicationFindsAndOpensWorkbooks) {
  EXPECT_EQ(&app.thisWorkbook(), &book);
  EXPECT_EQ(app.findWorkbook("nope.xlsx"), nullptr);
  EXPECT_THROW(app.openWorkbook("/data/数据/a.xlsx"), host::HostError);  // no loader yet
  app.setLoader([](model::Application& a, const std::string& path) {
    auto wb = std::make_unique<model::Workbook>(a, path.substr(path.rfind('/') + 1), "/data/数据");
    wb->modelSheet(1).setValue(host::Rect::of(host::Cell{1, 1}), host::Value("班级"));
    return wb;
  });
  auto& opened = app.openWorkbook("/data/数据/a.xlsx");
  EXPECT_EQ(opened.name(), "a.xlsx");
  EXPECT_EQ(&app.activeWorkbook(), &opened);
  EXPECT_EQ(app.activeSheet().value({1, 1}), Value("班级"));
  EXPECT_EQ(app.findWorkbook("a.xlsx"), &opened);
  EXPECT_THROW(app.openWorkbook("/data/数据/a.xlsx"), host::HostError);  // same name twice
  EXPECT_EQ(app.workbookCount(), 2);
}

TEST_F(WorkbookTest, DialogListAndRecordingPlatform) {
  model::Dialog dlg;
  EXPECT_EQ(dlg.listIndex(), -1);
  EXPECT_EQ(dlg.listValue(), "");
  dlg.addItem("a.xlsx");
  dlg.addItem("b.xlsx");
  EXPECT_TRUE(dlg.select("b.xlsx"));
  EXPECT_EQ(dlg.listIndex(), 1);
  EXPECT_EQ(dlg.listValue(), "b.xlsx");
  EXPECT_THROW(dlg.setListIndex(2), host::HostError);
  platform.messageBox("错误[13]\r类型不匹配", 16, "错误");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "错误");
  EXPECT_THROW(platform.openDocument("/data/帮助.doc"), host::HostError);
}

TEST_F(WorkbookTest, ChartsAreDataObjectsOnTheirSheet) {
  auto& c = sheet.addChart(host::ChartType::LineMarkers, 382, 192, 382, 192);
  c.setSourceData(sheet, rect(2, 2, 9, 2), host::PlotBy::Columns);
  c.setSeriesCategories(1, sheet, rect(2, 1, 9, 1));
  EXPECT_THROW(c.setTitleText("x"), host::HostError);  // no title yet
  c.setHasTitle(true);
  c.setTitleText("[语文] 重点分：105");
  c.setTitleFontSize(16);
  c.setHasLegend(false);
  c.setHasAxis(host::ChartAxis::Value, host::AxisGroup::Primary, false);
  c.setAxisHasMajorGridlines(host::ChartAxis::Value, false);
  c.setAxisBetweenCategories(host::ChartAxis::Category, false);
  c.setHasDropLines(1, true);
  c.applyDataLabels(1);
  c.setDataLabelPosition(1, host::LabelPosition::Above);
  EXPECT_THROW(c.setSeriesCategories(2, sheet, rect(2, 1, 9, 1)), host::HostError);
  ASSERT_EQ(sheet.chartCount(), 1);
  const auto& d = sheet.charts()[0]->data;
  EXPECT_EQ(d.title, "[语文] 重点分：105");
  EXPECT_FALSE(d.hasValueAxis);
  EXPECT_TRUE(d.hasDropLines);
  EXPECT_EQ(d.left, 382);
}

}  // namespace tavo::testing
