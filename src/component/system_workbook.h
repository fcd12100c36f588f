// The system workbook as the add-in meets it: one of the spreadsheet's open
// workbooks, recognised by its sheets, or one the teacher opens or has the
// add-in create.
#pragma once

#include <string>

#include "host/com/dispatch.h"

namespace tavo::component {

// The open workbook that holds the layout store and a settings sheet; the
// active workbook first. Empty when none is open.
com::Dispatch FindSystemWorkbook(const com::Dispatch& application);

// Opens the file in the spreadsheet; HostError when it cannot.
com::Dispatch OpenSystemWorkbook(const com::Dispatch& application, const std::string& path);

// Makes the workbook `tavo init` writes in a new workbook of the
// spreadsheet, its settings sheets laid out, saves it as `path` (an .xlsx)
// and makes the data folder beside it. HostError when a step fails.
com::Dispatch CreateSystemWorkbook(const com::Dispatch& application, const std::string& path);

}  // namespace tavo::component
