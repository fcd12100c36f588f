// Replace, clear and merge.
#include "model_fixture.h"

namespace tavo::testing {

using EditTest = ModelFixture;

TEST_F(EditTest, ReplaceEntersItsResultsByTheEntryRules) {
  put(1, 1, Value("张 三"));
  put(1, 2, Value("8 5"));
  put(1, 3, Value("\xE3\x80\x80"));  // a full-width space alone
  put(2, 1, Value("a\xC2\xA0" "b"));
  put(5, 5, Value("outside"));
  Rect table = rect(1, 1, 2, 3);
  sheet.replace(table, " ", "", false);
  sheet.replace(table, "\xE3\x80\x80", "", false);
  sheet.replace(table, "\xC2\xA0", "", false);
  EXPECT_EQ(get(1, 1), Value("张三"));
  EXPECT_EQ(get(1, 2), Value(85.0));  // became a number
  EXPECT_TRUE(get(1, 3).isEmpty());
  EXPECT_EQ(get(2, 1), Value("ab"));
  sheet.replace(table, "", "0", false);  // fills the empty cells of the range
  EXPECT_EQ(get(1, 3), Value(0.0));
  EXPECT_EQ(get(2, 2), Value(0.0));
  EXPECT_EQ(get(2, 3), Value(0.0));
  EXPECT_TRUE(get(3, 1).isEmpty());
  EXPECT_EQ(get(5, 5), Value("outside"));
}

TEST_F(EditTest, FillingBillionsOfEmptyCellsIsRefusedBeforeAnyIsMade) {
  put(1, 1, "班级");
  put(2, 2, 90);
  sheet.merge(Rect::sheet());
  const Rect region = sheet.currentRegion({1, 1});
  EXPECT_EQ(region, Rect::sheet());
  try {
    sheet.replace(region, "", "0", false);
    ADD_FAILURE() << "filled";
  } catch (const host::HostError& e) {
    EXPECT_NE(e.description.find("book.xlsx 的工作表 " + sheet.name() + "，A1:XFD1048576"), std::string::npos)
        << "the refusal says where: " << e.description;
  }
  EXPECT_LE(sheet.columnCount(), 2) << "no cell was made";
  EXPECT_THROW(sheet.values(region), host::HostError) << "nor a grid of them";
}

TEST_F(EditTest, ReplaceWholeCellsAndLetterCase) {
  column(1, 1, {Value("Abc"), Value("abcd"), Value(12.0)});
  sheet.replace(Rect::columns(1, 1), "ABC", "x", true);
  EXPECT_EQ(get(1, 1), Value("x"));
  EXPECT_EQ(get(2, 1), Value("abcd"));
  sheet.replace(Rect::columns(1, 1), "1", "3", false);  // numbers by their text
  EXPECT_EQ(get(3, 1), Value(32.0));
}

TEST_F(EditTest, ClearRemovesContentFormatsMergesAndValidation) {
  put(1, 1, Value("t"));
  sheet.merge(rect(1, 1, 1, 3));
  host::FormatPatch p;
  p.fontSize = 18;
  sheet.applyFormat(rect(1, 1, 2, 3), p);
  host::Validation v;
  v.type = host::code::kValidateList;
  v.formula1 = "是,否";
  sheet.addValidation(rect(2, 2, 2, 2), v);
  sheet.clearContents(rect(1, 1, 1, 1));
  EXPECT_TRUE(get(1, 1).isEmpty());
  EXPECT_EQ(sheet.format({1, 1}).font.size, 18);
  sheet.clear(Rect::rows(1, 2));
  EXPECT_EQ(sheet.format({2, 3}).font.size, 11);
  EXPECT_EQ(sheet.mergeArea({1, 2}), Rect::of(Cell{1, 2}));
  EXPECT_FALSE(sheet.validation({2, 2}));
}

TEST_F(EditTest, MergeKeepsTheTopLeftContent) {
  put(1, 1, Value("keep"));
  put(1, 2, Value("gone"));
  put(2, 1, Value("gone too"));
  sheet.merge(rect(1, 1, 2, 2));
  EXPECT_EQ(get(1, 1), Value("keep"));
  EXPECT_TRUE(get(1, 2).isEmpty());
  EXPECT_TRUE(get(2, 1).isEmpty());
  EXPECT_EQ(sheet.mergeArea({2, 2}), rect(1, 1, 2, 2));
  sheet.merge(rect(2, 2, 3, 3));  // overlapping areas join
  EXPECT_EQ(sheet.mergeArea({1, 1}), rect(1, 1, 3, 3));
}

TEST_F(EditTest, PasteFormatsFillsALargerDestination) {
  auto& store = book.appendSheet("DTB");
  host::FormatPatch mark;
  mark.fill = host::Fill::Solid(37);
  mark.bold = true;
  store.applyFormat(rect(1, 26, 1, 26), mark);
  column(3, 2, {Value(90.0), Value(80.0), Value(70.0)});
  store.copy(rect(1, 26, 1, 26), sheet, rect(2, 3, 3, 3), host::Paste::Formats);
  EXPECT_EQ(sheet.format({2, 3}).fill, host::Fill::Solid(37));
  EXPECT_TRUE(sheet.format({3, 3}).font.bold);
  EXPECT_EQ(sheet.format({4, 3}).fill, host::Fill{});
  EXPECT_EQ(num(2, 3), 90);  // contents untouched
}

// Copies share one text until one of them changes.
TEST_F(EditTest, CopiedTextsChangeOneAtATime) {
  put(1, 1, Value("学生甲"));
  sheet.setTextRun({1, 1}, {.start = 1, .length = 2, .fontSize = 14.0});
  sheet.copy(rect(1, 1, 1, 1), sheet, rect(1, 2, 1, 2), host::Paste::All);
  sheet.copy(rect(1, 1, 1, 1), sheet, rect(1, 3, 3, 3), host::Paste::Values);
  EXPECT_EQ(sheet.textRuns({1, 2}).size(), 1u);
  EXPECT_TRUE(sheet.textRuns({1, 3}).empty());  // a value paste leaves the runs behind

  sheet.setTextRun({1, 2}, {.start = 3, .length = 1, .fontSize = 9.0});
  EXPECT_EQ(sheet.textRuns({1, 1}).size(), 1u);
  EXPECT_EQ(sheet.textRuns({1, 2}).size(), 2u);
  sheet.setTextRun({2, 3}, {.start = 1, .length = 1, .fontSize = 9.0});
  EXPECT_TRUE(sheet.textRuns({1, 3}).empty());
  EXPECT_TRUE(sheet.textRuns({3, 3}).empty());

  put(1, 1, Value("学生乙"));
  sheet.clear(rect(3, 3, 3, 3));
  EXPECT_EQ(get(1, 2), Value("学生甲"));
  EXPECT_EQ(get(1, 3), Value("学生甲"));
  EXPECT_EQ(get(2, 3), Value("学生甲"));
  EXPECT_TRUE(get(3, 3).isEmpty());
  // A sheet copied whole, then dropped, leaves this one's texts whole.
  sheet.copy(rect(1, 1, 3, 3), sheet, rect(10, 1, 12, 3), host::Paste::All);
  sheet.clear(rect(10, 1, 12, 3));
  EXPECT_EQ(get(2, 3), Value("学生甲"));
  EXPECT_EQ(sheet.textRuns({1, 2}).size(), 2u);
}

TEST_F(EditTest, DeletingRowsMovesMergesHeightsAndBreaks) {
  sheet.merge(rect(5, 1, 6, 1));
  sheet.setRowHeight(5, 5, 30);
  sheet.addPageBreakAbove(8);
  sheet.remove(Rect::rows(2, 3), host::Shift::Up);
  EXPECT_EQ(sheet.mergeArea({3, 1}), rect(3, 1, 4, 1));
  EXPECT_EQ(sheet.rowHeight(3), 30);
  EXPECT_EQ(sheet.pageBreaks(), std::vector<int>{6});
}

TEST_F(EditTest, InsertRefusesToPushDataOffTheSheet) {
  put(host::kMaxRow, 1, Value(1.0));
  EXPECT_THROW(sheet.insert(Rect::rows(2, 2), host::Shift::Down), host::HostError);
  EXPECT_EQ(get(host::kMaxRow, 1), Value(1.0));
}

}  // namespace tavo::testing
