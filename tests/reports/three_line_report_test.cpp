// The three-line report's two sheets, on small hand-made schools.
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Rect;
using host::Value;

struct ThreeLineReportTest : ReportFixture {
  // Every class has two students, so that every count is easy to follow.
  void twoStudentsPerClass(const std::vector<Class>& classes) {
    setClasses(classes);
    students.clear();
    int i = 0;
    for (const Class& c : classes) {
      students.push_back({c.name, {60 + i, 70 + i}});
      students.push_back({c.name, {40 + i, 45 + i}});
      ++i;
    }
  }
  static Class C(const char* grade, const char* name, std::vector<std::string> teachers = {"班", "语", "数"}) {
    return {grade, name, Value(), std::move(teachers)};
  }
};

TEST_F(ThreeLineReportTest, TwoGradeGroupsOfThreeAndFourClasses) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班"), C("一部", "2班"), C("一部", "3班"), C("二部", "4班"), C("二部", "5班"),
                       C("二部", "6班"), C("二部", "7班")});
  runReport();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& t = report("总分1");
  EXPECT_EQ(t.value({2, 1}), Value("级部")) << "the grade column stays";
  for (int row : {3, 4, 5}) EXPECT_EQ(t.value({row, 2}), Value(std::to_string(row - 2) + "班"));
  EXPECT_EQ(t.value({6, 2}), Value("合计"));
  EXPECT_EQ(t.formulaR1C1({6, 3}), "=SUM(R[-3]C:R[-1]C)");
  EXPECT_EQ(t.value({7, 2}), Value(" "));
  EXPECT_EQ(t.value({8, 2}), Value("班级"));
  for (int row : {9, 10, 11, 12}) EXPECT_EQ(t.value({row, 2}), Value(std::to_string(row - 5) + "班"));
  EXPECT_EQ(t.formulaR1C1({13, 3}), "=SUM(R[-4]C:R[-1]C)");
  EXPECT_EQ(t.formulaR1C1({13, 4}), "=MAX(R[-4]C:R[-1]C)");
  EXPECT_EQ(t.formulaR1C1({13, 9}), "=AVERAGE(R[-4]C:R[-1]C)");
  EXPECT_EQ(t.value({14, 2}), Value("共计"));
  for (int col : {3, 6, 7, 8}) EXPECT_EQ(t.formulaR1C1({14, col}), "=SUM(R[-8]C,R[-1]C)") << col;
  EXPECT_EQ(t.value({14, 3}), Value(14));
  EXPECT_TRUE(t.format({14, 6}).font.bold);
  for (int row : {3, 5, 9, 12}) EXPECT_EQ(t.formulaR1C1({row, 17}), "=RANK(RC[-1],R3C[-1]:R12C[-1])") << row;
  EXPECT_FALSE(t.hasFormula({6, 17}));
  EXPECT_EQ(t.mergeArea({3, 1}), (Rect{3, 1, 6, 1}));
  EXPECT_EQ(t.value({3, 1}), Value("一部"));
  EXPECT_EQ(t.value({9, 1}), Value("二部"));
  EXPECT_EQ(t.formulaR1C1({3, 9}), "=RC[-2]/RC[-6]*100");
  EXPECT_EQ(t.formulaR1C1({3, 12}), "=RC[-7]*1");
  EXPECT_EQ(t.formulaR1C1({3, 16}), "=RC[-4]+RC[-3]+RC[-2]+RC[-1]");

  // The title: the file's name without extension, then a line per cut-off line.
  const std::string title = t.value({1, 2}).text();
  EXPECT_EQ(title.rfind("考试  总分统计\n线1线:100  线1生数:", 0), 0u) << title;
  EXPECT_EQ(t.mergeArea({1, 2}), (Rect{1, 2, 1, 17}));
  ASSERT_EQ(t.textRuns({1, 2}).size(), 1u);
  EXPECT_EQ(t.textRuns({1, 2})[0].start, 9) << "size 14 from the line feed on";
  EXPECT_EQ(t.format({1, 2}).font.size, 16);
  EXPECT_EQ(t.format({1, 2}).font.name, "Arial");

  EXPECT_EQ(t.rowHeight(1), 30);
  EXPECT_EQ(t.rowHeight(2), 40);
  EXPECT_EQ(t.rowHeight(8), 40) << "every header row";
  EXPECT_EQ(t.rowHeight(14), 18);
  EXPECT_EQ(t.view().splitRow, 1);
  EXPECT_TRUE(t.view().freezePanes);
  EXPECT_EQ(t.pageSettings().printTitleRows, "$1:$1");
  EXPECT_EQ(t.format({2, 5}).fill, host::Fill::Solid(37));
  EXPECT_EQ(t.format({4, 5}).fill, host::Fill::Solid(15)) << "every second class row";
  EXPECT_EQ(t.format({3, 5}).fill, host::Fill{});
  EXPECT_EQ(t.format({3, 5}).numberFormat, "0.0");
  EXPECT_EQ(t.format({3, 3}).border, host::BorderLine::Continuous);
  EXPECT_TRUE(t.value({1, 51}).isEmpty() && t.value({2, 51}).isEmpty()) << "the staging area is empty";
  EXPECT_EQ(data().sheet(1).name(), "总分1");
  EXPECT_EQ(data().sheet(2).name(), "单科1");

  // Each section of 单科1 spans n + 3G + 2 rows and has its own 共计 row.
  model::Sheet& s = report("单科1");
  EXPECT_NE(s.value({1, 2}).text().find("语文统计\n线1线:50 线1生数:"), std::string::npos);
  EXPECT_EQ(s.value({14, 2}), Value("共计"));
  EXPECT_EQ(s.formulaR1C1({14, 3}), "=SUM(R[-8]C,R[-1]C)");
  EXPECT_EQ(s.formulaR1C1({3, 19}), "=RANK(RC[-1],R3C[-1]:R12C[-1])");
  const int second = 1 + 7 + 3 * 2 + 2;
  EXPECT_NE(s.value({second, 2}).text().find("数学统计"), std::string::npos);
  EXPECT_EQ(s.formulaR1C1({second + 2, 19}), "=RANK(RC[-1],R18C[-1]:R27C[-1])");
  EXPECT_EQ(s.rowHeight(7), 6) << "spacers between groups";
  EXPECT_EQ(s.rowHeight(second), 30);
}

TEST_F(ThreeLineReportTest, TeacherOrderingGroupsEachTeachersClasses) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班", {"班", "A", "x"}), C("一部", "2班", {"班", "B", "x"}),
                       C("一部", "3班", {"班", "A", "x"}), C("一部", "4班", {"班", "C", "x"}),
                       C("一部", "5班", {"班", "B", "x"})});
  runReport();
  model::Sheet& s = report("单科1");  // one group: column 1 is gone, the teacher stands in 12
  const std::vector<std::string> order = {"1班", "3班", "2班", "5班", "4班"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s.value({3 + i, 1}), Value(order[static_cast<std::size_t>(i)]));
  EXPECT_EQ(s.value({3, 12}), Value("A"));
  EXPECT_EQ(s.mergeArea({3, 12}), (Rect{3, 12, 4, 12}));
  EXPECT_EQ(s.mergeArea({5, 12}), (Rect{5, 12, 6, 12}));
  EXPECT_EQ(s.mergeArea({7, 12}), Rect::of({7, 12}));
  EXPECT_EQ(s.formulaR1C1({3, 8}), "=AVERAGE(RC[-4]:R[1]C[-4])");
  EXPECT_EQ(s.formulaR1C1({7, 8}), "=AVERAGE(RC[-4]:RC[-4])") << "a run of one class";
  EXPECT_EQ(s.mergeArea({3, 18}), (Rect{3, 18, 4, 18})) << "the rank is merged over the run too";
  EXPECT_EQ(s.format({3, 2}).fill, host::Fill{});
  EXPECT_EQ(s.format({5, 2}).fill, host::Fill::Solid(15)) << "only run B is grey";
  EXPECT_EQ(s.format({6, 18}).fill, host::Fill::Solid(15));
  EXPECT_EQ(s.format({7, 2}).fill, host::Fill{});
  // 1班 and 3班 average (60+40)/2 = 50 and (62+42)/2 = 52: the teacher's 51.
  EXPECT_EQ(s.value({3, 8}), Value(51));

  // Without ordering, runs only join neighbours, and nothing is grey.
  setRow13({"否", "是", "是", "单上线", "单上线", "单上线", "单上线", 1, 1, 1, 1});
  click("cmdSanXianTJ_Click");
  model::Sheet& again = report("单科1");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(again.value({3 + i, 1}), Value(std::to_string(i + 1) + "班"));
  for (int row = 3; row <= 7; ++row) EXPECT_EQ(again.mergeArea({row, 12}), Rect::of({row, 12}));
  EXPECT_EQ(again.format({4, 2}).fill, host::Fill{});
}

TEST_F(ThreeLineReportTest, OneGradeGroupDropsTheGradeColumnAndHidesSpacers) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班"), C("一部", "2班"), C("一部", "3班")});
  runReport();
  model::Sheet& t = report("总分1");
  EXPECT_EQ(t.value({2, 1}), Value("班级"));
  EXPECT_EQ(t.value({2, 16}), Value("名次"));
  EXPECT_EQ(t.formulaR1C1({3, 16}), "=RANK(RC[-1],R3C[-1]:R5C[-1])");
  EXPECT_EQ(t.value({7, 1}), Value(" ")) << "the spacer stays, no 共计";
  EXPECT_EQ(t.view().splitRow, 2);
  model::Sheet& s = report("单科1");
  EXPECT_EQ(s.value({2, 1}), Value("班级"));
  EXPECT_EQ(s.rowHeight(7), 0) << "the spacer under the subtotal is hidden";
  EXPECT_EQ(s.rowHeight(8), 18) << "the section's closing spacer is not";
  EXPECT_EQ(s.rowHeight(9), 30) << "the next title";
  EXPECT_EQ(s.rowHeight(15), 0);
  EXPECT_EQ(s.formulaR1C1({11, 18}), "=RANK(RC[-1],R11C[-1]:R13C[-1])");
  EXPECT_FALSE(s.view().freezePanes);
}

TEST_F(ThreeLineReportTest, TopAveragesCountsAndHeadCountLines) {
  // One class of four; 人数 2 takes the best two.
  setClasses({{"一部", "1班", 2, {"班", "语", "数"}}});
  students = {{"1班", {90, 10}}, {"1班", {80, 60}}, {"1班", {70, 80}}, {"1班", {10, 90}}};
  // Line 1: the best student (N = 1); line 2: by score; line 3: more students than there are.
  setLine(1, "按人数", {1, 1, 1});
  setLine(2, "按分数", {130, 60, 60});
  setLine(3, "按人数", {10, 10, 10});
  setRow13({"是", "是", "是", "单上线", "单上线", "双上线", "单上线", 1, 1, 1, 1});
  runReport();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& t = report("总分1");
  EXPECT_EQ(t.value({3, 2}), Value(2));
  EXPECT_EQ(t.value({3, 3}), Value(150)) << "class maximum of the total";
  EXPECT_EQ(t.value({3, 4}), Value(145)) << "the best two totals, 150 and 140";
  EXPECT_EQ(t.value({3, 5}), Value(1)) << "N = 1: the grade's best total only";
  EXPECT_EQ(t.value({3, 6}), Value(2)) << "totals of 150 and 140 reach 130";
  EXPECT_EQ(t.value({3, 7}), Value(4)) << "N beyond the grade: a line of 0";
  EXPECT_NE(t.value({1, 1}).text().find("线1线:150  线1生数:1   线2线:130  线2上线:2   线3线:0  线3上线:4"),
            std::string::npos)
      << t.value({1, 1}).text();

  model::Sheet& s = report("单科1");
  // 语文 90 80 70 10, by subject: best two 90, 80.
  EXPECT_EQ(s.value({3, 4}), Value(85));
  EXPECT_EQ(s.value({3, 5}), Value(1)) << "语文 N = 1: 90";
  EXPECT_EQ(s.value({3, 6}), Value(2)) << "double: total >= 130 (80, 70 in 语文) and 语文 >= 60";
  EXPECT_EQ(s.value({3, 7}), Value(4));
  const int math = 8;  // the 数学 section's title row
  EXPECT_EQ(s.value({math + 2, 4}), Value(85)) << "数学 best two by subject: 90, 80";
  EXPECT_EQ(s.value({math + 2, 6}), Value(2)) << "double count: 60 and 80 with totals 140 and 150";

  // Averages by the total's best two: students of 150 and 140.
  setRow13({"是", "是", "是", "双上线", "单上线", "单上线", "单上线", 1, 1, 1, 1});
  click("cmdSanXianTJ_Click");
  model::Sheet& byTotal = report("单科1");
  EXPECT_EQ(byTotal.value({3, 4}), Value(75)) << "语文 of those two: 70 and 80";
  EXPECT_EQ(byTotal.value({math + 2, 4}), Value(70)) << "数学: 80 and 60";
  EXPECT_EQ(byTotal.value({3, 6}), Value(3)) << "single count: 90, 80, 70 reach 60";
}

TEST_F(ThreeLineReportTest, DoubleCountsNeverExceedTheTotalLine) {
  setClasses({{"一部", "1班", Value(), {"班", "语", "数"}}, {"一部", "2班", Value(), {"班", "语", "数"}}});
  students.clear();
  for (int i = 0; i < 20; ++i) students.push_back({i % 2 ? "1班" : "2班", {40 + 3 * i, 95 - 2 * i}});
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100 + 10 * k, 60, 50});
  setRow13({"是", "是", "是", "单上线", "双上线", "双上线", "双上线", 1, 1, 1, 1});
  runReport();
  model::Sheet& t = report("总分1");
  model::Sheet& s = report("单科1");
  for (int k = 0; k < 3; ++k)
    for (int row : {3, 4}) {
      const double totalLine = t.value({row, 5 + k}).number();
      EXPECT_LE(s.value({row, 5 + k}).number(), totalLine);
      EXPECT_LE(s.value({row + 7, 5 + k}).number(), totalLine);
    }
}

TEST_F(ThreeLineReportTest, SwitchesOffAndZeroCoefficients) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班"), C("二部", "2班")});
  setRow13({"否", "是", "是", "单上线", "单上线", "单上线", "单上线", 2, 0, 1, 1});
  runReport();
  model::Sheet& t = report("总分1");
  EXPECT_EQ(t.columnWidth(13), 0) << "c1 = 0 hides its score column";
  EXPECT_EQ(t.formulaR1C1({3, 13}), "=RC[-7]*0");
  EXPECT_EQ(t.formulaR1C1({3, 12}), "=RC[-7]*2");
  EXPECT_EQ(t.value({3, 16}).number(),
            t.value({3, 12}).number() + t.value({3, 14}).number() + t.value({3, 15}).number())
      << "still summed";
  EXPECT_GT(t.columnWidth(12), 0);
  EXPECT_EQ(report("单科1").columnWidth(15), 0);

  setRow13({"否", "否", "否", "单上线", "单上线", "单上线", "单上线", 1, -2.5, 1, 1});
  click("cmdSanXianTJ_Click");
  model::Sheet& plain = report("总分1");
  EXPECT_EQ(plain.value({2, 11}), Value("班主任")) << "teacher scores, total and rank are gone";
  EXPECT_TRUE(plain.value({2, 12}).isEmpty());
  for (int col = 1; col <= 11; ++col) EXPECT_EQ(plain.format({2, col}).fill, host::Fill{}) << col;
  EXPECT_EQ(plain.format({4, 3}).fill, host::Fill{});
  model::Sheet& single = report("单科1");
  EXPECT_EQ(single.value({2, 13}), Value("教师"));
  EXPECT_TRUE(single.value({2, 14}).isEmpty());
  EXPECT_EQ(single.format({2, 3}).fill, host::Fill{}) << "the header fill goes too";
}

TEST_F(ThreeLineReportTest, ACoefficientPrintsInItsDefaultForm) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班")});
  setRow13({"否", "是", "是", "单上线", "单上线", "单上线", "单上线", 0.5, -2, 1, 1});
  runReport();
  model::Sheet& t = report("总分1");
  EXPECT_EQ(t.formulaR1C1({3, 11}), "=RC[-7]*0.5");
  EXPECT_EQ(t.formulaR1C1({3, 12}), "=RC[-7]*-2");
  EXPECT_EQ(t.value({3, 12}), Value(-2)) << "one student reaches line 1: 1 * -2";
}

TEST_F(ThreeLineReportTest, AnUnusableHeadCountStopsBeforeAnySheet) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  setLine(2, "按人数", {10, 0, 10});
  put(settings, 64, 1, "重点");
  twoStudentsPerClass({C("一部", "1班")});
  runReport();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].prompt, "三线版中重点线的语文人数应为不小于1的数，请检查！");
  EXPECT_EQ(platform.messages[0].title, "警告");
  EXPECT_EQ(data().findModelSheet("总分1"), nullptr);
  EXPECT_TRUE(dataSheet().value({1, 123}).isEmpty());
}

TEST_F(ThreeLineReportTest, ASecondRunKeepsTheUsersRowHeightsAndEndsWithTheTone) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班")});
  runReport();
  ASSERT_EQ(platform.beeps.size(), 1u);
  EXPECT_EQ(platform.beeps[0].frequency, 360);
  EXPECT_EQ(platform.beeps[0].duration, 36);
  report("总分1").setRowHeight(1, 1, 55);
  click("cmdSanXianTJ_Click");
  EXPECT_EQ(report("总分1").rowHeight(1), 55);
  EXPECT_EQ(data().sheetCount(), 3);
}

// Six classes, three teachers of two classes each in 语文: a rank over the
// teacher scores counts each teacher once, whatever the weights' signs.
TEST_F(ThreeLineReportTest, TeacherRanksCountEachRunOnceWithNegativeAndZeroWeights) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
  twoStudentsPerClass({C("一部", "1班", {"班", "A", "x"}), C("一部", "2班", {"班", "A", "x"}),
                       C("一部", "3班", {"班", "B", "y"}), C("一部", "4班", {"班", "B", "y"}),
                       C("一部", "5班", {"班", "C", "z"}), C("一部", "6班", {"班", "C", "z"})});
  // A penalty on the average: the better the teacher's classes, the lower the score.
  setRow13({"否", "是", "是", "单上线", "单上线", "单上线", "单上线", -1, 0, 0, 0});
  runReport();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& s = report("单科1");  // one group: teacher 12, weighted 13-16, total 17, rank 18
  // Class averages 50, 51, ..., 55: teachers A 50.5, B 52.5, C 54.5.
  EXPECT_EQ(s.value({3, 17}), Value(-50.5));
  EXPECT_EQ(s.value({3, 18}), Value(1));
  EXPECT_EQ(s.value({5, 18}), Value(2));
  EXPECT_EQ(s.value({7, 18}), Value(3));
  for (int row : {4, 6, 8})
    for (int col = 13; col <= 18; ++col) EXPECT_FALSE(s.hasFormula({row, col})) << "under the merge of row " << row - 1 << " col " << col;
  EXPECT_EQ(s.formulaR1C1({5, 18}), "=RANK(RC[-1],R3C[-1]:R8C[-1])");

  setRow13({"否", "是", "是", "单上线", "单上线", "单上线", "单上线", 0, 0, 0, 0});
  click("cmdSanXianTJ_Click");
  model::Sheet& zero = report("单科1");
  for (int row : {3, 5, 7}) EXPECT_EQ(zero.value({row, 18}), Value(1)) << "three teachers of score 0 share rank 1";
}

}  // namespace
}  // namespace tavo::testing
