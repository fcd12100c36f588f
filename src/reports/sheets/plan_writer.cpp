#include "reports/sheets/plan_writer.h"

#include <algorithm>

#include "host/constants.h"
#include "sheetutil/block_pages.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

namespace {

// A height of the layout store, when the store holds one.
std::optional<double> Stored(const host::Worksheet& store, int layoutRow, LayoutHeight which) {
  const int column = which == LayoutHeight::Title    ? sheetutil::kRow1HeightColumn
                     : which == LayoutHeight::Header ? sheetutil::kRow2HeightColumn
                                                     : sheetutil::kBodyHeightColumn;
  host::Value v = store.value({layoutRow, column});
  if (v.isNumber()) return v.number();
  if (v.isText()) return host::parseDecimal(v.text());
  return std::nullopt;  // an empty store leaves the host's height
}

std::optional<double> Points(const host::Worksheet& store, int layoutRow, const RowHeight& h) {
  return h.stored ? Stored(store, layoutRow, *h.stored) : std::optional<double>(h.points);
}

}  // namespace

void WritePlanCells(host::Worksheet& w, const host::Worksheet& store, const SheetPlan& plan) {
  WritePlanValues(w, plan);
  WritePlanLayout(w, store, plan);
}

void WritePlanValues(host::Worksheet& w, const SheetPlan& plan) {
  for (const SheetPlan::ColumnWidth& c : plan.widths) w.setColumnWidth(c.first, c.last, c.width);
  for (int col : plan.textColumns) {
    host::FormatPatch text;
    text.numberFormat = host::kTextFormat;
    w.applyFormat(host::Rect::columns(col, col), text);
  }
  if (plan.values.rows > 0 && plan.values.cols > 0) w.setValues({1, 1}, plan.values);
  for (const PlanFormula& f : plan.formulas) w.setFormulaR1C1(f.area, f.r1c1);
}

void WritePlanLayout(host::Worksheet& w, const host::Worksheet& store, const SheetPlan& plan) {
  for (const host::Rect& m : plan.merges) w.merge(m);
  for (const PlanFormat& f : plan.formats) w.applyFormat(f.area, f.patch);
  for (const PlanTextRun& t : plan.textRuns) w.setTextRun(t.at, t.run);

  if (plan.everyRowHeight)
    if (auto h = Points(store, plan.layoutRow, *plan.everyRowHeight)) w.setRowHeight(1, host::kMaxRow, *h);
  for (int row = 1; row <= plan.lastRow(); ++row)
    if (const auto& height = plan.rows[static_cast<std::size_t>(row - 1)].height)
      if (auto h = Points(store, plan.layoutRow, *height)) w.setRowHeight(row, row, *h);

  if (const int last = plan.autoFitThrough ? plan.autoFitThrough : plan.columns;
      plan.autoFitThrough != SheetPlan::kNoAutoFit && last > 0)
    w.autoFitColumns(1, last);
  for (int col : plan.hiddenColumns) w.setColumnWidth(col, col, 0);
  for (int row : plan.pageBreaks) w.addPageBreakAbove(row);
}

host::Worksheet& RecreateReportSheet(host::Application& app, const ReportPlace& place, const SheetPlan& plan) {
  return sheetutil::RecreateReportSheet(app, place.dataWorkbookName, *place.layoutStore, *place.dataSheet, plan.name,
                                        plan.layoutRow);
}

host::Worksheet& WriteReportSheet(host::Application& app, const ReportPlace& place, const SheetPlan& plan) {
  host::Worksheet& w = RecreateReportSheet(app, place, plan);
  WritePlanCells(w, *place.layoutStore, plan);
  FinishReportSheet(app, w, *place.layoutStore, plan);
  return w;
}

host::Worksheet& WriteSheetWithRows(host::Application& app, const ReportPlace& place, const SheetPlan& frame,
                                    const host::Rect& rows, host::Worksheet::RowSource rowsOf) {
  host::Worksheet& w = RecreateReportSheet(app, place, frame);
  WritePlanValues(w, frame);
  if (rows.rowCount() > 0) {
    // The platform outlives the workbooks whose sources tell it.
    w.setLiteralRows(rows, [&platform = app.platform(), step = "写入 " + frame.name, total = rows.rowCount(),
                            rowsOf = std::move(rowsOf)](int first, int count) {
      host::Grid g = rowsOf(first, count);
      platform.showProgress(step, std::min(1.0, static_cast<double>(first + count) / total));
      return g;
    });
  }
  WritePlanLayout(w, *place.layoutStore, frame);
  FinishReportSheet(app, w, *place.layoutStore, frame);
  return w;
}

void FinishReportSheet(host::Application& app, host::Worksheet& w, host::Worksheet& store, const SheetPlan& plan) {
  sheetutil::ApplyPageSetup(w, store, plan.layoutRow, plan.printTitleRows);
  if (plan.fitAcrossThrough > 0) sheetutil::FitColumnsAcross(w, plan.fitAcrossThrough, SheetPlan::kSmallestFitZoom);
  if (plan.keepBlocksOnPages) sheetutil::KeepBlocksOnPages(w, plan.blockTops, w.usedRange().bottom);
  if (plan.frozenRows > 0) {
    host::Window& window = app.activeWindow();
    window.setSplitRow(plan.frozenRows);
    window.setSplitColumn(0);
    window.setFreezePanes(true);
  }
}

}  // namespace tavo::reports
