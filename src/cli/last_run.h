// The run of the command line that went before, in this process. The
// program normally runs once and ends, and the system takes a large
// workbook's memory back at once, where freeing it cell by cell costs a
// tenth of a second at 200,000 students: so a run's desk is not freed when
// the run ends. Where main() runs again and again in one process (the
// page's worker), the next run frees it first, and until then the
// workbooks it saved can be looked at without reading their files again.
#pragma once

#include <iostream>
#include <string>

#include "cli/desk.h"
#include "cli/terminal_platform.h"

namespace tavo::cli {

struct RunDesk {
  explicit RunDesk(bool bell) : platform(std::cerr, bell), desk(platform, std::cout, std::cerr) {}
  TerminalPlatform platform;
  Desk desk;
  bool saved = false;  // the run ended with every change in its file
};

// A new run's desk; the one before it is freed.
RunDesk& StartRun(bool bell);

// The workbook the last run left in the file at `path`, when that run ended
// with every change saved and ForgetLastRun() was not called since; else
// nullptr.
const model::Workbook* SavedByLastRun(const std::string& path);

// The files may have changed since: the last run's workbooks go.
void ForgetLastRun();

}  // namespace tavo::cli
