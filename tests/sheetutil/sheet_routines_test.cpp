// The counting, finding and sorting routines every report stands on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "model_fixture.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::testing {
namespace {

using namespace sheetutil;

struct SheetRoutinesTest : ModelFixture {
  // A header in row 1 and the scores below it, in column c.
  void scores(int c, const std::vector<double>& values, const char* header = "语文") {
    put(1, c, header);
    for (std::size_t i = 0; i < values.size(); ++i) put(static_cast<int>(i) + 2, c, values[i]);
  }
};

TEST_F(SheetRoutinesTest, FindHeaderColumnSearchesTheRegionRightOfItsStart) {
  put(1, 1, "班级");
  put(1, 2, "语文");
  put(1, 3, 100);
  put(1, 4, "数学");
  put(1, 6, "英语");  // beyond a gap: outside the region
  put(1, 123, "总分");
  put(1, 124, "数学");
  EXPECT_EQ(FindHeaderColumn(sheet, 1, "数学"), 4);
  EXPECT_EQ(FindHeaderColumn(sheet, 1, "英语"), 0);
  EXPECT_EQ(FindHeaderColumn(sheet, 1, "100"), 0) << "a number never equals a name";
  EXPECT_EQ(FindHeaderColumn(sheet, 123, "数学"), 124);
  EXPECT_EQ(FindHeaderColumn(sheet, 123, "语文"), 0) << "the work copy alone is searched";
}

TEST_F(SheetRoutinesTest, CountAtOrAboveEdges) {
  std::vector<double> full(25, 90);
  scores(1, full);
  EXPECT_EQ(CountAtOrAbove(sheet, 1, 60), 25) << "25 values, then blanks";
  EXPECT_EQ(CountAtOrAbove(sheet, 1, 90), 25);
  EXPECT_EQ(CountAtOrAbove(sheet, 1, 90.5), 0) << "first value below";
  EXPECT_EQ(CountAtOrAbove(sheet, 1, 0), 25) << "a blank row compares as 0 yet ends the table";
  EXPECT_EQ(CountAtOrAbove(sheet, 1, -5), 25);

  scores(3, {});
  EXPECT_EQ(CountAtOrAbove(sheet, 3, 0), 0) << "header only";
}

TEST_F(SheetRoutinesTest, CountAtOrAboveEqualsAPlainCountForEveryThreshold) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    int n = std::uniform_int_distribution<int>(0, 60)(rng);
    std::vector<double> v(static_cast<std::size_t>(n));
    for (auto& x : v) x = std::uniform_int_distribution<int>(0, 20)(rng);
    std::sort(v.rbegin(), v.rend());
    sheet.clear(Rect::columns(1, 1));
    scores(1, v);
    for (int t = -1; t <= 21; ++t) {
      auto plain = std::count_if(v.begin(), v.end(), [&](double x) { return x >= t; });
      ASSERT_EQ(CountAtOrAbove(sheet, 1, t), plain) << "n=" << n << " threshold=" << t;
    }
  }
}

TEST_F(SheetRoutinesTest, CountRunsStopAtTheFirstRowBelow) {
  // Total in column 1, a subject in column 2, one class block sorted by total.
  scores(1, {300, 280, 250, 200, 260});
  scores(2, {90, 50, 95, 99, 99}, "数学");
  EXPECT_EQ(CountRunAtOrAbove(sheet, 2, 6, 1, 250), 3) << "row 6 is past the break";
  EXPECT_EQ(CountRunAtOrAbove(sheet, 4, 3, 1, 0), 0) << "first row after last";
  EXPECT_EQ(CountRunBothAtOrAbove(sheet, 2, 6, 1, 2, 250, 90), 2);
  EXPECT_EQ(CountRunBothAtOrAbove(sheet, 2, 6, 1, 2, 301, 0), 0);
  put(4, 1, "缺考");  // text compares above every number
  EXPECT_EQ(CountRunAtOrAbove(sheet, 2, 6, 1, 250), 3);
}

TEST_F(SheetRoutinesTest, FindValueRowsBoundsABlock) {
  put(1, 1, "班级");
  column(1, 2, {"1班", "1班", "2班", "2班", "2班", "3班"});
  auto span = FindValueRows(sheet, 1, "2班");
  EXPECT_EQ(span[1], 4);
  EXPECT_EQ(span[2], 6);
  span = FindValueRows(sheet, 1, "3班");
  EXPECT_EQ(span[1], 7);
  EXPECT_EQ(span[2], 7);
  span = FindValueRows(sheet, 1, "4班");
  EXPECT_EQ(span[1], 0);
  EXPECT_EQ(span[2], 0);
  span = FindValueRows(sheet, 1, "2");  // whole cells only
  EXPECT_EQ(span[1], 0);

  put(1, 3, "班级");
  column(3, 2, {1, 1, 12, 12});
  span = FindValueRows(sheet, 3, 12);
  EXPECT_EQ(span[1], 4);
  EXPECT_EQ(span[2], 5);
}

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
