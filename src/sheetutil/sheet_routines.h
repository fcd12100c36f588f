// The worksheet utility routines the commands share. Tables are plain:
// field names in row 1, a record per row, the table being the current
// region of its top-left cell.
#pragma once

#include <string>

#include "host/application.h"

namespace tavo::sheetutil {

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
