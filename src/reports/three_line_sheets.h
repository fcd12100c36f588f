// The two sheets of the three-line report: "总分1", one row per class for
// the total score, and "单科1", one section per subject with teacher runs.
#pragma once

#include <string>

#include "host/application.h"
#include "reports/line_settings.h"
#include "reports/line_statistics.h"
#include "reports/score_data.h"

namespace tavo::reports {

void WriteTotalScoreSheet(host::Application&, const std::string& dataWorkbookName, const ScoreData&,
                          const LineSettings&, const LineStatistics&);
void WriteSingleSubjectSheet(host::Application&, const std::string& dataWorkbookName, const ScoreData&,
                             const LineSettings&, const LineStatistics&);

}  // namespace tavo::reports
