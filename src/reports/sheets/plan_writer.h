// Puts a sheet plan on a host, once and in its final place: the values in
// one block, each formula over its rectangle, then merges, formats a range
// at a time, heights, widths and the print set-up.
#pragma once

#include <string>

#include "host/application.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

// The data workbook's sheet of the plan's name made afresh before
// `before` (the old sheet's first-row heights and page set-up kept in the
// layout store first) and the plan written on it; it is the active sheet.
host::Worksheet& WriteReportSheet(host::Application&, const std::string& dataWorkbookName,
                                  host::Worksheet& layoutStore, host::Worksheet& before, const SheetPlan&);

// The plan's cells, merges, formats, heights and widths on `sheet`.
void WritePlanCells(host::Worksheet& sheet, const host::Worksheet& layoutStore, const SheetPlan&);

}  // namespace tavo::reports
