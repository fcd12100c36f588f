// "成绩表": every student of the data with a class rank and a grade rank
// beside each score, the scores above the lines marked, one printed page per
// class.
#pragma once

#include <string>
#include <vector>

#include "host/application.h"
#include "reports/compute/field_lines.h"

namespace tavo::reports {

void WriteScoreSheet(host::Application&, const std::string& dataWorkbookName, const ScoreData&,
                     const std::vector<FieldLines>&);

}  // namespace tavo::reports
