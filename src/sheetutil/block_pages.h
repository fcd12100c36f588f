// Report sheets are runs of blocks (one subject's table, one field's
// classes). Printed as the host paginates, a page may end inside a block and
// cut a subject's table in two; these breaks keep each block on one page.
#pragma once

#include <vector>

#include "host/worksheet.h"

namespace tavo::sheetutil {

// The height of the sheet's rows that one printed page holds, in points of
// the sheet, from the paper, orientation, top and bottom margins and zoom of
// its page set-up; 0 when it cannot be told (a paper size not known here).
double PrintedPageHeight(const host::PageSetup&);
// The same across: the width of the sheet one printed page holds.
double PrintedPageWidth(const host::PageSetup&);

// Columns 1..last printed on one page's width: the zoom made smaller where
// they would not fit, down to `smallestZoom`. Steps the host refuses are
// passed over.
void FitColumnsAcross(host::Worksheet&, int last, double smallestZoom);

// Adds a page break above each block (first rows `blockTops`, ascending; the
// last block ends at `lastRow`) but the first that would run over the bottom
// of the page it starts on. A block taller than a page is left to the host's
// own breaks.
void KeepBlocksOnPages(host::Worksheet&, const std::vector<int>& blockTops, int lastRow);

}  // namespace tavo::sheetutil
