#include "host/model/recording_platform.h"

#include "host/value.h"

namespace tavo::model {

int RecordingPlatform::messageBox(const std::string& prompt, int s, const std::string& title) {
  messages.push_back({prompt, s, title});
  return 1;
}

std::vector<std::string> RecordingPlatform::listFiles(const std::string& folder) {
  auto it = folders.find(folder);
  return it == folders.end() ? std::vector<std::string>{} : it->second;
}

void RecordingPlatform::openDocument(const std::string& path) {
  if (!documents.count(path)) throw host::HostError::refused("找不到文件: " + path);
  documentsOpened.push_back(path);
}

std::intptr_t RecordingPlatform::findWindow(const std::string& className, const std::string& title) {
  return !windowClass.empty() && className == windowClass && title == windowTitle ? 1 : 0;
}

}  // namespace tavo::model
