// The dialog's own commands: filling the list of score workbooks when it
// opens, making its window resizable, and selecting a score workbook.
#pragma once

#include <string>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::engine {

// Appends the data folder's file names to the list ltbCJB, in listing order.
void ListDataWorkbooks(host::Application&, host::Dialog&);

// Adds a sizing border and a minimize box to the dialog's window; does
// nothing where there is no such window, and never fails.
void EnableDialogResize(host::Platform&, const host::Dialog&);

// Records the list's value in dataWorkbookName, opens or activates that
// workbook, makes sure it has "数据表", cleans the data table and freezes its
// header row.
void SelectDataWorkbook(host::Application&, const host::Dialog&, std::string& dataWorkbookName);

}  // namespace tavo::engine
