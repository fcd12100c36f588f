// Stable sort of a range's rows with the host's ordering: numbers < text
// (case-insensitive, then by code point) < booleans < errors, reversed when
// descending, empty cells always last.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <cctype>
#include <numeric>
#include <unordered_map>

#include "host/model/sheet.h"
#include "host/radix_sort.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::Rect;
using host::Value;

namespace {

// A sort key reduced to what the ordering needs; text lives beside it.
struct Key {
  double number = 0;     // value of numbers and booleans; index of text
  std::uint8_t rank = 4;  // 0 number, 1 text, 2 boolean, 3 error, 4 empty
};

// Packed so that sorting moves 24 bytes a row.
struct Record {
  double n1, n2;
  std::int32_t row;  // 0-based within the sorted rows
  std::uint8_t r1, r2;
};

using host::compareTextInSortOrder;

// Reads sort keys. Text is interned as it is read; once all keys are in,
// each distinct text gets its place in the host's text order, so that the
// sort itself compares numbers only.
class KeyReader {
 public:
  KeyReader(const Sheet& sheet) : sheet_(sheet) {}
  Key read(int row, int col) {
    const Column* column = sheet_.column(col);
    const Slot* s = column ? column->get(row) : nullptr;
    if (!s) return {};
    switch (s->kind()) {
      case Slot::Kind::Number: return {s->number(), 0};
      case Slot::Kind::Text: return text(s->text().text);
      case Slot::Kind::Formula: return fromValue(sheet_.value({row, col}));
      default: return fromValue(s->constant());
    }
  }
  // The place of interned text `id` among all texts read, equal texts alike.
  std::vector<double> textOrder() const {
    std::vector<int> ids(texts_.size());
    std::iota(ids.begin(), ids.end(), 0);
    std::sort(ids.begin(), ids.end(), [&](int a, int b) {
      return compareTextInSortOrder(texts_[static_cast<std::size_t>(a)], texts_[static_cast<std::size_t>(b)]) < 0;
    });
    std::vector<double> order(texts_.size());
    double place = 0;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if (i > 0 && compareTextInSortOrder(texts_[static_cast<std::size_t>(ids[i - 1])], texts_[static_cast<std::size_t>(ids[i])]) != 0)
        ++place;
      order[static_cast<std::size_t>(ids[i])] = place;
    }
    return order;
  }

 private:
  Key text(const std::string& t) {
    // Rows of one class stand together: the text of the row before is the
    // likeliest, and comparing with it is cheaper than hashing.
    if (last_ >= 0 && texts_[static_cast<std::size_t>(last_)] == t) return {static_cast<double>(last_), 1};
    auto [it, fresh] = ids_.try_emplace(t, static_cast<int>(texts_.size()));
    if (fresh) texts_.push_back(t);
    last_ = it->second;
    return {static_cast<double>(it->second), 1};
  }
  Key fromValue(const Value& v) {
    switch (v.kind()) {
      case Value::Kind::Number: return {v.number(), 0};
      case Value::Kind::Text: return text(v.text());
      case Value::Kind::Boolean: return {v.boolean() ? 1.0 : 0.0, 2};
      case Value::Kind::Error: return {0, 3};
      case Value::Kind::Empty: break;
    }
    return {};
  }
  const Sheet& sheet_;
  std::vector<std::string> texts_;
  std::unordered_map<std::string, int> ids_;
  int last_ = -1;
};

// Whether each key holds values of one rank only, empty cells aside.
bool OneRankEach(const std::vector<Record>& recs) {
  int r1 = -1, r2 = -1;
  for (const Record& rec : recs) {
    if (rec.r1 != 4 && rec.r1 != (r1 < 0 ? rec.r1 : r1)) return false;
    if (rec.r2 != 4 && rec.r2 != (r2 < 0 ? rec.r2 : r2)) return false;
    if (rec.r1 != 4) r1 = rec.r1;
    if (rec.r2 != 4) r2 = rec.r2;
  }
  return true;
}

// A key of a rank shared by all as the bits of an unsigned number ordered
// as the sort orders: by value (errors all alike), reversed when descending,
// empty last either way. Held in the record's double.
double Ordered(double value, std::uint8_t rank, bool descending) {
  std::uint64_t key = std::numeric_limits<std::uint64_t>::max();
  if (rank != 4) {
    const std::uint64_t ascending = host::OrderedBits(rank == 3 ? 0 : value);
    key = std::min(descending ? ~ascending : ascending, key - 1);
  }
  return std::bit_cast<double>(key);
}

}  // namespace

void Sheet::sort(const Rect& range, host::SortKey key1, std::optional<host::SortKey> key2,
                 bool header) {
  settleAll();
  dropFindIndex();
  if (!range.contains(Cell{range.top, key1.column}) || (key2 && !range.contains(Cell{range.top, key2->column})))
    throw refusedAt(range, "排序关键字不在排序区域内");
  ++sorts_;
  Rect stored = clipToStored(range);
  int first = range.top + (header ? 1 : 0);
  int last = stored.bottom;
  if (last <= first) return;
  int n = last - first + 1;

  KeyReader reader(*this);
  std::vector<Record> recs(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto& rec = recs[static_cast<std::size_t>(i)];
    rec.row = i;
    Key a = reader.read(first + i, key1.column);
    Key b = key2 ? reader.read(first + i, key2->column) : Key{};
    rec.n1 = a.number;
    rec.r1 = a.rank;
    rec.n2 = b.number;
    rec.r2 = b.rank;
  }
  // Text keys become their place in the text order.
  const std::vector<double> textOrder = reader.textOrder();
  for (Record& rec : recs) {
    if (rec.r1 == 1) rec.n1 = textOrder[static_cast<std::size_t>(rec.n1)];
    if (rec.r2 == 1) rec.n2 = textOrder[static_cast<std::size_t>(rec.n2)];
  }
  // Empty last in either order; otherwise by rank, then value (errors are
  // all equal), reversed when descending.
  const bool desc1 = key1.order == host::SortOrder::Descending;
  const bool desc2 = key2 && key2->order == host::SortOrder::Descending;
  if (OneRankEach(recs)) {
    // The common case (scores, class names): each key becomes one unsigned
    // number in the sort's order, and the sort compares integers only.
    for (Record& rec : recs) {
      rec.n1 = Ordered(rec.n1, rec.r1, desc1);
      rec.n2 = Ordered(rec.n2, rec.r2, desc2);
    }
    // Stable by (n1, n2) as unsigned numbers: n2's bytes first.
    host::RadixSort<16>(recs, [](const Record& r, int b) {
      const double key = b < 8 ? r.n2 : r.n1;
      return static_cast<std::size_t>((std::bit_cast<std::uint64_t>(key) >> (8 * (b % 8))) & 0xFF);
    });
  } else {
    auto compare = [](double an, std::uint8_t ar, double bn, std::uint8_t br, bool descending) {
      if (ar == 4 || br == 4) return ar == br ? 0 : (ar == 4 ? 1 : -1);
      int c;
      if (ar != br) c = ar < br ? -1 : 1;
      else if (ar == 3) c = 0;
      else c = an < bn ? -1 : (an > bn ? 1 : 0);
      return descending ? -c : c;
    };
    std::stable_sort(recs.begin(), recs.end(), [&](const Record& a, const Record& b) {
      int c = compare(a.n1, a.r1, b.n1, b.r1, desc1);
      if (c != 0 || !key2) return c < 0;
      return compare(a.n2, a.r2, b.n2, b.r2, desc2) < 0;
    });
  }

  bool identity = true;
  for (int i = 0; i < n && identity; ++i) identity = recs[static_cast<std::size_t>(i)].row == i;
  if (identity) return;

  int right = std::min(range.right, columnCount());
  const auto head = static_cast<std::size_t>(first - 1);
  std::vector<Slot> moved;
  for (int c = range.left; c <= right; ++c) {
    Column& col = cols_[static_cast<std::size_t>(c - 1)];
    if (col.size() < first) continue;
    col.at(last);
    auto& slots = col.slots();
    // Sorted rows that end the column make a new column with the rows
    // above them: the old one is swapped out instead of written back.
    const bool toEnd = head + static_cast<std::size_t>(n) == slots.size();
    const std::size_t base = toEnd ? head : 0;
    moved.resize(base + static_cast<std::size_t>(n));
    for (std::size_t r = 0; r < base; ++r) moved[r] = std::move(slots[r]);
    for (int i = 0; i < n; ++i) {
      // The gather is random access into the column: fetch well ahead of use.
      if (i + 128 < n) __builtin_prefetch(&slots[head + static_cast<std::size_t>(recs[static_cast<std::size_t>(i + 128)].row)]);
      int from = recs[static_cast<std::size_t>(i)].row;
      Slot& s = slots[head + static_cast<std::size_t>(from)];
      // A sorted formula keeps its text, as a copy does.
      if (s.isFormula() && s.formula().root && from != i) {
        shiftRelative(*s.formula().root, i - from, 0);
        s.formula().loadedA1.clear();
      }
      moved[base + static_cast<std::size_t>(i)] = std::move(s);
    }
    if (toEnd) {
      slots.swap(moved);
    } else {
      for (int i = 0; i < n; ++i) slots[head + static_cast<std::size_t>(i)] = std::move(moved[static_cast<std::size_t>(i)]);
    }
    col.trim();
  }
  touch();
}

}  // namespace tavo::model
