// The command of the three-line report: "总分1" and "单科1".
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void ThreeLineReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
