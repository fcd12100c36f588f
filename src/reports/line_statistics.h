// Per class and field of a line report: class maxima, top averages and the
// students at or above each line; per field the line scores and totals.
// Computed on the work copy before any report sheet is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "reports/line_settings.h"
#include "reports/score_data.h"

namespace tavo::reports {

// Consecutive classes of one grade value.
struct GradeGroup {
  std::string name;
  int firstClass;  // index into ScoreData::classes
  int size;
};

struct LineStatistics {
  std::vector<GradeGroup> groups;
  // [line][field]
  std::vector<std::vector<double>> lineScores;
  std::vector<std::vector<int>> lineTotals;
  // [class][field]
  std::vector<std::vector<double>> maxima, averages;
  std::vector<std::vector<std::string>> teachers;
  // [line][class][field]
  std::vector<std::vector<std::vector<int>>> counts;
};

std::vector<GradeGroup> GradeGroups(const ScoreData&, const LineSettings&);

// [line][field]: each line's cut score, typed or the N-th best of the
// grade. Nothing when a line given by head count has no usable number (a
// warning naming the sheet, the line and the field was shown).
std::optional<std::vector<std::vector<double>>> ComputeLineScores(host::Application&, ScoreData&,
                                                                  const LineSettings&);

// Nothing when a line given by head count has no usable number (a warning
// naming the sheet, the line and the field was shown).
std::optional<LineStatistics> ComputeLineStatistics(host::Application&, ScoreData&, const LineSettings&);

}  // namespace tavo::reports
