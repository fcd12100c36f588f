// Sorting rows with the host's ordering.
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
  fill.fillColorIndex = 15;
  sheet.applyFormat(rect(3, 1, 3, 2), fill);
  sheet.sort(rect(1, 1, 4, 2), {1, host::SortOrder::Descending}, std::nullopt, true);
  EXPECT_EQ(num(2, 1), 3);
  EXPECT_EQ(num(2, 2), 30);
  EXPECT_EQ(r1c1(2, 2), "=RC[-1]*10");
  EXPECT_EQ(sheet.format({2, 1}).fillColorIndex, 15);
  EXPECT_EQ(sheet.format({3, 2}).fillColorIndex, host::xl::kNone);
}

TEST_F(SortTest, KeyOutsideTheRangeIsRefused) {
  column(1, 1, {Value("k"), Value(1.0)});
  EXPECT_THROW(sheet.sort(rect(1, 1, 2, 1), {3, host::SortOrder::Ascending}, std::nullopt, true),
               host::HostError);
}

}  // namespace tavo::testing
