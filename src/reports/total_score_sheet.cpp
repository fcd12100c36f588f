// "总分1": each grade group is built as one block in rows 2.. of columns
// 1-17, copied to a staging area from column 51 on, and the finished table
// is cut back to (1, 1), so that every formula keeps its relative form.
#include "host/constants.h"
#include "reports/line_report_blocks.h"
#include "reports/sheet_writing.h"
#include "reports/three_line_sheets.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr int kColumns = 17;
constexpr int kRankColumn = 17;

std::string N(const LineSettings& s, int k) { return s.lineNames[static_cast<std::size_t>(k)]; }

void WriteHeaders(host::Worksheet& w, const LineSettings& s) {
  std::vector<std::string> h = ClassHeaders(s);
  for (const std::string& more :
       {Lines({N(s, 1), "上线", "率(%)"}), Lines({N(s, 2), "上线", "率(%)"}), std::string("班主任"),
        Lines({"平均", "分", "得分"}), Lines({N(s, 0), "生数", "得分"}), Lines({N(s, 1), "上线", "得分"}),
        Lines({N(s, 2), "上线", "得分"}), std::string("总分"), std::string("名次")})
    h.push_back(more);
  for (int c = 0; c < kColumns; ++c) Put(w, 2, c + 1, h[static_cast<std::size_t>(c)]);
}

// One grade group's block in rows 2 .. N + 3 of the build area.
void WriteBlock(host::Worksheet& w, const ScoreData& data, const LineSettings& s, const LineStatistics& st,
                const GradeGroup& g) {
  const int n = g.size, last = n + 2;
  WriteClassRows(w, data, st, g, 0, 11);
  auto column = [&](int col) { return Rect{3, col, last, col}; };
  Formula(w, column(9), "=RC[-2]/RC[-6]*100");
  Formula(w, column(10), "=RC[-2]/RC[-7]*100");
  for (int k = 0; k < 4; ++k)
    Formula(w, column(12 + k), "=RC[-7]*" + host::numberToText(s.coefficients[static_cast<std::size_t>(k)]));
  Formula(w, column(16), "=RC[-4]+RC[-3]+RC[-2]+RC[-1]");

  WriteSubtotal(w, n, 3, {9, 10});

  Borders(w, w.currentRegion({2, 1}));
  if (s.fill) {
    Fill(w, {2, 1, 2, kColumns}, 37);
    for (int row = 4; row <= last; row += 2) Fill(w, {row, 1, row, kColumns}, 15);
  }
}

std::string Title(const std::string& dataWorkbookName, const LineSettings& s, const LineStatistics& st,
                  std::string& prefix) {
  prefix = FileStem(dataWorkbookName) + "  ";
  auto line = [&](int k, const char* count) {
    return N(s, k) + "线:" + host::numberToText(st.lineScores[static_cast<std::size_t>(k)][0]) + "  " + N(s, k) +
           count + std::to_string(st.lineTotals[static_cast<std::size_t>(k)][0]);
  };
  return prefix + "总分" + "统计" + kLf + line(0, "生数:") + "   " + line(1, "上线:") + "   " + line(2, "上线:");
}

}  // namespace

void WriteTotalScoreSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                          const LineSettings& s, const LineStatistics& st) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "总分1", sheetutil::kTotal1);
  WriteHeaders(w, s);

  int staging = 2;
  for (const GradeGroup& g : st.groups) {
    WriteBlock(w, data, s, st, g);
    staging = StageBlock(w, staging, g.size, kColumns);
  }
  w.cut(w.currentRegion({1, kStagingColumn}), w, {1, 1});

  CentreAllCells(w);
  NumberFormat(w, Rect::columns(2, 2), "@");
  NumberFormat(w, Rect::columns(5, 5), "0.0");
  for (int col : {9, 10, 12, 16}) NumberFormat(w, Rect::columns(col, col), "0.00");

  std::string prefix;
  const std::string title = Title(dataWorkbookName, s, st, prefix);
  w.merge({1, 2, 1, kColumns});
  host::FormatPatch titleFont;
  titleFont.fontSize = 16;
  titleFont.fontName = "Arial";
  w.applyFormat(Rect::of(Cell{1, 2}), titleFont);
  Put(w, 1, 2, title);
  const int lineFeed = host::characterCount(prefix) + 5;
  w.setTextRun({1, 2}, {lineFeed, host::characterCount(title) - lineFeed + 1, 14.0, std::nullopt});

  const auto bodyHeight = StoredHeight(store, sheetutil::kTotal1, sheetutil::kBodyHeightColumn);
  const auto headerHeight = StoredHeight(store, sheetutil::kTotal1, sheetutil::kRow2HeightColumn);
  SetAllRowHeights(w, bodyHeight);
  SetRowHeight(w, 1, StoredHeight(store, sheetutil::kTotal1, sheetutil::kRow1HeightColumn));
  SetRowHeight(w, 2, headerHeight);

  const int r = w.currentRegion({1, 1}).bottom;  // the last spacer row
  const std::string rank = "=RANK(RC[-1],R3C[-1]:R" + std::to_string(r - 2) + "C[-1])";
  const bool grouped = st.groups.size() > 1;
  if (grouped) {
    int row = 3;
    std::string sum = "=SUM(";
    for (const GradeGroup& g : st.groups) {
      const int j = row + g.size;
      w.merge({row, 1, j, 1});
      Put(w, row, 1, g.name);
      SetRowHeight(w, row - 1, headerHeight);
      Formula(w, {row, kRankColumn, j - 1, kRankColumn}, rank);
      sum += "R[" + std::to_string(j - r) + "]C,";
      row = j + 3;
    }
    sum.back() = ')';
    Put(w, r, 2, "共计");
    for (int col : {3, 6, 7, 8}) Formula(w, Rect::of(Cell{r, col}), sum);
    Bold(w, {r, 6, r, 8});
    SetRowHeight(w, r, bodyHeight);
  } else {
    Formula(w, {3, kRankColumn, r - 2, kRankColumn}, rank);
  }

  w.autoFitColumns(1, kColumns);
  for (int k = 0; k < 4; ++k)
    if (s.coefficients[static_cast<std::size_t>(k)] == 0) w.setColumnWidth(12 + k, 12 + k, 0);
  if (!s.teacherScores) w.remove(Rect::columns(12, 17), host::Shift::Left);
  if (!grouped) w.remove(Rect::columns(1, 1), host::Shift::Left);
  sheetutil::ApplyPageSetup(w, store, sheetutil::kTotal1, "$1:$1");
  FreezeRows(app, grouped ? 1 : 2);
}

}  // namespace tavo::reports
