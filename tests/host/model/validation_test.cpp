// Validation rules as areas: whole columns cost one entry, and rules follow
// the cells through edits as the host's do.
#include "model_fixture.h"

namespace tavo::testing {

using ValidationTest = ModelFixture;

namespace {
host::Validation List(const char* items) {
  host::Validation v;
  v.type = host::code::kValidateList;
  v.formula1 = items;
  return v;
}
}  // namespace

TEST_F(ValidationTest, WholeColumnsAreOneAreaThroughEveryEdit) {
  const Rect h = Rect::columns(8, 8);
  sheet.addValidation(h, List("是,否"));
  EXPECT_EQ(sheet.validations().areas().size(), 1u);
  EXPECT_EQ(sheet.validation({host::kMaxRow, 8}), List("是,否"));
  EXPECT_THROW(sheet.addValidation(Rect::of({5, 8}), List("x")), host::HostError) << "one rule per cell";

  // A message on part of it splits the area; the rest keeps its rule.
  sheet.setValidationInputMessage({10, 8, 20, 8}, "选择");
  EXPECT_EQ(sheet.validation({15, 8})->inputMessage, "选择");
  EXPECT_EQ(sheet.validation({21, 8})->inputMessage, "");
  EXPECT_THROW(sheet.setValidationInputMessage({1, 8, 1, 9}, "x"), host::HostError) << "I1 has no rule";
  sheet.setValidationInputMessage({10, 8, 20, 8}, "");
  EXPECT_EQ(sheet.validations().areas().size(), 1u) << "equal neighbours join again";

  // Deleting rows inside the column shrinks nothing away; deleting columns
  // before it moves it.
  sheet.remove(Rect::rows(3, 5), host::Shift::Up);
  EXPECT_TRUE(sheet.validation({3, 8}).has_value());
  sheet.remove(Rect::columns(1, 2), host::Shift::Left);
  EXPECT_FALSE(sheet.validation({3, 8}).has_value());
  EXPECT_TRUE(sheet.validation({host::kMaxRow, 6}).has_value());
  sheet.deleteValidation({100, 6, 200, 6});
  EXPECT_FALSE(sheet.validation({150, 6}).has_value());
  EXPECT_TRUE(sheet.validation({99, 6}) && sheet.validation({201, 6}));
}

TEST_F(ValidationTest, RulesMoveWithInsertedRowsCutCellsAndCopies) {
  sheet.addValidation({2, 2, 4, 3}, List("a,b"));
  sheet.insert(Rect::rows(3, 4), host::Shift::Down);
  EXPECT_TRUE(sheet.validation({3, 2}).has_value()) << "rows inserted inside a rule take it";
  EXPECT_TRUE(sheet.validation({6, 3}).has_value());
  EXPECT_FALSE(sheet.validation({7, 2}).has_value());

  // Row 6 moves up above row 3 with the rest of its band's cells.
  sheet.deleteValidation({2, 2, 6, 3});
  sheet.addValidation({6, 2, 6, 3}, List("x"));
  sheet.insertCut({6, 2, 6, 3}, {3, 2}, host::Shift::Down);
  EXPECT_EQ(sheet.validation({3, 2}), List("x"));
  EXPECT_FALSE(sheet.validation({6, 2}).has_value());

  sheet.copy({3, 2, 3, 3}, sheet, Rect::of({10, 5}), host::Paste::All);
  EXPECT_EQ(sheet.validation({10, 6}), List("x"));
  sheet.cut({10, 5, 10, 6}, sheet, {20, 1});
  EXPECT_FALSE(sheet.validation({10, 5}).has_value());
  EXPECT_EQ(sheet.validation({20, 2}), List("x"));
}

}  // namespace tavo::testing
