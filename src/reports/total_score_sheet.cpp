// The total-score sheet: each grade group is built as one block in rows 2..
// of the build area, copied to a staging area from column 51 on, and the
// finished table is cut back to (1, 1), so that every formula keeps its
// relative form.
#include "host/constants.h"
#include "reports/line_report_blocks.h"
#include "reports/sheet_writing.h"
#include "reports/line_report_sheets.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// One grade group's block in rows 2 .. N + 3 of the build area.
void WriteBlock(host::Worksheet& w, const ScoreData& data, const LineSettings& s, const LineStatistics& st,
                const GradeGroup& g, const TotalSheetLayout& layout) {
  const int n = g.size, last = n + 2, columns = static_cast<int>(layout.headers.size());
  WriteClassRows(w, data, st, g, 0, layout.counts, layout.teacherColumn, SettingsOrder(g));
  for (const auto& [col, formula] : layout.formulas) Formula(w, {3, col, last, col}, formula);
  WriteSubtotal(w, n, static_cast<int>(layout.counts.size()), layout.subtotalAverages);
  Borders(w, w.currentRegion({2, 1}));
  if (s.fill) {
    Fill(w, {2, 1, 2, columns}, 37);
    for (int row = 4; row <= last; row += 2) Fill(w, {row, 1, row, columns}, 15);
  }
}

}  // namespace

void WriteTotalScoreSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                          const LineSettings& s, const LineStatistics& st, const TotalSheetLayout& layout) {
  host::Worksheet& store = *data.layoutStore;
  const int row = layout.layoutRow, columns = static_cast<int>(layout.headers.size()), rankColumn = columns;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, layout.sheetName, row);
  for (int c = 0; c < columns; ++c) Put(w, 2, c + 1, layout.headers[static_cast<std::size_t>(c)]);

  int staging = 2;
  for (const GradeGroup& g : st.groups) {
    WriteBlock(w, data, s, st, g, layout);
    staging = StageBlock(w, staging, g.size, columns);
  }
  w.cut(w.currentRegion({1, kStagingColumn}), w, {1, 1});

  CentreAllCells(w);
  NumberFormat(w, Rect::columns(2, 2), "@");
  NumberFormat(w, Rect::columns(5, 5), "0.0");
  for (int col : layout.twoDecimalColumns) NumberFormat(w, Rect::columns(col, col), "0.00");

  const std::string firstLine = FileStem(dataWorkbookName) + "  " + "总分" + "统计";
  const std::string title = firstLine + kLf + LinesOfTitle(s, st, layout.titleCounts, 0, "  ");
  w.merge({1, 2, 1, columns});
  host::FormatPatch titleFont;
  titleFont.fontSize = 16;
  titleFont.fontName = "Arial";
  w.applyFormat(Rect::of(Cell{1, 2}), titleFont);
  Put(w, 1, 2, title);
  const int lineFeed = host::characterCount(firstLine) + 1;
  w.setTextRun({1, 2}, {.start = lineFeed, .length = host::characterCount(title) - lineFeed + 1, .fontSize = 14.0});

  const auto bodyHeight = StoredHeight(store, row, sheetutil::kBodyHeightColumn);
  const auto headerHeight = StoredHeight(store, row, sheetutil::kRow2HeightColumn);
  SetAllRowHeights(w, bodyHeight);
  SetRowHeight(w, 1, StoredHeight(store, row, sheetutil::kRow1HeightColumn));
  SetRowHeight(w, 2, headerHeight);

  const int r = w.currentRegion({1, 1}).bottom;  // the last spacer row
  const std::string rank = "=RANK(RC[-1],R3C[-1]:R" + std::to_string(r - 2) + "C[-1])";
  const bool grouped = st.groups.size() > 1;
  if (grouped) {
    int top = 3;
    std::string sum = "=SUM(";
    for (const GradeGroup& g : st.groups) {
      const int j = top + g.size;
      w.merge({top, 1, j, 1});
      Put(w, top, 1, g.name);
      SetRowHeight(w, top - 1, headerHeight);
      Formula(w, {top, rankColumn, j - 1, rankColumn}, rank);
      sum += "R[" + std::to_string(j - r) + "]C,";
      top = j + 3;
    }
    sum.back() = ')';
    Put(w, r, 2, "共计");
    const int lastCount = 5 + static_cast<int>(layout.counts.size());
    Formula(w, Rect::of(Cell{r, 3}), sum);
    Formula(w, {r, 6, r, lastCount}, sum);
    Bold(w, {r, 6, r, lastCount});
    SetRowHeight(w, r, bodyHeight);
  } else {
    Formula(w, {3, rankColumn, r - 2, rankColumn}, rank);
  }

  w.autoFitColumns(1, columns);
  for (const auto& [col, weight] : layout.weightedColumns)
    if (weight == 0) w.setColumnWidth(col, col, 0);
  if (!s.teacherScores) w.remove(Rect::columns(layout.firstTeacherScoreColumn, columns), host::Shift::Left);
  if (!grouped) w.remove(Rect::columns(1, 1), host::Shift::Left);
  sheetutil::ApplyPageSetup(w, store, row, "$1:$1");
  FreezeRows(app, grouped ? 1 : 2);
}

}  // namespace tavo::reports
