#include "reports/sheets/score_sheet_plan.h"

#include <algorithm>

#include "host/constants.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// The rows of the students whose score meets `marked`, as runs.
template <class Marked>
std::vector<RowRun> MarkedRuns(const std::vector<int>& order, const std::vector<double>& scores, Marked marked) {
  std::vector<RowRun> runs;
  for (std::size_t p = 0; p < order.size(); ++p) {
    const double score = scores[static_cast<std::size_t>(order[p])];
    if (IsBlank(score) || !marked(score)) continue;
    const int row = kScoreSheetFirstStudentRow + static_cast<int>(p);
    if (!runs.empty() && runs.back().last == row - 1) runs.back().last = row;
    else runs.push_back({row, row});
  }
  return runs;
}

// A data column of pupils' ranks, which a report without ranks leaves out.
bool IsRankHeader(const host::Value& header) {
  const std::string text = host::toText(header);
  return text.find("名次") != std::string::npos || text.find("排名") != std::string::npos;
}

}  // namespace

ScoreSheetPlan PlanScoreSheet(const std::string& dataWorkbookName, const ScoreData& data,
                              const std::vector<FieldLines>& lines, bool noRanks) {
  const ScoreTable& t = data.table;
  ScoreSheetPlan plan;
  plan.order = t.order;

  // Where each column of the table goes (0: nowhere; the data's rank column
  // is left out), two columns left free right of each field for its ranks.
  const int rankColumn = FindHeader(t.header, kRankField);
  const int ranksPerField = noRanks ? 0 : 2;
  auto isField = [&](int c) {
    return std::any_of(data.fields.begin(), data.fields.end(), [&](const Field& f) { return f.column == c; });
  };
  std::vector<int> sheetColumn(static_cast<std::size_t>(t.columns()), 0);
  int next = 1;
  for (int c = 0; c < t.columns(); ++c) {
    if (c == rankColumn) continue;
    if (noRanks && !isField(c) && c != data.classColumn && IsRankHeader(t.header[static_cast<std::size_t>(c)]))
      continue;
    sheetColumn[static_cast<std::size_t>(c)] = next++;
    for (const Field& f : data.fields) next += f.column == c ? ranksPerField : 0;
  }
  const int columns = next - 1;
  for (int c = 0; c < t.columns(); ++c) {
    if (sheetColumn[static_cast<std::size_t>(c)] && !isField(c))
      plan.copiedColumns.emplace_back(c, sheetColumn[static_cast<std::size_t>(c)]);
  }
  plan.classColumn = sheetColumn[static_cast<std::size_t>(data.classColumn)];

  SheetPlan& frame = plan.frame;
  frame.name = "成绩表";
  frame.layoutRow = sheetutil::kScoreSheet;
  frame.columns = columns;
  frame.row(1, RowRole::Title).height = RowHeight{LayoutHeight::Title};
  frame.row(2, RowRole::Header).height = RowHeight{LayoutHeight::Header};
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const int column = sheetColumn[static_cast<std::size_t>(data.fields[f].column)];
    // A field the settings name twice: the later one's ranks stand nearer.
    int later = 0;
    for (std::size_t g = f + 1; g < data.fields.size(); ++g) later += data.fields[g].column == data.fields[f].column;
    plan.scoreColumn.push_back(column);
    if (noRanks) continue;
    plan.rankColumn.push_back(column + 1 + 2 * later);
    frame.put(2, plan.rankColumn.back(), Value(Lines({data.fields[f].name, "班", "名次"})));
    frame.put(2, plan.rankColumn.back() + 1, Value(Lines({data.fields[f].name, "级", "名次"})));
  }
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    frame.put(2, plan.scoreColumn[f],
              Value(Lines({data.fields[f].name, host::numberToText(lines[f].line1), host::numberToText(lines[f].line2)})));

  // Line 1's marks, then those between the lines; a field named twice marks
  // its column twice, the later over the earlier.
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const double line1 = lines[f].line1, line2 = lines[f].line2;
    plan.marks.push_back({MarkedRuns(t.order, data.scores(f), [&](double s) { return s >= line1; }),
                          MarkedRuns(t.order, data.scores(f), [&](double s) { return s >= line2 && s < line1; })});
  }

  // A printed page per class: a break wherever the class changes, and below
  // the last student.
  static const Value kBelowTheLast;
  auto classAt = [&](std::size_t position) -> const Value& {
    return position < t.order.size() ? t.classKey(static_cast<std::size_t>(t.order[position])) : kBelowTheLast;
  };
  for (std::size_t p = 1; p <= t.order.size(); ++p)
    if (!(classAt(p) == classAt(p - 1))) frame.pageBreaks.push_back(static_cast<int>(p) + kScoreSheetFirstStudentRow);

  const int lastRow = kScoreSheetFirstStudentRow - 1 + t.students();
  frame.format({2, 1, lastRow, columns}, BordersPatch());
  frame.format(Rect::sheet(), FontSizePatch(11));
  frame.format(Rect::rows(2, 2), FontSizePatch(10));
  host::FormatPatch align;
  align.verticalAlignment = host::VerticalAlignment::Center;
  align.horizontalAlignment = host::HorizontalAlignment::Left;
  frame.format(Rect::sheet(), align);
  frame.autoFitThrough = host::kMaxCol;
  frame.merges.push_back({1, 1, 1, columns});
  host::FormatPatch centred;
  centred.horizontalAlignment = host::HorizontalAlignment::Center;
  frame.format(Rect::rows(1, 2), centred);
  host::FormatPatch title;
  title.fontSize = 16;
  title.bold = true;
  frame.format(Rect::of(Cell{1, 1}), title);
  frame.put(1, 1, Value(FileStem(dataWorkbookName) + (noRanks ? "（不排名）" : "")));
  frame.everyRowHeight = RowHeight{LayoutHeight::Body};
  frame.frozenRows = 2;
  return plan;
}

}  // namespace tavo::reports
