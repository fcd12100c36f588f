#include "sheetutil/sheet_routines.h"

#include <algorithm>

#include "sheetutil/layout_store.h"
#include "sheetutil/skip_failures.h"

namespace tavo::sheetutil {

using host::Cell;
using host::Rect;
using host::Value;

void SortDescendingBy(host::Worksheet& sheet, int column) {
  sheet.sort(sheet.currentRegion({1, column}), {column, host::SortOrder::Descending}, std::nullopt, true);
}

void SortByTwoKeys(host::Worksheet& sheet, int column1, int column2) {
  sheet.sort(sheet.currentRegion({1, column1}), {column1, host::SortOrder::Ascending},
             host::SortKey{column2, host::SortOrder::Descending}, true);
}

namespace {

// The user's layout of the old copy goes to the store; any step the host
// refuses is passed over.
void KeepLayout(host::Worksheet& old, host::Worksheet& store, int layoutRow) {
  SkipFailures skip;
  auto keep = [&](int col, const Value& v) { store.setValue(Rect::of(Cell{layoutRow, col}), v); };
  skip([&] { keep(kRow1HeightColumn, old.rowHeight(1)); });
  skip([&] { keep(kRow2HeightColumn, old.rowHeight(2)); });
  skip([&] {
    double h = old.rowHeight(3);
    keep(kBodyHeightColumn, h != 0 ? h : kBodyHeightWhenZero);
  });
  for (std::size_t i = 0; i < kStoredPageFields.size(); ++i)
    skip([&] { keep(kFirstPageColumn + static_cast<int>(i), old.pageSetup().get(kStoredPageFields[i])); });
}

}  // namespace

host::Worksheet& RecreateReportSheet(host::Application& app, const std::string& dataWorkbookName,
                                     host::Worksheet& store, host::Worksheet& before,
                                     const std::string& sheetName, int layoutRow) {
  host::Workbook& book = app.workbook(dataWorkbookName);
  if (host::Worksheet* old = book.findSheet(sheetName)) {
    KeepLayout(*old, store, layoutRow);
    SkipFailures{}([&] { book.deleteSheet(*old); });
  }
  // A sheet that cannot take the report's name must not receive the report
  // under another one: the new sheet goes again and the command ends.
  host::Worksheet& fresh = book.addSheet(&before);
  try {
    fresh.setName(sheetName);
  } catch (const host::HostError&) {
    SkipFailures{}([&] { book.deleteSheet(fresh); });
    throw;
  }
  return fresh;
}

void ApplyPageSetup(host::Worksheet& report, host::Worksheet& store, int layoutRow, const std::string& titleRows) {
  SkipFailures skip;
  host::PageSetup& page = report.pageSetup();
  for (std::size_t i = 0; i < kStoredPageFields.size(); ++i)
    skip([&] {
      page.set(kStoredPageFields[i], store.value({layoutRow, kFirstPageColumn + static_cast<int>(i)}));
    });
  skip([&] { page.set(host::PageField::HeaderMargin, Value(5)); });
  skip([&] { page.set(host::PageField::CenterFooter, Value("&P")); });
  skip([&] { page.set(host::PageField::PrintTitleRows, Value(titleRows)); });
}

bool WorkbookIsOpen(host::Application& app, const std::string& name) {
  for (int i = 1; i <= app.workbookCount(); ++i)
    if (app.workbook(i).name() == name) return true;
  return false;
}

bool SheetExists(host::Workbook& book, const std::string& name) {
  for (int i = 1; i <= book.sheetCount(); ++i)
    if (book.sheet(i).name() == name) return true;
  return false;
}

}  // namespace tavo::sheetutil
