// Current region, used range and search.
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
  fill.fillColorIndex = 15;
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
