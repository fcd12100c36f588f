// Stable sort of a range's rows with the host's ordering: numbers < text
// (case-insensitive, then by code point) < booleans < errors, reversed when
// descending, empty cells always last.
#include <algorithm>
#include <cctype>
#include <numeric>

#include "host/model/sheet.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::Rect;
using host::Value;

namespace {

struct SortKeyValue {
  int rank = 4;  // 0 number, 1 text, 2 boolean, 3 error, 4 empty
  double number = 0;
  std::string text;
};

SortKeyValue keyOf(const Value& v) {
  SortKeyValue k;
  switch (v.kind()) {
    case Value::Kind::Number: k.rank = 0; k.number = v.number(); break;
    case Value::Kind::Text: k.rank = 1; k.text = v.text(); break;
    case Value::Kind::Boolean: k.rank = 2; k.number = v.boolean() ? 1 : 0; break;
    case Value::Kind::Error: k.rank = 3; break;
    case Value::Kind::Empty: k.rank = 4; break;
  }
  return k;
}

int compareText(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// <0, 0, >0 in ascending order; empty handled by the caller.
int compareKeys(const SortKeyValue& a, const SortKeyValue& b) {
  if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
  if (a.rank == 1) return compareText(a.text, b.text);
  if (a.rank == 3) return 0;
  return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
}

int compareOrdered(const SortKeyValue& a, const SortKeyValue& b, host::SortOrder order) {
  bool ea = a.rank == 4, eb = b.rank == 4;
  if (ea || eb) return ea == eb ? 0 : (ea ? 1 : -1);
  int c = compareKeys(a, b);
  return order == host::SortOrder::Descending ? -c : c;
}

}  // namespace

void Sheet::sort(const Rect& range, host::SortKey key1, std::optional<host::SortKey> key2,
                 bool header) {
  if (!range.contains(Cell{range.top, key1.column}) || (key2 && !range.contains(Cell{range.top, key2->column})))
    throw HostError::refused("排序关键字不在排序区域内");
  Rect stored = clipToStored(range);
  int first = range.top + (header ? 1 : 0);
  int last = stored.bottom;
  if (last <= first) return;
  int n = last - first + 1;

  std::vector<SortKeyValue> k1(static_cast<std::size_t>(n)), k2;
  for (int i = 0; i < n; ++i) k1[static_cast<std::size_t>(i)] = keyOf(value({first + i, key1.column}));
  if (key2) {
    k2.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) k2[static_cast<std::size_t>(i)] = keyOf(value({first + i, key2->column}));
  }
  std::vector<int> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
    // Numbers first: the common case of score columns.
    int c = (k1[ua].rank == 0 && k1[ub].rank == 0)
                ? (k1[ua].number == k1[ub].number ? 0
                   : ((k1[ua].number < k1[ub].number) == (key1.order == host::SortOrder::Ascending)) ? -1 : 1)
                : compareOrdered(k1[ua], k1[ub], key1.order);
    if (c != 0 || !key2) return c < 0;
    return compareOrdered(k2[ua], k2[ub], key2->order) < 0;
  });

  bool identity = true;
  for (int i = 0; i < n && identity; ++i) identity = order[static_cast<std::size_t>(i)] == i;
  if (identity) return;

  int right = std::min(range.right, columnCount());
  std::vector<Slot> moved(static_cast<std::size_t>(n));
  for (int c = range.left; c <= right; ++c) {
    Column& col = cols_[static_cast<std::size_t>(c - 1)];
    if (col.size() < first) continue;
    col.at(last);
    auto& slots = col.slots();
    for (int i = 0; i < n; ++i) {
      int from = order[static_cast<std::size_t>(i)];
      Slot& s = slots[static_cast<std::size_t>(first - 1 + from)];
      // A sorted formula keeps its text, as a copy does.
      if (s.isFormula() && s.formula().root && from != i) shiftRelative(*s.formula().root, i - from, 0);
      moved[static_cast<std::size_t>(i)] = std::move(s);
    }
    for (int i = 0; i < n; ++i) slots[static_cast<std::size_t>(first - 1 + i)] = std::move(moved[static_cast<std::size_t>(i)]);
    col.trim();
  }
  touch();
}

}  // namespace tavo::model
