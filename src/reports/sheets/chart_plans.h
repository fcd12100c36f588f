// The plans of the chart report's sheets: "统计表", the counts as two tables
// side by side, and the cells of "统计图", the two source tables its charts
// draw, in white.
#pragma once

#include "reports/compute/chart_statistics.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

SheetPlan ChartTableSheetPlan(const ScoreData&, const LineSettings&, const ChartStatistics&);

// Where the source table of line k (0 or 1) has its header row.
int ChartSourceTop(const ScoreData&, std::size_t line);
SheetPlan ChartSourcePlan(const ScoreData&, const LineSettings&, const ChartStatistics&);

// The chart sheet's rows: a chart stands over 16 of them.
inline constexpr double kChartSheetRowHeight = 12;

}  // namespace tavo::reports
