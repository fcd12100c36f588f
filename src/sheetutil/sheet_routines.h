// The worksheet utility routines every command uses. Tables are plain: field
// names in row 1, a record per row, the table being the current region of
// its top-left cell.
#pragma once

#include <array>
#include <string>

#include "host/application.h"

namespace tavo::sheetutil {

// Column of `fieldName` among the header cells of the current region of
// (1, firstColumn), searched from firstColumn rightwards; 0 when absent.
int FindHeaderColumn(const host::Worksheet&, int firstColumn, const std::string& fieldName);

// Data rows at or above `threshold` in a column sorted descending (header in
// row 1): strides ten rows down, then steps back. The search stays inside
// the table's current region, so thresholds of 0 or below count every row.
int CountAtOrAbove(const host::Worksheet&, int column, double threshold);

// Length of the leading run of rows firstRow..lastRow at or above threshold.
int CountRunAtOrAbove(const host::Worksheet&, int firstRow, int lastRow, int column, double threshold);

// Within the leading run at or above threshold1 in column1, the rows also at
// or above threshold2 in column2.
int CountRunBothAtOrAbove(const host::Worksheet&, int firstRow, int lastRow, int column1, int column2,
                          double threshold1, double threshold2);

// First and last row of `value` (whole-cell match) in the column, indexed
// 1 and 2 as the callers read them; {0, 0} when absent.
struct RowSpan {
  int first = 0;
  int last = 0;
  int operator[](int i) const { return i == 1 ? first : last; }
};
RowSpan FindValueRows(const host::Worksheet&, int column, const host::Value& value);

void SortDescendingBy(host::Worksheet&, int column);
// Key 1 ascending, key 2 descending: classes together, best first.
void SortByTwoKeys(host::Worksheet&, int column1, int column2);

// Deletes the data workbook's sheet `sheetName` (saving its first row
// heights and page set-up into the store row) and adds a fresh one of that
// name before `before`; the new sheet is active and returned.
host::Worksheet& RecreateReportSheet(host::Application&, const std::string& dataWorkbookName,
                                     host::Worksheet& layoutStore, host::Worksheet& before,
                                     const std::string& sheetName, int layoutRow);

// The stored page set-up of `layoutRow`, then header margin 5, footer "&P"
// and the title rows; whatever the host refuses keeps its setting.
void ApplyPageSetup(host::Worksheet& report, host::Worksheet& layoutStore, int layoutRow,
                    const std::string& titleRows);

bool WorkbookIsOpen(host::Application&, const std::string& name);
bool SheetExists(host::Workbook&, const std::string& name);

}  // namespace tavo::sheetutil
