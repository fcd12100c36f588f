#include "reports/line_report_blocks.h"

#include "host/constants.h"
#include "reports/sheet_writing.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

void WriteClassRows(host::Worksheet& w, const ScoreData& data, const LineStatistics& st, const GradeGroup& g,
                    std::size_t field, const std::vector<std::size_t>& counts, int teacherColumn) {
  for (int i = 0; i < g.size; ++i) {
    const std::size_t c = static_cast<std::size_t>(g.firstClass + i);
    const int row = 3 + i;
    Put(w, row, 2, data.classes[c].name);
    Put(w, row, 3, data.classes[c].studentCount);
    Put(w, row, 4, st.maxima[c][field]);
    Put(w, row, 5, st.averages[c][field]);
    for (std::size_t k = 0; k < counts.size(); ++k) Put(w, row, 6 + static_cast<int>(k), st.counts[counts[k]][c][field]);
    Put(w, row, teacherColumn, st.teachers[c][field]);
  }
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
