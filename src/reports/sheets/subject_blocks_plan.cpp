#include "reports/sheets/subject_blocks_plan.h"

#include <algorithm>

#include "reports/compute/teacher_runs.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

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

// The students of class `c` at or above each line, single and double:
// line 1 single, double, line 2 single, double.
std::array<int, 4> Counts(const SubjectBlockStatistics& st, std::size_t c, std::size_t field) {
  return {st.single[0][c][field], st.both[0][c][field], st.single[1][c][field], st.both[1][c][field]};
}

void PutBlock(SheetPlan& plan, const ScoreData& data, const SubjectBlockStatistics& st,
              const SubjectBlocksLayout& layout, std::size_t field, const Block& b) {
  const std::string& section = data.fields[field].name;
  plan.merges.push_back({b.top, kField, b.last, kField});
  for (std::size_t i = 0; i < b.order.size(); ++i) {
    const std::size_t c = static_cast<std::size_t>(b.order[i]);
    const int row = b.top + static_cast<int>(i);
    plan.row(row, RowRole::Class, data.classes[c].name, section);
    plan.put(row, kClass, Value(data.classes[c].name));
    plan.put(row, kSize, Value(data.classes[c].studentCount));
    plan.put(row, kMaximum, Value(st.maxima[c][field]));
    plan.put(row, kAverage, Value(st.averages[c][field]));
    const auto counts = Counts(st, c, field);
    for (std::size_t k = 0; k < 4; ++k) plan.put(row, layout.countColumns[k], Value(counts[k]));
    plan.put(row, kTeacher, Value(st.teachers[c][field]));
  }
  plan.put(b.top, kField, Value(section));
  plan.put(b.top, kLine1, Value(st.lineScores[0][field]));
  plan.put(b.top, kLine2, Value(st.lineScores[1][field]));
}

// Each row's points: its value over the block's best (the first of equal
// best values in settings order), times the weight. Rates whose best is 0
// give everybody the full points; averages that are all 0 give nobody any.
// `source` is the value a row's points are made of, by settings position.
void PutPointsOfBest(SheetPlan& plan, int column, bool isRate, double weight, const Block& b,
                     const std::vector<double>& source) {
  int best = 0;
  for (std::size_t p = 1; p < source.size(); ++p)
    if (source[p] > source[static_cast<std::size_t>(best)]) best = static_cast<int>(p);
  if (source[static_cast<std::size_t>(best)] == 0) {
    for (int row = b.top; row <= b.last; ++row) plan.put(row, column, Value(isRate ? weight : 0.0));
    return;
  }
  const int bestRow = b.row(best);
  for (int row = b.top; row <= b.last; ++row)
    plan.formula(Rect::of(Cell{row, column}), "=RC[-1]/R[" + Offset(row, bestRow) + "]C[-1]*" + Number(weight));
}

// A teacher's run shares one average of its totals and one rank.
void PutTeacherRuns(SheetPlan& plan, const Block& b) {
  const std::string rank = "=RANK(RC[-1],R" + std::to_string(b.top) + "C[-1]:R" + std::to_string(b.last) + "C[-1])";
  for (const TeacherRun& run : b.runs) {
    const int first = b.top + run.first, end = first + run.size - 1;
    if (end == first) {
      plan.formula(Rect::of(Cell{first, kTeacherAverage}), "=RC[-1]");
    } else {
      for (int col : {kTeacherAverage, kRank, kTeacher}) plan.merges.push_back({first, col, end, col});
      for (int row = first + 1; row <= end; ++row) plan.put(row, kTeacher, {});
      plan.formula(Rect::of(Cell{first, kTeacherAverage}), "=AVERAGE(RC[-1]:R[" + Offset(first, end) + "]C[-1])");
    }
    // Only the first row of a merged rank shows; the hidden rows stay empty.
    plan.formula(Rect::of(Cell{first, kRank}), rank);
  }
}

std::vector<std::string> FirstHeaders(const std::string& n1, const std::string& n2) {
  return {"学科", Lines({n1, "分"}), Lines({n2, "分"}), "班级", "人数", Lines({"最高", "分"}), Lines({"平均", "分"})};
}

void AppendLastHeaders(std::vector<std::string>& h) {
  for (const std::string& more : {std::string("总分"), Lines({"总分", "平均"}), std::string("名次"), std::string("教师")})
    h.push_back(more);
}

// Counts and rates of both lines, then the five weighted scores.
std::vector<std::string> FourRatesHeaders(const std::string& n1, const std::string& n2) {
  std::vector<std::string> h = FirstHeaders(n1, n2);
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线", "双线"}) {
      h.push_back(Lines({n, kind, "人数"}));
      h.push_back(Lines({n, kind, "率/%"}));
    }
  h.push_back(Lines({"平均", "分", "得分"}));
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线率", "双线率"}) h.push_back(Lines({n, kind, "得分"}));
  AppendLastHeaders(h);
  return h;
}

// Each indicator followed by its points.
std::vector<std::string> AssignedScoreHeaders(const std::string& n1, const std::string& n2) {
  std::vector<std::string> h = FirstHeaders(n1, n2);
  h.push_back(Lines({"平均", "分", "得分"}));
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线", "双线"}) {
      h.push_back(Lines({n, kind, "人数"}));
      h.push_back(Lines({n, kind, "率/%"}));
      h.push_back(Lines({n, std::string(kind) + "率", "得分"}));
    }
  AppendLastHeaders(h);
  return h;
}

const SubjectBlocksLayout kFourRates{"各科3",
                                    sheetutil::kSubjects3,
                                    {8, 10, 12, 14},
                                    {16, 17, 18, 19, 20},
                                    Weighting::Coefficient,
                                    {7, 9, 11, 13, 15},
                                    {16, 17, 18, 19, 20, 21, 22},
                                    &FourRatesHeaders};

const SubjectBlocksLayout kAssignedScore{"各科4",
                                         sheetutil::kSubjects4,
                                         {9, 12, 15, 18},
                                         {8, 11, 14, 17, 20},
                                         Weighting::PointsOfBest,
                                         {7, 8, 10, 11, 13, 14, 16, 17},
                                         {19, 20, 21, 22},
                                         &AssignedScoreHeaders};

std::string Title(const std::string& dataWorkbookName, const host::Date& d) {
  return FileStem(dataWorkbookName) + " 统计  " + std::to_string(d.year) + "." + std::to_string(d.month) + "." +
         std::to_string(d.day);
}

}  // namespace

const SubjectBlocksLayout& FourRatesLayout() { return kFourRates; }
const SubjectBlocksLayout& AssignedScoreLayout() { return kAssignedScore; }

SheetPlan SubjectBlocksSheetPlan(const std::string& dataWorkbookName, const host::Date& today, const ScoreData& data,
                                 const LineSettings& s, const SubjectBlockStatistics& st,
                                 const SubjectBlocksLayout& layout) {
  SheetPlan plan;
  plan.name = layout.sheetName;
  plan.layoutRow = layout.layoutRow;
  plan.columns = kLastColumn;
  plan.row(1, RowRole::Title).height = RowHeight{LayoutHeight::Title};
  plan.row(2, RowRole::Header).height = RowHeight{LayoutHeight::Header};
  const std::vector<std::string> headers = layout.headers(s.lineNames[0], s.lineNames[1]);
  for (int c = 0; c < kLastColumn; ++c) plan.put(2, c + 1, Value(headers[static_cast<std::size_t>(c)]));
  plan.textColumns.push_back(kClass);

  const int classCount = static_cast<int>(data.classes.size());
  const int lastRow = 2 + static_cast<int>(data.fields.size()) * classCount;
  std::vector<Block> blocks;
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    blocks.push_back(PlanBlock(data, st, f, 3 + static_cast<int>(f) * classCount));
    PutBlock(plan, data, st, layout, f, blocks.back());
  }

  auto column = [&](int col) { return Rect{3, col, lastRow, col}; };
  std::array<int, 5> sources{kAverage};
  for (std::size_t k = 0; k < 4; ++k) {
    const int rate = layout.countColumns[k] + 1;
    plan.formula(column(rate), "=RC[-1]/RC[-" + Offset(kSize, rate) + "]*100");
    sources[k + 1] = rate;
  }
  for (std::size_t k = 0; k < 5; ++k) {
    const int col = layout.weightedColumns[k];
    const double weight = s.coefficients[k];
    if (layout.weighting == Weighting::Coefficient) {
      plan.formula(column(col), "=RC[-" + Offset(sources[k], col) + "]*" + Number(weight));
      continue;
    }
    for (std::size_t f = 0; f < blocks.size(); ++f) {
      // What the column left of the points shows: the average, or the rate
      // its formula computes.
      std::vector<double> source;
      for (std::size_t c = 0; c < data.classes.size(); ++c)
        source.push_back(k == 0 ? st.averages[c][f]
                                : Counts(st, c, f)[k - 1] / static_cast<double>(data.classes[c].studentCount) * 100);
      PutPointsOfBest(plan, col, k > 0, weight, blocks[f], source);
    }
  }
  plan.formula(column(kTotal), SumInRow(kTotal, {layout.weightedColumns.begin(), layout.weightedColumns.end()}));

  for (const Block& b : blocks) {
    PutTeacherRuns(plan, b);
    plan.merges.push_back({b.top, kLine1, b.last, kLine1});
    plan.merges.push_back({b.top, kLine2, b.last, kLine2});
  }

  plan.format(Rect::sheet(), CentredPatch(11, "宋体"));
  plan.everyRowHeight = RowHeight{LayoutHeight::Body};
  for (int col : layout.oneDecimalColumns) plan.format(column(col), NumberFormatPatch("0.0"));
  for (int col : layout.twoDecimalColumns) plan.format(column(col), NumberFormatPatch("0.00"));
  plan.format({2, 1, lastRow, kLastColumn}, BordersPatch());
  plan.format({2, 1, 2, kLastColumn}, FillPatch(37));
  for (std::size_t f = 0; f < blocks.size(); f += 2)
    plan.format({blocks[f].top, 1, blocks[f].last, kLastColumn}, FillPatch(15));
  for (std::size_t k = 0; k < 5; ++k)
    if (s.coefficients[k] == 0) plan.hiddenColumns.push_back(layout.weightedColumns[k]);
  if (!s.teacherScores) {
    std::vector<int> gone(layout.weightedColumns.begin(), layout.weightedColumns.end());
    gone.insert(gone.end(), {kTotal, kTeacherAverage, kRank});
    std::sort(gone.rbegin(), gone.rend());
    for (int col : gone) DropColumns(plan, col, col);
  }

  // The title spans the full width whatever was taken out.
  const std::string title = Title(dataWorkbookName, today);
  plan.merges.push_back({1, 1, 1, kLastColumn});
  host::FormatPatch titleFont;
  titleFont.fontSize = 18;
  titleFont.bold = true;
  plan.format(Rect::of(Cell{1, 1}), titleFont);
  plan.put(1, 1, Value(title));
  plan.textRuns.push_back({{1, 1}, {.start = host::characterCount(title) - 9, .length = 10, .fontSize = 12.0}});
  plan.keepBlocksOnPages = true;
  for (const Block& b : blocks) plan.blockTops.push_back(b.top);
  plan.frozenRows = 2;
  return plan;
}

}  // namespace tavo::reports
