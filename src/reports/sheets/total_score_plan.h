// The plan of the total-score sheet of a line report ("总分1", "总分2"): one
// row per class, a block per grade group.
#pragma once

#include <string>

#include "reports/sheets/line_sheet_layouts.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

SheetPlan TotalScoreSheetPlan(const std::string& dataWorkbookName, const ScoreData&, const LineSettings&,
                              const LineStatistics&, const TotalSheetLayout&);

}  // namespace tavo::reports
