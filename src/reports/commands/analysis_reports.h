// The analyses of "分析版": how each question worked (试题分析), standard
// scores with the grade conversion (标准分与赋分), who moved since the
// earlier exam (进退步), and who stands near a line (临界生) beside the
// layers and balance of the classes (分层与均衡).
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void QuestionReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
void StandardScoreReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
// 进退步: this exam against the earlier one 分析版 names.
void ProgressReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
// 临界生 and 分层与均衡: the lines of the settings sheet 分析版 H13 names.
void BorderlineReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
