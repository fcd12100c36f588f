// The commands of the four-rates report ("各科3", weights from "四率版") and
// the assigned-score report ("各科4", points relative to the best class,
// from "赋分版").
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

void FourRatesReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);
void AssignedScoreReport(host::Application&, const host::Dialog&, const std::string& dataWorkbookName);

}  // namespace tavo::reports
