// The platform services on Windows: message boxes owned by the
// spreadsheet's window, the beep, the data folder's listing, the word
// processor for the guide and the window-style calls.
#pragma once

#include "host/com/dispatch.h"
#include "host/platform.h"

namespace tavo::com {

class WindowsPlatform final : public host::Platform {
 public:
  // `spreadsheet` gives the window that owns the message boxes.
  explicit WindowsPlatform(Dispatch spreadsheet) : spreadsheet_(std::move(spreadsheet)) {}

  int messageBox(const std::string& prompt, int style, const std::string& title) override;
  void beep(int frequencyHz, int durationMs) override;
  std::vector<std::string> listFiles(const std::string& folder) override;
  // The guide opens in a visible word processor that the user then owns.
  void openDocument(const std::string& path) override;
  std::intptr_t findWindow(const std::string& className, const std::string& title) override;
  std::int32_t windowStyle(std::intptr_t window) override;
  void setWindowStyle(std::intptr_t window, std::int32_t style) override;
  host::Date today() const override;
  char pathSeparator() const override { return '\\'; }
  // In the spreadsheet's status bar, where its own long work shows; given
  // back to the spreadsheet when the step ends.
  void showProgress(const std::string& step, double share) override;
  void endProgress() override;

 private:
  HWND owner() const;
  Dispatch spreadsheet_;
  std::string shownStep_;  // "" when the bar is the spreadsheet's
  int shownPercent_ = -1;
};

}  // namespace tavo::com
