// Current region, used range and search.
#include <random>

#include "model_fixture.h"

namespace tavo::testing {

using RegionTest = ModelFixture;

TEST_F(RegionTest, GrowsFromAnEmptyCellNextToATable) {
  for (int r = 1; r <= 4; ++r)
    for (int c = 1; c <= 3; ++c) put(r, c, Value(1.0));
  EXPECT_EQ(sheet.currentRegion({5, 4}), rect(1, 1, 5, 4));  // diagonal neighbour counts
  EXPECT_EQ(sheet.currentRegion({2, 2}), rect(1, 1, 4, 3));
  EXPECT_EQ(sheet.currentRegion({7, 7}), Rect::of(Cell{7, 7}));
}

TEST_F(RegionTest, ASingleSpaceJoinsBlocksFormatsDoNot) {
  put(1, 1, Value("班级"));
  put(2, 1, Value("1班"));
  put(3, 2, Value(" "));  // spacer
  put(4, 1, Value("2班"));
  EXPECT_EQ(sheet.currentRegion({1, 1}), rect(1, 1, 4, 2));
  put(3, 2, Value());
  host::FormatPatch fill;
  fill.fill = host::Fill::Solid(15);
  sheet.applyFormat(rect(3, 1, 3, 2), fill);
  EXPECT_EQ(sheet.currentRegion({1, 1}), rect(1, 1, 2, 1));
}

TEST_F(RegionTest, MergedTitleCountsOverItsWholeArea) {
  sheet.merge(rect(1, 2, 1, 17));
  put(1, 2, Value("title"));
  put(2, 15, Value("名次"));
  put(3, 15, Value(1.0));
  EXPECT_EQ(sheet.currentRegion({3, 15}), rect(1, 2, 3, 17));
}

TEST_F(RegionTest, UsedRangeCoversValuesFormatsAndRowHeights) {
  EXPECT_EQ(sheet.usedRange(), Rect::of(Cell{1, 1}));
  put(5, 3, Value(1.0));
  EXPECT_EQ(sheet.usedRange(), rect(5, 3, 5, 3));
  sheet.setRowHeight(1, 2, 20);
  EXPECT_EQ(sheet.usedRange().top, 1);
  host::FormatPatch bold;
  bold.bold = true;
  sheet.applyFormat(rect(9, 6, 9, 6), bold);
  EXPECT_EQ(sheet.usedRange(), rect(1, 3, 9, 6));
  sheet.setRowHeight(1, host::kMaxRow, 16);  // a default height is no row's own
  sheet.clear(rect(9, 6, 9, 6));
  EXPECT_EQ(sheet.usedRange(), rect(5, 3, 5, 3));
  // Emptied cells at either end of a column, and between, count for nothing.
  put(2, 4, Value(1.0));
  put(4, 4, Value(1.0));
  put(8, 4, Value(1.0));
  sheet.clear(rect(8, 4, 8, 4));
  sheet.clear(rect(2, 4, 2, 4));
  EXPECT_EQ(sheet.usedRange(), rect(4, 3, 5, 4));
  sheet.clear(rect(4, 4, 4, 4));
  EXPECT_EQ(sheet.usedRange(), rect(5, 3, 5, 3));
}

TEST_F(RegionTest, WholeCellFindComparesDisplayTextIgnoringCase) {
  column(1, 1, {Value("班级"), Value("Class1"), Value(85.0), Value("class1"), Value(0.5), Value("85")});
  Rect col = Rect::columns(1, 1);
  EXPECT_EQ(sheet.find(col, "CLASS1", {1, 1}, true), (Cell{2, 1}));
  EXPECT_EQ(sheet.find(col, "class1", {2, 1}, true), (Cell{4, 1}));
  EXPECT_EQ(sheet.find(col, "class1", {4, 1}, true), (Cell{2, 1}));  // wraps
  EXPECT_EQ(sheet.find(col, "85", {1, 1}, true), (Cell{3, 1}));
  EXPECT_EQ(sheet.find(col, "85", {3, 1}, true), (Cell{6, 1}));      // text "85" too
  EXPECT_EQ(sheet.find(col, ".5", {1, 1}, true), std::nullopt);       // shown as 0.5
  EXPECT_EQ(sheet.find(col, "0.5", {1, 1}, true), (Cell{5, 1}));
  EXPECT_EQ(sheet.find(col, "class", {1, 1}, true), std::nullopt);
  EXPECT_EQ(sheet.find(col, "lass", {1, 1}, false), (Cell{2, 1}));
  EXPECT_EQ(sheet.findPrevious(col, "class1", {2, 1}, true), (Cell{4, 1}));  // wraps backwards
  EXPECT_EQ(sheet.findPrevious(col, "class1", {4, 1}, true), (Cell{2, 1}));
  EXPECT_EQ(sheet.find(col, "班级", {1, 1}, true), (Cell{1, 1}));  // the start cell comes last
}

TEST_F(RegionTest, FindSeesFormulaResults) {
  put(1, 1, Value(40.0));
  formula(2, 1, "=R1C1*2");
  EXPECT_EQ(sheet.find(Rect::columns(1, 1), "80", {1, 1}, true), (Cell{2, 1}));
}

}  // namespace tavo::testing

namespace tavo::testing {

// Many areas (a report's class blocks) and edits that move them: every
// cell's area is the one a walk over all areas finds.
TEST_F(RegionTest, MergeAreaOfEveryCellAmongManyAreasThroughEdits) {
  for (int k = 0; k < 40; ++k) sheet.merge(rect(2 + k * 4, 1 + k % 3, 2 + k * 4 + k % 4, 2 + k % 3));
  sheet.merge(rect(300, 5, 900, 6));  // one tall area
  auto check = [&] {
    for (int r = 1; r <= 950; ++r)
      for (int c = 1; c <= 7; ++c) {
        Rect walked = Rect::of(Cell{r, c});
        for (const Rect& m : sheet.merges())
          if (m.contains(Cell{r, c})) walked = m;
        ASSERT_EQ(sheet.mergeArea({r, c}), walked) << r << "," << c;
      }
  };
  check();
  sheet.insert(Rect::rows(10, 12), host::Shift::Down);
  check();
  sheet.remove(Rect::rows(2, 3), host::Shift::Up);
  check();
  sheet.merge(rect(950, 1, 950, 3));
  check();
  // A new area over two old ones takes both in, and no other area is left
  // touching it; one apart from all touches none.
  const auto before = sheet.merges().size();
  const Rect a = sheet.merges()[3], b = sheet.merges()[4];
  sheet.merge(rect(std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.top, b.top), std::min(a.left, b.left)));
  const Rect joined = sheet.mergeArea(a.topLeft());
  EXPECT_TRUE(joined.contains(a) && joined.contains(b)) << host::a1(joined);
  for (const Rect& m : sheet.merges()) EXPECT_TRUE(m == joined || !m.intersects(joined)) << host::a1(m);
  const auto after = sheet.merges().size();
  EXPECT_LT(after, before);
  sheet.merge(rect(960, 8, 961, 9));
  EXPECT_EQ(sheet.merges().size(), after + 1);
  check();
}

// Random merges, narrow, tall and wider than a title: each new area takes in
// those it meets, no two areas ever share a cell, and every cell's area is
// the one a walk finds.
TEST_F(RegionTest, RandomMergesStayApartAndAreFoundFromAnyCell) {
  std::mt19937 random(20261210);
  for (int k = 0; k < 400; ++k) {
    const int top = 1 + static_cast<int>(random() % 3000), left = 1 + static_cast<int>(random() % 120);
    const int kind = static_cast<int>(random() % 20);
    const int height = kind == 0 ? 1 + static_cast<int>(random() % 400) : 1 + static_cast<int>(random() % 3);
    const int width = kind == 1 ? 65 + static_cast<int>(random() % 40) : 1 + static_cast<int>(random() % 3);
    sheet.merge(rect(top, left, top + height - 1, left + width - 1));
    if (k % 50 == 0) {
      const int at = 1 + static_cast<int>(random() % 2000);
      sheet.insert(Rect::rows(at, at + static_cast<int>(random() % 5)), host::Shift::Down);
    }
  }
  const auto& areas = sheet.merges();
  for (std::size_t i = 0; i < areas.size(); ++i)
    for (std::size_t j = i + 1; j < areas.size(); ++j)
      ASSERT_FALSE(areas[i].intersects(areas[j])) << host::a1(areas[i]) << " " << host::a1(areas[j]);
  for (int r = 1; r <= 3600; r += 2)
    for (int c = 1; c <= 230; ++c) {
      Rect walked = Rect::of(Cell{r, c});
      for (const Rect& m : areas)
        if (m.contains(Cell{r, c})) walked = m;
      ASSERT_EQ(sheet.mergeArea({r, c}), walked) << r << "," << c;
    }
}

// A column searched again and again (each class of a sorted table) gives
// what a walk gives, also after the column changes between searches.
TEST_F(RegionTest, RepeatedWholeTextSearchesFollowChanges) {
  const char* classes[] = {"1班", "2班", "3班"};
  for (int r = 1; r <= 30; ++r) put(r, 2, Value(classes[(r - 1) / 10]));
  put(31, 2, Value(5.0));
  model::Sheet& other = book.appendSheet("其他");
  other.setValue(rect(1, 1, 1, 1), Value("2班"));
  sheet.setFormulaR1C1(rect(32, 2, 32, 2), "=其他!R1C1");
  const Rect column = Rect::columns(2, 2);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(sheet.find(column, "2班", {1, 2}, true), (Cell{11, 2}));
    EXPECT_EQ(sheet.findPrevious(column, "2班", {11, 2}, true), (Cell{32, 2}));
    EXPECT_EQ(sheet.find(column, "2班", {32, 2}, true), (Cell{11, 2}));  // wraps
    EXPECT_EQ(sheet.find(column, "4班", {1, 2}, true), std::nullopt);
    EXPECT_EQ(sheet.find(column, "5", {1, 2}, true), (Cell{31, 2}));  // a number by value
  }
  put(15, 2, Value("4班"));
  EXPECT_EQ(sheet.find(column, "4班", {1, 2}, true), (Cell{15, 2}));
  EXPECT_EQ(sheet.find(column, "4班", {15, 2}, true), (Cell{15, 2}));  // the start is looked at last
  other.setValue(rect(1, 1, 1, 1), Value("x"));  // the formula's text changes from another sheet
  EXPECT_EQ(sheet.findPrevious(column, "2班", {11, 2}, true), (Cell{20, 2}));
  EXPECT_EQ(sheet.find(Rect{12, 2, 18, 2}, "2班", {18, 2}, true), (Cell{12, 2}));
  EXPECT_EQ(sheet.find(Rect{12, 2, 18, 2}, "2班", {14, 2}, true), (Cell{16, 2}));  // 15 holds 4班 now
}

}  // namespace tavo::testing
