// The command of the score bands: "分段表", 5-point bands per class with
// running totals, and "成绩表", the ranked score sheet one class a page.
// It runs against the settings sheet the dialog names.
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void ScoreBandsReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName,
                      const std::string& versionSheet);

}  // namespace tavo::reports
