// "统计图": the counts per class as two source tables in white, and a line
// chart per field and line, line 1 on the left, line 2 on the right, one
// row of charts per field.
#include <cmath>

#include "host/constants.h"
#include "reports/sheets/cell_text.h"
#include "reports/sheets/chart_plans.h"
#include "reports/sheets/chart_sheet.h"
#include "reports/sheets/plan_writer.h"
#include "sheetutil/block_pages.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/skip_failures.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr double kChartWidth = 382, kChartHeight = 192;
constexpr double kColumnWidth = 48;  // a column of the default width, in points

// The text after the first `n` characters (code points).
std::string AfterCharacters(const std::string& utf8, int n) { return utf8.substr(host::characterBytes(utf8, n)); }

// Made where the host makes charts: on a chart sheet that is then moved
// onto the sheet, or on the sheet itself.
host::Chart& NewChart(host::Application& app, host::Workbook& book, host::Worksheet& w, const Rect& source,
                      double left, double top) {
  if (app.chartPlacement() == host::ChartPlacement::ViaChartSheet) {
    host::Chart& made = book.addChartSheet();
    made.setChartType(host::ChartType::LineMarkers);
    made.setSourceData(w, source, host::PlotBy::Columns);
    host::Chart& embedded = book.locateChart(made, w);
    // The shape is named like the chart without the sheet's name and a space.
    host::Chart& shape = w.chartOfShape(AfterCharacters(embedded.name(), host::characterCount(w.name()) + 1));
    shape.setPlacement(left, top, kChartWidth, kChartHeight);
    return embedded;
  }
  host::Chart& chart = w.addChart(host::ChartType::LineMarkers, left, top, kChartWidth, kChartHeight);
  chart.setSourceData(w, source, host::PlotBy::Columns);
  return chart;
}

// The stored page set-up, zoomed out where a row of two charts would not fit
// across the page, and a page break above each row of charts that would run
// over its page: every chart prints whole.
void PrintWholeCharts(host::Worksheet& w, host::Worksheet& store, int chartRows) {
  sheetutil::ApplyPageSetup(w, store, sheetutil::kChart, "");
  host::PageSetup& page = w.pageSetup();
  // A printed page ends at a column's edge: room for a column more than the
  // charts, as wide as spreadsheets that lack the sheet's font draw it.
  const double needed = 2 * kChartWidth + 1.5 * kColumnWidth;
  const double across = sheetutil::PrintedPageWidth(page), zoom = host::toNumber(page.get(host::PageField::Zoom));
  if (across > 0 && across < needed)
    sheetutil::SkipFailures{}([&] { page.set(host::PageField::Zoom, std::floor(zoom * across / needed)); });
  const int rowsPerChart = static_cast<int>(kChartHeight / kChartSheetRowHeight);
  std::vector<int> tops;
  for (int f = 0; f < chartRows; ++f) tops.push_back(1 + f * rowsPerChart);
  sheetutil::KeepBlocksOnPages(w, tops, chartRows * rowsPerChart);
}

}  // namespace

void WriteChartSheet(host::Application& app, const ReportPlace& place, const ScoreData& data, const LineSettings& s,
                     const ChartStatistics& st) {
  const SheetPlan sources = ChartSourcePlan(data, s, st);
  host::Worksheet& w = RecreateReportSheet(app, place, sources);
  WritePlanCells(w, *place.layoutStore, sources);
  const int classes = static_cast<int>(data.classes.size());

  const double titleSize = app.chartPlacement() == host::ChartPlacement::ViaChartSheet ? 18 : 16;
  for (std::size_t k = 0; k < 2; ++k)
    for (std::size_t f = 0; f < data.fields.size(); ++f) {
      const int column = static_cast<int>(f) + 2, first = ChartSourceTop(data, k) + 1,
                last = ChartSourceTop(data, k) + classes;
      host::Chart& chart = NewChart(app, *place.dataBook, w, {first, column, last, column}, k * kChartWidth,
                                    static_cast<double>(f) * kChartHeight);
      chart.setSeriesCategories(1, w, {first, 1, last, 1});
      chart.setHasTitle(true);
      const std::string& name = s.lineNames[k];
      chart.setTitleText("[" + data.fields[f].name + "] " + name + "分：" + host::numberToText(st.lineScores[k][f]) +
                         "  " + name + s.countKinds[k] + "数：" + std::to_string(st.overall[k][f]));
      chart.setTitleFontSize(titleSize);
      chart.setHasLegend(false);
      chart.setHasAxis(host::ChartAxis::Value, host::AxisGroup::Primary, false);
      chart.setAxisHasMajorGridlines(host::ChartAxis::Value, false);
      chart.setAxisBetweenCategories(host::ChartAxis::Category, false);
      chart.setHasDropLines(1, true);
      chart.applyDataLabels(1);
      chart.setDataLabelPosition(1, host::LabelPosition::Above);
      chart.clearPlotAreaFormats();
    }
  PrintWholeCharts(w, *place.layoutStore, static_cast<int>(data.fields.size()));
  w.activate();
  w.select(Rect::of(Cell{1, 1}));
}

}  // namespace tavo::reports
