// A platform that records what the engine asks of it, for tests: message
// boxes, beeps, documents shown; folder listings and documents are given.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/platform.h"

namespace tavo::model {

class RecordingPlatform final : public host::Platform {
 public:
  struct Message {
    std::string prompt;
    int style;
    std::string title;
  };
  struct Tone {
    int frequency, duration;
  };

  int messageBox(const std::string& prompt, int style, const std::string& title) override;
  void beep(int frequencyHz, int durationMs) override { beeps.push_back({frequencyHz, durationMs}); }
  std::vector<std::string> listFiles(const std::string& folder) override;
  void openDocument(const std::string& path) override;
  std::intptr_t findWindow(const std::string& className, const std::string& title) override;
  std::int32_t windowStyle(std::intptr_t) override { return style; }
  void setWindowStyle(std::intptr_t, std::int32_t s) override { style = s; }
  host::Date today() const override { return date; }
  char pathSeparator() const override { return '/'; }
  void showProgress(const std::string& step, double share) override { progress.emplace_back(step, share); }

  std::vector<Message> messages;
  std::vector<std::pair<std::string, double>> progress;  // each step's shares as told
  std::vector<Tone> beeps;
  std::vector<std::string> documentsOpened;
  std::map<std::string, std::vector<std::string>> folders;  // folder -> files in listing order
  std::set<std::string> documents;                          // paths that can be opened
  std::string windowClass, windowTitle;                     // the one window there is
  std::int32_t style = 0;
  host::Date date{2026, 12, 8};
};

}  // namespace tavo::model
