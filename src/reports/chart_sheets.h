// The two sheets of the chart report and the counts they show.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "host/application.h"
#include "reports/line_settings.h"
#include "reports/line_statistics.h"
#include "reports/score_data.h"

namespace tavo::reports {

struct ChartStatistics {
  std::vector<std::vector<double>> lineScores;  // [line][field]
  std::array<CountTable, 2> counts;             // [line][class][field], single or double as set
  std::array<std::vector<int>, 2> overall;      // [line][field]: the whole data, always single
  std::vector<std::vector<std::string>> teachers;
};

void WriteChartSheet(host::Application&, const std::string& dataWorkbookName, const ScoreData&, const LineSettings&,
                     const ChartStatistics&);

}  // namespace tavo::reports
