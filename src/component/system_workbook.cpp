#include "component/system_workbook.h"

#include "engine/zupo.h"
#include "host/com/application.h"
#include "host/com/windows_platform.h"
#include "host/model/dialog.h"
#include "sheetutil/layout_store.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::component {

namespace {

// The spreadsheet's code for an .xlsx without macros.
constexpr int kWorkbookFileFormat = 51;

bool HoldsSettings(const com::Dispatch& book) {
  com::Dispatch sheets = book.object("Worksheets", "Sheets");
  bool store = false, settings = false;
  const int count = com::ToInt(*sheets.get("Count"));
  for (int i = 1; i <= count; ++i) {
    const std::string name = com::ToText(*sheets.object("Item", "Worksheet", {i}).get("Name"));
    store = store || name == sheetutil::kLayoutStoreSheet;
    for (const engine::CommandInfo& command : engine::zupo::Commands())
      settings = settings || (command.kind == engine::CommandKind::Layout && name == command.settingsSheet);
  }
  return store && settings;
}

}  // namespace

com::Dispatch FindSystemWorkbook(const com::Dispatch& application) {
  try {
    if (com::Dispatch active = application.object("ActiveWorkbook", "Workbook"); active && HoldsSettings(active))
      return active;
  } catch (const host::HostError&) {
    // no workbook is active
  }
  com::Dispatch books = application.object("Workbooks", "Workbooks");
  const int count = com::ToInt(*books.get("Count"));
  for (int i = 1; i <= count; ++i)
    if (com::Dispatch book = books.object("Item", "Workbook", {i}); HoldsSettings(book)) return book;
  return {};
}

com::Dispatch OpenSystemWorkbook(const com::Dispatch& application, const std::string& path) {
  return application.object("Workbooks", "Workbooks").object("Open", "Workbook", {com::Variant(path)});
}

com::Dispatch CreateSystemWorkbook(const com::Dispatch& application, const std::string& path) {
  com::Dispatch book = application.object("Workbooks", "Workbooks").object("Add", "Workbook");
  {
    com::WindowsPlatform platform(application);
    com::Application host(application, platform, book);
    workbooks::FillSystemWorkbook(host.thisWorkbook());
    engine::zupo engine;
    model::Dialog unused;
    for (const engine::CommandInfo& command : engine::zupo::Commands())
      if (command.kind == engine::CommandKind::Layout) engine.MyFunClick(host, unused, command.name);
    host.thisWorkbook().sheet(1).activate();
  }
  book.call("SaveAs", {}, {{"Filename", com::Variant(path)}, {"FileFormat", com::Variant(kWorkbookFileFormat)}});
  const std::wstring folder = com::Wide(path.substr(0, path.find_last_of("\\/") + 1) + workbooks::kDataFolderName);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw host::HostError(75, "无法建立数据文件夹 " + com::Utf8(folder));
  return book;
}

}  // namespace tavo::component
