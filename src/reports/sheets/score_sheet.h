// Writes "成绩表" as its plan says: the title and headers, then the students'
// rows a column and a piece at a time (the data's own cells as they are),
// the marks of the layout store's templates, and the layout.
#pragma once

#include "host/application.h"
#include "reports/sheets/score_sheet_plan.h"

namespace tavo::reports {

void WriteScoreSheet(host::Application&, const ReportPlace&, const ScoreData&, const ScoreSheetPlan&);

}  // namespace tavo::reports
