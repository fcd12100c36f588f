// The plan of the four-rates ("各科3") and assigned-score ("各科4") sheet:
// one block of classes per field, each teacher's classes together.
#pragma once

#include <string>

#include "host/platform.h"
#include "reports/sheets/sheet_plan.h"
#include "reports/subject_blocks_sheet.h"

namespace tavo::reports {

// `today` dates the title.
SheetPlan SubjectBlocksSheetPlan(const std::string& dataWorkbookName, const host::Date& today, const ScoreData&,
                                 const LineSettings&, const SubjectBlockStatistics&, const SubjectBlocksLayout&);

}  // namespace tavo::reports
