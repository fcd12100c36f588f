// Typed entry: what a value assignment stores.
#include "model_fixture.h"

namespace tavo::testing {

using EntryTest = ModelFixture;

TEST_F(EntryTest, NumericTextBecomesANumberOutsideTextCells) {
  put(1, 1, Value("0"));
  put(2, 1, Value(" 88"));
  put(3, 1, Value("1e3"));
  put(4, 1, Value("12a"));
  put(5, 1, Value(""));
  EXPECT_EQ(get(1, 1), Value(0.0));
  EXPECT_EQ(get(2, 1), Value(88.0));
  EXPECT_EQ(get(3, 1), Value(1000.0));
  EXPECT_EQ(get(4, 1), Value("12a"));
  EXPECT_TRUE(get(5, 1).isEmpty());
}

TEST_F(EntryTest, TextFormatKeepsWhateverIsTyped) {
  host::FormatPatch text;
  text.numberFormat = "@";
  sheet.applyFormat(Rect::columns(1, 2), text);
  put(1, 1, Value("0"));
  put(2, 1, Value(" 88"));
  put(3, 2, Value("1e3"));
  EXPECT_EQ(get(1, 1), Value("0"));
  EXPECT_EQ(get(2, 1), Value(" 88"));
  EXPECT_EQ(get(3, 2), Value("1e3"));
  put(1, 3, Value("0"));  // column C is not text
  EXPECT_EQ(get(1, 3), Value(0.0));
}

TEST_F(EntryTest, RectangleAssignmentWritesEveryCellMergedOnesIncluded) {
  sheet.merge(rect(1, 1, 2, 2));
  sheet.setValue(rect(1, 1, 2, 3), Value("x"));
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(get(r, c), Value("x")) << r << "," << c;
}

TEST_F(EntryTest, BulkReadAndWrite) {
  host::Grid g(2, 3);
  g.at(0, 0) = Value("班级");
  g.at(1, 2) = Value(7.5);
  g.at(1, 1) = Value("95");  // bulk writes follow the same entry rules
  sheet.setValues({4, 2}, g);
  auto back = sheet.values(rect(4, 2, 5, 4));
  EXPECT_EQ(back.at(0, 0), Value("班级"));
  EXPECT_EQ(back.at(1, 1), Value(95.0));
  EXPECT_EQ(back.at(1, 2), Value(7.5));
  EXPECT_TRUE(back.at(0, 2).isEmpty());
}

// What a paste of values leaves, written from memory: an exam number "007"
// stays text, an empty value clears, a number stays a number.
TEST_F(EntryTest, LiteralValuesStayAsTheyAre) {
  put(3, 1, Value("old"));
  host::Grid g(3, 1);
  g.at(0, 0) = Value("007");
  g.at(1, 0) = Value(12.0);
  sheet.setLiteralValues({1, 1}, g);
  EXPECT_EQ(get(1, 1), Value("007"));
  EXPECT_EQ(get(2, 1), Value(12.0));
  EXPECT_TRUE(get(3, 1).isEmpty());
  sheet.setValues({1, 2}, g);
  EXPECT_EQ(get(1, 2), Value(7.0)) << "typed entry, for contrast";
}

// Equal texts one under another share their text; each cell still changes
// alone, in its text and in its runs.
TEST_F(EntryTest, EqualTextsEnteredTogetherStillChangeOneByOne) {
  host::Grid g(4, 1);
  for (int r = 0; r < 4; ++r) g.at(r, 0) = Value(r < 3 ? "1班" : "2班");
  sheet.setLiteralValues({1, 1}, g);
  put(2, 1, Value("3班"));
  host::TextRun bold;
  bold.start = 1;
  bold.length = 1;
  bold.bold = true;
  sheet.setTextRun({3, 1}, bold);
  EXPECT_EQ(get(1, 1), Value("1班"));
  EXPECT_EQ(get(2, 1), Value("3班"));
  EXPECT_EQ(get(3, 1), Value("1班"));
  EXPECT_EQ(sheet.textRuns({3, 1}).size(), 1u);
  EXPECT_TRUE(sheet.textRuns({1, 1}).empty()) << "the run went to the one cell";
  EXPECT_EQ(get(4, 1), Value("2班"));
}

}  // namespace tavo::testing
