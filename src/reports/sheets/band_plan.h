// The plan of "分段表": per field a table of classes by 5-point bands, each
// band cell showing the class's students in the band and, after "|", those
// at or above its lower bound. Totals span up to 64 bands, 16 a block.
#pragma once

#include <string>
#include <vector>

#include "reports/compute/field_lines.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

SheetPlan BandSheetPlan(const std::string& dataWorkbookName, const ScoreData&, const std::vector<FieldLines>&);

}  // namespace tavo::reports
