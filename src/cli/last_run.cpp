#include "cli/last_run.h"

#include <filesystem>

namespace tavo::cli {

namespace {
RunDesk* last = nullptr;  // deliberately never freed at exit (see the header)
}

RunDesk& StartRun(bool bell) {
  ForgetLastRun();
  last = new RunDesk(bell);
  return *last;
}

const model::Workbook* SavedByLastRun(const std::string& path) {
  if (!last || !last->saved) return nullptr;
  return last->desk.workbookAt(path);
}

void ForgetLastRun() {
  delete last;
  last = nullptr;
}

}  // namespace tavo::cli
