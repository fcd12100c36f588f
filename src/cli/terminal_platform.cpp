#include "cli/terminal_platform.h"

#include <ctime>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "cli/run_log.h"
#include "host/constants.h"
#include "host/value.h"

namespace tavo::cli {

namespace fs = std::filesystem;

TerminalPlatform::TerminalPlatform(std::ostream& err, bool bell) : err_(err), bell_(bell) {}

int TerminalPlatform::messageBox(const std::string& prompt, int style, const std::string& title) {
  std::string text = prompt;
  std::replace(text.begin(), text.end(), '\r', '\n');
  if (progress_) progress_->erase();
  err_ << '[' << title << "] " << text << std::endl;
  CurrentRunLog().said.push_back({RunLog::Kind::Box, title, text});
  messageShown_ = true;
  if ((style & 0x70) == host::code::kMsgCritical) errorShown_ = true;
  return 1;
}

host::Date TerminalPlatform::today() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void TerminalPlatform::beep(int, int) {
  if (bell_) err_ << '\a' << std::flush;
}

std::vector<std::string> TerminalPlatform::listFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || !it->is_regular_file(ec)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TerminalPlatform::openDocument(const std::string& path) {
  if (!fs::is_regular_file(path)) throw host::HostError::refused("找不到文件: " + path);
  for (const char* opener : {"xdg-open", "open"}) {
    std::string probe = std::string("command -v ") + opener + " >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) continue;
    pid_t child = fork();
    if (child == 0) {
      execlp(opener, opener, path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (child > 0) return;  // the viewer belongs to the user now
  }
  throw host::HostError::refused("没有可以打开文档的程序（xdg-open）: " + path);
}

void TerminalPlatform::showProgress(const std::string& step, double share) {
  if (!step_ || step != stepLabel_) {
    endProgress();
    step_.emplace(progress_, step);
    stepLabel_ = step;
  }
  step_->done(share);
  if (share >= 1) endProgress();
}

void TerminalPlatform::endProgress() {
  step_.reset();
  stepLabel_.clear();
}

}  // namespace tavo::cli
