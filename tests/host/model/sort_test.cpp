// Sorting rows with the host's ordering.
#include <numeric>
#include <random>

#include "model_fixture.h"

namespace tavo::testing {

using SortTest = ModelFixture;

namespace {
std::vector<std::string> shown(const host::Worksheet& s, int col, int from, int to) {
  std::vector<std::string> out;
  for (int r = from; r <= to; ++r) out.push_back(host::displayText(s.value({r, col})));
  return out;
}
}  // namespace

TEST_F(SortTest, AscendingPutsNumbersTextBooleansErrorsThenEmpty) {
  column(1, 1, {Value("key"), Value("b"), Value(), Value(true), Value(10.0), Value("A"),
                Value(host::ErrorKind::NA), Value(-5.0), Value(false)});
  column(2, 1, {Value("n"), Value(1.0), Value(2.0), Value(3.0), Value(4.0), Value(5.0), Value(6.0),
                Value(7.0), Value(8.0)});
  sheet.sort(rect(1, 1, 9, 2), {1, host::SortOrder::Ascending}, std::nullopt, true);
  EXPECT_EQ(shown(sheet, 1, 1, 9),
            (std::vector<std::string>{"key", "-5", "10", "A", "b", "FALSE", "TRUE", "#N/A", ""}));
  EXPECT_EQ(shown(sheet, 2, 2, 9), (std::vector<std::string>{"7", "4", "5", "1", "8", "3", "6", "2"}));
  sheet.sort(rect(1, 1, 9, 2), {1, host::SortOrder::Descending}, std::nullopt, true);
  EXPECT_EQ(shown(sheet, 1, 1, 9),
            (std::vector<std::string>{"key", "#N/A", "TRUE", "FALSE", "b", "A", "10", "-5", ""}));
}

TEST_F(SortTest, TwoKeysClassAscendingTotalDescendingIsStable) {
  // class, total, id
  struct Row {
    const char* cls;
    Value total;
    double id;
  } rows[] = {{"2班", 500.0, 1}, {"1班", 480.0, 2}, {"2班", Value(), 3}, {"1班", 520.0, 4},
              {"2班", 500.0, 5}, {"1班", Value("缺考"), 6}, {"2班", 610.0, 7}};
  put(1, 1, Value("班级"));
  put(1, 2, Value("总分"));
  put(1, 3, Value("id"));
  int r = 2;
  for (const auto& x : rows) {
    put(r, 1, Value(x.cls));
    put(r, 2, x.total);
    put(r, 3, Value(x.id));
    ++r;
  }
  sheet.sort(sheet.currentRegion({1, 1}), {1, host::SortOrder::Ascending},
             host::SortKey{2, host::SortOrder::Descending}, true);
  // Text sorts above numbers when descending; empty is last; ties keep order.
  EXPECT_EQ(shown(sheet, 3, 2, 8), (std::vector<std::string>{"6", "4", "2", "7", "1", "5", "3"}));
}

TEST_F(SortTest, RowsMoveWholeWithFormatsAndFormulasKeepTheirText) {
  column(1, 1, {Value("k"), Value(1.0), Value(3.0), Value(2.0)});
  sheet.setFormulaR1C1(rect(2, 2, 4, 2), "=RC[-1]*10");
  host::FormatPatch fill;
  fill.fill = host::Fill::Solid(15);
  sheet.applyFormat(rect(3, 1, 3, 2), fill);
  sheet.sort(rect(1, 1, 4, 2), {1, host::SortOrder::Descending}, std::nullopt, true);
  EXPECT_EQ(num(2, 1), 3);
  EXPECT_EQ(num(2, 2), 30);
  EXPECT_EQ(r1c1(2, 2), "=RC[-1]*10");
  EXPECT_EQ(sheet.format({2, 1}).fill, host::Fill::Solid(15));
  EXPECT_EQ(sheet.format({3, 2}).fill, host::Fill{});
}

TEST_F(SortTest, KeyOutsideTheRangeIsRefused) {
  column(1, 1, {Value("k"), Value(1.0)});
  EXPECT_THROW(sheet.sort(rect(1, 1, 2, 1), {3, host::SortOrder::Ascending}, std::nullopt, true),
               host::HostError);
}

}  // namespace tavo::testing

namespace tavo::testing {
namespace {

// The host's order of two keys of one kind each (numbers, or text without
// regard to case), empty last in either direction: a plain reference.
int Reference(const host::Value& a, const host::Value& b, bool descending) {
  if (a.isEmpty() || b.isEmpty()) return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? 1 : -1);
  int c;
  if (a.isNumber()) {
    c = a.number() < b.number() ? -1 : (a.number() > b.number() ? 1 : 0);
  } else {
    std::string x = a.text(), y = b.text();
    for (char& ch : x) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (char& ch : y) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    c = x < y ? -1 : (x > y ? 1 : (a.text() < b.text() ? -1 : (a.text() > b.text() ? 1 : 0)));
  }
  return descending ? -c : c;
}

}  // namespace

// Columns of scores (negative, zero of both signs, ties, gaps) and of class
// names (differing in case) in every direction: the rows come out in the
// order of the plain reference, ties in their old order.
TEST_F(SortTest, KeysOfOneKindSortAsThePlainReference) {
  std::mt19937 random(7);
  const double scores[] = {-3.5, -0.0, 0.0, 1e-300, 2, 2, 150, 1e12, -1e12};
  const char* names[] = {"a班", "A班", "b班", "10班", "9班", "B班"};
  for (int round = 0; round < 12; ++round) {
    const int n = 200;
    std::vector<Value> first(n), second(n);
    for (int i = 0; i < n; ++i) {
      const bool gap1 = random() % 9 == 0, gap2 = random() % 9 == 0;
      first[static_cast<std::size_t>(i)] = gap1 ? Value() : Value(names[random() % 6]);
      second[static_cast<std::size_t>(i)] = gap2 ? Value() : Value(scores[random() % 9]);
      put(i + 1, 1, first[static_cast<std::size_t>(i)]);
      put(i + 1, 2, second[static_cast<std::size_t>(i)]);
      put(i + 1, 3, Value(i));
    }
    put(n + 2, 3, Value("below"));  // column 3 runs on below the sorted rows
    const bool desc1 = round % 2, desc2 = round / 2 % 2, twoKeys = round / 4 % 2;
    const int key = round >= 8 ? 2 : 1;  // the last rounds sort by the scores alone
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const auto& k1 = key == 1 ? first : second;
      int c = Reference(k1[static_cast<std::size_t>(a)], k1[static_cast<std::size_t>(b)], desc1);
      if (c != 0 || !twoKeys || key == 2) return c < 0;
      return Reference(second[static_cast<std::size_t>(a)], second[static_cast<std::size_t>(b)], desc2) < 0;
    });
    std::optional<host::SortKey> then;
    if (twoKeys && key == 1) then = host::SortKey{2, desc2 ? host::SortOrder::Descending : host::SortOrder::Ascending};
    sheet.sort(rect(1, 1, n, 3), {key, desc1 ? host::SortOrder::Descending : host::SortOrder::Ascending}, then, false);
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(get(i + 1, 3), Value(order[static_cast<std::size_t>(i)])) << "round " << round << ", row " << i + 1;
    EXPECT_EQ(get(n + 2, 3), Value("below"));
  }
}

}  // namespace tavo::testing
