// What the chart report counts: per line its cut scores, each class's count
// (single or double as set), the whole data's counts for the titles, and the
// teachers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/line_statistics.h"
#include "reports/compute/score_data.h"

namespace tavo::reports {

struct ChartStatistics {
  std::vector<std::vector<double>> lineScores;  // [line][field]
  std::array<CountTable, 2> counts;             // [line][class][field], single or double as set
  std::array<std::vector<int>, 2> overall;      // [line][field]: the whole data, always single
  std::vector<std::vector<std::string>> teachers;
};

// Nothing when a line by head count is unusable (a warning was shown).
std::optional<ChartStatistics> ComputeChartStatistics(host::Application&, const ScoreData&, const LineSettings&);

}  // namespace tavo::reports
