#include "reports/chart_report.h"

#include "reports/chart_sheets.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

namespace {

std::optional<ChartStatistics> Count(host::Application& app, ScoreData& data, const LineSettings& settings) {
  ChartStatistics st;
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return std::nullopt;
  st.lineScores = std::move(*lineScores);
  for (std::size_t k = 0; k < 2; ++k)
    st.counts[k] = settings.singleCount[k] ? SingleCounts(data, st.lineScores[k]) : DoubleCounts(data, st.lineScores[k]);
  // The titles' counts take every student of the data, whatever the classes.
  host::Worksheet& sheet = *data.dataSheet;
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    sheetutil::SortDescendingBy(sheet, data.fields[s].column);
    for (std::size_t k = 0; k < 2; ++k)
      st.overall[k].push_back(sheetutil::CountAtOrAbove(sheet, data.fields[s].column, st.lineScores[k][s]));
  }
  st.teachers = Teachers(data, settings);
  return st;
}

}  // namespace

void ChartReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ChartKind(), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadChartSettings(version); });
  if (!data) return;
  WorkCopyCleanUp cleanUp(*data->dataSheet);
  auto statistics = Count(app, *data, settings);
  if (!statistics) return;
  WriteChartSheet(app, dataWorkbookName, *data, settings, *statistics);
  WriteChartTableSheet(app, dataWorkbookName, *data, settings, *statistics);
  SoundReportFinished(app);
}

}  // namespace tavo::reports
