// The preparation every report shares, seen through the three-line report.
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace tavo::testing {
namespace {

using host::Value;

struct ScoreDataTest : ReportFixture {
  ScoreDataTest() {
    setClasses({{"一部", "1班", Value(), {"周", "张", "李"}}, {"一部", "2班", Value(), {"吴", "王", "赵"}}});
    for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100, 50, 50});
    students = {{"1班", {90, 80}}, {"1班", {40, 30}}, {"2班", {70, 75}}, {"2班", {55, 60}}};
  }
  const model::RecordingPlatform::Message& onlyMessage() {
    EXPECT_EQ(platform.messages.size(), 1u);
    return platform.messages.at(0);
  }
  void expectNothingBesideTheTable() {
    EXPECT_TRUE(dataSheet().value({1, 123}).isEmpty()) << "a copy of the table beside it";
    EXPECT_TRUE(dataSheet().value({2, 123}).isEmpty());
    EXPECT_FALSE(dataSheet().hasFormula({1, 121})) << "a scratch formula";
  }
};

TEST_F(ScoreDataTest, NothingSelectedIsAReminder) {
  runReport(false);
  const auto& m = onlyMessage();
  EXPECT_EQ(m.prompt, "请先选择数据表！");
  EXPECT_EQ(m.title, "提醒");
  EXPECT_EQ(m.style, 0);
}

TEST_F(ScoreDataTest, MissingSettingsSheetDataSheetClassFieldOrClasses) {
  system.deleteSheet(settings);
  runReport();
  EXPECT_EQ(onlyMessage().prompt, "系统工作簿缺少 三线版参数表，请检查！");
  EXPECT_EQ(onlyMessage().title, "警告");
  EXPECT_EQ(onlyMessage().style, 48);
}

TEST_F(ScoreDataTest, NoDataSheetOrNoClassField) {
  runReport();
  platform.messages.clear();
  dataSheet().setName("成绩");
  click("cmdSanXianTJ_Click");
  EXPECT_EQ(onlyMessage().prompt, "成绩数据表的标签名应是 数据表，请检查！");

  platform.messages.clear();
  data().findModelSheet("成绩")->setName("数据表");
  put(dataSheet(), 1, 2, "班");
  click("cmdSanXianTJ_Click");
  EXPECT_EQ(onlyMessage().prompt, "数据表第1行缺少 班级 字段，请检查！");
  expectNothingBesideTheTable();
}

TEST_F(ScoreDataTest, NoClassOfTheSettingsInTheData) {
  for (auto& s : students) s.cls = "9班";
  runReport();
  EXPECT_EQ(onlyMessage().prompt, "数据表缺少三线版中的班级名，请检查！");
  expectNothingBesideTheTable();
  EXPECT_EQ(data().findModelSheet("总分1"), nullptr);
}

TEST_F(ScoreDataTest, TotalColumnNumericTextAbsenceMarksAndRankColumn) {
  students = {{"1班", {"缺考", 80}}, {"1班", {"95", 30}}, {"2班", {70, 75}}, {"2班", {55, 60}}};
  extraHeaders = {"名次"};
  runReport();
  EXPECT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  model::Sheet& d = dataSheet();
  EXPECT_EQ(d.value({1, 6}), Value("总分")) << "appended right of the table, after 名次";
  EXPECT_EQ(d.value({2, 3}), Value("缺考")) << "an absence mark stays";
  EXPECT_EQ(d.value({3, 3}), Value("95")) << "the data sheet keeps what the file holds";
  EXPECT_EQ(d.value({2, 6}), Value(80));
  EXPECT_EQ(d.value({3, 6}), Value(125));
  EXPECT_FALSE(d.hasFormula({3, 6})) << "the total is kept as values";
  EXPECT_EQ(d.value({1, 5}), Value("名次"));
  expectNothingBesideTheTable();

  // 1班: totals 80 and 125; the report's class maximum and the count at or
  // above 100 show the numeric text was counted and the mark was 0.
  model::Sheet& total = report("总分1");
  EXPECT_EQ(total.value({3, 1}), Value("1班"));
  EXPECT_EQ(total.value({3, 3}), Value(125));
  EXPECT_EQ(total.value({3, 5}), Value(1));
  model::Sheet& single = report("单科1");
  EXPECT_EQ(single.value({3, 3}), Value(95)) << "语文 maximum of 1班";
  EXPECT_EQ(single.value({3, 4}), Value(47.5)) << "(95 + 0) / 2";
}

TEST_F(ScoreDataTest, ASubjectTheDataLackIsLeftOut) {
  subjects = {"语文", "数学", "物理"};
  setClasses({{"一部", "1班", Value(), {"周", "张", "李", "孙"}}, {"一部", "2班", Value(), {"吴", "王", "赵", "钱"}}});
  subjects = {"语文", "数学"};  // the data have no 物理
  runReport();
  EXPECT_TRUE(platform.messages.empty());
  model::Sheet& single = report("单科1");
  EXPECT_NE(single.value({1, 1}).text().find("语文统计"), std::string::npos);
  EXPECT_NE(single.value({8, 1}).text().find("数学统计"), std::string::npos);
  EXPECT_TRUE(single.value({15, 1}).isEmpty()) << "no 物理 section";
}

TEST_F(ScoreDataTest, PlannedCountsAndErrorsWriteNothingBesideTheTable) {
  setClasses({{"一部", "1班", 1, {"周", "张", "李"}}, {"一部", "2班", 5, {"吴", "王", "赵"}}});
  runReport();
  model::Sheet& total = report("总分1");
  EXPECT_EQ(total.value({3, 2}), Value(1)) << "a planned 1 of 2";
  EXPECT_EQ(total.value({4, 2}), Value(2)) << "a planned 5 of 2 is the class size";
  EXPECT_EQ(total.value({3, 4}), Value(170)) << "the best one student's total";

  // A line given by score that is no number fails after the table was read.
  platform.messages.clear();
  put(settings, 64, 5, "高");
  click("cmdSanXianTJ_Click");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "错误");
  expectNothingBesideTheTable();
}

TEST_F(ScoreDataTest, AClassHeldAsNumberAndAsTextIsOneClass) {
  setClasses({{"一部", "5", Value(), {"周", "张", "李"}}, {"一部", "6", Value(), {"吴", "王", "赵"}}});
  students = {{"5", {90, 80}}, {"6", {70, 75}}, {"5", {40, 30}}, {"6", {55, 60}}, {"5", {65, 66}}};
  runReport();
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  auto table = [&] { return report("总分1").values({3, 1, 4, 16}); };
  const host::Grid numbers = table();
  EXPECT_EQ(numbers.at(0, 1), Value(3)) << "class 5 has three students";

  // Exports write some of them as text.
  dataSheet().setTextWithRuns({2, 2}, "5", {});
  dataSheet().setTextWithRuns({6, 2}, "5", {});
  click("cmdSanXianTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages.at(0).prompt;
  EXPECT_EQ(table().cells, numbers.cells);
  EXPECT_TRUE(dataSheet().value({2, 2}).isText()) << "the data sheet keeps what the file holds";
}

TEST_F(ScoreDataTest, ATableFillingEveryColumnHasNoRoomForATotal) {
  extraHeaders.assign(host::kMaxCol - 4, "题");
  runReport();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "错误");
  EXPECT_NE(platform.messages[0].prompt.find("总分"), std::string::npos) << platform.messages[0].prompt;
  EXPECT_EQ(dataSheet().value({2, host::kMaxCol}), Value(1)) << "the last column keeps its cells";
  EXPECT_EQ(data().findModelSheet("总分1"), nullptr);
}

}  // namespace
}  // namespace tavo::testing
