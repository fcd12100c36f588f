// The four-rates ("各科3") and assigned-score ("各科4") reports on small
// hand-made schools.
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Cell;
using host::Rect;
using host::Value;

struct SubjectBlocksTest : ReportFixture {
  // Row 13 from B: B, C (unused here), D keep, E averages, F..J weights.
  void useVersion(const char* name, std::vector<Value> row13) {
    settings.setName(name);
    for (int c = 2; c <= 12; ++c) put(settings, 13, c, Value());
    setRow13(std::move(row13));
  }
  void run(const char* command) { runReport(true, command); }
  static Class C(const char* name, std::vector<std::string> teachers, Value planned = Value()) {
    return {"", name, std::move(planned), std::move(teachers)};
  }
  // The row of a class in the block that starts at `top`.
  static int rowOf(model::Sheet& s, int top, int rows, const std::string& cls) {
    for (int r = top; r < top + rows; ++r)
      if (s.value({r, 4}) == Value(cls)) return r;
    return 0;
  }
};

TEST_F(SubjectBlocksTest, PointsFollowTheBestClassThroughTheTeacherGrouping) {
  useVersion("赋分版", {"否", "否", "是", "单上线", 30, 20, 0, 15, 15});
  subjects = {"语文", "数学"};
  setLine(1, "按分数", {100, 60, 60});
  setLine(2, "按分数", {300, 200, 200});  // nobody reaches line 2
  // 语文: 甲 teaches 1班, 3班 and 5班; 2班 and 3班 share the best line-1 rate.
  setClasses({C("1班", {"a", "甲", "x"}), C("2班", {"b", "乙", "x"}), C("3班", {"c", "甲", "x"}),
              C("4班", {"d", "丙", "x"}), C("5班", {"e", "甲", "x"})});
  students = {{"1班", {70, 0}}, {"1班", {50, 0}}, {"2班", {80, 0}}, {"2班", {65, 0}}, {"3班", {65, 0}},
              {"3班", {62, 0}}, {"4班", {30, 0}}, {"4班", {20, 0}}, {"5班", {61, 0}}, {"5班", {10, 0}}};
  run("cmdFuFenTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("各科4");
  EXPECT_EQ(s.value({2, 11}), Value("线1\n上线率\n得分")) << "an empty line name reads 线1";

  const int top = 8;  // the 语文 block: rows 8 to 12
  EXPECT_EQ(s.value({top, 1}), Value("语文"));
  for (int r = 0; r < 5; ++r)
    EXPECT_EQ(s.value({top + r, 4}), Value(std::vector<std::string>{"1班", "3班", "5班", "2班", "4班"}[r]))
        << "甲's classes together below the first, in order";
  // The best line-1 rate was 2班's, the upper of two equal ones; the formulas
  // still point at it after the rows moved.
  const int second = rowOf(s, top, 5, "2班"), third = rowOf(s, top, 5, "3班");
  EXPECT_EQ(s.formulaR1C1({third, 11}), "=RC[-1]/R[" + std::to_string(second - third) + "]C[-1]*20");
  EXPECT_EQ(s.value({third, 11}), Value(20));
  EXPECT_EQ(s.value({rowOf(s, top, 5, "1班"), 11}), Value(10));
  EXPECT_EQ(s.value({rowOf(s, top, 5, "4班"), 11}), Value(0));
  // Nobody above line 2: full points as numbers.
  for (int r = top; r < top + 5; ++r) {
    EXPECT_FALSE(s.hasFormula({r, 17}));
    EXPECT_EQ(s.value({r, 17}), Value(15));
    EXPECT_EQ(s.value({r, 20}), Value(15));
  }
  // Every 数学 score is 0: no average points rather than a division error.
  for (int r = 13; r < 18; ++r) EXPECT_EQ(s.value({r, 8}), Value(0)) << r;

  // 甲's run shares one merged average and rank.
  EXPECT_EQ(s.mergeArea({top, 22}), (Rect{top, 22, top + 2, 22}));
  EXPECT_EQ(s.mergeArea({top, 24}), (Rect{top, 24, top + 2, 24}));
  EXPECT_EQ(s.formulaR1C1({top, 22}), "=AVERAGE(RC[-1]:R[2]C[-1])");
  double sum = 0;
  for (int r = top; r < top + 3; ++r) {
    double u = 0;
    for (int col : {8, 11, 14, 17, 20}) u += s.value({r, col}).number();
    EXPECT_DOUBLE_EQ(s.value({r, 21}).number(), u) << "the hidden column N still counts";
    sum += u;
  }
  EXPECT_DOUBLE_EQ(s.value({top, 22}).number(), sum / 3);
  EXPECT_EQ(s.formulaR1C1({second, 22}), "=RC[-1]");
  EXPECT_EQ(s.formulaR1C1({top, 23}), "=RANK(RC[-1],R8C[-1]:R12C[-1])");
  const double v2 = s.value({second, 22}).number(), v4 = s.value({top + 4, 22}).number(),
               v1 = s.value({top, 22}).number();
  EXPECT_EQ(s.value({top, 23}), Value(1.0 + (v2 > v1) + (v4 > v1)));
  EXPECT_EQ(s.mergeArea({top, 2}), (Rect{top, 2, top + 4, 2}));
  EXPECT_EQ(s.value({top, 2}), Value(60));

  EXPECT_EQ(s.columnWidth(14), 0) << "W3 = 0 hides its points";
  EXPECT_GT(s.columnWidth(11), 0);
  EXPECT_EQ(s.format({top, 1}).fill, host::Fill{}) << "the second block is not shaded";
  EXPECT_EQ(s.format({3, 24}).fill, host::Fill::Solid(15));
  EXPECT_EQ(s.format({3, 19}).numberFormat, "0.00");
  EXPECT_EQ(s.format({3, 16}).numberFormat, "0.0");
  EXPECT_EQ(s.value({1, 1}), Value("考试 统计  2026.12.8"));
  ASSERT_EQ(s.textRuns({1, 1}).size(), 1u);
  EXPECT_EQ(s.textRuns({1, 1})[0].start, host::characterCount("考试 统计  2026.12.8") - 9);
  EXPECT_EQ(s.textRuns({1, 1})[0].fontSize, 12);
  EXPECT_EQ(s.view().splitRow, 2);
  EXPECT_TRUE(dataSheet().value({1, 123}).isEmpty()) << "nothing beside the table";
}

TEST_F(SubjectBlocksTest, WeightsAverageOverThePlannedBestButCountTheWholeClass) {
  useVersion("四率版", {"否", "否", "是", "单上线", 1, 2, 0.5, 1, -2});
  setLine(1, "按人数", {1000, 1000, 1000});  // beyond the grade: a line of 0
  setLine(2, "按分数", {120, 60, 60});
  setClasses({C("1班", {"a", "甲", "乙"}, 5), C("2班", {"b", "甲", "丙"})});
  students.clear();
  for (int i = 0; i < 40; ++i) students.push_back({"1班", {Value(30 + i), Value(100 - i)}});
  students.push_back({"2班", {Value(90), Value(80)}});
  run("cmdSiLvTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("各科3");
  EXPECT_EQ(s.value({2, 16}), Value("平均\n分\n得分"));
  // The 语文 block: 1班 in row 5.
  EXPECT_EQ(s.value({5, 4}), Value("1班"));
  EXPECT_EQ(s.value({5, 5}), Value(5));
  EXPECT_DOUBLE_EQ(s.value({5, 7}).number(), (69 + 68 + 67 + 66 + 65) / 5.0) << "the best five";
  EXPECT_EQ(s.value({5, 8}), Value(40)) << "a line of 0 counts everybody";
  EXPECT_EQ(s.value({5, 9}), Value(800));
  EXPECT_EQ(s.value({5, 12}), Value(10)) << "语文 at or above 60";
  EXPECT_EQ(s.value({5, 14}), Value(10)) << "with totals of 130, at or above 120";
  EXPECT_EQ(s.formulaR1C1({5, 9}), "=RC[-1]/RC[-4]*100");
  EXPECT_EQ(s.formulaR1C1({5, 15}), "=RC[-1]/RC[-10]*100");
  EXPECT_EQ(s.formulaR1C1({5, 16}), "=RC[-9]*1");
  EXPECT_EQ(s.formulaR1C1({5, 18}), "=RC[-7]*0.5");
  EXPECT_EQ(s.formulaR1C1({5, 20}), "=RC[-5]*-2");
  EXPECT_EQ(s.formulaR1C1({5, 21}), "=RC[-5]+RC[-4]+RC[-3]+RC[-2]+RC[-1]");
  // The total block: single and double counts agree.
  for (int r : {3, 4}) {
    EXPECT_EQ(s.value({r, 8}), s.value({r, 10}));
    EXPECT_EQ(s.value({r, 12}), s.value({r, 14}));
  }
  // 甲 teaches 语文 in both classes.
  EXPECT_EQ(s.mergeArea({5, 22}), (Rect{5, 22, 6, 22}));
  EXPECT_EQ(s.format({5, 7}).numberFormat, "0.0");
  EXPECT_EQ(s.format({5, 16}).numberFormat, "0.00");
}

TEST_F(SubjectBlocksTest, WithoutTeacherScoresOnlyTheIndicatorsAndTeachersStay) {
  setClasses({C("1班", {"a", "甲", "乙"}), C("2班", {"b", "丙", "丁"})});
  students = {{"1班", {90, 80}}, {"1班", {70, 60}}, {"2班", {50, 85}}};
  setLine(1, "按分数", {150, 80, 80});
  setLine(2, "按分数", {100, 60, 60});
  useVersion("赋分版", {"否", "否", "否", "单上线", 30, 20, 20, 15, 15});
  run("cmdFuFenTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("各科4");
  const std::vector<std::string> kept = {"学科", "线1\n分", "线2\n分", "班级", "人数", "最高\n分", "平均\n分",
                                         "线1\n上线\n人数", "线1\n上线\n率/%", "线1\n双线\n人数", "线1\n双线\n率/%",
                                         "线2\n上线\n人数", "线2\n上线\n率/%", "线2\n双线\n人数", "线2\n双线\n率/%",
                                         "教师"};
  for (std::size_t c = 0; c < kept.size(); ++c) EXPECT_EQ(s.value({2, static_cast<int>(c) + 1}), Value(kept[c])) << c;
  EXPECT_TRUE(s.value({2, 17}).isEmpty());
  EXPECT_EQ(s.mergeArea({1, 1}), (Rect{1, 1, 1, 24})) << "the title keeps its 24 columns";
  EXPECT_EQ(s.value({5, 9}), Value(50)) << "rates still divide by the size: 1 of 2";
  EXPECT_EQ(s.value({5, 16}), Value("甲")) << "语文's teacher of 1班";

  platform.messages.clear();
  useVersion("四率版", {"否", "否", "否", "单上线", 1, 1, 1, 1, 1});
  click("cmdSiLvTJ_Click");
  model::Sheet& r = report("各科3");
  EXPECT_EQ(r.value({2, 15}), Value("线2\n双线\n率/%"));
  EXPECT_EQ(r.value({2, 16}), Value("教师")) << "X becomes P";
}

TEST_F(SubjectBlocksTest, AnUnusableHeadCountStopsBeforeAnySheet) {
  useVersion("赋分版", {"否", "否", "是", "单上线", 30, 20, 20, 15, 15});
  setClasses({C("1班", {"a", "甲", "乙"})});
  students = {{"1班", {90, 80}}};
  setLine(1, "按人数", {Value(), 5, 5});
  run("cmdFuFenTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].prompt, "赋分版中线1线的总分人数应为不小于1的数，请检查！");
  EXPECT_EQ(data().findModelSheet("各科4"), nullptr);
  EXPECT_TRUE(dataSheet().value({1, 123}).isEmpty());
}

}  // namespace
}  // namespace tavo::testing
