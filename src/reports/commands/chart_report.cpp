#include "reports/commands/chart_report.h"

#include "reports/compute/chart_statistics.h"
#include "reports/sheets/chart_plans.h"
#include "reports/sheets/chart_sheet.h"
#include "reports/sheets/plan_writer.h"

namespace tavo::reports {

void ChartReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ChartKind(), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadChartSettings(version); });
  if (!data) return;
  auto statistics = ComputeChartStatistics(app, *data, settings);
  if (!statistics) return;
  WriteChartSheet(app, dataWorkbookName, *data, settings, *statistics);
  WriteReportSheet(app, dataWorkbookName, *data->layoutStore, *data->dataSheet,
                   ChartTableSheetPlan(*data, settings, *statistics));
  SoundReportFinished(app);
}

}  // namespace tavo::reports
