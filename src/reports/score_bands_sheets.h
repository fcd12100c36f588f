// The two sheets of the score bands command and what they share: per field
// its two line scores, its best score and the grade's students at or above
// each line.
#pragma once

#include <string>
#include <vector>

#include "host/application.h"
#include "reports/score_data.h"

namespace tavo::reports {

struct FieldLines {
  double line1 = 0, line2 = 0;
  double best = 0;
  int count1 = 0, count2 = 0;
};

// One entry per field of the data, in the same order.
void WriteScoreSheet(host::Application&, const std::string& dataWorkbookName, const ScoreData&,
                     const std::vector<FieldLines>&);

}  // namespace tavo::reports
