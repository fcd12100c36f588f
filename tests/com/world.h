// A spreadsheet session of the demo's kind held in our model: the system
// workbook with the sample settings, the sample score workbook open, the
// dialog with its list. Two are built alike; one is driven directly, the
// other through the component.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/com/variant.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::testing {

// The platform of the directly driven session: what Windows would give, with
// message boxes recorded instead of shown.
class TestPlatform final : public host::Platform {
 public:
  struct Box {
    std::string prompt, title;
    int style;
  };
  int messageBox(const std::string& prompt, int style, const std::string& title) override {
    boxes.push_back({prompt, title, style});
    return IDOK;
  }
  void beep(int frequency, int) override { beeps.push_back(frequency); }
  std::vector<std::string> listFiles(const std::string& folder) override { return folders[folder]; }
  void openDocument(const std::string&) override { throw host::HostError(429, "ActiveX 部件不能创建对象"); }
  std::intptr_t findWindow(const std::string&, const std::string&) override { return 0; }
  std::int32_t windowStyle(std::intptr_t) override { return 0; }
  void setWindowStyle(std::intptr_t, std::int32_t) override {}
  host::Date today() const override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
  }
  char pathSeparator() const override { return '\\'; }

  std::vector<Box> boxes;
  std::vector<int> beeps;
  std::map<std::string, std::vector<std::string>> folders;
};

// A folder of the system workbook under the temporary folder, its data
// folder holding the sample's file name.
inline std::string TestFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"tavo-component-test";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\数据").c_str(), nullptr);
  // The folder holds the one score file, whatever earlier runs left there.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\数据\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\数据\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  HANDLE file = CreateFileW((folder + L"\\数据\\示例成绩.xlsx").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(file);
  return com::Utf8(folder);
}

struct World {
  explicit World(const std::string& folder) : app(platform) {
    auto system = workbooks::NewSystemWorkbook(app, folder);
    workbooks::TypeSampleSettings(*system);
    app.setThisWorkbook(app.adopt(std::move(system)));
    const std::string dataFolder = folder + "\\" + workbooks::kDataFolderName;
    app.adopt(workbooks::SampleScoreWorkbook(app, dataFolder, workbooks::GenerateSampleScores()));
    // The earlier exam 进退步 compares with, open beside it: an open
    // workbook is not looked for in the folder, whose listing order the
    // two hosts need not share.
    app.adopt(workbooks::SampleScoreWorkbook(app, dataFolder,
                                             workbooks::EarlierSampleScores(workbooks::GenerateSampleScores()),
                                             workbooks::kEarlierSampleScoresName));
    platform.folders[dataFolder + "\\"] = {workbooks::kSampleScoresName};
  }
  TestPlatform platform;
  model::Application app;
  model::Dialog dialog;
};

}  // namespace tavo::testing
