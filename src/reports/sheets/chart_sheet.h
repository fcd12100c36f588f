// "统计图": the counts per class as two source tables in white, and a line
// chart per field and line, line 1 on the left, line 2 on the right, one
// row of charts per field.
#pragma once

#include "host/application.h"
#include "reports/compute/chart_statistics.h"

namespace tavo::reports {

void WriteChartSheet(host::Application&, const ReportPlace&, const ScoreData&, const LineSettings&,
                     const ChartStatistics&);

}  // namespace tavo::reports
