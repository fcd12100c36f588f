// Two sessions' workbooks compared as a user would see them: sheets in order,
// every cell's value, formula, format and validation, row heights, column
// widths, merged areas, character runs, page set-up, page breaks, tab
// colours, charts, windows and palettes. The first difference is named.
#pragma once

#include <sstream>
#include <string>

#include "host/enum_codes.h"
#include "host/model/application.h"
#include "host/model/chart.h"
#include "sheet_snapshot.h"

namespace tavo::testing {

inline std::string ChartText(const model::ChartData& d) {
  std::ostringstream o;
  o << d.name << '|' << host::code::Of(d.type) << '|' << (d.sourceSheet ? d.sourceSheet->name() : "") << ':' << host::a1(d.source)
    << '|' << host::code::Of(d.plotBy) << '|' << (d.categorySheet ? d.categorySheet->name() : "") << ':' << host::a1(d.categories)
    << d.hasCategories << '|' << d.hasTitle << d.title << d.titleFontSize << '|' << d.hasLegend << d.hasValueAxis
    << d.hasCategoryAxis << d.valueGridlines << d.axisBetweenCategories << d.hasDropLines << d.dataLabels
    << host::code::Of(d.dataLabelPosition) << d.plotAreaCleared << '|' << d.left << ',' << d.top << ',' << d.width << ','
    << d.height;
  return o.str();
}

// What SheetSnapshot leaves out: merges, runs, printing, tab, charts.
inline std::string SheetExtras(model::Sheet& s) {
  std::ostringstream o;
  for (const host::Rect& m : s.merges()) o << host::a1(m) << ' ';
  o << '|';
  host::Rect used = s.usedRange();
  for (int r = 1; r <= used.bottom; ++r)
    for (int c = 1; c <= used.right; ++c)
      for (const host::TextRun& run : s.textRuns({r, c}))
        o << r << ',' << c << ':' << run.start << '+' << run.length << '=' << run.fontSize.value_or(0)
          << run.fontName.value_or("") << ' ';
  o << '|';
  for (int f = 0; f <= static_cast<int>(host::PageField::PrintTitleRows); ++f)
    o << host::displayText(s.pageSetup().get(static_cast<host::PageField>(f))) << ',';
  o << '|';
  for (int row : s.pageBreaks()) o << row << ',';
  o << '|' << s.tabColorIndex() << s.visible() << '|';
  for (int i = 1; i <= s.chartCount(); ++i) o << ChartText(dynamic_cast<model::ModelChart&>(s.chart(i)).data) << ';';
  return o.str();
}

inline std::string WorkbookExtras(model::Workbook& b) {
  std::ostringstream o;
  o << b.name() << '|' << b.activeSheet().name() << '|';
  host::Window& w = b.window();
  o << w.splitRow() << ',' << w.splitColumn() << ',' << w.freezePanes() << ',' << w.scrollRow() << ','
    << w.scrollColumn() << ',' << w.tabRatio() << '|';
  for (int i = 1; i <= 56; ++i) o << b.color(i) << ',';
  return o.str();
}

// "" when the two workbooks are the same.
inline std::string WorkbookDifference(model::Workbook& x, model::Workbook& y) {
  if (WorkbookExtras(x) != WorkbookExtras(y)) return x.name() + ": window, palette or active sheet";
  if (x.sheetCount() != y.sheetCount()) return x.name() + ": sheet count";
  for (int k = 1; k <= x.sheetCount(); ++k) {
    model::Sheet& s = x.modelSheet(k);
    model::Sheet& t = y.modelSheet(k);
    const std::string where = x.name() + " " + s.name();
    if (s.name() != t.name()) return where + ": sheet name " + t.name();
    std::string cells = SheetSnapshot::diff(SheetSnapshot::of(s), SheetSnapshot::of(t));
    if (!cells.empty()) return where + ": " + cells;
    if (SheetExtras(s) != SheetExtras(t)) return where + ": " + SheetExtras(s) + " vs " + SheetExtras(t);
  }
  return "";
}

// "" when the two applications hold the same workbooks.
inline std::string FirstDifference(model::Application& a, model::Application& b) {
  if (a.workbookCount() != b.workbookCount()) return "workbook count";
  for (int i = 1; i <= a.workbookCount(); ++i)
    if (std::string d = WorkbookDifference(a.modelWorkbook(i), b.modelWorkbook(i)); !d.empty()) return d;
  return "";
}

}  // namespace tavo::testing
