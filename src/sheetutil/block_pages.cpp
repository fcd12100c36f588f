#include "sheetutil/block_pages.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "host/constants.h"
#include "host/page_setup.h"
#include "sheetutil/skip_failures.h"

namespace tavo::sheetutil {

namespace {

// Width and height in points of the paper sizes a school prints on.
std::pair<double, double> Paper(int size) {
  switch (size) {
    case 1: return {612, 792};           // Letter
    case 5: return {612, 1008};          // Legal
    case 8: return {841.9, 1190.6};      // A3
    case 9: return {595.3, 841.9};       // A4
    case 11: return {419.5, 595.3};      // A5
    case 12: return {728.5, 1031.8};     // B4 (JIS)
    case 13: return {515.9, 728.5};      // B5 (JIS)
    default: return {0, 0};
  }
}

}  // namespace

namespace {

// The paper's printed length along one side, in points of the sheet: its
// size less the two margins, over the zoom; 0 when it cannot be told.
double Printed(const host::PageSetup& page, bool across) {
  const host::Value size = page.get(host::PageField::PaperSize), zoom = page.get(host::PageField::Zoom);
  if (!size.isNumber() || !zoom.isNumber() || zoom.number() <= 0) return 0;
  auto [width, height] = Paper(host::roundToInteger(size.number()));
  if (page.get(host::PageField::Orientation) == host::Value(host::code::kLandscape)) std::swap(width, height);
  const double margins =
      across ? host::toNumber(page.get(host::PageField::LeftMargin)) + host::toNumber(page.get(host::PageField::RightMargin))
             : host::toNumber(page.get(host::PageField::TopMargin)) + host::toNumber(page.get(host::PageField::BottomMargin));
  const double printed = (across ? width : height) - margins;
  return printed > 0 ? printed / (zoom.number() / 100) : 0;
}

}  // namespace

double PrintedPageHeight(const host::PageSetup& page) { return Printed(page, false); }
double PrintedPageWidth(const host::PageSetup& page) { return Printed(page, true); }

void FitColumnsAcross(host::Worksheet& sheet, int last, double smallestZoom) {
  SkipFailures{}([&] {
    host::PageSetup& page = sheet.pageSetup();
    // A width of n characters is 7n + 5 pixels of the default font, at
    // three quarters of a point each.
    double needed = 0;
    for (int col = 1; col <= last; ++col) needed += (7 * sheet.columnWidth(col) + 5) * 0.75;
    const double across = Printed(page, true), zoom = host::toNumber(page.get(host::PageField::Zoom));
    if (across > 0 && across < needed)
      page.set(host::PageField::Zoom, std::max(smallestZoom, std::floor(zoom * across / needed)));
  });
}

void KeepBlocksOnPages(host::Worksheet& sheet, const std::vector<int>& blockTops, int lastRow) {
  // A little room for what the printing program rounds differently.
  const double page = PrintedPageHeight(sheet.pageSetup()) * 0.98;
  if (page <= 0) return;
  auto height = [&](int from, int to) {
    double h = 0;
    for (int r = from; r <= to; ++r) h += sheet.rowHeight(r);
    return h;
  };
  double used = 0;  // of the current page
  int next = 1;     // the first row not yet counted
  for (std::size_t i = 0; i < blockTops.size(); ++i) {
    const int top = blockTops[i];
    const int bottom = i + 1 < blockTops.size() ? blockTops[i + 1] - 1 : lastRow;
    used += height(next, top - 1);
    const double block = height(top, bottom);
    if (i > 0 && used + block > page && block <= page) {
      sheet.addPageBreakAbove(top);
      used = 0;
    }
    used += block;
    while (used > page) used -= page;  // a tall block runs on over pages of its own
    next = bottom + 1;
  }
}

}  // namespace tavo::sheetutil
