// The two-line report: both counts of every line on "单科2", one count per
// line on "总分2", on the builders of the three-line report.
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Rect;
using host::Value;

struct TwoLineReportTest : ReportFixture {
  TwoLineReportTest() {
    settings.setName("双线版");
    for (int c = 2; c <= 12; ++c) put(settings, 13, c, Value());
    // B..J: teacher order, fills, teacher scores, averages, five weights.
    setRow13({"否", "否", "是", "单上线", 1, 2, 3, 4, 0});
    put(settings, 63, 1, "重点");
    setLine(1, "按分数", {150, 60, 100});
    setLine(2, "按分数", {100, 40, 50});
    put(settings, 65, 3, Value());
  }
  void run() { runReport(true, "cmdTwoXianTJ_Click"); }
};

TEST_F(TwoLineReportTest, SubjectsShowSingleAndDoubleCountsOfBothLines) {
  setClasses({{"", "1班", Value(), {"班", "语", "数"}}});
  // 语文 at or above 60: 7 + 5; totals at or above 150: 7 + 2; both: 7.
  students.clear();
  for (int i = 0; i < 7; ++i) students.push_back({"1班", {70, 90}});
  for (int i = 0; i < 2; ++i) students.push_back({"1班", {30, 130}});
  for (int i = 0; i < 5; ++i) students.push_back({"1班", {65, 10}});
  for (int i = 0; i < 26; ++i) students.push_back({"1班", {20, 20}});
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;

  // One grade group: column 1 is gone, everything one column left.
  model::Sheet& single = report("单科2");
  EXPECT_EQ(single.value({1, 1}), Value("语文统计\n重点线:60 重点上线:12 重点双线:7   线2线:40 线2上线:12 线2双线:7"));
  const std::vector<std::string> headers = {"班级", "人数", "最高分", "平均分", "重点\n上线", "重点\n双\n上线",
                                            "线2\n上线", "线2\n双\n上线", "平均\n分\n平均", "重点\n上线\n平均",
                                            "重点\n双线\n平均", "线2\n上线\n平均", "线2\n双线\n平均", "教师",
                                            "平均\n分\n得分", "重点\n上线\n得分", "重点\n双线\n得分",
                                            "线2\n上线\n得分", "线2\n双线\n得分", "总分", "名次"};
  for (std::size_t c = 0; c < headers.size(); ++c)
    EXPECT_EQ(single.value({2, static_cast<int>(c) + 1}), Value(headers[c])) << c;
  EXPECT_EQ(single.value({3, 5}), Value(12));
  EXPECT_EQ(single.value({3, 6}), Value(7));
  EXPECT_EQ(single.formulaR1C1({3, 9}), "=AVERAGE(RC[-5]:RC[-5])");
  EXPECT_EQ(single.formulaR1C1({3, 15}), "=RC[-6]*1");
  EXPECT_EQ(single.formulaR1C1({3, 19}), "=RC[-6]*0");
  EXPECT_EQ(single.formulaR1C1({3, 20}), "=RC[-5]+RC[-4]+RC[-3]+RC[-2]+RC[-1]");
  EXPECT_EQ(single.columnWidth(19), 0) << "J13 = 0 hides the line-2 double score";
  double sum = 0;
  for (int col = 15; col <= 19; ++col) sum += single.value({3, col}).number();
  EXPECT_DOUBLE_EQ(single.value({3, 20}).number(), sum);
  EXPECT_EQ(single.format({3, 9}).numberFormat, "0.0");
  EXPECT_EQ(single.format({3, 15}).numberFormat, "0.00");

  model::Sheet& total = report("总分2");
  const std::string title = total.value({1, 1}).text();
  EXPECT_NE(title.find("\n重点线:150  重点上线:9   线2线:100  线2上线:"), std::string::npos) << title;
  EXPECT_EQ(total.value({2, 5}), Value("重点\n上线"));
  EXPECT_EQ(total.value({2, 7}), Value("班主任"));
  EXPECT_EQ(total.value({3, 5}), Value(9)) << "the total's single count";
  EXPECT_EQ(total.formulaR1C1({3, 10}), "=RC[-4]*4") << "line 2 weighs with I13";
  EXPECT_EQ(total.formulaR1C1({3, 11}), "=RC[-3]+RC[-2]+RC[-1]");
  EXPECT_EQ(total.value({2, 12}), Value("名次"));
  EXPECT_TRUE(total.value({2, 13}).isEmpty());
}

TEST_F(TwoLineReportTest, WithoutTeacherScoresTheSheetsKeepEightAndFifteenColumns) {
  setRow13({"否", "否", "否", "单上线", 1, 1, 1, 1, 1});
  setClasses({{"一部", "1班", Value(), {"班", "语", "数"}}, {"二部", "2班", Value(), {"班", "语", "数"}}});
  students = {{"1班", {70, 90}}, {"2班", {50, 60}}};
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& total = report("总分2");
  EXPECT_EQ(total.value({2, 8}), Value("班主任"));
  EXPECT_TRUE(total.value({2, 9}).isEmpty()) << "two groups: 8 columns";
  EXPECT_EQ(total.value({3, 1}), Value("一部"));
  model::Sheet& single = report("单科2");
  EXPECT_EQ(single.value({2, 15}), Value("教师"));
  EXPECT_TRUE(single.value({2, 16}).isEmpty()) << "15 columns";
}

TEST_F(TwoLineReportTest, TeacherRanksCountEachRunOnce) {
  // 语文 teachers A (classes 1 and 2) and B (class 3); every weight but the
  // first line's single count is a penalty or nothing.
  setClasses({{"", "1班", Value(), {"班", "A", "x"}}, {"", "2班", Value(), {"班", "A", "x"}},
              {"", "3班", Value(), {"班", "B", "y"}}});
  setRow13({"否", "否", "是", "单上线", -1, 0, 0, 0, 0});
  students = {{"1班", {70, 90}}, {"1班", {30, 20}}, {"2班", {90, 90}}, {"3班", {20, 30}}};
  run();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("单科2");  // one group: teacher 14, weighted 15-19, total 20, rank 21
  EXPECT_EQ(s.value({3, 14}), Value("A"));
  // Averages: 1班 50, 2班 90, 3班 20; A's 70, B's 20: scores -70 and -20.
  EXPECT_EQ(s.value({3, 20}), Value(-70));
  EXPECT_EQ(s.value({5, 20}), Value(-20));
  EXPECT_EQ(s.value({3, 21}), Value(2));
  EXPECT_EQ(s.value({5, 21}), Value(1));
  for (int col = 15; col <= 21; ++col) EXPECT_FALSE(s.hasFormula({4, col})) << col;
}

}  // namespace
}  // namespace tavo::testing
