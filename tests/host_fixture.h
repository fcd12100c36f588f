// A model host as the engine meets it: the system workbook (with the layout
// store "DTB") in /school, its data folder, a dialog and a recording platform.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"

namespace tavo::host {
// Failures show the value, not its bytes.
inline void PrintTo(const Value& v, std::ostream* os) {
  *os << (v.isText() ? "\"" + v.text() + "\"" : v.isEmpty() ? std::string("(empty)") : displayText(v));
}
}  // namespace tavo::host

namespace tavo::testing {

struct HostFixture : ::testing::Test {
  static constexpr const char* kSchool = "/school";
  static constexpr const char* kDataFolder = "/school/数据/";

  model::RecordingPlatform platform;
  model::Application app{platform};
  model::Dialog dialog{"成绩统计"};
  model::Workbook& system = app.createWorkbook("成绩统计.xlsx", kSchool);
  model::Sheet& store = system.appendSheet("DTB");

  // Files the loader can open, by full path: each becomes a workbook with
  // one sheet, named as given, filled by `fill`.
  struct DataFile {
    std::string sheetName;
    std::function<void(host::Worksheet&)> fill;
  };
  std::map<std::string, DataFile> files;

  HostFixture() {
    app.setLoader([this](model::Application& a, const std::string& path) {
      auto it = files.find(path);
      if (it == files.end()) throw host::HostError::refused("无法打开文件: " + path);
      auto slash = path.rfind('/');
      auto book = std::make_unique<model::Workbook>(a, path.substr(slash + 1), path.substr(0, slash));
      book->modelSheet(1).setName(it->second.sheetName);
      if (it->second.fill) it->second.fill(book->modelSheet(1));
      return book;
    });
  }

  void addDataFile(const std::string& name, const std::string& sheetName,
                   std::function<void(host::Worksheet&)> fill = {}) {
    files[kDataFolder + name] = {sheetName, std::move(fill)};
    platform.folders[kDataFolder].push_back(name);
  }

  static void put(host::Worksheet& s, int r, int c, const host::Value& v) {
    s.setValue(host::Rect::of(host::Cell{r, c}), v);
  }
};

}  // namespace tavo::testing
