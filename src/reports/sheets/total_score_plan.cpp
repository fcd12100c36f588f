// The total-score sheet: a block per grade group under one title, the
// classes ranked by their weighted score across the groups, and with more
// than one group a column of group names and the grand total.
#include "host/constants.h"
#include "reports/sheets/cell_text.h"
#include "reports/sheets/line_blocks.h"
#include "reports/sheets/total_score_plan.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

SheetPlan TotalScoreSheetPlan(const std::string& dataWorkbookName, const ScoreData& data, const LineSettings& s,
                              const LineStatistics& st, const TotalSheetLayout& layout) {
  SheetPlan plan;
  plan.name = layout.sheetName;
  plan.layoutRow = layout.layoutRow;
  plan.columns = static_cast<int>(layout.headers.size());
  const int columns = plan.columns, rankColumn = columns, counts = static_cast<int>(layout.counts.size());
  const bool grouped = st.groups.size() > 1;

  plan.row(1, RowRole::Title).height = RowHeight{LayoutHeight::Title};
  std::vector<LineBlockRows> blocks;
  int header = 2;
  for (const GradeGroup& g : st.groups) {
    const LineBlockRows rows(header, g.size);
    PutHeaders(plan, rows.header, layout.headers, g.name);
    PutClassRows(plan, rows, data, st, g, 0, layout.counts, layout.teacherColumn, SettingsOrder(g));
    for (const auto& [col, formula] : layout.formulas) plan.formula({rows.firstClass, col, rows.lastClass(), col}, formula);
    PutSubtotal(plan, rows, g, counts, layout.subtotalAverages);
    plan.format({rows.header, 1, rows.subtotal, columns}, BordersPatch());
    if (s.fill) {
      plan.format({rows.header, 1, rows.header, columns}, FillPatch(37));
      for (int row = rows.firstClass + 1; row <= rows.lastClass(); row += 2) plan.format({row, 1, row, columns}, FillPatch(15));
    }
    PutSpacer(plan, rows.spacer);
    blocks.push_back(rows);
    header = rows.spacer + 1;
  }

  plan.format(Rect::sheet(), CentredPatch(11));
  plan.format(Rect::columns(2, 2), NumberFormatPatch("@"));
  plan.format(Rect::columns(5, 5), NumberFormatPatch("0.0"));
  for (int col : layout.twoDecimalColumns) plan.format(Rect::columns(col, col), NumberFormatPatch("0.00"));

  const std::string firstLine = FileStem(dataWorkbookName) + "  " + "总分" + "统计";
  const std::string title = firstLine + kLf + LinesOfTitle(s, st, layout.titleCounts, 0, "  ");
  plan.merges.push_back({1, 2, 1, columns});
  host::FormatPatch titleFont;
  titleFont.fontSize = 16;
  titleFont.fontName = "Arial";
  plan.format(Rect::of(Cell{1, 2}), titleFont);
  plan.put(1, 2, host::Value(title));
  const int lineFeed = host::characterCount(firstLine) + 1;
  plan.textRuns.push_back(
      {{1, 2}, {.start = lineFeed, .length = host::characterCount(title) - lineFeed + 1, .fontSize = 14.0}});

  plan.everyRowHeight = RowHeight{LayoutHeight::Body};
  for (const LineBlockRows& rows : blocks) plan.rows[static_cast<std::size_t>(rows.header - 1)].height = RowHeight{LayoutHeight::Header};

  const int last = blocks.back().spacer;
  if (grouped) {
    std::vector<int> subtotals;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const LineBlockRows& rows = blocks[i];
      plan.merges.push_back({rows.firstClass, 1, rows.subtotal, 1});
      plan.put(rows.firstClass, 1, host::Value(st.groups[i].name));
      subtotals.push_back(rows.subtotal);
    }
    PutGrandTotal(plan, last, subtotals, counts);
    plan.rows[static_cast<std::size_t>(last - 1)].height = RowHeight{LayoutHeight::Body};
  }
  // Every class ranks among all groups' classes.
  const std::string rank = "=RANK(RC[-1],R3C[-1]:R" + std::to_string(last - 2) + "C[-1])";
  if (grouped)
    for (const LineBlockRows& rows : blocks) plan.formula({rows.firstClass, rankColumn, rows.lastClass(), rankColumn}, rank);
  else
    plan.formula({3, rankColumn, last - 2, rankColumn}, rank);

  for (const auto& [col, weight] : layout.weightedColumns)
    if (weight == 0) plan.hiddenColumns.push_back(col);
  if (!s.teacherScores) DropColumns(plan, layout.firstTeacherScoreColumn, columns);
  if (!grouped) DropColumns(plan, 1, 1);
  plan.printTitleRows = "$1:$1";
  plan.frozenRows = grouped ? 1 : 2;
  return plan;
}

}  // namespace tavo::reports
