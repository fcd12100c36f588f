#include "engine/dialog_commands.h"

#include "host/constants.h"
#include "host/format.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/skip_failures.h"
#include "sheetutil/system_paths.h"

namespace tavo::engine {

namespace {

constexpr const char* kDialogWindowClass = "ThunderDFrame";
constexpr std::int32_t kSizingBorder = 0x40000;
constexpr std::int32_t kMinimizeBox = 0x20000;

constexpr const char* kDataSheet = "数据表";
constexpr int kDataTabColor = 32;

// Stray spaces keep a class or a name from matching its settings.
constexpr const char* kSpaces[] = {" ", "\u3000", "\u00A0"};

void CleanDataTable(host::Worksheet& sheet) {
  host::Rect table = sheet.currentRegion({1, 1});
  for (const char* space : kSpaces) sheet.replace(table, space, "", false);
  sheet.replace(table, "", "0", false);
  host::FormatPatch align;
  align.horizontalAlignment = host::HorizontalAlignment::Left;
  align.verticalAlignment = host::VerticalAlignment::Center;
  sheet.applyFormat(table, align);
}

void FreezeHeaderRow(host::Window& window) {
  window.setScrollRow(1);
  window.setScrollColumn(1);
  window.setTabRatio(0.9);
  window.setSplitRow(1);
  window.setSplitColumn(0);
  window.setFreezePanes(true);
}

}  // namespace

void ListDataWorkbooks(host::Application& app, host::Dialog& dialog) {
  for (const std::string& file : app.platform().listFiles(sheetutil::DataFolder(app))) dialog.addItem(file);
}

void EnableDialogResize(host::Platform& platform, const host::Dialog& dialog) {
  sheetutil::SkipFailures skip;
  std::intptr_t window = 0;
  skip([&] { window = platform.findWindow(kDialogWindowClass, dialog.caption()); });
  if (!window) return;
  skip([&] { platform.setWindowStyle(window, platform.windowStyle(window) | kSizingBorder | kMinimizeBox); });
}

void SelectDataWorkbook(host::Application& app, const host::Dialog& dialog, std::string& dataWorkbookName) {
  dataWorkbookName = dialog.listValue();

  host::Workbook* book = app.findWorkbook(dataWorkbookName);
  if (book) {
    book->activate();
  } else {
    book = &app.openWorkbook(sheetutil::DataFolder(app) + dataWorkbookName);
  }

  if (sheetutil::SheetExists(*book, kDataSheet)) {
    book->sheet(kDataSheet).activate();
  } else {
    book->activeSheet().setName(kDataSheet);
  }
  host::Worksheet& sheet = book->activeSheet();
  sheet.select(host::Rect::of(host::Cell{1, 1}));
  sheet.setTabColorIndex(kDataTabColor);

  // The reports fill with these two entries.
  book->setColor(15, host::rgb(221, 221, 221));
  book->setColor(37, host::rgb(204, 236, 255));

  CleanDataTable(sheet);
  FreezeHeaderRow(book->window());
}

}  // namespace tavo::engine
