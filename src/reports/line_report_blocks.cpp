#include "reports/line_report_blocks.h"

#include <numeric>

#include "host/constants.h"
#include "host/grid.h"
#include "reports/sheet_writing.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

void WriteClassRows(host::Worksheet& w, const ScoreData& data, const LineStatistics& st, const GradeGroup& g,
                    std::size_t field, const std::vector<std::size_t>& counts, int teacherColumn,
                    const std::vector<int>& order) {
  host::Grid rows(g.size, teacherColumn - 1);  // columns 2 .. teacherColumn
  for (int i = 0; i < g.size; ++i) {
    const std::size_t c = static_cast<std::size_t>(g.firstClass + order[static_cast<std::size_t>(i)]);
    rows.at(i, 0) = host::Value(data.classes[c].name);
    rows.at(i, 1) = host::Value(data.classes[c].studentCount);
    rows.at(i, 2) = host::Value(st.maxima[c][field]);
    rows.at(i, 3) = host::Value(st.averages[c][field]);
    for (std::size_t k = 0; k < counts.size(); ++k) rows.at(i, 4 + static_cast<int>(k)) = host::Value(st.counts[counts[k]][c][field]);
    rows.at(i, teacherColumn - 2) = host::Value(st.teachers[c][field]);
  }
  w.setValues({3, 2}, rows);
}

std::vector<int> SettingsOrder(const GradeGroup& g) {
  std::vector<int> order(static_cast<std::size_t>(g.size));
  std::iota(order.begin(), order.end(), 0);
  return order;
}

void WriteSubtotal(host::Worksheet& w, int n, int counts, const std::vector<int>& alsoAveraged) {
  const int row = n + 3, lastCount = 5 + counts;
  Put(w, row, 2, "合计");
  Formula(w, Rect::of(Cell{row, 3}), OverRowsAbove("SUM", n));
  Formula(w, {row, 6, row, lastCount}, OverRowsAbove("SUM", n));
  Formula(w, Rect::of(Cell{row, 4}), OverRowsAbove("MAX", n));
  Formula(w, Rect::of(Cell{row, 5}), OverRowsAbove("AVERAGE", n));
  for (int col : alsoAveraged) Formula(w, Rect::of(Cell{row, col}), OverRowsAbove("AVERAGE", n));
  Bold(w, {row, 6, row, lastCount});
}

int StageBlock(host::Worksheet& w, int staging, int n, int columns) {
  w.copy(w.currentRegion({2, 1}), w, Rect::of(Cell{staging, kStagingColumn}), host::Paste::All);
  Put(w, staging + n + 2, kStagingColumn + 1, " ");
  w.clear({3, 1, n + 3, columns});
  return staging + n + 3;
}

}  // namespace tavo::reports
