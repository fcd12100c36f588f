// Puts a sheet plan on a host, once and in its final place: the values in
// one block, each formula over its rectangle, then merges, formats a range
// at a time, heights, widths and the print set-up.
#pragma once

#include <functional>
#include <string>

#include "host/application.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

// The data workbook's sheet of the plan's name made afresh before the data
// sheet (the old sheet's first-row heights and page set-up kept in the
// layout store first) and the plan written on it; it is the active sheet.
host::Worksheet& WriteReportSheet(host::Application&, const ReportPlace&, const SheetPlan&);

// The data workbook's sheet of the plan's name made afresh, as above.
host::Worksheet& RecreateReportSheet(host::Application&, const ReportPlace&, const SheetPlan&);

// The plan's cells, merges, formats, heights and widths on `sheet`: its
// values and formulas, then its layout. A sheet whose rows are written
// otherwise (成绩表) writes them between the two.
void WritePlanCells(host::Worksheet& sheet, const host::Worksheet& layoutStore, const SheetPlan&);
void WritePlanValues(host::Worksheet& sheet, const SheetPlan&);
void WritePlanLayout(host::Worksheet& sheet, const host::Worksheet& layoutStore, const SheetPlan&);

// A sheet whose frame is planned and whose table (`rows`, a city's
// students) comes from a source, entered literally between the frame's
// values and its layout. The host may keep the source until it writes the
// file, so the source owns what it reads; it says how far the writing is.
host::Worksheet& WriteSheetWithRows(host::Application&, const ReportPlace&, const SheetPlan& frame,
                                    const host::Rect& rows, host::Worksheet::RowSource rowsOf);

// The page set-up from the layout store, the plan's print titles and page
// breaks between blocks, and the window's frozen rows.
void FinishReportSheet(host::Application&, host::Worksheet& sheet, host::Worksheet& layoutStore, const SheetPlan&);

}  // namespace tavo::reports
