// The commands of the line reports: the three-line report ("总分1" and
// "单科1" from "三线版") and the two-line report ("总分2" and "单科2" from
// "双线版").
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void ThreeLineReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
void TwoLineReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
