// The platform services of a terminal: message boxes as lines on standard
// error, the beep as a bell, the data folder from the file system and
// documents through the desktop's opener.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/progress_line.h"
#include "host/platform.h"

namespace tavo::cli {

class TerminalPlatform final : public host::Platform {
 public:
  explicit TerminalPlatform(std::ostream& err, bool bell);

  // "[title] prompt"; a carriage return inside the prompt starts a new line.
  int messageBox(const std::string& prompt, int style, const std::string& title) override;
  void beep(int frequencyHz, int durationMs) override;
  // Ordinary, visible files of the folder in file-name order.
  std::vector<std::string> listFiles(const std::string& folder) override;
  void openDocument(const std::string& path) override;
  std::intptr_t findWindow(const std::string&, const std::string&) override { return 0; }
  std::int32_t windowStyle(std::intptr_t) override { return 0; }
  void setWindowStyle(std::intptr_t, std::int32_t) override {}
  host::Date today() const override;
  char pathSeparator() const override { return '/'; }
  // A step of the command shows on the progress line inside the command's
  // phase; endProgress() closes one left open (a command that failed midway).
  void showProgress(const std::string& step, double share) override;
  void endProgress() override;

  // A progress line on the same terminal, erased before each message.
  void setProgress(ProgressLine* progress) { progress_ = progress; }
  ProgressLine* progress() const { return progress_; }

  bool errorShown() const { return errorShown_; }
  bool messageShown() const { return messageShown_; }

 private:
  std::ostream& err_;
  bool bell_;
  bool errorShown_ = false;
  bool messageShown_ = false;
  ProgressLine* progress_ = nullptr;
  std::string stepLabel_;
  std::optional<ProgressLine::Phase> step_;
};

}  // namespace tavo::cli
