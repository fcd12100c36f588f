#include "reports/compute/chart_statistics.h"

namespace tavo::reports {

std::optional<ChartStatistics> ComputeChartStatistics(host::Application& app, const ScoreData& data, const LineSettings& settings) {
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

}  // namespace tavo::reports
