// "统计表": line 1 on the left, line 2 right of an empty column, with a sum
// row and, when set, each class's teacher under every count.
#include "host/constants.h"
#include "reports/sheets/cell_text.h"
#include "reports/sheets/chart_plans.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

SheetPlan ChartTableSheetPlan(const ScoreData& data, const LineSettings& s, const ChartStatistics& st) {
  const int fields = static_cast<int>(data.fields.size()), classes = static_cast<int>(data.classes.size());
  const int sumRow = classes + 4;
  const int left[] = {1, fields + 3};  // each table's class column
  SheetPlan plan;
  plan.name = "统计表";
  plan.layoutRow = sheetutil::kChartTable;
  plan.columns = left[1] + fields;
  plan.format(Rect::sheet(), CentredPatch(12, "宋体"));
  plan.textColumns = {left[0], left[1]};

  plan.row(1, RowRole::Title).height = RowHeight{std::nullopt, 30};
  plan.row(2, RowRole::Blank).height = RowHeight{std::nullopt, 0};
  plan.row(3, RowRole::Header).height = RowHeight{std::nullopt, 30};
  for (int c = 0; c < classes; ++c)
    plan.row(4 + c, RowRole::Class, data.classes[static_cast<std::size_t>(c)].name).height =
        RowHeight{std::nullopt, s.teacherScores ? 30.0 : 21.0};
  plan.row(sumRow, RowRole::Subtotal).height = RowHeight{std::nullopt, s.teacherScores ? 30.0 : 21.0};

  for (std::size_t k = 0; k < 2; ++k) {
    const int l = left[k];
    plan.put(3, l, Value("班级"));
    for (int f = 0; f < fields; ++f) {
      const std::size_t field = static_cast<std::size_t>(f);
      plan.put(3, l + f + 1, Value(Lines({data.fields[field].name, host::numberToText(st.lineScores[k][field])})));
      int sum = 0;
      for (int c = 0; c < classes; ++c) {
        const int count = st.counts[k][static_cast<std::size_t>(c)][field];
        sum += count;
        plan.put(4 + c, l + f + 1,
                 s.teacherScores ? Value(Lines({std::to_string(count), st.teachers[static_cast<std::size_t>(c)][field]}))
                                 : Value(count));
      }
      plan.put(sumRow, l + f + 1, Value(sum));
    }
    for (int c = 0; c < classes; ++c) plan.put(4 + c, l, Value(data.classes[static_cast<std::size_t>(c)].name));
    plan.put(sumRow, l, Value("合计"));
  }
  for (int l : left) plan.format({3, l, sumRow, l + fields}, BordersPatch());

  host::FormatPatch title;
  title.fontSize = 16;
  title.bold = true;
  host::FormatPatch right;
  right.horizontalAlignment = host::HorizontalAlignment::Right;
  for (std::size_t k = 0; k < 2; ++k) {
    const int l = left[k], r = l + fields;
    plan.merges.push_back({1, l, 1, r});
    plan.format(Rect::of(Cell{1, l}), title);
    plan.put(1, l, Value(s.lineNames[k] + s.countKinds[k] + "人数统计"));
    plan.format(Rect::of(Cell{2, r}), right);
    if (k == 0) plan.put(1, r + 1, Value("  "));
  }
  if (s.fill)
    for (int l : left) {
      plan.format({3, l, 3, l + fields}, FillPatch(37));
      plan.format({sumRow, l, sumRow, l + fields}, FillPatch(15));
    }
  plan.printTitleRows = "$1:$2";
  return plan;
}

int ChartSourceTop(const ScoreData& data, std::size_t line) {
  return line == 0 ? 1 : static_cast<int>(data.classes.size()) + 3;
}

SheetPlan ChartSourcePlan(const ScoreData& data, const LineSettings& s, const ChartStatistics& st) {
  SheetPlan plan;
  plan.name = "统计图";
  plan.layoutRow = sheetutil::kChart;
  plan.columns = static_cast<int>(data.fields.size()) + 1;
  plan.autoFitThrough = SheetPlan::kNoAutoFit;
  plan.everyRowHeight = RowHeight{std::nullopt, kChartSheetRowHeight};
  host::FormatPatch white;
  white.fontColorIndex = 2;
  plan.format(Rect::sheet(), white);
  plan.textColumns.push_back(1);
  for (std::size_t k = 0; k < 2; ++k) {
    const int top = ChartSourceTop(data, k);
    plan.row(top, RowRole::Header, {}, s.lineNames[k]);
    plan.put(top, 1, Value("班级"));
    for (std::size_t f = 0; f < data.fields.size(); ++f) plan.put(top, static_cast<int>(f) + 2, Value(data.fields[f].name));
    for (std::size_t c = 0; c < data.classes.size(); ++c) {
      const int row = top + 1 + static_cast<int>(c);
      plan.row(row, RowRole::Class, data.classes[c].name, s.lineNames[k]);
      plan.put(row, 1, Value(data.classes[c].name));
      for (std::size_t f = 0; f < data.fields.size(); ++f) plan.put(row, static_cast<int>(f) + 2, Value(st.counts[k][c][f]));
    }
  }
  return plan;
}

}  // namespace tavo::reports
