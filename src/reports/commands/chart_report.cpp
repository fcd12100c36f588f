#include "reports/commands/chart_report.h"

#include "reports/compute/chart_statistics.h"
#include "reports/sheets/chart_plans.h"
#include "reports/sheets/chart_sheet.h"
#include "reports/sheets/plan_writer.h"

namespace tavo::reports {

void ChartReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineSettings settings;
  auto prepared = PrepareScoreData(app, dialog, ChartKind(), dataWorkbookName,
                                   [&](host::Worksheet& version) { settings = ReadChartSettings(version); });
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  auto statistics = ComputeChartStatistics(app, data, settings);
  if (!statistics) return;
  WriteChartSheet(app, place, data, settings, *statistics);
  WriteReportSheet(app, place, ChartTableSheetPlan(data, settings, *statistics));
  SoundReportFinished(app);
}

}  // namespace tavo::reports
