#include "reports/sheets/band_plan.h"

#include "host/constants.h"
#include "reports/compute/score_statistics.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

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

// The band cells of one field, a row per class and the sum row, and the
// band headers.
struct BandTable {
  std::vector<int> lows;
  std::vector<std::vector<Value>> rows;  // [class, then the sums][band]
};

BandTable CountBands(const ScoreData& data, std::size_t f, double best, int limit) {
  BandTable t{LowerBounds(best, limit), {}};
  const std::size_t bands = t.lows.size();
  std::vector<int> sums(bands, 0);
  for (const ClassBlock& c : data.classes) {
    const auto counts = BandCounts(BestFirst(data.scores(f), c.students), t.lows);
    std::vector<Value>& row = t.rows.emplace_back(bands);
    for (std::size_t b = 0; b < bands; ++b)
      if (const auto& n = counts[b]) {
        row[b] = Value(*n);
        sums[b] += *n;
      }
  }
  std::vector<Value>& sumRow = t.rows.emplace_back(bands);
  for (std::size_t b = 0; b < bands; ++b) sumRow[b] = Value(sums[b]);
  for (auto& row : t.rows) RunningTotals(row);
  return t;
}

// The field's table from row `top`, 16 bands a block, each block under the
// last with one empty row between and the labels again. The blocks' first
// rows.
std::vector<int> PutBandTable(SheetPlan& plan, const ScoreData& data, std::size_t f, const BandTable& t, int top) {
  const std::string& section = data.fields[f].name;
  const int classes = static_cast<int>(data.classes.size()), bands = static_cast<int>(t.lows.size());
  std::vector<int> tops;
  for (int first = 0; first == 0 || first < bands; first += kBandsPerBlock) {
    const int inBlock = std::min(kBandsPerBlock, bands - first), sumRow = top + classes + 1;
    plan.row(top, RowRole::Header, {}, section);
    plan.put(top, 1, Value(section));
    for (int b = 0; b < inBlock; ++b) plan.put(top, 2 + b, Value(BandHeader(t.lows[static_cast<std::size_t>(first + b)])));
    for (int i = 0; i <= classes; ++i) {
      const int row = top + 1 + i;
      if (i < classes) plan.row(row, RowRole::Class, data.classes[static_cast<std::size_t>(i)].name, section);
      else plan.row(row, RowRole::Subtotal, {}, section);
      plan.put(row, 1, Value(i < classes ? data.classes[static_cast<std::size_t>(i)].name : "合计|累计"));
      for (int b = 0; b < inBlock; ++b)
        plan.put(row, 2 + b, t.rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(first + b)]);
    }
    plan.format({top, 1, sumRow, inBlock + 1}, BordersPatch());
    plan.format({top, 1, top, inBlock + 1}, FillPatch(37));
    plan.format({sumRow, 1, sumRow, inBlock + 1}, FillPatch(15));
    tops.push_back(top);
    top = sumRow + 2;
  }
  return tops;
}

}  // namespace

SheetPlan BandSheetPlan(const std::string& dataWorkbookName, const ScoreData& data,
                        const std::vector<FieldLines>& lines) {
  SheetPlan plan;
  plan.name = "分段表";
  plan.layoutRow = sheetutil::kBands;
  plan.columns = 1 + kBandsPerBlock;
  host::FormatPatch all;
  all.fontSize = 11;
  all.fontName = "宋体";
  all.horizontalAlignment = host::HorizontalAlignment::Center;
  plan.format(Rect::sheet(), all);
  plan.widths = {{1, host::kMaxCol, 8}, {1, 1, 10}};
  plan.textColumns.push_back(1);
  plan.row(1, RowRole::Title).height = RowHeight{LayoutHeight::Title};
  plan.row(2, RowRole::Blank).height = RowHeight{LayoutHeight::Header};

  int top = 3;
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const BandTable t = CountBands(data, f, lines[f].best, f == 0 ? kTotalBandLimit : kSubjectBandLimit);
    for (int block : PutBandTable(plan, data, f, t, top)) plan.blockTops.push_back(block);
    top = plan.lastRow() + 2;
  }

  plan.autoFitThrough = host::kMaxCol;
  plan.merges.push_back({1, 1, 1, 17});
  host::FormatPatch title;
  title.fontSize = 18;
  title.bold = true;
  plan.format(Rect::of(Cell{1, 1}), title);
  plan.put(1, 1, Value(FileStem(dataWorkbookName) + " 分段统计"));
  plan.keepBlocksOnPages = true;
  plan.frozenRows = 1;
  return plan;
}

}  // namespace tavo::reports
