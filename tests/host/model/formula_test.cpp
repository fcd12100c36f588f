// Formula text in and out, and evaluation with the host's semantics.
#include <random>

#include "host/address.h"
#include "model_fixture.h"

namespace tavo::testing {

using FormulaTest = ModelFixture;

TEST_F(FormulaTest, R1C1TextComesBackAsWrittenAndAsA1) {
  formula(5, 3, "=SUM(R[-3]C:R[-1]C)");
  EXPECT_EQ(r1c1(5, 3), "=SUM(R[-3]C:R[-1]C)");
  EXPECT_EQ(a1(5, 3), "=SUM(C2:C4)");
  formula(3, 17, "=RANK(RC[-1],R3C[-1]:R12C[-1])");
  EXPECT_EQ(a1(3, 17), "=RANK(P3,P$3:P$12)");
  formula(1, 121, "=AVERAGE(R[1]C[2]:R[30]C[2])");
  EXPECT_EQ(a1(1, 121), "=AVERAGE(DS2:DS31)");
  formula(4, 12, "=RC[-7]*-2");
  EXPECT_EQ(r1c1(4, 12), "=RC[-7]*-2");
  formula(4, 13, "=(RC[-2]+R1C1)/2");
  EXPECT_EQ(r1c1(4, 13), "=(RC[-2]+R1C1)/2");
  EXPECT_EQ(a1(4, 13), "=(K4+$A$1)/2");
}

// A1 text read into a cell, its R1C1 text written back into the same cell:
// the same A1 text again, for every reference form and what follows it.
TEST_F(FormulaTest, A1AndR1C1RoundTripOverEveryReferenceForm) {
  book.appendSheet("数据 表");
  std::mt19937 random(11);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const char* follows[] = {"+1", "-1", "*-2", "/3", "", "+R1", "-C1"};
  for (int trial = 0; trial < 2000; ++trial) {
    const host::Cell at{2 + pick(40), 2 + pick(40)};
    auto ref = [&] {
      const int row = 1 + pick(60), col = 1 + pick(60);
      std::string r = (pick(2) ? "$" : "") + host::columnLetters(col) + (pick(2) ? "$" : "") + std::to_string(row);
      if (pick(3) == 0) r += ":" + host::columnLetters(col + pick(3)) + std::to_string(row + pick(3));
      if (pick(4) == 0) r = "'数据 表'!" + r;
      return r;
    };
    std::string follow = follows[pick(7)];
    if (follow == "+R1" || follow == "-C1") follow = follow.substr(0, 1) + ref();
    std::string text = "=SUM(" + ref() + ")" + follow;
    if (pick(2)) text = "=" + ref() + follow;
    if (text.find(':') != std::string::npos && text.rfind("=SUM(", 0) != 0) continue;  // a range alone is no number
    sheet.setFormulaA1(at, text, Value());
    ASSERT_FALSE(sheet.formulaIsOpaque(at)) << text;
    const std::string r1c1 = sheet.formulaR1C1(at);
    sheet.setFormulaR1C1(Rect::of(at), r1c1);
    ASSERT_EQ(sheet.formulaR1C1(at), r1c1) << text;
    ASSERT_EQ(sheet.formulaA1(at), text) << r1c1;
  }
  formula(4, 1, "=R[-1]C+1");
  EXPECT_EQ(a1(4, 1), "=A3+1") << "the + belongs to the formula, not to the column";
  formula(4, 1, "=R[-1]C-1");
  EXPECT_EQ(a1(4, 1), "=A3-1");
}

TEST_F(FormulaTest, A1TextIsReadWithAbsoluteMarks) {
  sheet.setFormulaA1({2, 2}, "=SUM($A$1:A3)*2", Value());
  EXPECT_EQ(r1c1(2, 2), "=SUM(R1C1:R[1]C[-1])*2");
  sheet.setFormulaA1({2, 3}, "=VLOOKUP(A1,B:C,2,0)", Value(17.0));
  EXPECT_TRUE(sheet.formulaIsOpaque({2, 3}));
  EXPECT_EQ(get(2, 3), Value(17.0));  // unknown function: cached value kept
  EXPECT_EQ(a1(2, 3), "=VLOOKUP(A1,B:C,2,0)");
}

TEST_F(FormulaTest, BadFormulaTextIsRefused) {
  for (const char* bad : {"=SUM(", "=FOO(1)", "=R[-1]", "=1+", "=RANK(1)", "=R0C1"}) {
    try {
      formula(5, 5, bad);
      FAIL() << bad;
    } catch (const host::HostError& e) {
      EXPECT_EQ(e.number, 1004) << bad;
    }
  }
  formula(5, 5, "plain");  // no "=": an ordinary entry
  EXPECT_EQ(get(5, 5), Value("plain"));
}

TEST_F(FormulaTest, AggregatesCountOnlyNumbersOfReferences) {
  column(1, 1, {Value(10.0), Value("缺考"), Value(), Value(true), Value(30.0)});
  formula(1, 2, "=SUM(R1C1:R5C1)");
  formula(2, 2, "=AVERAGE(R1C1:R5C1)");
  formula(3, 2, "=COUNT(R1C1:R5C1)");
  formula(4, 2, "=MAX(R1C1:R5C1)");
  formula(5, 2, "=MIN(R1C1:R5C1)");
  EXPECT_EQ(num(1, 2), 40);
  EXPECT_EQ(num(2, 2), 20);
  EXPECT_EQ(num(3, 2), 2);
  EXPECT_EQ(num(4, 2), 30);
  EXPECT_EQ(num(5, 2), 10);
  formula(6, 2, "=AVERAGE(R10C1:R12C1)");
  formula(7, 2, "=MAX(R10C1:R12C1)");
  EXPECT_EQ(get(6, 2), Value(host::ErrorKind::Div0));
  EXPECT_EQ(get(7, 2), Value(0.0));
  formula(8, 2, "=SUM(1,\"2\",R1C1)");  // direct numeric text counts
  EXPECT_EQ(num(8, 2), 13);
  formula(9, 2, "=SUM(1,\"x\")");
  EXPECT_EQ(get(9, 2), Value(host::ErrorKind::Value));
}

TEST_F(FormulaTest, ArithmeticOperandsAndErrors) {
  put(1, 1, Value("95"));
  put(1, 2, Value("缺考"));
  formula(2, 1, "=R1C1+R9C9");  // numeric text and empty
  formula(2, 2, "=R1C2*2");
  formula(2, 3, "=R1C1/R9C9");
  formula(2, 4, "=R2C3+R2C2");  // the first error wins
  formula(2, 5, "=-R1C1");
  EXPECT_EQ(num(2, 1), 95);
  EXPECT_EQ(get(2, 2), Value(host::ErrorKind::Value));
  EXPECT_EQ(get(2, 3), Value(host::ErrorKind::Div0));
  EXPECT_EQ(get(2, 4), Value(host::ErrorKind::Div0));
  EXPECT_EQ(num(2, 5), -95);
  formula(3, 1, "=SUM(R1C3:R2C3)");  // an error inside a range propagates
  EXPECT_EQ(get(3, 1), Value(host::ErrorKind::Div0));
}

// A range where one value is wanted reads the cell in the formula's own row
// or column, as the desktop spreadsheet does for formulas older files hold.
TEST_F(FormulaTest, ARangeForOneValueMeetsTheFormulasRowOrColumn) {
  column(1, 1, {Value(3.0), Value(-4.0), Value(5.0)});
  formula(2, 2, "=R1C1:R3C1*1");   // row 2 meets the column at -4
  formula(5, 2, "=R1C1:R3C1*1");   // row 5 meets it nowhere
  put(9, 1, 7.0);
  put(9, 2, 8.0);
  formula(12, 2, "=-R9C1:R9C3");   // column 2 meets the row at 8
  formula(12, 4, "=R1C1:R3C2+0");  // neither a column nor a row
  EXPECT_EQ(num(2, 2), -4);
  EXPECT_EQ(get(5, 2), Value(host::ErrorKind::Value));
  EXPECT_EQ(num(12, 2), -8);
  EXPECT_EQ(get(12, 4), Value(host::ErrorKind::Value));
}

TEST_F(FormulaTest, RankSharesTiesAndMissesAbsentNumbers) {
  column(1, 1, {Value(90.0), Value(85.0), Value(90.0), Value(70.0), Value("x")});
  for (int r = 1; r <= 4; ++r) formula(r, 2, "=RANK(RC[-1],R1C1:R5C1)");
  EXPECT_EQ(num(1, 2), 1);
  EXPECT_EQ(num(2, 2), 3);
  EXPECT_EQ(num(3, 2), 1);
  EXPECT_EQ(num(4, 2), 4);
  formula(1, 3, "=RANK(R4C1,R1C1:R5C1,1)");
  EXPECT_EQ(num(1, 3), 1);
  formula(2, 3, "=RANK(88,R1C1:R5C1)");
  EXPECT_EQ(get(2, 3), Value(host::ErrorKind::NA));
  formula(3, 3, "=RANK(R5C1,R1C1:R5C1)");
  EXPECT_EQ(get(3, 3), Value(host::ErrorKind::Value));
}

TEST_F(FormulaTest, ValuesAreCurrentWhenRead) {
  put(1, 1, Value(1.0));
  formula(1, 2, "=RC[-1]*10");
  formula(1, 3, "=RANK(RC[-1],R1C2:R2C2)");
  put(2, 2, Value(50.0));
  EXPECT_EQ(num(1, 2), 10);
  EXPECT_EQ(num(1, 3), 2);
  put(1, 1, Value(7.0));  // both the chain and the cached rank range follow
  EXPECT_EQ(num(1, 2), 70);
  EXPECT_EQ(num(1, 3), 1);
}

TEST_F(FormulaTest, RangeAssignmentIsRelativeToEachCell) {
  column(1, 1, {Value(1.0), Value(2.0), Value(3.0)});
  sheet.setFormulaR1C1(rect(1, 2, 3, 2), "=RC[-1]*2");
  EXPECT_EQ(num(3, 2), 6);
  EXPECT_EQ(a1(3, 2), "=A3*2");
}

TEST_F(FormulaTest, SheetQualifiedReferences) {
  auto& other = book.appendSheet("数据表");
  other.setValue(Rect::of(Cell{2, 2}), Value(12.0));
  sheet.setFormulaA1({1, 1}, "=数据表!B2+1", Value());
  EXPECT_EQ(num(1, 1), 13);
  other.setName("成绩 表");
  EXPECT_EQ(a1(1, 1), "='成绩 表'!B2+1");
  book.deleteSheet(other);
  EXPECT_EQ(get(1, 1), Value(host::ErrorKind::Ref));
}

TEST_F(FormulaTest, CircularReferenceReadsAsZero) {
  formula(1, 1, "=R1C2+1");
  formula(1, 2, "=R1C1+1");
  EXPECT_NO_THROW(get(1, 1));
  EXPECT_TRUE(get(1, 1).isNumber());
}

}  // namespace tavo::testing

namespace tavo::testing {

// Formulas beyond the host's limits are refused when typed and kept as text
// (with their cached value) when read, never evaluated into a stack overflow.
TEST_F(FormulaTest, FormulasBeyondTheHostsLimitsAreRefusedOrKeptAsText) {
  const std::string deep = "=" + std::string(25000, '(') + "1" + std::string(25000, ')');
  const std::string minus = "=" + std::string(5000, '-') + "1";
  const std::string nested = "=" + std::string(65, '(') + "1" + std::string(65, ')');
  for (const std::string& bad : {deep, minus, nested}) {
    EXPECT_THROW(formula(1, 1, bad), host::HostError);
    sheet.setFormulaA1({2, 2}, bad, Value(3.0));
    EXPECT_TRUE(sheet.formulaIsOpaque({2, 2}));
    EXPECT_EQ(get(2, 2), Value(3.0));
  }
  formula(1, 1, "=" + std::string(64, '(') + "7" + std::string(64, ')'));
  EXPECT_EQ(get(1, 1), Value(7.0)) << "64 levels are allowed";

  // A sum of a thousand terms is evaluated; one of 4,096 (as long as the
  // host's text allows) would recurse too deep, and is kept as text.
  std::string sum = "=1";
  for (int i = 1; i < 999; ++i) sum += "+1";
  formula(3, 3, sum);
  EXPECT_EQ(get(3, 3), Value(999.0));
  std::string longest = "=1";
  while (longest.size() + 2 <= 8192) longest += "+1";
  EXPECT_THROW(formula(3, 4, longest), host::HostError);
  sheet.setFormulaA1({3, 4}, longest, Value(4096.0));
  EXPECT_TRUE(sheet.formulaIsOpaque({3, 4}));
  EXPECT_EQ(get(3, 4), Value(4096.0));
  EXPECT_THROW(formula(3, 5, longest + "+1"), host::HostError) << "8,193 characters";
}

}  // namespace tavo::testing
