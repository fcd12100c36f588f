// The chart report: "统计图" and its charts, "统计表".
#include <gtest/gtest.h>

#include "host/model/chart.h"
#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Rect;
using host::Value;

struct ChartReportTest : ReportFixture {
  ChartReportTest() {
    settings.setName("图表版");
    for (int c = 2; c <= 12; ++c) put(settings, 13, c, Value());
    setRow13({"否", "否", "是", "双上线", "单上线"});
    put(settings, 64, 1, "一般");
  }
  void run() { runReport(true, "cmdTuBiaoTJ_Click"); }
  static const model::ChartData& chart(model::Sheet& s, int i) {
    return dynamic_cast<const model::ModelChart&>(*s.charts().at(static_cast<std::size_t>(i))).data;
  }
};

TEST_F(ChartReportTest, DoubleCountsInTheTablesAndSingleCountsOfEveryStudentInTheTitles) {
  subjects = {"语文", "数学"};
  setLine(1, "按分数", {150, 60, 60});
  setLine(2, "按分数", {100, 40, 40});
  setClasses({{"", "1班", Value(), {"周", "甲", "乙"}}, {"", "2班", Value(), {"吴", "丙", "丁"}}});
  // 1班: two above 60 in 语文, one of them with a total below 150.
  students = {{"1班", {90, 80}}, {"1班", {70, 20}}, {"1班", {30, 30}}, {"2班", {61, 100}}, {"9班", {99, 99}}};
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& g = report("统计图");
  EXPECT_EQ(g.value({1, 3}), Value("语文"));
  EXPECT_EQ(g.value({2, 3}), Value(1)) << "double: 70 in 语文 but 90 in total";
  EXPECT_EQ(g.value({5, 1}), Value("班级")) << "the line-2 table below, one empty row between";
  EXPECT_EQ(g.value({6, 3}), Value(2)) << "line 2 counts single";
  EXPECT_EQ(g.format({2, 3}).font.colorIndex, 2);
  EXPECT_EQ(g.rowHeight(40), 12);

  ASSERT_EQ(g.charts().size(), 6u);
  const model::ChartData& chinese = chart(g, 1);
  EXPECT_EQ(chinese.title, "[语文] 线1分：60  线1双上线数：4") << "every student at or above 60, 9班 too";
  EXPECT_EQ(chinese.source, (Rect{2, 3, 3, 3}));
  EXPECT_EQ(chinese.categories, (Rect{2, 1, 3, 1}));
  EXPECT_EQ(chinese.titleFontSize, 16);
  EXPECT_FALSE(chinese.hasLegend || chinese.hasValueAxis || chinese.valueGridlines || chinese.axisBetweenCategories);
  EXPECT_TRUE(chinese.hasDropLines && chinese.dataLabels && chinese.plotAreaCleared);
  EXPECT_EQ(chart(g, 4).title, "[语文] 一般分：40  一般单上线数：4");
  EXPECT_EQ(chart(g, 4).source, (Rect{6, 3, 7, 3}));
  EXPECT_EQ(chart(g, 4).left, 382);
  EXPECT_EQ(chart(g, 4).top, 192);

  model::Sheet& t = report("统计表");
  EXPECT_EQ(t.value({1, 1}), Value("线1双上线人数统计"));
  EXPECT_EQ(t.mergeArea({1, 1}), (Rect{1, 1, 1, 4}));
  EXPECT_EQ(t.value({1, 6}), Value("一般单上线人数统计"));
  EXPECT_EQ(t.value({3, 3}), Value("语文\n60"));
  EXPECT_EQ(t.value({4, 3}), Value("1\n甲")) << "D13 是: the teacher under the count";
  EXPECT_EQ(t.value({6, 3}), Value(2)) << "合计 as a number";
  EXPECT_EQ(t.value({6, 1}), Value("合计"));
  EXPECT_EQ(t.rowHeight(4), 30);
  EXPECT_EQ(t.rowHeight(2), 0);
  EXPECT_EQ(t.value({4, 8}), Value("2\n甲"));
  EXPECT_EQ(t.format({3, 2}).fill, host::Fill{}) << "C13 否: no fills";
  EXPECT_EQ(t.pageSettings().printTitleRows, "$1:$2");
}

TEST_F(ChartReportTest, OlderHostsMakeChartsOnChartSheetsAndMoveThemIntoTheGrid) {
  app.setVersion("11.0");
  subjects = {"语文", "数学", "英语", "物理", "化学"};
  setLine(1, "按分数", {100, 10, 10, 10, 10, 10});
  setLine(2, "按人数", {1, 1, 1, 1, 1, 1});
  setClasses({{"", "1班", Value(), {}}});
  students = {{"1班", {20, 20, 20, 20, 20}}, {"1班", {30, 30, 30, 30, 30}}};
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& g = report("统计图");
  ASSERT_EQ(g.charts().size(), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(chart(g, i).left, i < 6 ? 0 : 382) << i;
    EXPECT_EQ(chart(g, i).top, (i % 6) * 192) << i;
    EXPECT_EQ(chart(g, i).width, 382);
    EXPECT_EQ(chart(g, i).height, 192);
    EXPECT_EQ(chart(g, i).titleFontSize, 18);
  }
  EXPECT_EQ(g.charts()[5]->name(), "统计图 图表 6");
  EXPECT_EQ(chart(g, 11).title, "[化学] 一般分：30  一般单上线数：1") << "the best one";
}

// Two charts side by side on each row, a row per field: printed on A4
// paper every chart is whole, zoomed out where a row would not fit across.
TEST_F(ChartReportTest, EveryChartPrintsWhole) {
  subjects = {"语文", "数学", "英语", "物理"};
  setLine(1, "按分数", {150, 60, 60, 60, 60});
  setLine(2, "按分数", {100, 40, 40, 40, 40});
  setClasses({{"", "1班", Value(), {"周", "甲", "乙", "丙", "丁"}}});
  students = {{"1班", {90, 80, 70, 60}}, {"1班", {50, 40, 30, 20}}};
  // A4 landscape, margins of half an inch: two rows of charts a page.
  const Value page[] = {36, 36, 14, host::code::kLandscape, host::code::kPaperA4, 100, true, 36, 36};
  for (int c = 0; c < 9; ++c) put(store, 7, 11 + c, page[c]);
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& g = report("统计图");
  EXPECT_EQ(g.pageBreaks(), (std::vector<int>{33, 65})) << "five rows of charts: 2, 2 and 1 a page";
  // 842 - 72 = 770 points across: the row of two charts (764) and the
  // column the page's edge may fall in (48, drawn up to half as wide again
  // where the sheet's font is missing) want 836.
  EXPECT_EQ(g.pageSetup().get(host::PageField::Zoom), Value(92));

  // The teacher turns the page upright (595 points across): the row must
  // shrink further, on the next run too.
  g.pageSetup().set(host::PageField::Orientation, host::code::kPortrait);
  click("cmdTuBiaoTJ_Click");
  model::Sheet& portrait = report("统计图");
  EXPECT_EQ(portrait.pageSetup().get(host::PageField::Zoom), Value(62));
}

}  // namespace
}  // namespace tavo::testing
