// Blocks of a report sheet kept whole on printed pages.
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "sheetutil/block_pages.h"

namespace tavo::testing {
namespace {

using host::PageField;

struct BlockPagesTest : ModelFixture {
  // A4 with half-inch margins at top and bottom.
  static void page(model::Sheet& s, int orientation, int zoom) {
    auto& p = s.pageSetup();
    p.set(PageField::PaperSize, Value(9));
    p.set(PageField::Orientation, Value(orientation));
    p.set(PageField::Zoom, Value(zoom));
    p.set(PageField::TopMargin, Value(36));
    p.set(PageField::BottomMargin, Value(36));
  }
};

TEST_F(BlockPagesTest, PageHeightFollowsPaperOrientationMarginsAndZoom) {
  page(sheet, 1, 100);
  EXPECT_NEAR(sheetutil::PrintedPageHeight(sheet.pageSetup()), 841.9 - 72, 1e-9);
  page(sheet, 2, 50);
  EXPECT_NEAR(sheetutil::PrintedPageHeight(sheet.pageSetup()), (595.3 - 72) * 2, 1e-9);
  sheet.pageSetup().set(PageField::PaperSize, Value(118));  // a size not known here
  EXPECT_EQ(sheetutil::PrintedPageHeight(sheet.pageSetup()), 0);
}

// Blocks of 20 rows of 20 points (400 points) on a portrait page of about 755:
// one block a page; a tall block and what follows run on without a break.
TEST_F(BlockPagesTest, BreaksAboveBlocksThatWouldRunOverThePage) {
  page(sheet, 1, 100);
  sheet.setRowHeight(1, 200, 20);
  sheetutil::KeepBlocksOnPages(sheet, {1, 21, 41, 61}, 80);
  EXPECT_EQ(sheet.pageBreaks(), (std::vector<int>{21, 41, 61}));

  // At 50 % a page holds three blocks.
  model::Sheet& other = book.appendSheet("b");
  page(other, 1, 50);
  other.setRowHeight(1, 200, 20);
  sheetutil::KeepBlocksOnPages(other, {3, 23, 43, 63, 83}, 102);  // two rows above the first block
  EXPECT_EQ(other.pageBreaks(), (std::vector<int>{63}));

  // A block taller than a page gets no break above it, nor does the first.
  model::Sheet& tall = book.appendSheet("c");
  page(tall, 1, 100);
  tall.setRowHeight(1, 300, 20);
  sheetutil::KeepBlocksOnPages(tall, {1, 11, 61}, 70);
  EXPECT_EQ(tall.pageBreaks(), (std::vector<int>{}));
}

}  // namespace
}  // namespace tavo::testing
