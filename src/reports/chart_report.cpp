#include "reports/chart_report.h"

#include "reports/chart_sheets.h"
#include "reports/sheets/chart_plans.h"
#include "reports/sheets/plan_writer.h"

namespace tavo::reports {

namespace {

std::optional<ChartStatistics> Count(host::Application& app, const ScoreData& data, const LineSettings& settings) {
  ChartStatistics st;
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return std::nullopt;
  st.lineScores = std::move(*lineScores);
  for (std::size_t k = 0; k < 2; ++k)
    st.counts[k] = settings.singleCount[k] ? SingleCounts(data, st.lineScores[k]) : DoubleCounts(data, st.lineScores[k]);
  // The titles' counts take every student of the data, whatever the classes.
  for (const GradeWide& g : GradeWideCounts(data, st.lineScores))
    for (std::size_t k = 0; k < 2; ++k) st.overall[k].push_back(g.atOrAbove[k]);
  st.teachers = Teachers(data, settings);
  return st;
}

}  // namespace

void ChartReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ChartKind(), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadChartSettings(version); });
  if (!data) return;
  auto statistics = Count(app, *data, settings);
  if (!statistics) return;
  WriteChartSheet(app, dataWorkbookName, *data, settings, *statistics);
  WriteReportSheet(app, dataWorkbookName, *data->layoutStore, *data->dataSheet,
                   ChartTableSheetPlan(*data, settings, *statistics));
  SoundReportFinished(app);
}

}  // namespace tavo::reports
