// What the score bands command shows of each field: its two line scores, its
// best score and the grade's students at or above each line.
#pragma once

#include <vector>

#include "reports/compute/score_data.h"

namespace tavo::reports {

struct FieldLines {
  double line1 = 0, line2 = 0;
  double best = 0;
  int count1 = 0, count2 = 0;
};

// One entry per field of the data, in the same order; lineScores[line][field].
std::vector<FieldLines> CountFieldLines(const ScoreData&, const std::vector<std::vector<double>>& lineScores);

}  // namespace tavo::reports
