// Report sheets as planned, found by row role and key rather than by row
// number, and checked against counts made here from the students' scores;
// and the plan's one structural change, taking out columns.
#include <gtest/gtest.h>

#include <stdexcept>

#include "report_fixture.h"
#include "reports/compute/chart_statistics.h"
#include "reports/compute/field_lines.h"
#include "reports/compute/line_statistics.h"
#include "reports/compute/subject_block_statistics.h"
#include "reports/sheets/band_plan.h"
#include "reports/sheets/chart_plans.h"
#include "reports/sheets/score_sheet_plan.h"
#include "reports/sheets/single_subject_plan.h"
#include "reports/sheets/subject_blocks_plan.h"
#include "reports/sheets/total_score_plan.h"

namespace tavo::testing {
namespace {

using host::Rect;
using host::Value;
using reports::FindRow;
using reports::RowRole;
using reports::SheetPlan;

const Value& At(const SheetPlan& plan, int row, int col) { return plan.values.at(row - 1, col - 1); }

// The formula the plan fills into (row, col), or "" (the last one wins, as on a host).
std::string FormulaAt(const SheetPlan& plan, int row, int col) {
  std::string found;
  for (const auto& f : plan.formulas)
    if (f.area.contains(host::Cell{row, col})) found = f.r1c1;
  return found;
}

bool Merged(const SheetPlan& plan, const Rect& area) {
  for (const Rect& m : plan.merges)
    if (m == area) return true;
  return false;
}

struct SheetPlansTest : ReportFixture {
  reports::LineSettings lines;
  std::optional<reports::ScoreData> data;

  // Students of each class in `classes` order; scores of 语文 and 数学.
  void school(const std::vector<Class>& classes, std::vector<Student> list) {
    setClasses(classes);
    students = std::move(list);
    openScores();
  }
  void prepare(const reports::ReportKind& kind, reports::LineSettings (*read)(const host::Worksheet&)) {
    auto prepared =
        reports::PrepareScoreData(app, dialog, kind, fileName, [&](host::Worksheet& v) { lines = read(v); });
    ASSERT_TRUE(prepared.has_value()) << (platform.messages.empty() ? "" : platform.messages.at(0).prompt);
    data = std::move(prepared->data);
  }
  // Students of `cls` with subject `subject` (0-based) at or above `line`.
  int countAtOrAbove(const std::string& cls, std::size_t subject, double line) const {
    int n = 0;
    for (const Student& s : students) n += s.cls == cls && s.scores[subject].number() >= line;
    return n;
  }
};

Value Score(double x) { return Value(x); }

TEST_F(SheetPlansTest, SingleSubjectSectionsBlocksRunsAndTotalsByRole) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {150, 60 + 10.0 * k, 70 + 10.0 * k});
  school({{"一部", "1班", Value(), {"班1", "甲", "乙"}},
          {"一部", "2班", Value(), {"班2", "丙", "乙"}},
          {"二部", "3班", Value(), {"班3", "丁", "戊"}}},
         {{"1班", {Score(95), Score(88)}}, {"1班", {Score(61), Score(79)}}, {"2班", {Score(72), Score(90)}},
          {"2班", {Score(50), Score(81)}}, {"2班", {Score(80), Score(30)}}, {"3班", {Score(66), Score(92)}}});
  prepare(reports::ThreeLineKind(), &reports::ReadThreeLineSettings);
  const auto st = reports::ComputeLineStatistics(app, *data, lines);
  ASSERT_TRUE(st.has_value());
  const SheetPlan plan = reports::SingleSubjectSheetPlan(*data, lines, *st, reports::ThreeLineSingleLayout(lines));

  const int title = FindRow(plan, RowRole::Title, {}, "数学");
  ASSERT_GT(title, FindRow(plan, RowRole::Title, {}, "语文")) << "sections in the settings' order";
  EXPECT_EQ(At(plan, title, 2).text().rfind("数学统计\n", 0), 0u);
  EXPECT_EQ(FindRow(plan, RowRole::Header, "一部", "数学"), title + 1);

  // The first count column holds line 1's count of each class, counted here.
  for (const char* cls : {"1班", "2班", "3班"}) {
    const int row = FindRow(plan, RowRole::Class, cls, "数学");
    ASSERT_GT(row, title) << cls;
    EXPECT_EQ(At(plan, row, 6), Value(countAtOrAbove(cls, 1, 80))) << cls;
  }
  // 乙 teaches 数学 in 1班 and 2班: one run, merged, named once, ranked once.
  const int first = FindRow(plan, RowRole::Class, "1班", "数学"), second = FindRow(plan, RowRole::Class, "2班", "数学");
  ASSERT_EQ(second, first + 1);
  EXPECT_TRUE(Merged(plan, {first, 13, second, 13}));
  EXPECT_EQ(At(plan, first, 13), Value("乙"));
  EXPECT_TRUE(At(plan, second, 13).isEmpty());
  const int last = FindRow(plan, RowRole::Class, "3班", "数学");
  const std::string rank = "=RANK(RC[-1],R" + std::to_string(first) + "C[-1]:R" + std::to_string(last) + "C[-1])";
  EXPECT_EQ(FormulaAt(plan, first, plan.columns), rank);
  EXPECT_EQ(FormulaAt(plan, second, plan.columns), "") << "a run ranks once";
  EXPECT_EQ(FormulaAt(plan, last, plan.columns), rank);

  // Each group's subtotal sums its own classes; the grand total the subtotals.
  const int sub1 = FindRow(plan, RowRole::Subtotal, "一部", "数学"), sub2 = FindRow(plan, RowRole::Subtotal, "二部", "数学");
  EXPECT_EQ(sub1, second + 1);
  EXPECT_EQ(FormulaAt(plan, sub1, 3), "=SUM(R[-2]C:R[-1]C)");
  EXPECT_EQ(FormulaAt(plan, sub2, 3), "=SUM(R[-1]C:R[-1]C)");
  const int grand = FindRow(plan, RowRole::GrandTotal, {}, "数学");
  EXPECT_EQ(At(plan, grand, 2), Value("共计"));
  EXPECT_EQ(FormulaAt(plan, grand, 6),
            "=SUM(R[" + std::to_string(sub1 - grand) + "]C,R[" + std::to_string(sub2 - grand) + "]C)");
  EXPECT_TRUE(Merged(plan, {first, 1, sub1, 1})) << "the group's name beside its classes";
  EXPECT_EQ(At(plan, first, 1), Value("一部"));
}

TEST_F(SheetPlansTest, TotalSheetOfOneGroupLosesTheGroupAndTeacherScoreColumns) {
  for (int k = 1; k <= 3; ++k) setLine(k, "按分数", {100.0 + 20 * k, 60, 60});
  setRow13({"否", "否", "否", "单上线", "单上线", "单上线", "单上线", 1, 1, 1, 1});
  school({{"", "1班", Value(), {"班1", "甲", "乙"}}, {"", "2班", Value(), {"班2", "丙", "乙"}}},
         {{"1班", {Score(95), Score(88)}}, {"1班", {Score(41), Score(59)}}, {"2班", {Score(72), Score(90)}}});
  prepare(reports::ThreeLineKind(), &reports::ReadThreeLineSettings);
  const auto st = reports::ComputeLineStatistics(app, *data, lines);
  ASSERT_TRUE(st.has_value());
  const auto layout = reports::ThreeLineTotalLayout(lines);
  const SheetPlan plan = reports::TotalScoreSheetPlan(fileName, *data, lines, *st, layout);

  EXPECT_EQ(plan.columns, layout.firstTeacherScoreColumn - 2);
  const int header = FindRow(plan, RowRole::Header);
  EXPECT_EQ(At(plan, header, 1), Value("班级"));
  EXPECT_EQ(At(plan, header, plan.columns), Value("班主任"));
  const int row = FindRow(plan, RowRole::Class, "1班");
  EXPECT_EQ(At(plan, row, 1), Value("1班"));
  // Line 1 of the total is 120; 1班's totals are 183 and 100.
  EXPECT_EQ(At(plan, row, 5), Value(1));
  EXPECT_EQ(FindRow(plan, RowRole::GrandTotal), 0) << "one group has no grand total";
  EXPECT_EQ(At(plan, FindRow(plan, RowRole::Spacer), 1), Value(" "));
  for (const auto& f : plan.formulas) EXPECT_EQ(f.r1c1.find("RANK"), std::string::npos) << "the rank went with the scores";
  EXPECT_TRUE(Merged(plan, {1, 1, 1, plan.columns})) << "the title spans what is left";
  EXPECT_EQ(plan.frozenRows, 2);
}

TEST_F(SheetPlansTest, AssignedScorePointsFollowTheBestClassRow) {
  settings.setName("赋分版");
  for (int c = 2; c <= 12; ++c) put(settings, 13, c, Value());
  setRow13({"否", "否", "是", "单上线", 30, 20, 0, 15, 15});
  setLine(1, "按分数", {100, 60, 60});
  setLine(2, "按分数", {300, 200, 200});
  school({{"", "1班", Value(), {"a", "甲", "x"}}, {"", "2班", Value(), {"b", "乙", "x"}},
          {"", "3班", Value(), {"c", "甲", "x"}}},
         {{"1班", {Score(70), Score(0)}}, {"1班", {Score(50), Score(0)}}, {"2班", {Score(80), Score(0)}},
          {"2班", {Score(65), Score(0)}}, {"3班", {Score(61), Score(0)}}, {"3班", {Score(10), Score(0)}}});
  prepare(reports::AssignedScoreKind(), &reports::ReadSubjectBlocksSettings);
  const auto st = reports::ComputeSubjectBlockStatistics(app, *data, lines);
  ASSERT_TRUE(st.has_value());
  const SheetPlan plan = reports::SubjectBlocksSheetPlan(fileName, {2026, 12, 9}, *data, lines, *st,
                                                         reports::AssignedScoreLayout());

  // 语文's line-1 rates: 1班 50, 2班 100, 3班 50; the points read 2班's row.
  const int best = FindRow(plan, RowRole::Class, "2班", "语文");
  for (const char* cls : {"1班", "2班", "3班"}) {
    const int row = FindRow(plan, RowRole::Class, cls, "语文");
    EXPECT_EQ(FormulaAt(plan, row, 11), "=RC[-1]/R[" + std::to_string(best - row) + "]C[-1]*20") << cls;
  }
  // Nobody reaches line 2: every class gets the full points as a number.
  for (const char* cls : {"1班", "2班", "3班"})
    EXPECT_EQ(At(plan, FindRow(plan, RowRole::Class, cls, "语文"), 17), Value(15)) << cls;
  // 甲 teaches 1班 and 3班: together, the teacher named once.
  EXPECT_EQ(FindRow(plan, RowRole::Class, "3班", "语文"), FindRow(plan, RowRole::Class, "1班", "语文") + 1);
  EXPECT_EQ(At(plan, 2, 4), Value("班级"));
  EXPECT_EQ(plan.textColumns, std::vector<int>{4}) << "class names stay the text they were typed as";
}

TEST_F(SheetPlansTest, BandsWrapSixteenABlockAndCountDownFromTheTotal) {
  setLine(1, "按分数", {100, 60, 60});
  setLine(2, "按分数", {90, 50, 50});
  std::vector<Student> list;
  for (int i = 0; i < 30; ++i) list.push_back({i % 2 ? "2班" : "1班", {Score(5.0 * i), Score(3.0 * i)}});
  school({{"", "1班", Value(), {"a", "b", "c"}}, {"", "2班", Value(), {"d", "e", "f"}}}, list);
  prepare(reports::ScoreBandsKind("三线版"), [](const host::Worksheet& v) { return reports::ReadLines(v, 2); });
  const auto scores = reports::ComputeLineScores(app, *data, lines);
  ASSERT_TRUE(scores.has_value());
  const SheetPlan plan = reports::BandSheetPlan(fileName, *data, reports::CountFieldLines(*data, *scores));

  // The best total is 145 + 87 = 232: bands from (235 230] down to (5 0], 47
  // of them, in blocks of 16, 16 and 15, each with its labels.
  std::vector<int> headers;
  for (int r = 1; r <= plan.lastRow(); ++r)
    if (plan.rows[static_cast<std::size_t>(r - 1)].role == RowRole::Header &&
        plan.rows[static_cast<std::size_t>(r - 1)].section == "总分")
      headers.push_back(r);
  ASSERT_EQ(headers.size(), 3u);
  EXPECT_EQ(At(plan, headers[0], 2), Value("(235\n 230]"));
  EXPECT_EQ(At(plan, headers[1], 2), Value("(155\n 150]"));
  EXPECT_EQ(At(plan, headers[1], 1), Value("总分"));
  EXPECT_TRUE(At(plan, headers[2], 17).isEmpty());
  // The sum row of the first block: students in each band, then after "|"
  // those at or above its lower bound.
  const int sums = headers[0] + 3;
  EXPECT_EQ(plan.rows[static_cast<std::size_t>(sums - 1)].role, RowRole::Subtotal);
  auto atOrAbove = [&](double low) {
    int n = 0;
    for (const Student& s : students) n += s.scores[0].number() + s.scores[1].number() >= low;
    return n;
  };
  EXPECT_EQ(At(plan, sums, 1), Value("合计|累计"));
  EXPECT_EQ(At(plan, sums, 3), Value("0|" + std::to_string(atOrAbove(225))));
  EXPECT_EQ(FindRow(plan, RowRole::Header, {}, "语文"), headers[2] + 5) << "one empty row between tables";
}

TEST_F(SheetPlansTest, ChartTableCountsBothLinesOfEveryClass) {
  settings.setName("图表版");
  for (int c = 2; c <= 12; ++c) put(settings, 13, c, Value());
  setRow13({"否", "是", "否", "单上线", "单上线"});
  setLine(1, "按分数", {150, 80, 80});
  setLine(2, "按分数", {120, 60, 60});
  school({{"", "1班", Value(), {"a", "b", "c"}}, {"", "2班", Value(), {"d", "e", "f"}}},
         {{"1班", {Score(95), Score(88)}}, {"1班", {Score(61), Score(79)}}, {"2班", {Score(72), Score(90)}}});
  prepare(reports::ChartKind(), &reports::ReadChartSettings);
  const auto st = reports::ComputeChartStatistics(app, *data, lines);
  ASSERT_TRUE(st.has_value());
  const SheetPlan plan = reports::ChartTableSheetPlan(*data, lines, *st);
  const int row = FindRow(plan, RowRole::Class, "1班");
  const int second = 2 + static_cast<int>(data->fields.size()) + 1;  // line 2's class column
  EXPECT_EQ(At(plan, row, 1), Value("1班"));
  EXPECT_EQ(At(plan, row, second), Value("1班"));
  EXPECT_EQ(At(plan, row, 3), Value(countAtOrAbove("1班", 0, 80)));           // 语文, line 1
  EXPECT_EQ(At(plan, row, second + 2), Value(countAtOrAbove("1班", 0, 60)));  // 语文, line 2
  EXPECT_EQ(At(plan, FindRow(plan, RowRole::Subtotal), 3), Value(countAtOrAbove("1班", 0, 80) + countAtOrAbove("2班", 0, 80)));
}

TEST_F(SheetPlansTest, ScoreSheetMarksAndPagesFollowTheReportOrder) {
  setLine(1, "按分数", {170, 90, 80});
  setLine(2, "按分数", {140, 70, 60});
  extraHeaders = {"名次"};  // the data's own rank column is left out
  school({{"", "2班", Value(), {"a", "b", "c"}}, {"", "1班", Value(), {"d", "e", "f"}}},
         {{"2班", {Score(95), Score(88)}}, {"1班", {Score(61), Score(79)}}, {"2班", {Score(72), Score(90)}},
          {"1班", {Score(91), Score(40)}}, {"2班", {Score(50), Score(30)}}});
  prepare(reports::ScoreBandsKind("三线版"), [](const host::Worksheet& v) { return reports::ReadLines(v, 2); });
  const auto scores = reports::ComputeLineScores(app, *data, lines);
  ASSERT_TRUE(scores.has_value());
  const auto plan = reports::PlanScoreSheet(fileName, *data, reports::CountFieldLines(*data, *scores));

  // The report order: by class, best total first.
  std::vector<std::string> order;
  for (int s : plan.order) order.push_back(students[static_cast<std::size_t>(s)].cls + std::to_string(s));
  EXPECT_EQ(order, (std::vector<std::string>{"1班1", "1班3", "2班0", "2班2", "2班4"}));
  // 语文 (the second field) by row: 61, 91, 95, 72, 50. At or above 90: one
  // run of two rows; between 70 and 90: one row.
  EXPECT_EQ(plan.marks[1][0], (std::vector<reports::RowRun>{{4, 5}}));
  EXPECT_EQ(plan.marks[1][1], (std::vector<reports::RowRun>{{6, 6}}));
  EXPECT_EQ(plan.frame.pageBreaks, (std::vector<int>{5, 8})) << "above 2班 and below the last";
  // 姓名, 班级, then 总分 with its two ranks, 语文, 数学: the rank column is not copied.
  EXPECT_EQ(plan.copiedColumns, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}));
  EXPECT_EQ(plan.rankColumn[1], plan.scoreColumn[1] + 1);
  EXPECT_EQ(At(plan.frame, 2, plan.scoreColumn[1]), Value("语文\n90\n70"));
  EXPECT_EQ(At(plan.frame, 2, plan.rankColumn[1] + 1), Value("语文\n级\n名次"));
}

// A plan of six columns; column 3 is taken out.
struct DropColumnsTest : ::testing::Test {
  SheetPlan plan;
  void SetUp() override {
    plan.columns = 6;
    plan.row(2, RowRole::Class, "1班");
    for (int c = 1; c <= 6; ++c) plan.put(1, c, Value(c));
  }
};

TEST_F(DropColumnsTest, ReferencesStillNameTheirColumns) {
  plan.formula({2, 5, 2, 5}, "=RC[-4]*2+R1C6");     // reads columns 1 and 6
  plan.formula({2, 2, 2, 2}, "=RC[-1]");             // left of the gap
  reports::DropColumns(plan, 3, 3);
  EXPECT_EQ(plan.columns, 5);
  EXPECT_EQ(At(plan, 1, 3), Value(4));
  EXPECT_EQ(FormulaAt(plan, 2, 4), "=RC[-3]*2+R1C5");
  EXPECT_EQ(FormulaAt(plan, 2, 2), "=RC[-1]");
}

TEST_F(DropColumnsTest, AFormulaSplitsWhereItsTextChangesAndNoneMayReadWhatGoes) {
  plan.formula({3, 2, 3, 4}, "=RC[2]");  // 2 reads 4, 3 (dropped) reads 5, 4 reads 6
  reports::DropColumns(plan, 3, 3);
  ASSERT_EQ(plan.formulas.size(), 2u);
  EXPECT_EQ(plan.formulas[0].area, (Rect{3, 2, 3, 2}));
  EXPECT_EQ(plan.formulas[0].r1c1, "=RC[1]");
  EXPECT_EQ(plan.formulas[1].area, (Rect{3, 3, 3, 3}));
  EXPECT_EQ(plan.formulas[1].r1c1, "=RC[2]");

  SheetPlan reads;
  reads.columns = 4;
  reads.formula({1, 4, 1, 4}, "=SUM(RC[-2],R1C1)");
  EXPECT_THROW(reports::DropColumns(reads, 2, 2), std::logic_error);
}

TEST_F(DropColumnsTest, MergesAndFormatsShrinkOrGo) {
  plan.merges = {{1, 3, 2, 3}, {1, 2, 1, 5}, {2, 4, 2, 6}, {3, 3, 3, 4}};
  plan.format({1, 3, 4, 3}, reports::BoldPatch());
  plan.format(Rect::columns(5, 5), reports::BoldPatch());
  plan.format(Rect::sheet(), reports::BoldPatch());
  plan.hiddenColumns = {3, 6};
  reports::DropColumns(plan, 3, 3);
  EXPECT_EQ(plan.merges, (std::vector<Rect>{{1, 2, 1, 4}, {2, 3, 2, 5}})) << "inside: gone; across: shorter; one cell: gone";
  ASSERT_EQ(plan.formats.size(), 2u);
  EXPECT_EQ(plan.formats[0].area, Rect::columns(4, 4));
  EXPECT_EQ(plan.formats[1].area, Rect::sheet());
  EXPECT_EQ(plan.hiddenColumns, std::vector<int>{5});
}

}  // namespace
}  // namespace tavo::testing
