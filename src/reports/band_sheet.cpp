// "分段表": per field a table of classes by 5-point bands, each band cell
// showing the class's students in the band and, after "|", those at or
// above its lower bound. Totals span up to 64 bands, wrapped 16 a block.
#include <optional>

#include "host/constants.h"
#include "reports/score_bands_sheets.h"
#include "reports/score_statistics.h"
#include "reports/sheet_writing.h"
#include "sheetutil/block_pages.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr int kBandWidth = 5;
constexpr int kTotalBandLimit = 64;
constexpr int kSubjectBandLimit = 16;
constexpr int kBandsPerBlock = 16;

// Lower bounds from the band holding the best score down to 0, at most `limit`.
std::vector<int> LowerBounds(double best, int limit) {
  const int r = host::roundToInteger(best) % kBandWidth;
  const int top = host::roundToInteger(best - r);
  std::vector<int> lows;
  for (int low = top; low >= 0 && static_cast<int>(lows.size()) < limit; low -= kBandWidth) lows.push_back(low);
  return lows;
}

std::string BandHeader(int low) {
  return "(" + std::to_string(low + kBandWidth) + kLf + " " + std::to_string(low) + "]";
}

// "n|m" from the last band leftwards, m counting down from the row's total;
// the top band keeps its plain count.
void RunningTotals(std::vector<Value>& row) {
  int running = 0;
  for (const Value& v : row) running += v.isNumber() ? static_cast<int>(v.number()) : 0;
  for (std::size_t b = row.size(); b-- > 1;) {
    const int count = row[b].isNumber() ? static_cast<int>(row[b].number()) : 0;
    row[b] = Value(std::to_string(count) + "|" + std::to_string(running));
    running -= count;
  }
}

// The table of one field with its header in row h; returns the number of bands.
int WriteBandTable(host::Worksheet& w, const ScoreData& data, std::size_t f, double best, int limit, int h) {
  const Field& field = data.fields[f];
  const std::vector<int> lows = LowerBounds(best, limit);
  const int bands = static_cast<int>(lows.size());
  const int k = static_cast<int>(data.classes.size());
  const int sumRow = h + k + 1;

  host::Grid table(k + 2, bands + 1);
  table.at(0, 0) = Value(field.name);
  for (int b = 0; b < bands; ++b) table.at(0, b + 1) = Value(BandHeader(lows[static_cast<std::size_t>(b)]));
  std::vector<int> sums(static_cast<std::size_t>(bands), 0);
  for (int i = 0; i < k; ++i) {
    const ClassBlock& c = data.classes[static_cast<std::size_t>(i)];
    table.at(i + 1, 0) = Value(c.name);
    const auto counts = BandCounts(BestFirst(data.scores(f), c.students), lows);
    for (int b = 0; b < bands; ++b)
      if (const auto& n = counts[static_cast<std::size_t>(b)]) {
        table.at(i + 1, b + 1) = Value(*n);
        sums[static_cast<std::size_t>(b)] += *n;
      }
  }
  table.at(k + 1, 0) = Value("合计|累计");
  for (int b = 0; b < bands; ++b) table.at(k + 1, b + 1) = Value(sums[static_cast<std::size_t>(b)]);
  for (int i = 1; i <= k + 1; ++i) {
    std::vector<Value> row(table.cells.begin() + i * table.cols + 1, table.cells.begin() + (i + 1) * table.cols);
    RunningTotals(row);
    std::copy(row.begin(), row.end(), table.cells.begin() + i * table.cols + 1);
  }
  w.setValues({h, 1}, table);

  Borders(w, w.currentRegion({h, 1}));
  Fill(w, {h, 1, h, bands + 1}, 37);
  Fill(w, {sumRow, 1, sumRow, bands + 1}, 15);
  return bands;
}

// Bands 17 onwards move below the block, one empty row between, with a copy
// of the labels; until every block holds at most 16 bands. The blocks' first
// rows.
std::vector<int> WrapBlocks(host::Worksheet& w, int h, int bands, int classCount) {
  const int height = classCount + 2;  // header, classes, sum row
  std::vector<int> tops{h};
  for (int left = bands; left > kBandsPerBlock; left -= kBandsPerBlock) {
    const int next = h + height + 1;
    w.cut({h, kBandsPerBlock + 2, h + height - 1, left + 1}, w, {next, 2});
    w.copy({h, 1, h + height, 1}, w, Rect::of(Cell{next, 1}));
    h = next;
    tops.push_back(h);
  }
  return tops;
}

}  // namespace

void WriteBandSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                    const std::vector<FieldLines>& lines) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "分段表", sheetutil::kBands);
  host::FormatPatch all;
  all.fontSize = 11;
  all.fontName = "宋体";
  all.horizontalAlignment = host::xl::kCenter;
  w.applyFormat(Rect::sheet(), all);
  w.setColumnWidth(1, host::kMaxCol, 8);
  w.setColumnWidth(1, 1, 10);
  NumberFormat(w, Rect::columns(1, 1), host::kTextFormat);
  SetRowHeight(w, 1, StoredHeight(store, sheetutil::kBands, sheetutil::kRow1HeightColumn));
  SetRowHeight(w, 2, StoredHeight(store, sheetutil::kBands, sheetutil::kRow2HeightColumn));

  const int classCount = static_cast<int>(data.classes.size());
  const int bands = WriteBandTable(w, data, 0, lines.front().best, kTotalBandLimit, 3);
  std::vector<int> blockTops = WrapBlocks(w, 3, bands, classCount);

  for (std::size_t s = 1; s < data.fields.size(); ++s) {
    // The used range's last row, wherever it begins: one empty row between tables.
    const int h = w.usedRange().bottom + 2;
    blockTops.push_back(h);
    WriteBandTable(w, data, s, lines[s].best, kSubjectBandLimit, h);
  }

  w.autoFitColumns(1, host::kMaxCol);
  w.merge({1, 1, 1, 17});
  host::FormatPatch title;
  title.fontSize = 18;
  title.bold = true;
  w.applyFormat(Rect::of(Cell{1, 1}), title);
  Put(w, 1, 1, FileStem(dataWorkbookName) + " 分段统计");
  sheetutil::ApplyPageSetup(w, store, sheetutil::kBands, "");
  sheetutil::KeepBlocksOnPages(w, blockTops, w.usedRange().bottom);
  FreezeRows(app, 1);
}

}  // namespace tavo::reports
