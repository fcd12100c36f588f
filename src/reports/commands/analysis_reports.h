// The analyses of "分析版": how each question worked (试题分析) and
// standard scores with the grade conversion (标准分与赋分).
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void QuestionReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
void StandardScoreReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
