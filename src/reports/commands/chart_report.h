// The command of the chart report: "统计图", a line chart per field and line
// of the students per class at or above it, and "统计表", the same counts
// as two printable tables.
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void ChartReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
