// References follow moved cells; copies shift their relative parts.
#include "model_fixture.h"

namespace tavo::testing {

using ReferenceTest = ModelFixture;

TEST_F(ReferenceTest, CopiedBlockKeepsItsRelativeReferences) {
  column(3, 3, {Value(40.0), Value(45.0)});
  column(7, 3, {Value(20.0), Value(9.0)});
  sheet.setFormulaR1C1(rect(3, 9, 4, 9), "=RC[-2]/RC[-6]*100");
  formula(5, 3, "=SUM(R[-2]C:R[-1]C)");
  formula(5, 4, "=R3C3");  // absolute: stays on C3
  sheet.copy(rect(3, 1, 5, 17), sheet, Rect::of(Cell{20, 51}), host::Paste::All);
  EXPECT_EQ(r1c1(20, 59), "=RC[-2]/RC[-6]*100");
  EXPECT_EQ(r1c1(22, 53), "=SUM(R[-2]C:R[-1]C)");
  EXPECT_EQ(num(20, 59), 50);
  EXPECT_EQ(num(22, 53), 85);
  EXPECT_EQ(r1c1(22, 54), "=R3C3");
  EXPECT_EQ(num(22, 54), 40);
}

TEST_F(ReferenceTest, CutTableKeepsItsInternalFormulas) {
  // A staged block at column 51, moved to column 1 as the reports do.
  sheet.setValue(rect(2, 52, 3, 58), Value(1.0));
  column(53, 2, {Value(40.0), Value(45.0)});
  column(57, 2, {Value(20.0), Value(9.0)});
  sheet.setFormulaR1C1(rect(2, 59, 3, 59), "=RC[-2]/RC[-6]*100");
  formula(4, 53, "=SUM(R[-2]C:R[-1]C)");
  auto& other = book.appendSheet("other");
  other.setFormulaA1({1, 1}, "=Sheet1!BA2", Value());
  ASSERT_EQ(sheet.currentRegion({2, 53}), rect(2, 52, 4, 59));
  sheet.cut(sheet.currentRegion({2, 53}), sheet, {2, 2});
  Rect region = sheet.currentRegion({1, 51});
  EXPECT_TRUE(get(2, 53).isEmpty());
  EXPECT_EQ(region, Rect::of(Cell{1, 51}));
  EXPECT_EQ(num(2, 9), 50);
  EXPECT_EQ(r1c1(2, 9), "=RC[-2]/RC[-6]*100");
  EXPECT_EQ(a1(4, 3), "=SUM(C2:C3)");
  EXPECT_EQ(num(4, 3), 85);
  EXPECT_EQ(other.formulaA1({1, 1}), "=Sheet1!C2");  // followed from another sheet
}

TEST_F(ReferenceTest, InsertedCutRowsReorderABlockInsideItsSubtotal) {
  // Class rows 3..7, teachers A B A C B in column 13, counts in column 3.
  const char* teachers[] = {"A", "B", "A", "C", "B"};
  for (int i = 0; i < 5; ++i) {
    put(3 + i, 2, Value("c" + std::to_string(i + 1)));
    put(3 + i, 3, Value(10.0 * (i + 1)));
    put(3 + i, 13, Value(teachers[i]));
  }
  formula(8, 3, "=SUM(R[-5]C:R[-1]C)");
  formula(9, 3, "=R5C3");  // points at class c3, wherever it goes
  // Move row 5 (second A) up to row 4, as the teacher ordering does.
  sheet.insertCut(rect(5, 1, 5, 13), {4, 1}, host::Shift::Down);
  EXPECT_EQ(get(4, 2), Value("c3"));
  EXPECT_EQ(get(5, 2), Value("c2"));
  EXPECT_EQ(get(4, 13), Value("A"));
  EXPECT_EQ(r1c1(8, 3), "=SUM(R[-5]C:R[-1]C)");
  EXPECT_EQ(num(8, 3), 150);
  EXPECT_EQ(r1c1(9, 3), "=R4C3");
  EXPECT_EQ(num(9, 3), 30);
  // Moving a row down past others works the same way.
  sheet.insertCut(rect(3, 1, 3, 13), {8, 1}, host::Shift::Down);
  EXPECT_EQ(get(7, 2), Value("c1"));
  EXPECT_EQ(get(3, 2), Value("c3"));
  EXPECT_EQ(num(8, 3), 150);
}

TEST_F(ReferenceTest, DeletingColumnsLeftInsideAndAcrossRanges) {
  for (int c = 1; c <= 10; ++c) put(1, c, Value(static_cast<double>(c)));
  formula(3, 1, "=SUM(R1C5:R1C8)");  // $E$1:$H$1
  formula(3, 2, "=R1C9");            // I1
  formula(3, 3, "=R1C6");            // F1
  // Left of the range: everything shifts one to the left.
  sheet.remove(Rect::columns(4, 4), host::Shift::Left);
  EXPECT_EQ(sheet.formulaA1({3, 1}), "=SUM($D$1:$G$1)");
  EXPECT_EQ(num(3, 1), 5 + 6 + 7 + 8);
  EXPECT_EQ(sheet.formulaA1({3, 2}), "=$H$1");
  // Inside: the range shrinks; a single reference to a deleted cell is #REF!.
  sheet.remove(Rect::columns(5, 5), host::Shift::Left);  // was F
  EXPECT_EQ(sheet.formulaA1({3, 1}), "=SUM($D$1:$F$1)");
  EXPECT_EQ(num(3, 1), 5 + 7 + 8);
  EXPECT_EQ(sheet.formulaA1({3, 3}), "=#REF!");
  EXPECT_EQ(get(3, 3), Value(host::ErrorKind::Ref));
  // Across one end of the range.
  sheet.remove(Rect::columns(6, 7), host::Shift::Left);  // H and I of old
  EXPECT_EQ(sheet.formulaA1({3, 1}), "=SUM($D$1:$E$1)");
  EXPECT_EQ(sheet.formulaA1({3, 2}), "=#REF!");
  // The whole range: #REF!.
  sheet.remove(Rect::columns(4, 5), host::Shift::Left);
  EXPECT_EQ(get(3, 1), Value(host::ErrorKind::Ref));
}

TEST_F(ReferenceTest, InsertingRowsGrowsRangesAndMovesFormulas) {
  column(1, 1, {Value(1.0), Value(2.0), Value(3.0)});
  formula(4, 1, "=SUM(R1C1:R3C1)");
  sheet.insert(Rect::rows(2, 3), host::Shift::Down);
  EXPECT_EQ(sheet.formulaA1({6, 1}), "=SUM($A$1:$A$5)");
  EXPECT_EQ(r1c1(6, 1), "=SUM(R1C1:R5C1)");
  EXPECT_EQ(num(6, 1), 6);
  sheet.remove(Rect::rows(1, 1), host::Shift::Up);
  EXPECT_EQ(sheet.formulaA1({5, 1}), "=SUM($A$1:$A$4)");
  EXPECT_EQ(num(5, 1), 5);
}

TEST_F(ReferenceTest, PartialInsertMovesOnlyTheBand) {
  column(2, 1, {Value(1.0), Value(2.0)});
  put(1, 5, Value(9.0));
  formula(1, 6, "=R2C2+R1C5");
  sheet.insert(rect(1, 1, 1, 3), host::Shift::Down);  // cells A1:C1 shift down
  EXPECT_EQ(get(3, 2), Value(2.0));
  EXPECT_EQ(get(1, 5), Value(9.0));
  EXPECT_EQ(sheet.formulaA1({1, 6}), "=$B$3+$E$1");
}

TEST_F(ReferenceTest, CopyToAnotherWorkbookKeepsValuesAndDropsForeignSheets) {
  auto& other = app.createWorkbook("other.xlsx", "/data");
  auto& target = other.modelSheet(1);
  put(1, 1, Value(3.0));
  formula(1, 2, "=RC[-1]*2");
  host::FormatPatch bold;
  bold.bold = true;
  sheet.applyFormat(rect(1, 1, 1, 2), bold);
  sheet.copy(rect(1, 1, 1, 2), target, Rect::of(Cell{5, 5}), host::Paste::All);
  EXPECT_EQ(target.value({5, 6}), Value(6.0));
  EXPECT_TRUE(target.format({5, 5}).font.bold);
  sheet.copy(rect(1, 1, 1, 2), target, Rect::of(Cell{6, 5}), host::Paste::Values);
  EXPECT_FALSE(target.hasFormula({6, 6}));
  EXPECT_EQ(target.value({6, 6}), Value(6.0));
}


// Edits skip the columns whose formulas became values, and still reach a
// formula put in later, or pasted into another column.
TEST_F(ReferenceTest, UpdatesFindEveryFormulaAfterOthersBecameValues) {
  formula(1, 2, "=RC[-1]");
  put(1, 2, 5);  // the only formula is a value now
  sheet.insert(Rect::rows(1, 1), host::Shift::Down);
  formula(5, 4, "=RC[-3]");
  sheet.insert(Rect::rows(1, 1), host::Shift::Down);
  EXPECT_EQ(a1(6, 4), "=A6");
  sheet.copy(Rect::of({6, 4}), sheet, Rect::of({6, 7}), host::Paste::All);
  put(6, 4, 1);
  sheet.insert(Rect::rows(1, 2), host::Shift::Down);
  EXPECT_EQ(a1(8, 7), "=D8");
  EXPECT_EQ(get(8, 4), Value(1));
}

}  // namespace tavo::testing
