// "试题分析": per test (a subject's questions) one row per question, the
// test's summary and reliability, and each class's rate per question,
// shaded by how well the class did.
#pragma once

#include <string>
#include <vector>

#include "reports/compute/question_statistics.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr const char* kQuestionSheet = "试题分析";

// The fill of a rate in the class table: palette entries from red (below
// 0.4) through orange and yellow to green (0.8 and above); none for no rate.
int RateFill(double rate);

SheetPlan QuestionSheetPlan(const std::string& dataWorkbookName, const std::vector<QuestionAnalysis>&);

}  // namespace tavo::reports
