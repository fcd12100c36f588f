#include "reports/sheets/line_blocks.h"

#include <numeric>

#include "reports/sheets/cell_text.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

void PutHeaders(SheetPlan& plan, int row, const std::vector<std::string>& headers, const std::string& key,
                const std::string& section) {
  plan.row(row, RowRole::Header, key, section);
  for (std::size_t c = 0; c < headers.size(); ++c) plan.put(row, static_cast<int>(c) + 1, host::Value(headers[c]));
}

void PutClassRows(SheetPlan& plan, const LineBlockRows& rows, const ScoreData& data, const LineStatistics& st,
                  const GradeGroup& g, std::size_t field, const std::vector<std::size_t>& counts, int teacherColumn,
                  const std::vector<int>& order, const std::string& section) {
  for (int i = 0; i < g.size; ++i) {
    const std::size_t c = static_cast<std::size_t>(g.firstClass + order[static_cast<std::size_t>(i)]);
    const int row = rows.firstClass + i;
    plan.row(row, RowRole::Class, data.classes[c].name, section);
    plan.put(row, 2, host::Value(data.classes[c].name));
    plan.put(row, 3, host::Value(data.classes[c].studentCount));
    plan.put(row, 4, host::Value(st.maxima[c][field]));
    plan.put(row, 5, host::Value(st.averages[c][field]));
    for (std::size_t k = 0; k < counts.size(); ++k)
      plan.put(row, kFirstCountColumn + static_cast<int>(k), host::Value(st.counts[counts[k]][c][field]));
    plan.put(row, teacherColumn, host::Value(st.teachers[c][field]));
  }
}

std::vector<int> SettingsOrder(const GradeGroup& g) {
  std::vector<int> order(static_cast<std::size_t>(g.size));
  std::iota(order.begin(), order.end(), 0);
  return order;
}

void PutSubtotal(SheetPlan& plan, const LineBlockRows& rows, const GradeGroup& g, int counts,
                 const std::vector<int>& alsoAveraged, const std::string& section) {
  const int row = rows.subtotal, n = g.size, lastCount = kFirstCountColumn - 1 + counts;
  plan.row(row, RowRole::Subtotal, g.name, section);
  plan.put(row, 2, host::Value("合计"));
  plan.formula(Rect::of(Cell{row, 3}), OverRowsAbove("SUM", n));
  plan.formula({row, kFirstCountColumn, row, lastCount}, OverRowsAbove("SUM", n));
  plan.formula(Rect::of(Cell{row, 4}), OverRowsAbove("MAX", n));
  plan.formula(Rect::of(Cell{row, 5}), OverRowsAbove("AVERAGE", n));
  for (int col : alsoAveraged) plan.formula(Rect::of(Cell{row, col}), OverRowsAbove("AVERAGE", n));
  plan.format({row, kFirstCountColumn, row, lastCount}, BoldPatch());
}

void PutSpacer(SheetPlan& plan, int row, const std::string& section) {
  plan.row(row, RowRole::Spacer, {}, section);
  plan.put(row, 2, host::Value(" "));
}

void PutGrandTotal(SheetPlan& plan, int row, const std::vector<int>& subtotalRows, int counts,
                   const std::string& section) {
  std::string sum = "=SUM(";
  for (int subtotal : subtotalRows) sum += "R[" + std::to_string(subtotal - row) + "]C,";
  sum.back() = ')';
  const int lastCount = kFirstCountColumn - 1 + counts;
  plan.row(row, RowRole::GrandTotal, {}, section);
  plan.put(row, 2, host::Value("共计"));
  plan.formula(Rect::of(Cell{row, 3}), sum);
  plan.formula({row, kFirstCountColumn, row, lastCount}, sum);
  plan.format({row, kFirstCountColumn, row, lastCount}, BoldPatch());
}

}  // namespace tavo::reports
