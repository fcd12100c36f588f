// Services outside the spreadsheet: message boxes, the beep, the data
// folder's listing, the document viewer, the window-style calls, the date
// and the progress of long work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavo::host {

struct Date {
  int year, month, day;
};

class Platform {
 public:
  virtual ~Platform() = default;
  virtual int messageBox(const std::string& prompt, int style, const std::string& title) = 0;
  virtual void beep(int frequencyHz, int durationMs) = 0;
  // Ordinary files of a folder (no folders, hidden or system files), in the
  // order the platform's listing gives them; empty when the folder is missing.
  virtual std::vector<std::string> listFiles(const std::string& folder) = 0;
  // Shows a document to the user; throws HostError when it cannot.
  virtual void openDocument(const std::string& path) = 0;
  // Top-level window by class and title; 0 when none (or no such windows).
  virtual std::intptr_t findWindow(const std::string& className, const std::string& title) = 0;
  virtual std::int32_t windowStyle(std::intptr_t window) = 0;
  virtual void setWindowStyle(std::intptr_t window, std::int32_t style) = 0;
  // The local calendar date, which report titles carry.
  virtual Date today() const = 0;
  // Folder separator of file paths on this platform.
  virtual char pathSeparator() const = 0;
  // How far a long step of the running command is ("写入 成绩表"), its
  // share done from 0 to 1; a share of 1 ends the step. A platform with no
  // place to show it lets it pass.
  virtual void showProgress(const std::string& step, double share) {
    (void)step;
    (void)share;
  }
  // Ends a step the command left open (one that failed midway); the entry
  // calls it after every command.
  virtual void endProgress() {}
};

}  // namespace tavo::host
