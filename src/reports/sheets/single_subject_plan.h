// The plan of the single-subject sheet of a line report ("单科1", "单科2"):
// one section per subject, a block per grade group, teacher runs.
#pragma once

#include <string>

#include "reports/sheets/line_sheet_layouts.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

SheetPlan SingleSubjectSheetPlan(const ScoreData&, const LineSettings&, const LineStatistics&,
                                 const SingleSheetLayout&);

}  // namespace tavo::reports
