// "统计表": the chart report's counts as two tables side by side, line 1
// on the left, line 2 right of an empty column, with a sum row and, when
// set, each class's teacher under every count.
#include "host/constants.h"
#include "reports/chart_sheets.h"
#include "reports/sheet_writing.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

void WriteChartTableSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                          const LineSettings& s, const ChartStatistics& st) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "统计表", sheetutil::kChartTable);
  const int fields = static_cast<int>(data.fields.size()), classes = static_cast<int>(data.classes.size());
  const int sumRow = classes + 4;
  const int left[] = {1, fields + 3};  // each table's class column
  CentreAllCells(w, 12, "宋体");
  for (int col : left) NumberFormat(w, Rect::columns(col, col), host::kTextFormat);

  for (std::size_t k = 0; k < 2; ++k) {
    const int l = left[k];
    Put(w, 3, l, "班级");
    for (int f = 0; f < fields; ++f)
      Put(w, 3, l + f + 1,
          Lines({data.fields[static_cast<std::size_t>(f)].name, host::numberToText(st.lineScores[k][static_cast<std::size_t>(f)])}));
    for (int c = 0; c < classes; ++c) Put(w, 4 + c, l, data.classes[static_cast<std::size_t>(c)].name);
    Put(w, sumRow, l, "合计");
  }

  w.setRowHeight(1, 1, 30);
  const Rect table = w.currentRegion({3, 1});
  w.setRowHeight(table.top, table.bottom, s.teacherScores ? 30 : 21);
  w.setRowHeight(3, 3, 30);
  for (int l : left) Borders(w, w.currentRegion({3, l}));

  for (std::size_t k = 0; k < 2; ++k)
    for (int f = 0; f < fields; ++f) {
      const std::size_t field = static_cast<std::size_t>(f);
      int sum = 0;
      for (int c = 0; c < classes; ++c) {
        const int count = st.counts[k][static_cast<std::size_t>(c)][field];
        sum += count;
        const Value shown = s.teacherScores ? Value(Lines({std::to_string(count), st.teachers[static_cast<std::size_t>(c)][field]}))
                                            : Value(count);
        Put(w, 4 + c, left[k] + f + 1, shown);
      }
      Put(w, sumRow, left[k] + f + 1, sum);
    }

  host::FormatPatch title;
  title.fontSize = 16;
  title.bold = true;
  host::FormatPatch right;
  right.horizontalAlignment = host::xl::kRight;
  for (std::size_t k = 0; k < 2; ++k) {
    const int l = left[k], r = l + fields;
    w.merge({1, l, 1, r});
    w.applyFormat(Rect::of(Cell{1, l}), title);
    Put(w, 1, l, s.lineNames[k] + s.countKinds[k] + "人数统计");
    w.applyFormat(Rect::of(Cell{2, r}), right);
    if (k == 0) Put(w, 1, r + 1, "  ");
  }
  if (s.fill)
    for (int l : left) {
      Fill(w, {3, l, 3, l + fields}, 37);
      Fill(w, {sumRow, l, sumRow, l + fields}, 15);
    }

  w.setRowHeight(2, 2, 0);
  w.autoFitColumns(1, left[1] + fields);
  sheetutil::ApplyPageSetup(w, store, sheetutil::kChartTable, "$1:$2");
}

}  // namespace tavo::reports
