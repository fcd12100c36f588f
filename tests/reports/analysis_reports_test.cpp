// The analysis commands through the engine on the model: the settings sheet
// "分析版" laid out (and added to a system workbook that lacks it), the
// question sheet and the standard-score sheet, checked by row role against
// counts made here from the students' scores.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "report_fixture.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::testing {
namespace {

using host::Value;

struct AnalysisTest : ReportFixture {
  AnalysisTest() {
    subjects = {"语文", "数学", "化学"};
    extraHeaders = {"1(4分)", "2(6分)"};
    setClasses({{"", "1班", Value(), {"甲", "乙", "丙", "丁"}}, {"", "2班", Value(), {"戊", "己", "庚", "辛"}}});
    // 数学 is the two questions' sum; the last student missed 数学.
    const double math[][2] = {{4, 6}, {3, 5}, {4, 2}, {1, 3}, {0, 2}, {2, 0}};
    const double chinese[] = {90, 80, 70, 60, 50, 40};
    const double chemistry[] = {88, 75, 75, 60, 52, 30};
    for (int i = 0; i < 6; ++i)
      students.push_back({i < 3 ? "1班" : "2班",
                          {chinese[i], math[i][0] + math[i][1], chemistry[i]},
                          {math[i][0], math[i][1]}});
    students.push_back({"2班", {45, Value("缺考"), 40}, {Value(), Value()}});
  }

  model::Sheet& analysisSettings() { return *system.findModelSheet("分析版"); }

  // The cell of `role`/`key` in `section` at column `col` of sheet `s`.
  Value at(model::Sheet& s, reports::RowRole role, const std::string& key, const std::string& section, int col) {
    for (int row = 1; row <= s.usedRange().bottom; ++row) {
      (void)role;
      if (s.value({row, 1}) == Value(key) && RowIsIn(s, row, section)) return s.value({row, col});
    }
    return Value("(no row)");
  }
  // Rows below the section's header "<section> 试题分析" and above the next.
  static bool RowIsIn(model::Sheet& s, int row, const std::string& section) {
    for (int r = row; r >= 1; --r) {
      const std::string text = host::toText(s.value({r, 1}));
      if (text.ends_with(" 试题分析")) return text == section + " 试题分析";
    }
    return false;
  }
};

TEST_F(AnalysisTest, TheSettingsSheetIsAddedWithTheClassTableAndLaidOut) {
  ASSERT_EQ(system.findModelSheet("分析版"), nullptr);
  addDataFile("期中.xlsx", "数据表");
  addDataFile("期末.xlsx", "数据表");
  click("cmdFenXiSZ_Click");
  ASSERT_NE(system.findModelSheet("分析版"), nullptr);
  model::Sheet& s = analysisSettings();
  EXPECT_EQ(s.value({73, 2}), Value("1班")) << "the classes come from 三线版";
  EXPECT_EQ(s.value({72, 6}), Value("数学"));
  EXPECT_EQ(s.value({13, 2}), Value("五等级"));
  EXPECT_EQ(s.value({32, 2}), Value("A"));
  EXPECT_EQ(s.value({33, 2}), Value(15));
  EXPECT_EQ(s.value({42, 7}), Value("化学"));
  EXPECT_EQ(s.value({43, 7}), Value("是")) << "化学 converts by default";
  EXPECT_EQ(s.value({43, 5}), Value("否"));
  // Row 13 beyond the scheme: the earlier exam chosen from the data folder.
  ASSERT_TRUE(s.validation({13, 3}));
  EXPECT_EQ(s.validation({13, 3})->formula1, "期中.xlsx,期末.xlsx");
  EXPECT_EQ(s.value({13, 4}), Value("按分数"));
  EXPECT_EQ(s.value({13, 7}), Value("否"));

  // What the teacher changes survives the next layout; another scheme
  // replaces a scheme's table but never a table typed by hand.
  put(s, 43, 7, "否");
  put(s, 13, 2, "八等级");
  click("cmdFenXiSZ_Click");
  EXPECT_EQ(s.value({43, 7}), Value("否"));
  EXPECT_EQ(s.value({32, 3}), Value("B+"));
  put(s, 33, 2, 4);
  put(s, 33, 3, 6);
  click("cmdFenXiSZ_Click");
  EXPECT_EQ(s.value({33, 2}), Value(4)) << "a typed table stays";
}

TEST_F(AnalysisTest, QuestionsFoundByTheirHeadersBelongToTheSubjectTheyAddUpTo) {
  click("cmdFenXiSZ_Click");
  runReport(true, "cmdShiTiTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("试题分析");
  // Question 2 (6 points) over the six who sat 数学: 6+5+2+3+2+0 = 18.
  EXPECT_EQ(at(s, reports::RowRole::Item, "2", "数学", 2), Value(6));
  EXPECT_EQ(at(s, reports::RowRole::Item, "2", "数学", 3), Value(6)) << "the absent student is left out";
  EXPECT_DOUBLE_EQ(at(s, reports::RowRole::Item, "2", "数学", 4).number(), 3);
  EXPECT_DOUBLE_EQ(at(s, reports::RowRole::Item, "2", "数学", 5).number(), 0.5);
  // 区分度 with groups of round(1.62) = 2: the best two by 数学 (10, 8) scored
  // 6 and 5, the worst two (2, 2) scored 0 and 2: (11 - 2) / 2 / 6.
  EXPECT_DOUBLE_EQ(at(s, reports::RowRole::Item, "2", "数学", 7).number(), 9.0 / 2 / 6);
  // The class table: 2班's three who sat, question 1: (1 + 0 + 2) / 3 / 4.
  EXPECT_DOUBLE_EQ(at(s, reports::RowRole::Class, "2班", "数学", 3).number(), 3.0 / 3 / 4);
}

TEST_F(AnalysisTest, TypedQuestionsTheDataLackAreNamed) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 22, 2, "1(4分)");
  put(analysisSettings(), 22, 3, "第9题");
  runReport(true, "cmdShiTiTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].prompt.find("第9题"), std::string::npos);
  EXPECT_EQ(data().findModelSheet("试题分析"), nullptr);
}

TEST_F(AnalysisTest, StandardScoresAndTheConversionOfTheElectiveSubject) {
  click("cmdFenXiSZ_Click");
  runReport(true, "cmdDengJiTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("标准分与赋分");
  // Find the student table: the header row whose first cell is "班级" and
  // whose second row names the measures.
  int header = 0;
  for (int row = 1; row <= s.usedRange().bottom; ++row)
    if (s.value({row, 1}) == Value("班级")) header = row;  // the student table is the last
  ASSERT_GT(header, 0);
  int chineseColumn = 0;
  for (int col = 1; col <= s.usedRange().right; ++col)
    if (s.value({header, col}) == Value("语文")) chineseColumn = col;
  ASSERT_GT(chineseColumn, 0);
  // The first student of the report order is 1班's best: 语文 90.
  const double mean = (90 + 80 + 70 + 60 + 50 + 40 + 45) / 7.0;
  double variance = 0;
  for (double x : {90, 80, 70, 60, 50, 40, 45}) variance += (x - mean) * (x - mean) / 7;
  const int first = header + 2;
  EXPECT_EQ(s.value({first, chineseColumn}), Value(90));
  EXPECT_NEAR(s.value({first, chineseColumn + 1}).number(), (90 - mean) / std::sqrt(variance), 1e-12);
  EXPECT_NEAR(s.value({first, chineseColumn + 3}).number(), 100 - 50.0 / 7, 1e-12);

  // The student table says how far it is, to the end.
  ASSERT_FALSE(platform.progress.empty());
  EXPECT_EQ(platform.progress.back(), std::pair(std::string("写入 标准分与赋分"), 1.0));

  // 化学 converts (five grades over seven students): the audit counts them all.
  int audit = 0;
  for (int row = 1; row <= s.usedRange().bottom; ++row)
    if (host::toText(s.value({row, 1})).starts_with("化学 等级赋分")) audit = row;
  ASSERT_GT(audit, 0);
  int counted = 0;
  for (int g = 0; g < 5; ++g) counted += static_cast<int>(s.value({audit + 2 + g, 4}).number());
  EXPECT_EQ(counted, 7);
  // A is 15 % of 7 = 1.05: only the best (88), who converts to 100.
  EXPECT_EQ(s.value({audit + 2, 4}), Value(1));
  EXPECT_EQ(s.value({audit + 2, 6}), Value(88));

  // The grade's row of the class table: 超均率 0 by definition.
  int grade = 0;
  for (int row = 1; row <= s.usedRange().bottom; ++row)
    if (s.value({row, 1}) == Value("年级")) grade = row;
  ASSERT_GT(grade, 0);
  EXPECT_NEAR(s.value({grade, 5}).number(), 0, 1e-12);
}

TEST_F(AnalysisTest, ASchemeTypedWrongStopsTheConversionWithAMessage) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 33, 2, 50);  // A 50 % + 35 + 35 + 13 + 2 is not 100
  runReport(true, "cmdDengJiTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].prompt.find("比例之和"), std::string::npos);
}

// The earlier exam: the same names in their classes, other totals; the
// fourth student is missing and 2班 has two students called 学生6.
struct ProgressTest : AnalysisTest {
  ProgressTest() {
    addDataFile("上次.xlsx", "数据表", [](host::Worksheet& s) {
      const char* names[] = {"学生1", "学生2", "学生3", "学生5", "学生6", "学生6"};
      const char* classes[] = {"1班", "1班", "1班", "2班", "2班", "2班"};
      const double chinese[] = {60, 90, 70, 80, 50, 55};
      put(s, 1, 1, "姓名");
      put(s, 1, 2, "班级");
      put(s, 1, 3, "语文");
      for (int i = 0; i < 6; ++i) {
        put(s, 2 + i, 1, names[i]);
        put(s, 2 + i, 2, classes[i]);
        put(s, 2 + i, 3, chinese[i]);
      }
    });
  }
  // The student table's row of `name` and the column of `measure` under `field`.
  static Value cell(model::Sheet& s, const std::string& name, const std::string& field, const std::string& measure) {
    int header = 0;
    for (int row = 1; row <= s.usedRange().bottom; ++row)
      if (s.value({row, 1}) == Value("班级")) header = row;
    int fieldColumn = 0;
    for (int col = 1; col <= s.usedRange().right; ++col)
      if (s.value({header, col}) == Value(field)) fieldColumn = col;
    for (int col = fieldColumn; col > 0 && col < fieldColumn + 8; ++col)
      if (s.value({header + 1, col}) == Value(measure))
        for (int row = header + 2; row <= s.usedRange().bottom; ++row)
          if (s.value({row, 2}) == Value(name)) return s.value({row, col});
    return Value("(none)");
  }
};

TEST_F(ProgressTest, RanksOfBothExamsByNameWithinTheClassAndTheStudentsLeftApart) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 3, "上次.xlsx");
  put(analysisSettings(), 13, 6, 1);
  runReport(true, "cmdJinTuiTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("进退步");
  // 语文 now 90 80 70 60 50 40 45: 学生2 (80) ranks 2; before 90 ranks 1.
  EXPECT_EQ(cell(s, "学生2", "语文", "本次名次"), Value(2));
  EXPECT_EQ(cell(s, "学生2", "语文", "上次名次"), Value(1));
  EXPECT_EQ(cell(s, "学生2", "语文", "名次变化"), Value(-1));
  // 学生1: 90 now (1st), 60 before (4th of six): the largest rise.
  EXPECT_EQ(cell(s, "学生1", "语文", "名次变化"), Value(3));
  EXPECT_EQ(cell(s, "学生1", "语文", "标记"), Value("↑"));
  EXPECT_EQ(cell(s, "学生4", "语文", "上次名次"), Value()) << "not in the earlier exam";
  EXPECT_EQ(cell(s, "学生6", "语文", "上次名次"), Value()) << "two namesakes before: never guessed";
  int onlyNow = 0, shared = 0;
  for (int row = 1; row <= s.usedRange().bottom; ++row) {
    onlyNow += s.value({row, 5}) == Value("仅本次考试有");
    shared += s.value({row, 5}) == Value("编号或姓名重复，无法对应");
  }
  EXPECT_EQ(onlyNow, 2) << "学生4 and 学生7";
  EXPECT_EQ(shared, 3) << "学生6 now and both before";
  EXPECT_EQ(data().findModelSheet("进退步")->name(), "进退步");
  EXPECT_FALSE(app.findWorkbook("上次.xlsx")) << "the earlier exam, opened to be read, is closed again";
  // One the teacher has open stays open.
  app.openWorkbook(std::string(kDataFolder) + "上次.xlsx");
  runReport(true, "cmdJinTuiTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  EXPECT_TRUE(app.findWorkbook("上次.xlsx"));
  EXPECT_EQ(cell(report("进退步"), "学生1", "语文", "标记"), Value("↑"));
}

TEST_F(ProgressTest, WithoutPupilRanksNoRankIsWritten) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 3, "上次.xlsx");
  put(analysisSettings(), 13, 7, "是");
  runReport(true, "cmdJinTuiTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("进退步");
  EXPECT_NE(host::toText(s.value({1, 1})).find("（不排名）"), std::string::npos);
  for (int row = 1; row <= s.usedRange().bottom; ++row)
    for (int col = 1; col <= s.usedRange().right; ++col)
      EXPECT_EQ(host::toText(s.value({row, col})).find("本次名次"), std::string::npos) << row << "," << col;
  EXPECT_NE(cell(s, "学生1", "语文", "T分变化"), Value("(none)"));
}

TEST_F(ProgressTest, NoEarlierExamChosenOrNoneThereIsSaid) {
  click("cmdFenXiSZ_Click");
  runReport(true, "cmdJinTuiTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].prompt.find("C13"), std::string::npos);
  put(analysisSettings(), 13, 3, "早已删除.xlsx");
  click("cmdJinTuiTJ_Click");
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_NE(platform.messages[1].prompt.find("数据文件夹里没有 早已删除.xlsx"), std::string::npos);
  EXPECT_EQ(data().findModelSheet("进退步"), nullptr);
}

// Totals (the engine adds them) 188 163 151 124 104 72 and 85 for the one
// absent from 数学; 1班 is the first three.
struct BorderlineReportTest : AnalysisTest {
  BorderlineReportTest() {
    setLine(1, "按分数", {160, 80, 8, 80});
    setLine(2, "按分数", {120, 60, 5, 60});
    setLine(3, "按分数", {80, 45, 2, 40});
  }
  // The list's row of `line` and `name`: the field's score and distance.
  static std::pair<Value, Value> listed(model::Sheet& s, const std::string& line, const std::string& name,
                                        const std::string& field) {
    int header = 0;
    for (int row = 1; row <= s.usedRange().bottom; ++row)
      if (s.value({row, 1}) == Value("分数线")) header = row;
    for (int col = 1; col <= s.usedRange().right; ++col)
      if (s.value({header, col}) == Value(field))
        for (int row = header + 2; row <= s.usedRange().bottom; ++row)
          if (s.value({row, 1}) == Value(line) && s.value({row, 3}) == Value(name))
            return {s.value({row, col}), s.value({row, col + 1})};
    return {Value("(none)"), Value("(none)")};
  }
  // The count under `column` of the class's row in the line's count table.
  static Value counted(model::Sheet& s, const std::string& line, const std::string& cls, int column) {
    int top = 0;
    for (int row = 1; row <= s.usedRange().bottom; ++row)
      if (s.value({row, 1}) == Value(line + " 临界人数")) top = row;
    for (int row = top + 1; top && row <= s.usedRange().bottom; ++row)
      if (s.value({row, 1}) == Value(cls)) return s.value({row, column});
    return Value("(none)");
  }
};

TEST_F(BorderlineReportTest, StudentsNearEachLineByPointsWithTheSubjectsMarginsScaled) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 6, 2);  // the best and last two
  runReport(true, "cmdLinJieTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("临界生");
  EXPECT_EQ(data().activeModelSheet().name(), "临界生") << "the sheet the command is named for is shown";
  // Line 1: total 160 ± 10, 化学 80 ± 5 (10 × 80 / 160).
  EXPECT_EQ(listed(s, "线1", "学生3", "总分"), std::pair(Value(151), Value(-9)));
  EXPECT_EQ(listed(s, "线1", "学生2", "总分"), std::pair(Value(163), Value(3)));
  EXPECT_EQ(listed(s, "线1", "学生2", "化学"), std::pair(Value(75), Value(-5)));
  EXPECT_EQ(listed(s, "线1", "学生2", "语文"), std::pair(Value(80), Value(0))) << "on the line counts above";
  EXPECT_EQ(listed(s, "线1", "学生3", "语文"), std::pair(Value(), Value())) << "70 is ten under 80";
  EXPECT_EQ(listed(s, "线1", "学生1", "总分").first, Value("(none)")) << "188 is far above";
  // Line 3: total 80 ± 10; the student absent from 数学 is in no 数学 list.
  EXPECT_EQ(listed(s, "线3", "学生7", "总分"), std::pair(Value(85), Value(5)));
  EXPECT_EQ(listed(s, "线3", "学生7", "数学"), std::pair(Value(), Value()));
  EXPECT_EQ(counted(s, "线1", "1班", 2), Value(1));  // 总分 线下
  EXPECT_EQ(counted(s, "线1", "1班", 3), Value(1));  // 总分 线上
  EXPECT_EQ(counted(s, "线1", "1班", 8), Value(2));  // 化学 线下: 75 and 75
  EXPECT_EQ(counted(s, "线1", "年级", 8), Value(2));

  // 分层与均衡 beside it: 1班's mean in 语文 and the last two of 2班.
  model::Sheet& b = report("分层与均衡");
  int means = 0;
  for (int row = 1; row <= b.usedRange().bottom; ++row)
    if (b.value({row, 1}) == Value("平均分")) means = row;
  ASSERT_GT(means, 0);
  EXPECT_EQ(b.value({means + 1, 3}), Value("语文"));
  EXPECT_EQ(b.value({means + 2, 1}), Value("1班"));
  EXPECT_DOUBLE_EQ(b.value({means + 2, 3}).number(), 80);
  int layers = 0;
  for (int row = 1; row <= b.usedRange().bottom; ++row)
    if (b.value({row, 1}) == Value("2班")) layers = row;  // the last: the layers
  ASSERT_GT(layers, 0);
  // 前 2 名: 班级 姓名 总分 年级名次, then 后 2 名 the same.
  EXPECT_EQ(b.value({layers, 3}), Value("学生4"));
  EXPECT_EQ(b.value({layers, 5}), Value(4)) << "124 is the grade's fourth";
  EXPECT_EQ(b.value({layers, 7}), Value("学生6"));
  EXPECT_EQ(b.value({layers + 1, 7}), Value("学生7"));
}

TEST_F(BorderlineReportTest, ByPlacesTiesStayTogether) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 4, "按名次");
  put(analysisSettings(), 13, 5, 1);
  runReport(true, "cmdLinJieTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;
  model::Sheet& s = report("临界生");
  // 化学 line 80: the first place under it is 75, held by two.
  EXPECT_EQ(listed(s, "线1", "学生2", "化学"), std::pair(Value(75), Value(-5)));
  EXPECT_EQ(listed(s, "线1", "学生3", "化学"), std::pair(Value(75), Value(-5)));
  EXPECT_EQ(listed(s, "线1", "学生1", "化学"), std::pair(Value(88), Value(8))) << "the last place at or above";
}

TEST_F(BorderlineReportTest, TheTwoLineSettingsCanBeChosenAndMustBeThere) {
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 8, "双线版");
  runReport(true, "cmdLinJieTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].prompt.find("双线版"), std::string::npos);
  EXPECT_EQ(data().findModelSheet("临界生"), nullptr);
}

// With 不排名 every report runs and no sheet that names a pupil holds a
// rank: the scan reads every cell of every sheet tavo wrote.
TEST_F(ProgressTest, WithoutPupilRanksNoSheetThatNamesAPupilHoldsARank) {
  setLine(1, "按分数", {160, 80, 8, 80});
  setLine(2, "按分数", {120, 60, 5, 60});
  setLine(3, "按分数", {80, 45, 2, 40});
  click("cmdFenXiSZ_Click");
  put(analysisSettings(), 13, 3, "上次.xlsx");
  put(analysisSettings(), 13, 7, "是");
  openScores(true);
  for (const char* command : {"cmdSanXianTJ_Click", "cmdDengJiTJ_Click", "cmdJinTuiTJ_Click", "cmdLinJieTJ_Click"})
    click(command);
  click("cmdCJ_Click", "三线版");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.front().prompt;

  std::vector<std::string> naming;
  for (int index = 1; index <= data().sheetCount(); ++index) {
    model::Sheet& s = data().modelSheet(index);
    const std::string name = s.name();
    if (name == "数据表") continue;
    const host::Rect used = s.usedRange();
    bool namesAPupil = false;
    std::vector<std::string> ranks;
    for (int row = 1; row <= used.bottom; ++row)
      for (int col = 1; col <= used.right; ++col) {
        const std::string text = host::toText(s.value({row, col}));
        namesAPupil = namesAPupil || text.starts_with("学生");
        if (text.find("名次") != std::string::npos || text.find("百分等级") != std::string::npos) ranks.push_back(text);
      }
    if (!namesAPupil) continue;
    naming.push_back(name);
    EXPECT_TRUE(ranks.empty()) << name << ": " << (ranks.empty() ? "" : ranks.front());
  }
  std::sort(naming.begin(), naming.end());
  EXPECT_EQ(naming, (std::vector<std::string>{"临界生", "分层与均衡", "成绩表", "标准分与赋分", "进退步"}));
  for (const char* name : {"成绩表", "标准分与赋分", "进退步", "分层与均衡"})
    EXPECT_NE(host::toText(report(name).value({1, 1})).find("（不排名）"), std::string::npos) << name;

  // 成绩表 by class and name: 2班's 学生6 (72) before 学生7 (85).
  model::Sheet& scores = report("成绩表");
  std::vector<std::string> order;
  for (int row = 3; row <= scores.usedRange().bottom; ++row) order.push_back(host::toText(scores.value({row, 1})));
  EXPECT_EQ(order, (std::vector<std::string>{"学生1", "学生2", "学生3", "学生4", "学生5", "学生6", "学生7"}));
}

}  // namespace
}  // namespace tavo::testing
