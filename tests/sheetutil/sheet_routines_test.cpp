// The sorting and finding routines the commands share.
#include <gtest/gtest.h>


#include "model_fixture.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::testing {
namespace {

using namespace sheetutil;

struct SheetRoutinesTest : ModelFixture {};

TEST_F(SheetRoutinesTest, SortsKeepTheHeaderAndOrderClassesThenBestFirst) {
  put(1, 1, "班级");
  put(1, 2, "总分");
  put(1, 3, "姓名");
  const std::vector<std::tuple<const char*, double, const char*>> rows = {
      {"2班", 500, "a"}, {"1班", 480, "b"}, {"2班", 520, "c"}, {"1班", 480, "d"}, {"1班", 610, "e"}};
  int r = 2;
  for (auto& [cls, total, name] : rows) {
    put(r, 1, cls);
    put(r, 2, total);
    put(r, 3, name);
    ++r;
  }
  SortByTwoKeys(sheet, 1, 2);
  std::vector<std::string> order;
  for (int row = 2; row <= 6; ++row) order.push_back(get(row, 3).text());
  EXPECT_EQ(order, (std::vector<std::string>{"e", "b", "d", "c", "a"})) << "ties keep their order";
  EXPECT_EQ(get(1, 1).text(), "班级");

  SortDescendingBy(sheet, 2);
  order.clear();
  for (int row = 2; row <= 6; ++row) order.push_back(get(row, 3).text());
  EXPECT_EQ(order, (std::vector<std::string>{"e", "c", "a", "b", "d"}));
}

TEST_F(SheetRoutinesTest, OpenWorkbooksAndSheetsAreFoundByExactName) {
  app.createWorkbook("成绩.xlsx", "/data");
  EXPECT_TRUE(WorkbookIsOpen(app, "成绩.xlsx"));
  EXPECT_FALSE(WorkbookIsOpen(app, "成绩"));
  EXPECT_TRUE(SheetExists(book, sheet.name()));
  EXPECT_FALSE(SheetExists(book, "数据表"));
}

}  // namespace
}  // namespace tavo::testing
