// What the four-rates and assigned-score reports count: the line basics and
// each class's single and double count of both lines.
#pragma once

#include <array>

#include "host/application.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/line_statistics.h"
#include "reports/compute/score_data.h"

namespace tavo::reports {

struct SubjectBlockStatistics : LineBasics {
  std::array<CountTable, 2> single, both;  // [line]
};

// Nothing when a line by head count is unusable (a warning was shown).
std::optional<SubjectBlockStatistics> ComputeSubjectBlockStatistics(host::Application&, const ScoreData&,
                                                                     const LineSettings&);

}  // namespace tavo::reports
