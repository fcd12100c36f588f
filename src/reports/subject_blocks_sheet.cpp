#include "reports/subject_blocks_sheet.h"

#include <algorithm>

#include "host/constants.h"
#include "reports/sheet_writing.h"
#include "reports/teacher_runs.h"
#include "sheetutil/block_pages.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

enum Column : int {
  kField = 1, kLine1 = 2, kLine2 = 3, kClass = 4, kSize = 5, kMaximum = 6, kAverage = 7,
  kTotal = 21, kTeacherAverage = 22, kRank = 23, kTeacher = 24, kLastColumn = 24
};

std::string Offset(int from, int to) { return std::to_string(to - from); }
std::string Number(double x) { return host::numberToText(x); }

// A block's classes: `order` gives the settings position of each row.
struct Block {
  int top, last;
  std::vector<int> order;
  std::vector<TeacherRun> runs;
  int row(int settingsPosition) const {
    for (std::size_t i = 0; i < order.size(); ++i)
      if (order[i] == settingsPosition) return top + static_cast<int>(i);
    return 0;
  }
};

// Each teacher's classes follow the first of them, in settings order.
Block PlanBlock(const ScoreData& data, const SubjectBlockStatistics& st, std::size_t field, int top) {
  std::vector<std::string> teachers;
  for (std::size_t c = 0; c < data.classes.size(); ++c) teachers.push_back(st.teachers[c][field]);
  TeacherPlan plan = PlanTeacherRuns(teachers, true);
  return {top, top + static_cast<int>(data.classes.size()) - 1, std::move(plan.order), std::move(plan.runs)};
}

// The class rows of one block in one write, with the field and its lines.
void WriteBlock(host::Worksheet& w, const ScoreData& data, const SubjectBlockStatistics& st,
                const SubjectBlocksLayout& layout, std::size_t field, const Block& b) {
  w.merge({b.top, kField, b.last, kField});
  Put(w, b.top, kField, data.fields[field].name);
  Put(w, b.top, kLine1, st.lineScores[0][field]);
  Put(w, b.top, kLine2, st.lineScores[1][field]);
  host::Grid rows(static_cast<int>(b.order.size()), kTeacher - kClass + 1);
  auto at = [&](int i, int column) -> Value& { return rows.at(i, column - kClass); };
  for (int i = 0; i < rows.rows; ++i) {
    const std::size_t c = static_cast<std::size_t>(b.order[static_cast<std::size_t>(i)]);
    at(i, kClass) = Value(data.classes[c].name);
    at(i, kSize) = Value(data.classes[c].studentCount);
    at(i, kMaximum) = Value(st.maxima[c][field]);
    at(i, kAverage) = Value(st.averages[c][field]);
    const int counts[] = {st.single[0][c][field], st.both[0][c][field], st.single[1][c][field], st.both[1][c][field]};
    for (int k = 0; k < 4; ++k) at(i, layout.countColumns[static_cast<std::size_t>(k)]) = Value(counts[k]);
    at(i, kTeacher) = Value(st.teachers[c][field]);
  }
  w.setValues({b.top, kClass}, rows);
}

// Each row's points: its value over the block's best (the first of equal
// best values in settings order), times the weight. Rates whose best is 0
// give everybody the full points; averages that are all 0 give nobody any.
void WritePointsOfBest(host::Worksheet& w, int column, bool isRate, double weight, const Block& b) {
  const host::Grid source = w.values({b.top, column - 1, b.last, column - 1});
  auto value = [&](int settingsPosition) { return host::toNumber(source.at(b.row(settingsPosition) - b.top, 0)); };
  int best = 0;
  for (int p = 1; p < source.rows; ++p)
    if (value(p) > value(best)) best = p;
  if (value(best) == 0) {
    w.setValue({b.top, column, b.last, column}, Value(isRate ? weight : 0.0));
    return;
  }
  const int bestRow = b.row(best);
  for (int row = b.top; row <= b.last; ++row)
    Formula(w, Rect::of(Cell{row, column}), "=RC[-1]/R[" + Offset(row, bestRow) + "]C[-1]*" + Number(weight));
}

// A teacher's run shares one average of its totals and one rank.
void WriteTeacherRuns(host::Worksheet& w, const Block& b) {
  const std::string rank = "=RANK(RC[-1],R" + std::to_string(b.top) + "C[-1]:R" + std::to_string(b.last) + "C[-1])";
  for (const TeacherRun& run : b.runs) {
    const int first = b.top + run.first, end = first + run.size - 1;
    if (end == first) {
      Formula(w, Rect::of(Cell{first, kTeacherAverage}), "=RC[-1]");
    } else {
      for (int col : {kTeacherAverage, kRank, kTeacher}) w.merge({first, col, end, col});
      Formula(w, Rect::of(Cell{first, kTeacherAverage}), "=AVERAGE(RC[-1]:R[" + Offset(first, end) + "]C[-1])");
    }
    // Only the first row of a merged rank shows; the hidden rows stay empty.
    Formula(w, Rect::of(Cell{first, kRank}), rank);
  }
}

std::string Title(const std::string& dataWorkbookName, const host::Date& d) {
  return FileStem(dataWorkbookName) + " 统计  " + std::to_string(d.year) + "." + std::to_string(d.month) + "." +
         std::to_string(d.day);
}

}  // namespace

std::optional<SubjectBlockStatistics> ComputeSubjectBlockStatistics(host::Application& app, const ScoreData& data,
                                                                     const LineSettings& settings) {
  auto basics = ComputeLineBasics(app, data, settings);
  if (!basics) return std::nullopt;
  SubjectBlockStatistics st;
  static_cast<LineBasics&>(st) = std::move(*basics);
  for (std::size_t k = 0; k < 2; ++k) st.both[k] = DoubleCounts(data, st.lineScores[k]);
  for (std::size_t k = 0; k < 2; ++k) st.single[k] = SingleCounts(data, st.lineScores[k]);
  return st;
}

void WriteSubjectBlocksSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                             const LineSettings& s, const SubjectBlockStatistics& st, const SubjectBlocksLayout& layout) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, layout.sheetName, layout.layoutRow);
  const std::vector<std::string> headers = layout.headers(s.lineNames[0], s.lineNames[1]);
  for (int c = 0; c < kLastColumn; ++c) Put(w, 2, c + 1, headers[static_cast<std::size_t>(c)]);
  NumberFormat(w, Rect::columns(kClass, kClass), host::kTextFormat);

  const int classCount = static_cast<int>(data.classes.size());
  const int lastRow = 2 + static_cast<int>(data.fields.size()) * classCount;
  auto blockTop = [&](std::size_t field) { return 3 + static_cast<int>(field) * classCount; };
  std::vector<Block> blocks;
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    blocks.push_back(PlanBlock(data, st, f, blockTop(f)));
    WriteBlock(w, data, st, layout, f, blocks.back());
  }

  auto column = [&](int col) { return Rect{3, col, lastRow, col}; };
  std::array<int, 5> sources{kAverage};
  for (std::size_t k = 0; k < 4; ++k) {
    const int rate = layout.countColumns[k] + 1;
    Formula(w, column(rate), "=RC[-1]/RC[-" + Offset(kSize, rate) + "]*100");
    sources[k + 1] = rate;
  }
  for (std::size_t k = 0; k < 5; ++k) {
    const int col = layout.weightedColumns[k];
    const double weight = s.coefficients[k];
    if (layout.weighting == Weighting::Coefficient) {
      Formula(w, column(col), "=RC[-" + Offset(sources[k], col) + "]*" + Number(weight));
    } else {
      for (const Block& b : blocks) WritePointsOfBest(w, col, k > 0, weight, b);
    }
  }
  Formula(w, column(kTotal), SumInRow(kTotal, {layout.weightedColumns.begin(), layout.weightedColumns.end()}));

  for (const Block& b : blocks) {
    WriteTeacherRuns(w, b);
    w.merge({b.top, kLine1, b.last, kLine1});
    w.merge({b.top, kLine2, b.last, kLine2});
  }

  CentreAllCells(w, 11, "宋体");
  SetAllRowHeights(w, StoredHeight(store, layout.layoutRow, sheetutil::kBodyHeightColumn));
  SetRowHeight(w, 1, StoredHeight(store, layout.layoutRow, sheetutil::kRow1HeightColumn));
  SetRowHeight(w, 2, StoredHeight(store, layout.layoutRow, sheetutil::kRow2HeightColumn));
  for (int col : layout.oneDecimalColumns) NumberFormat(w, column(col), "0.0");
  for (int col : layout.twoDecimalColumns) NumberFormat(w, column(col), "0.00");
  Borders(w, w.currentRegion({2, 1}));
  w.autoFitColumns(1, kLastColumn);
  Fill(w, {2, 1, 2, kLastColumn}, 37);
  for (std::size_t f = 0; f < data.fields.size(); f += 2)
    Fill(w, {blockTop(f), 1, blockTop(f) + classCount - 1, kLastColumn}, 15);

  for (std::size_t k = 0; k < 5; ++k)
    if (s.coefficients[k] == 0) w.setColumnWidth(layout.weightedColumns[k], layout.weightedColumns[k], 0);
  if (!s.teacherScores) {
    std::vector<int> gone(layout.weightedColumns.begin(), layout.weightedColumns.end());
    gone.insert(gone.end(), {kTotal, kTeacherAverage, kRank});
    std::sort(gone.rbegin(), gone.rend());
    for (int col : gone) w.remove(Rect::columns(col, col), host::Shift::Left);
  }

  const std::string title = Title(dataWorkbookName, app.platform().today());
  w.merge({1, 1, 1, kLastColumn});
  host::FormatPatch titleFont;
  titleFont.fontSize = 18;
  titleFont.bold = true;
  w.applyFormat(Rect::of(Cell{1, 1}), titleFont);
  Put(w, 1, 1, title);
  const int length = host::characterCount(title);
  w.setTextRun({1, 1}, {.start = length - 9, .length = 10, .fontSize = 12.0});
  sheetutil::ApplyPageSetup(w, store, layout.layoutRow, "");
  std::vector<int> blockTops;
  for (std::size_t f = 0; f < data.fields.size(); ++f) blockTops.push_back(blockTop(f));
  sheetutil::KeepBlocksOnPages(w, blockTops, lastRow);
  FreezeRows(app, 2);
}

}  // namespace tavo::reports
