// The score bands command: "分段表" and "成绩表" on small hand-made schools.
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Cell;
using host::Rect;
using host::Value;

struct ScoreBandsTest : ReportFixture {
  ScoreBandsTest() {
    setLine(1, "按分数", {500, 100, 100});
    setLine(2, "按分数", {400, 80, 80});
  }
  void run(const std::string& csb = "三线版") { runReport(true, "cmdCJ_Click", csb); }
  // The header row of a field's table (its first block for the total).
  int tableOf(model::Sheet& s, const std::string& field, int from = 3) {
    for (int r = from; r < from + 500; ++r)
      if (s.value({r, 1}) == Value(field)) return r;
    return 0;
  }
};

TEST_F(ScoreBandsTest, TotalsSpanSixtyFourBandsInFourBlocksAndSubjectsFollowAfterOneEmptyRow) {
  setClasses({{"", "1班", Value(), {}}, {"", "2班", Value(), {}}});
  students = {{"1班", {300, 247}}, {"1班", {270, 270}}, {"1班", {100, 100}},  // 547, 540 and 200: below every band
              {"2班", {250, 250}}, {"2班", {120, 120}}};                       // 500 and 240
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("分段表");

  // Blocks of header, two classes and the sum row, one empty row between.
  for (int h : {3, 8, 13, 18}) EXPECT_EQ(s.value({h, 1}), Value("总分")) << h;
  EXPECT_EQ(s.value({3, 2}), Value("(550\n 545]"));
  EXPECT_EQ(s.value({3, 17}), Value("(475\n 470]"));
  EXPECT_TRUE(s.value({3, 18}).isEmpty()) << "bands 17 onwards moved below";
  EXPECT_EQ(s.value({8, 2}), Value("(470\n 465]"));
  EXPECT_EQ(s.value({18, 17}), Value("(235\n 230]")) << "band 64 is the last";
  EXPECT_TRUE(s.value({18, 18}).isEmpty());
  EXPECT_EQ(s.value({19, 1}), Value("1班")) << "each block has its own labels";
  EXPECT_EQ(s.value({21, 1}), Value("合计|累计"));

  // 1班: 547 in the top band, 540 in the next, 200 in none.
  EXPECT_EQ(s.value({4, 2}), Value(1)) << "the top band keeps its plain count";
  EXPECT_EQ(s.value({4, 3}), Value("1|2"));
  EXPECT_EQ(s.value({4, 4}), Value("0|2"));
  EXPECT_EQ(s.value({19, 17}), Value("0|2"));
  // 2班: 500 in band 10, 240 in band 62; bands 63 and 64 were never reached.
  EXPECT_EQ(s.value({5, 11}), Value("1|1"));
  EXPECT_EQ(s.value({20, 14}), Value("0|1"));
  EXPECT_EQ(s.value({20, 15}), Value("1|2"));
  EXPECT_EQ(s.value({20, 17}), Value("0|2"));
  EXPECT_EQ(s.value({6, 2}), Value(1));
  EXPECT_EQ(s.value({21, 17}), Value("0|4"));
  EXPECT_FALSE(s.hasFormula({6, 2})) << "sums are values";

  EXPECT_EQ(s.format({3, 5}).fill, host::Fill::Solid(37));
  EXPECT_EQ(s.format({21, 5}).fill, host::Fill::Solid(15));
  EXPECT_EQ(s.format({9, 1}).border, host::BorderLine::Continuous);
  EXPECT_EQ(s.format({9, 17}).border, host::BorderLine::Continuous) << "borders move with the bands";

  EXPECT_EQ(tableOf(s, "语文", 4), 23) << "exactly one empty row after the last block";
  EXPECT_EQ(s.value({1, 1}), Value("考试 分段统计"));
  EXPECT_EQ(s.mergeArea({1, 1}), (Rect{1, 1, 1, 17}));
  EXPECT_EQ(s.format({1, 1}).font.size, 18);
  EXPECT_TRUE(s.format({1, 1}).font.bold);
  EXPECT_EQ(s.format({5, 1}).numberFormat, "@");
  EXPECT_EQ(s.view().splitRow, 1);
  EXPECT_TRUE(s.view().freezePanes);
  EXPECT_TRUE(dataSheet().currentRegion({1, 123}).rowCount() == 1 && dataSheet().value({1, 123}).isEmpty())
      << "nothing beside the table";
}

TEST_F(ScoreBandsTest, SubjectBandsEndAtSixteenOrAtZeroAndRunningTotalsFillTheEmptyTail) {
  subjects = {"语文", "数学", "英语"};
  setLine(1, "按分数", {500, 100, 100, 100});
  setLine(2, "按分数", {400, 80, 80, 80});
  setClasses({{"", "1班", Value(), {}}, {"", "2班", Value(), {}}});
  // 英语 of 1班 runs down to 35, band 5 of 12.
  students = {{"1班", {100, 37, 55}}, {"1班", {26, 3, 50}}, {"1班", {20, 0, 45}},
              {"1班", {60, 10, 40}},  {"1班", {60, 10, 35}}, {"2班", {50, 36, 20}}};
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("分段表");

  const int chinese = tableOf(s, "语文", 4);
  ASSERT_GT(chinese, 0);
  EXPECT_EQ(s.value({chinese, 2}), Value("(105\n 100]"));
  EXPECT_EQ(s.value({chinese, 17}), Value("(30\n 25]"));
  EXPECT_TRUE(s.value({chinese, 18}).isEmpty());
  EXPECT_EQ(s.value({chinese + 1, 17}), Value("1|4")) << "26 in the last band, 20 in none";

  const int maths = tableOf(s, "数学", chinese + 1);
  ASSERT_EQ(maths, chinese + 5);
  EXPECT_EQ(s.value({maths, 2}), Value("(40\n 35]"));
  EXPECT_EQ(s.value({maths, 9}), Value("(5\n 0]"));
  EXPECT_TRUE(s.value({maths, 10}).isEmpty());
  EXPECT_EQ(s.value({maths + 1, 9}), Value("2|5")) << "3 and 0 in the band from 0";
  EXPECT_EQ(s.value({maths + 3, 9}), Value("2|6"));

  const int english = tableOf(s, "英语", maths + 1);
  ASSERT_GT(english, 0);
  EXPECT_EQ(s.value({english, 13}), Value("(5\n 0]")) << "12 bands";
  for (int b = 2; b <= 5; ++b) EXPECT_EQ(s.value({english + 1, b + 1}), Value("1|" + std::to_string(b))) << b;
  for (int b = 6; b <= 12; ++b) EXPECT_EQ(s.value({english + 1, b + 1}), Value("0|5")) << b;
  EXPECT_EQ(s.value({english + 2, 2}), Value(0));
  EXPECT_EQ(s.value({english + 2, 9}), Value("1|1")) << "2班: 20 in band 8";
  EXPECT_EQ(s.value({english + 2, 13}), Value("0|1"));
}

TEST_F(ScoreBandsTest, ScoreSheetRanksMarksAndBreaksOnePagePerClass) {
  // 60 students: 50 listed in 1班 and 2班, 10 in 9班, which the settings lack.
  setClasses({{"", "1班", Value(), {}}, {"", "2班", Value(), {}}});
  students.clear();
  for (int i = 0; i < 60; ++i)
    students.push_back({i < 25 ? "1班" : i < 50 ? "2班" : "9班", {Value(100 + i), Value(50 + (i % 7))}});
  students.push_back({"1班", {Value(124), Value(53)}});  // the same total as the best of 1班: 177
  setLine(1, "按人数", {50, 10, 10});
  setLine(2, "按分数", {155, 150, 54});
  const Value template1 = Value("一线");
  put(store, 1, 26, template1);
  host::FormatPatch red;
  red.fontColorIndex = 3;
  store.applyFormat(Rect::of(Cell{1, 26}), red);
  host::FormatPatch blue;
  blue.fontColorIndex = 5;
  store.applyFormat(Rect::of(Cell{2, 26}), blue);
  put(store, 10, 1, 33);
  put(store, 10, 2, 44);
  put(store, 10, 3, 17);
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("成绩表");

  // Totals are 150 + i + i % 7; the 50th best of the 61 is the line.
  std::vector<double> totals;
  for (int i = 0; i < 60; ++i) totals.push_back(150 + i + i % 7);
  totals.push_back(177);
  std::sort(totals.rbegin(), totals.rend());
  const std::vector<std::string> headers = {"姓名", "班级", "语文\n150\n150", "语文\n班\n名次", "语文\n级\n名次",
                                            "数学\n55\n54", "数学\n班\n名次", "数学\n级\n名次",
                                            "总分\n" + host::numberToText(totals[49]) + "\n155",
                                            "总分\n班\n名次", "总分\n级\n名次"};
  for (std::size_t c = 0; c < headers.size(); ++c)
    EXPECT_EQ(s.value({2, static_cast<int>(c) + 1}), Value(headers[c])) << c;
  EXPECT_EQ(s.value({1, 1}), Value("考试"));
  EXPECT_EQ(s.mergeArea({1, 1}), (Rect{1, 1, 1, 11}));
  EXPECT_EQ(s.format({1, 1}).font.size, 16);

  // Rows 3..: 1班 (26), 2班 (25), 9班 (10), each best first.
  EXPECT_EQ(s.value({3, 2}), Value("1班"));
  EXPECT_EQ(s.value({29, 2}), Value("2班"));
  EXPECT_EQ(s.value({54, 2}), Value("9班"));
  const std::vector<int> breaks = s.pageBreaks();
  ASSERT_GE(breaks.size(), 2u);
  EXPECT_EQ(breaks[0], 29);
  EXPECT_EQ(breaks[1], 54) << "the unlisted class starts a page";
  EXPECT_EQ(s.value({3, 9}), Value(177));
  EXPECT_EQ(s.value({4, 9}), Value(177));
  const auto above = std::count_if(totals.begin(), totals.end(), [](double t) { return t > 177; });
  for (int row : {3, 4}) {
    EXPECT_EQ(s.value({row, 10}), Value(1)) << "ties share the class rank";
    EXPECT_EQ(s.value({row, 11}), Value(static_cast<double>(above + 1))) << "and the grade rank";
    EXPECT_FALSE(s.hasFormula({row, 11}));
  }
  EXPECT_EQ(s.value({5, 10}), Value(3));
  EXPECT_TRUE(s.value({54, 10}).isEmpty()) << "no class rank outside the settings";
  EXPECT_EQ(s.value({54, 11}), Value(1));

  // Line marks: the best 50 totals red, those down to 155 blue, the rest unmarked.
  EXPECT_EQ(s.format({54, 9}).font.colorIndex, 3);
  int red_ = 0, blue_ = 0;
  for (int r = 3; r <= 63; ++r) {
    const double t = s.value({r, 9}).number();
    const int colour = s.format({r, 9}).font.colorIndex;
    EXPECT_EQ(colour, t >= totals[49] ? 3 : t >= 155 ? 5 : 1) << r;
    red_ += colour == 3;
    blue_ += colour == 5;
  }
  EXPECT_GE(red_, 50);
  EXPECT_GT(blue_, 0);
  EXPECT_EQ(s.format({3, 9}).font.size, 11) << "the templates' fonts take the sheet's size";
  EXPECT_EQ(s.format({3, 9}).border, host::BorderLine::Continuous);
  EXPECT_EQ(s.format({2, 1}).font.size, 10);
  EXPECT_EQ(s.format({5, 5}).horizontalAlignment, host::HorizontalAlignment::Left);
  EXPECT_EQ(s.format({2, 5}).horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(s.rowHeight(1), 33);
  EXPECT_EQ(s.rowHeight(2), 44);
  EXPECT_EQ(s.rowHeight(40), 17);
  EXPECT_EQ(s.view().splitRow, 2);
  EXPECT_EQ(report("分段表").value({6, 1}), Value("合计|累计")) << "9班 is not among the band rows";
}

TEST_F(ScoreBandsTest, UnusableHeadCountsAndMissingSheetsStopBeforeAnySheet) {
  setClasses({{"", "1班", Value(), {}}});
  students = {{"1班", {90, 80}}, {"1班", {70, 60}}};
  fileName = "期中.第二次.xlsx";
  setLine(2, "按人数", {5, 0, 5});
  run();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].prompt, "三线版中线2线的语文人数应为不小于1的数，请检查！");
  EXPECT_EQ(platform.messages[0].title, "警告");
  EXPECT_EQ(data().findModelSheet("分段表"), nullptr);
  EXPECT_EQ(data().findModelSheet("成绩表"), nullptr);
  EXPECT_TRUE(dataSheet().value({1, 123}).isEmpty()) << "nothing beside the table";

  platform.messages.clear();
  setLine(2, "按人数", {1, 1, 1});
  click("cmdCJ_Click", "三线版");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  EXPECT_EQ(report("分段表").value({1, 1}), Value("期中.第二次 分段统计")) << "only the extension goes";
  EXPECT_EQ(report("成绩表").value({1, 1}), Value("期中.第二次"));

  click("cmdCJ_Click", "");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].prompt, "系统工作簿缺少  参数表，请检查！");
}

}  // namespace
}  // namespace tavo::testing
