// The plans of the two sheets of a line report: the total-score sheet
// ("总分1", "总分2"), one row per class, and the single-subject sheet
// ("单科1", "单科2"), one section per subject with teacher runs.
#pragma once

#include <string>

#include "reports/line_report_sheets.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

SheetPlan TotalScoreSheetPlan(const std::string& dataWorkbookName, const ScoreData&, const LineSettings&,
                              const LineStatistics&, const TotalSheetLayout&);
SheetPlan SingleSubjectSheetPlan(const ScoreData&, const LineSettings&, const LineStatistics&,
                                 const SingleSheetLayout&);

}  // namespace tavo::reports
