// The analyses of "分析版": how each question worked (试题分析), standard
// scores with the grade conversion (标准分与赋分), and who moved since the
// earlier exam (进退步).
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void QuestionReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
void StandardScoreReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
// 进退步: this exam against the earlier one 分析版 names.
void ProgressReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
