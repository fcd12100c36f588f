#include "sheetutil/sheet_routines.h"

#include <algorithm>

#include "sheetutil/layout_store.h"
#include "sheetutil/skip_failures.h"

namespace tavo::sheetutil {

using host::Cell;
using host::Rect;
using host::Value;

int FindHeaderColumn(const host::Worksheet& sheet, int firstColumn, const std::string& fieldName) {
  int n = sheet.currentRegion({1, firstColumn}).colCount();
  for (int c = firstColumn; c < firstColumn + n; ++c) {
    Value v = sheet.value({1, c});
    if (v.isText() && v.text() == fieldName) return c;
  }
  return 0;
}

int CountAtOrAbove(const host::Worksheet& sheet, int column, double threshold) {
  int last = sheet.currentRegion({1, column}).bottom;
  auto reaches = [&](int row) { return row <= last && host::atOrAbove(sheet.value({row, column}), threshold); };
  int row = 2;
  while (reaches(row)) row += 10;
  // Row 1 is the header, which compares above every threshold.
  while (row > 1 && !reaches(row)) --row;
  return row - 1;
}

int CountRunAtOrAbove(const host::Worksheet& sheet, int firstRow, int lastRow, int column, double threshold) {
  int count = 0;
  for (int row = firstRow; row <= lastRow; ++row) {
    if (!host::atOrAbove(sheet.value({row, column}), threshold)) break;
    ++count;
  }
  return count;
}

int CountRunBothAtOrAbove(const host::Worksheet& sheet, int firstRow, int lastRow, int column1, int column2,
                          double threshold1, double threshold2) {
  int count = 0;
  for (int row = firstRow; row <= lastRow; ++row) {
    if (!host::atOrAbove(sheet.value({row, column1}), threshold1)) break;
    if (host::atOrAbove(sheet.value({row, column2}), threshold2)) ++count;
  }
  return count;
}

RowSpan FindValueRows(const host::Worksheet& sheet, int column, const Value& value) {
  RowSpan span;
  Rect whole = Rect::columns(column, column);
  std::string what = host::displayText(value);
  auto first = sheet.find(whole, what, {1, column}, true);
  if (!first) return span;
  span.first = first->row;
  auto last = sheet.findPrevious(whole, what, *first, true);
  span.last = last ? last->row : first->row;
  return span;
}

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
