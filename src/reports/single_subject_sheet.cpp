// The single-subject sheet: a section per subject, a block per grade group
// in each, built in rows 2.. and copied to the staging area from column 51;
// classes of one teacher form a run with merged cells and the teacher's
// averages.
#include <algorithm>
#include <set>

#include "host/constants.h"
#include "reports/line_report_blocks.h"
#include "reports/sheet_writing.h"
#include "reports/line_report_sheets.h"
#include "reports/teacher_runs.h"
#include "sheetutil/block_pages.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

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
std::vector<int> MarkTeacherRuns(host::Worksheet& w, const std::vector<TeacherRun>& runs, const Columns& at,
                                 const std::vector<double>& weights) {
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
    const int first = 3 + run.first, last = first + run.size - 1;
    for (int col : merged) w.merge({first, col, last, col});
    for (int col = at.firstAveraged; col <= at.lastAveraged; ++col)
      Formula(w, Rect::of(Cell{first, col}),
              "=AVERAGE(RC[-" + back + "]:R[" + std::to_string(run.size - 1) + "]C[-" + back + "])");
    for (std::size_t k = 0; k < weights.size(); ++k)
      Formula(w, Rect::of(Cell{first, at.firstWeighted + static_cast<int>(k)}),
              "=RC[-" + toAveraged + "]*" + host::numberToText(weights[k]));
    Formula(w, Rect::of(Cell{first, at.total}), sum);
    starts.push_back(first);
  }
  return starts;
}

// One grade group's block of `field` in rows 2 .. N + 3 of the build area.
// With teacher ordering each teacher's classes follow the first of them,
// and every second run is grey. Returns the runs' first rows.
std::vector<int> WriteBlock(host::Worksheet& w, const ScoreData& data, const LineSettings& s, const LineStatistics& st,
                            const GradeGroup& g, std::size_t field, const SingleSheetLayout& layout) {
  const Columns at(layout);
  std::vector<std::string> teachers;
  for (int i = 0; i < g.size; ++i) teachers.push_back(st.teachers[static_cast<std::size_t>(g.firstClass + i)][field]);
  const auto [order, runs] = PlanTeacherRuns(teachers, s.orderByTeacher);

  WriteClassRows(w, data, st, g, field, layout.counts, at.teacher, order);
  WriteSubtotal(w, g.size, static_cast<int>(layout.counts.size()));
  Borders(w, {2, 1, g.size + 3, at.rank});
  if (s.orderByTeacher)
    for (std::size_t r = 1; r < runs.size(); r += 2)
      Fill(w, {3 + runs[r].first, 1, 2 + runs[r].first + runs[r].size, at.rank}, 15);
  return MarkTeacherRuns(w, runs, at, layout.weights);
}

// Each run starting in rows from..to gets its rank among rows first..last.
void RankRuns(host::Worksheet& w, const std::vector<int>& runStarts, int column, int from, int to, int first,
              int last) {
  const std::string rank = "=RANK(RC[-1],R" + std::to_string(first) + "C[-1]:R" + std::to_string(last) + "C[-1])";
  for (auto row = std::lower_bound(runStarts.begin(), runStarts.end(), from); row != runStarts.end() && *row <= to; ++row)
    Formula(w, Rect::of(Cell{*row, column}), rank);
}

}  // namespace

void WriteSingleSubjectSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                             const LineSettings& s, const LineStatistics& st, const SingleSheetLayout& layout) {
  const Columns at(layout);
  const int columns = at.rank, layoutRow = layout.layoutRow;
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, layout.sheetName, layoutRow);
  for (int c = 0; c < columns; ++c) Put(w, 2, c + 1, layout.headers[static_cast<std::size_t>(c)]);
  Fill(w, {2, 1, 2, columns}, 37);

  int staging = 2;
  std::vector<int> runStarts;  // rows of the finished sheet
  for (std::size_t f = 1; f < data.fields.size(); ++f) {
    w.merge({staging - 1, kStagingColumn + 1, staging - 1, kStagingColumn + columns - 1});
    Put(w, staging - 1, kStagingColumn + 1,
        data.fields[f].name + "统计" + kLf + LinesOfTitle(s, st, layout.titleCounts, f, " "));
    for (const GradeGroup& g : st.groups) {
      for (int row : WriteBlock(w, data, s, st, g, f, layout)) runStarts.push_back(staging + row - 2);
      staging = StageBlock(w, staging, g.size, columns);
    }
    Put(w, staging, kStagingColumn + 1, " ");
    staging += 2;
  }
  w.cut(w.currentRegion({1, kStagingColumn}), w, {1, 1});

  CentreAllCells(w);
  NumberFormat(w, Rect::columns(2, 2), "@");
  for (int col : layout.oneDecimalColumns) NumberFormat(w, Rect::columns(col, col), "0.0");
  for (int col : layout.twoDecimalColumns) NumberFormat(w, Rect::columns(col, col), "0.00");

  const int n = static_cast<int>(data.classes.size());
  const int groups = static_cast<int>(st.groups.size());
  const int sections = static_cast<int>(data.fields.size()) - 1;
  std::set<int> titles{1}, headers{2}, spacers{st.groups.front().size + 4};
  if (groups == 1) {
    int t = 1;
    for (int i = 0; i < sections; ++i) {
      FontSize(w, Rect::of(Cell{t, 2}), 14);
      titles.insert(t);
      headers.insert(t + 1);
      spacers.insert(t + n + 3);
      RankRuns(w, runStarts, at.rank, t + 2, t + n + 1, t + 2, t + n + 1);
      t += n + 5;
    }
  } else {
    std::string sum = "=SUM(";
    const int b = n + 3 * groups + 1;
    int x = 3;
    for (const GradeGroup& g : st.groups) {
      x += g.size;
      sum += "R[" + std::to_string(x - b) + "]C,";
      x += 3;
    }
    sum.back() = ')';
    int f = 3;
    for (int i = 0; i < sections; ++i) {
      const int e = f + n + 3 * groups - 4;
      FontSize(w, Rect::of(Cell{f - 2, 2}), 14);
      titles.insert(f - 2);
      int a = f, j = f;
      for (int gi = 0; gi < groups; ++gi) {
        const GradeGroup& g = st.groups[static_cast<std::size_t>(gi)];
        j = a + g.size;
        headers.insert(a - 1);
        if (gi + 1 < groups) spacers.insert(j + 1);
        w.merge({a, 1, j, 1});
        Put(w, a, 1, g.name);
        RankRuns(w, runStarts, at.rank, a, j - 1, f, e);
        a = j + 3;
      }
      Put(w, j + 1, 2, "共计");
      const int lastCount = 5 + static_cast<int>(layout.counts.size());
      Formula(w, Rect::of(Cell{j + 1, 3}), sum);
      Formula(w, {j + 1, 6, j + 1, lastCount}, sum);
      Bold(w, {j + 1, 6, j + 1, lastCount});
      f = j + 5;
    }
  }

  SetAllRowHeights(w, StoredHeight(store, layoutRow, sheetutil::kBodyHeightColumn));
  const auto titleHeight = StoredHeight(store, layoutRow, sheetutil::kRow1HeightColumn);
  const auto headerHeight = StoredHeight(store, layoutRow, sheetutil::kRow2HeightColumn);
  for (int row : titles) SetRowHeight(w, row, titleHeight);
  for (int row : headers) SetRowHeight(w, row, headerHeight);
  for (int row : spacers) SetRowHeight(w, row, groups == 1 ? 0.0 : 6.0);

  if (!s.fill) {
    host::FormatPatch none;
    none.fillColorIndex = host::xl::kNone;
    w.applyFormat(w.currentRegion({1, 1}), none);
  }
  w.autoFitColumns(1, columns);
  for (std::size_t k = 0; k < layout.weights.size(); ++k)
    if (layout.weights[k] == 0) w.setColumnWidth(at.firstWeighted + static_cast<int>(k), at.firstWeighted + static_cast<int>(k), 0);
  if (!s.teacherScores) w.remove(Rect::columns(at.firstWeighted, at.rank), host::Shift::Left);
  if (groups == 1) w.remove(Rect::columns(1, 1), host::Shift::Left);
  sheetutil::ApplyPageSetup(w, store, layoutRow, "");
  sheetutil::KeepBlocksOnPages(w, {titles.begin(), titles.end()}, w.usedRange().bottom);
}

}  // namespace tavo::reports
