// Formats, palette, validation, sizes and page set-up.
#include <cmath>

#include "model_fixture.h"

namespace tavo::testing {

using FormatTest = ModelFixture;

TEST_F(FormatTest, WholeSheetRowAndColumnFormatsLayer) {
  host::FormatPatch size11, bold, text, center;
  size11.fontSize = 11;
  bold.bold = true;
  text.numberFormat = "@";
  center.horizontalAlignment = host::HorizontalAlignment::Center;
  put(1, 1, Value("x"));
  sheet.applyFormat(Rect::columns(2, 2), text);
  sheet.applyFormat(Rect::rows(3, 3), bold);
  sheet.applyFormat(Rect::sheet(), size11);
  sheet.applyFormat(rect(3, 2, 3, 2), center);
  EXPECT_EQ(sheet.format({1000, 50}).font.size, 11);
  EXPECT_EQ(sheet.format({1, 1}).font.size, 11);
  EXPECT_EQ(sheet.format({9, 2}).numberFormat, "@");
  EXPECT_TRUE(sheet.format({3, 9}).font.bold);
  host::Format both = sheet.format({3, 2});  // row, column and own format all show
  EXPECT_TRUE(both.font.bold);
  EXPECT_EQ(both.numberFormat, "@");
  EXPECT_EQ(both.horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(both.font.size, 11);
}

// A province's table fills every row; its borders go on over cells that
// exist. A range that would make more cells than the limit is refused,
// saying how many, before it makes any.
TEST_F(FormatTest, ATableOverEveryRowIsFormattedAndARunawayRangeRefused) {
  const int rows = host::kMaxRow, columns = 40;  // 42 million cells, more than the limit
  host::Grid column(rows, 1);
  for (int r = 0; r < rows; ++r) column.at(r, 0) = Value(r);
  for (int c = 1; c <= columns; ++c) sheet.setValues({1, c}, column);
  host::FormatPatch bold;
  bold.bold = true;
  sheet.applyFormat(rect(2, 1, rows, columns), bold);
  EXPECT_TRUE(sheet.format({rows, columns}).font.bold);
  EXPECT_FALSE(sheet.format({1, 1}).font.bold);
  try {
    sheet.applyFormat(rect(2, columns + 1, rows, columns + 33), bold);  // whole columns would take a column format
    FAIL() << "33 empty columns of every row were formatted";
  } catch (const host::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("上限 33554432"), std::string::npos) << e.what();
  }
  EXPECT_EQ(sheet.usedRange().right, columns) << "nothing was made";
}

TEST_F(FormatTest, ColumnFormatOverARowFormatKeepsBoth) {
  host::FormatPatch fill, text;
  fill.fill = host::Fill::Solid(37);
  text.numberFormat = "@";
  sheet.applyFormat(Rect::rows(11, 11), fill);
  sheet.applyFormat(Rect::columns(1, 2), text);
  EXPECT_EQ(sheet.format({11, 1}).fill, host::Fill::Solid(37));
  EXPECT_EQ(sheet.format({11, 1}).numberFormat, "@");
  EXPECT_EQ(sheet.format({12, 1}).fill, host::Fill{});
}

TEST_F(FormatTest, PaletteEntriesAreTheWorkbooksOwn) {
  EXPECT_EQ(book.color(15), 0xC0C0C0u);
  EXPECT_EQ(book.color(37), 0x99CCFFu);
  book.setColor(15, host::rgb(221, 221, 221));
  EXPECT_EQ(book.color(15), 0xDDDDDDu);
  auto& other = app.createWorkbook("b.xlsx", "");
  EXPECT_EQ(other.color(15), 0xC0C0C0u);
  EXPECT_THROW(book.color(57), host::HostError);
}

TEST_F(FormatTest, ValidationIsPerCellAndMustBeDeletedBeforeAdding) {
  host::Validation list;
  list.type = host::code::kValidateList;
  list.alertStyle = host::code::kAlertStop;
  list.op = host::code::kBetween;
  list.formula1 = "单上线,双上线";
  sheet.addValidation(rect(13, 5, 13, 8), list);
  sheet.setValidationIgnoreBlank(rect(13, 5, 13, 8), false);
  sheet.setValidationInputMessage(rect(13, 6, 13, 6), "选择优秀人数的统计方法");
  auto v = sheet.validation({13, 6});
  ASSERT_TRUE(v);
  EXPECT_EQ(v->formula1, "单上线,双上线");
  EXPECT_FALSE(v->ignoreBlank);
  EXPECT_EQ(v->inputMessage, "选择优秀人数的统计方法");
  EXPECT_EQ(sheet.validation({13, 5})->inputMessage, "");
  EXPECT_THROW(sheet.addValidation(rect(13, 8, 13, 9), list), host::HostError);
  EXPECT_THROW(sheet.setValidationInputMessage(rect(14, 1, 14, 1), "x"), host::HostError);
  sheet.deleteValidation(Rect::sheet());
  EXPECT_FALSE(sheet.validation({13, 6}));
}

TEST_F(FormatTest, HeightsWidthsAndAutoFit) {
  EXPECT_GT(sheet.rowHeight(7), 0);
  sheet.setRowHeight(1, host::kMaxRow, 16);
  sheet.setRowHeight(12, 12, 45);
  sheet.setRowHeight(1, 10, 0);
  EXPECT_EQ(sheet.rowHeight(5), 0);
  EXPECT_EQ(sheet.rowHeight(12), 45);
  EXPECT_EQ(sheet.rowHeight(13), 16);
  EXPECT_THROW(sheet.setRowHeight(1, 1, 410), host::HostError);
  put(1, 1, Value("班主任"));  // three CJK characters: six units
  put(2, 1, Value("ab"));
  put(1, 2, Value("平均\n分\n得分"));
  put(1, 3, Value(85.456));
  host::FormatPatch two;
  two.numberFormat = "0.00";
  sheet.applyFormat(rect(1, 3, 1, 3), two);
  sheet.merge(rect(3, 1, 3, 4));
  put(3, 1, Value("a very long merged title that autofit ignores"));
  sheet.autoFitColumns(1, host::kMaxCol);
  EXPECT_GT(sheet.columnWidth(1), 6);
  EXPECT_LT(sheet.columnWidth(1), 8);
  EXPECT_GT(sheet.columnWidth(2), 4);  // widest line "平均"/"得分"
  EXPECT_LT(sheet.columnWidth(2), 6);
  EXPECT_GT(sheet.columnWidth(3), 5);  // "85.46"
  EXPECT_LT(sheet.columnWidth(3), 7);
  EXPECT_EQ(sheet.columnWidth(9), sheet.defaultColumnWidth());
}

TEST_F(FormatTest, AutoFitMeasuresNumbersAsTheyAreShown) {
  // Widths in characters, each as the number's text is wide.
  const std::vector<std::pair<double, std::string>> numbers = {
      {7, "7"}, {-123456, "-123456"}, {0.5, "0.5"}, {99999999999999, "99999999999999"},
      {1e15, "1E+15"}, {-0.0, "0"}, {2.5e-7, "2.5E-07"}, {200000, "200000"}, {-49.5, "-49.5"},
      {123456789.5, "123456789.5"}, {0.1 + 0.2, "0.3"}, {78.1, "78.1"}};
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const int col = static_cast<int>(i) + 1;
    put(1, col, Value(numbers[i].first));
    put(2, col, Value(1));
  }
  sheet.autoFitColumns(1, host::kMaxCol);
  for (std::size_t i = 0; i < numbers.size(); ++i)
    EXPECT_EQ(sheet.columnWidth(static_cast<int>(i) + 1), std::ceil((numbers[i].second.size() + 0.75) * 100) / 100)
        << numbers[i].second;

  host::FormatPatch decimals;
  decimals.numberFormat = "0.0";
  sheet.applyFormat(rect(1, 1, 1, 1), decimals);
  sheet.autoFitColumns(1, 1);
  EXPECT_EQ(sheet.columnWidth(1), 3.75) << "7 shown as 7.0";
}

TEST_F(FormatTest, PageSetupRefusesWhatTheHostCannotTake) {
  auto& ps = sheet.pageSetup();
  using F = host::PageField;
  EXPECT_EQ(ps.get(F::PaperSize), Value(9));
  EXPECT_THROW(ps.set(F::TopMargin, Value()), host::HostError);  // an empty store cell
  EXPECT_THROW(ps.set(F::Orientation, Value(3)), host::HostError);
  EXPECT_THROW(ps.set(F::Zoom, Value(5)), host::HostError);
  EXPECT_THROW(ps.set(F::PrintTitleRows, Value("A1:B2")), host::HostError);
  ps.set(F::TopMargin, Value(20.5));
  ps.set(F::Orientation, Value(2));
  ps.set(F::Zoom, Value("85"));
  ps.set(F::CenterHorizontally, Value(true));
  ps.set(F::CenterFooter, Value("&P"));
  ps.set(F::PrintTitleRows, Value("$1:$2"));
  EXPECT_EQ(ps.get(F::TopMargin), Value(20.5));
  EXPECT_EQ(ps.get(F::Orientation), Value(2));
  EXPECT_EQ(ps.get(F::Zoom), Value(85));
  EXPECT_EQ(ps.get(F::CenterHorizontally), Value(true));
  EXPECT_EQ(ps.get(F::PrintTitleRows), Value("$1:$2"));
  EXPECT_THROW(sheet.addPageBreakAbove(1), host::HostError);
}

TEST_F(FormatTest, TextRunsLiveInTheirCell) {
  put(1, 2, Value("期中  总分统计\n优秀线:600"));
  sheet.setTextRun({1, 2}, {.start = 9, .length = 100, .fontSize = 14.0});
  auto runs = sheet.textRuns({1, 2});
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].start, 9);
  EXPECT_EQ(runs[0].length, 8);  // clipped to the 16 characters
  EXPECT_THROW(sheet.setTextRun({5, 5}, {.start = 1, .length = 1, .fontSize = 14.0}), host::HostError);
  put(1, 2, Value("new"));
  EXPECT_TRUE(sheet.textRuns({1, 2}).empty());
}

}  // namespace tavo::testing
