#include <gtest/gtest.h>

#include "host/address.h"
#include "host/value.h"

using namespace tavo::host;

TEST(Address, ColumnLetters) {
  EXPECT_EQ(columnLetters(1), "A");
  EXPECT_EQ(columnLetters(26), "Z");
  EXPECT_EQ(columnLetters(27), "AA");
  EXPECT_EQ(columnLetters(123), "DS");
  EXPECT_EQ(columnLetters(16384), "XFD");
  for (int c : {1, 26, 27, 52, 53, 702, 703, 16384}) EXPECT_EQ(columnNumber(columnLetters(c)), c);
  EXPECT_EQ(columnNumber("XFE"), 0);
}

TEST(Address, ListsOfRowsColumnsAndCells) {
  auto rs = parseAddress("1:1,4:11,14:61,68:71");
  ASSERT_EQ(rs.size(), 4u);
  EXPECT_EQ(rs[1], Rect::rows(4, 11));
  EXPECT_EQ(parseRect("L:Q"), Rect::columns(12, 17));
  EXPECT_EQ(parseRect("$1:$2"), Rect::rows(1, 2));
  EXPECT_EQ(parseRect("B12:M12"), (Rect{12, 2, 12, 13}));
  EXPECT_EQ(parseRect("$C$4"), Rect::of(Cell{4, 3}));
  EXPECT_EQ(a1(Rect::rows(1, 1)), "1:1");
  EXPECT_EQ(a1(Rect::columns(12, 17)), "L:Q");
  EXPECT_EQ(a1(Rect{2, 1, 5, 3}), "A2:C5");
  for (const char* bad : {"", "A0", "1:B", "A1:", "ZZZZ1", "A1048577"}) EXPECT_THROW(parseRect(bad), HostError) << bad;
}
