// The single-subject sheet: a section per subject under its title, a block
// per grade group in each; classes of one teacher form a run with merged
// cells and the teacher's averages, and each run ranks within its section.
#include <algorithm>

#include "host/constants.h"
#include "reports/compute/teacher_runs.h"
#include "reports/sheets/cell_text.h"
#include "reports/sheets/line_blocks.h"
#include "reports/sheets/single_subject_plan.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

namespace {

// Where a single-subject layout puts its derived columns.
struct Columns {
  int teacher, firstAveraged, lastAveraged, firstWeighted, total, rank;
  explicit Columns(const SingleSheetLayout& l)
      : teacher(l.teacherColumn),
        firstAveraged(l.teacherColumn - 1 - static_cast<int>(l.counts.size())),
        lastAveraged(l.teacherColumn - 1),
        firstWeighted(l.teacherColumn + 1),
        total(l.teacherColumn + 1 + static_cast<int>(l.weights.size())),
        rank(total + 1) {}
};

// Merged cells over each teacher run, the teacher's averages of the
// classes' average and counts, and the weighted scores and their total in
// the run's first row only: a rank over the section counts each teacher
// once. The runs' first rows.
std::vector<int> PutTeacherRuns(SheetPlan& plan, const LineBlockRows& rows, const std::vector<TeacherRun>& runs,
                                const Columns& at, const std::vector<double>& weights) {
  std::vector<int> merged{at.teacher};
  for (int col = at.firstAveraged; col <= at.lastAveraged; ++col) merged.push_back(col);
  for (int col = at.firstWeighted; col <= at.rank; ++col) merged.push_back(col);
  const std::string back = std::to_string(at.firstAveraged - 5);
  const std::string toAveraged = std::to_string(at.firstWeighted - at.firstAveraged);
  std::vector<int> weighted;
  for (int col = at.firstWeighted; col < at.total; ++col) weighted.push_back(col);
  const std::string sum = SumInRow(at.total, weighted);
  std::vector<int> starts;
  for (const TeacherRun& run : runs) {
    const int first = rows.firstClass + run.first, last = first + run.size - 1;
    for (int row = first + 1; row <= last; ++row) plan.put(row, at.teacher, {});  // under the merge
    if (run.size > 1)
      for (int col : merged) plan.merges.push_back({first, col, last, col});
    for (int col = at.firstAveraged; col <= at.lastAveraged; ++col)
      plan.formula(Rect::of(Cell{first, col}),
                   "=AVERAGE(RC[-" + back + "]:R[" + std::to_string(run.size - 1) + "]C[-" + back + "])");
    for (std::size_t k = 0; k < weights.size(); ++k)
      plan.formula(Rect::of(Cell{first, at.firstWeighted + static_cast<int>(k)}),
                   "=RC[-" + toAveraged + "]*" + host::numberToText(weights[k]));
    plan.formula(Rect::of(Cell{first, at.total}), sum);
    starts.push_back(first);
  }
  return starts;
}

// One grade group's block of `field`. With teacher ordering each teacher's
// classes follow the first of them, and every second run is grey. The
// runs' first rows.
std::vector<int> PutBlock(SheetPlan& plan, const LineBlockRows& rows, const ScoreData& data, const LineSettings& s,
                          const LineStatistics& st, const GradeGroup& g, std::size_t field,
                          const SingleSheetLayout& layout) {
  const Columns at(layout);
  const std::string& section = data.fields[field].name;
  std::vector<std::string> teachers;
  for (int i = 0; i < g.size; ++i) teachers.push_back(st.teachers[static_cast<std::size_t>(g.firstClass + i)][field]);
  const auto [order, runs] = PlanTeacherRuns(teachers, s.orderByTeacher);

  PutHeaders(plan, rows.header, layout.headers, g.name, section);
  plan.format({rows.header, 1, rows.header, at.rank}, FillPatch(37));
  PutClassRows(plan, rows, data, st, g, field, layout.counts, at.teacher, order, section);
  PutSubtotal(plan, rows, g, static_cast<int>(layout.counts.size()), {}, section);
  plan.format({rows.header, 1, rows.subtotal, at.rank}, BordersPatch());
  if (s.orderByTeacher)
    for (std::size_t r = 1; r < runs.size(); r += 2)
      plan.format({rows.firstClass + runs[r].first, 1, rows.firstClass + runs[r].first + runs[r].size - 1, at.rank},
                  FillPatch(15));
  return PutTeacherRuns(plan, rows, runs, at, layout.weights);
}

}  // namespace

SheetPlan SingleSubjectSheetPlan(const ScoreData& data, const LineSettings& s, const LineStatistics& st,
                                 const SingleSheetLayout& layout) {
  const Columns at(layout);
  SheetPlan plan;
  plan.name = layout.sheetName;
  plan.layoutRow = layout.layoutRow;
  plan.columns = at.rank;
  const int columns = at.rank, counts = static_cast<int>(layout.counts.size());
  const bool grouped = st.groups.size() > 1;
  const RowHeight spacerHeight{std::nullopt, grouped ? 6.0 : 0.0};

  std::vector<host::Rect> groupMerges;  // after every section's own, as hosts list them
  int title = 1;
  for (std::size_t f = 1; f < data.fields.size(); ++f) {
    const std::string& section = data.fields[f].name;
    plan.row(title, RowRole::Title, {}, section).height = RowHeight{LayoutHeight::Title};
    plan.merges.push_back({title, 2, title, columns});
    plan.put(title, 2, host::Value(section + "统计" + kLf + LinesOfTitle(s, st, layout.titleCounts, f, " ")));
    plan.blockTops.push_back(title);

    std::vector<LineBlockRows> blocks;
    std::vector<int> runStarts;
    int header = title + 1;
    for (const GradeGroup& g : st.groups) {
      const LineBlockRows rows(header, g.size);
      for (int row : PutBlock(plan, rows, data, s, st, g, f, layout)) runStarts.push_back(row);
      PutSpacer(plan, rows.spacer, section);
      plan.rows[static_cast<std::size_t>(rows.header - 1)].height = RowHeight{LayoutHeight::Header};
      blocks.push_back(rows);
      header = rows.spacer + 1;
    }
    // The section ends in a second spacer, of the body's height.
    const int end = blocks.back().spacer + 1;
    PutSpacer(plan, end, section);

    // Each run ranks among the section's runs.
    const int firstRanked = blocks.front().firstClass, lastRanked = blocks.back().lastClass();
    const std::string rank = "=RANK(RC[-1],R" + std::to_string(firstRanked) + "C[-1]:R" +
                             std::to_string(lastRanked) + "C[-1])";
    for (int row : runStarts) plan.formula(Rect::of(Cell{row, at.rank}), rank);
    if (grouped) {
      std::vector<int> subtotals;
      for (std::size_t i = 0; i < blocks.size(); ++i) {
        groupMerges.push_back({blocks[i].firstClass, 1, blocks[i].subtotal, 1});
        plan.put(blocks[i].firstClass, 1, host::Value(st.groups[i].name));
        subtotals.push_back(blocks[i].subtotal);
      }
      PutGrandTotal(plan, blocks.back().spacer, subtotals, counts, section);
    }
    // With groups the last block's spacer holds the grand total.
    const std::size_t spacers = grouped ? blocks.size() - 1 : blocks.size();
    for (std::size_t i = 0; i < spacers; ++i)
      plan.rows[static_cast<std::size_t>(blocks[i].spacer - 1)].height = spacerHeight;
    title = end + 1;
  }
  plan.merges.insert(plan.merges.end(), groupMerges.begin(), groupMerges.end());

  plan.format(Rect::sheet(), CentredPatch(11));
  plan.format(Rect::columns(2, 2), NumberFormatPatch("@"));
  for (int col : layout.oneDecimalColumns) plan.format(Rect::columns(col, col), NumberFormatPatch("0.0"));
  for (int col : layout.twoDecimalColumns) plan.format(Rect::columns(col, col), NumberFormatPatch("0.00"));
  for (int top : plan.blockTops) plan.format(Rect::of(Cell{top, 2}), FontSizePatch(14));
  plan.everyRowHeight = RowHeight{LayoutHeight::Body};
  if (!s.fill) {
    host::FormatPatch none;
    none.fill = host::Fill{};
    plan.format({1, 1, plan.lastRow(), columns}, none);
  }

  for (std::size_t k = 0; k < layout.weights.size(); ++k)
    if (layout.weights[k] == 0) plan.hiddenColumns.push_back(at.firstWeighted + static_cast<int>(k));
  if (!s.teacherScores) DropColumns(plan, at.firstWeighted, at.rank);
  if (!grouped) DropColumns(plan, 1, 1);
  plan.keepBlocksOnPages = true;
  return plan;
}

}  // namespace tavo::reports
