#include "cli/run_log.h"

namespace tavo::cli {

RunLog& CurrentRunLog() {
  static RunLog log;
  return log;
}

void StartRunLog() { CurrentRunLog() = {}; }

void Say(std::ostream& err, const std::string& text, RunLog::Kind kind) {
  err << "tavo: " << text << std::endl;
  CurrentRunLog().said.push_back({kind, {}, text});
}

}  // namespace tavo::cli
