// .xls files as LibreOffice writes them load with what the workbook held:
// values and the results of formulas, booleans and errors, formats, merged
// areas, hidden sheets, widths and the date system. Damaged ones are named.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "host/constants.h"
#include "host/xls/biff_records.h"
#include "host/xls/compound_file.h"
#include "host/xls/xls_reader.h"
#include "host/file_error.h"
#include "host/xlsx/xlsx_writer.h"
#include "model_fixture.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

struct XlsFileTest : ModelFixture {
  TempFolder folder;

  // Our workbook saved as xlsx, turned into .xls by LibreOffice.
  std::string asXls(model::Workbook& source, const std::string& stem) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
      if (std::getenv("CI")) ADD_FAILURE() << "LibreOffice is missing";
      return "";
    }
    xlsx::SaveWorkbook(source, folder.file(stem + ".xlsx"));
    const std::string command = "cd '" + folder.path.string() +
                                "' && soffice --headless --norestore -env:UserInstallation=file://" +
                                folder.file("profile") + " --convert-to xls " + stem + ".xlsx >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "LibreOffice did not convert " << stem;
    return folder.file(stem + ".xls");
  }
};

TEST_F(XlsFileTest, ValuesFormulaResultsFormatsAndSheetStatesComeAsTheyWere) {
  sheet.setName("成绩");
  const char* header[] = {"班级", "姓名", "语文", "数学", "总分", "及格", "错", "连", "真"};
  for (int c = 0; c < 9; ++c) put(1, c + 1, header[c]);
  for (int r = 2; r <= 6; ++r) {
    put(r, 1, std::to_string(r - 1) + "班");
    put(r, 2, "学生" + std::to_string(r));
    put(r, 3, 88 + r);
    put(r, 4, 80.25 + r);
    formula(r, 5, "=SUM(RC[-2]:RC[-1])");
    const std::string row = std::to_string(r);
    sheet.setFormulaA1({r, 6}, "=C" + row + ">91", Value(88 + r > 91));
  }
  sheet.setFormulaA1({2, 7}, "=1/0", host::ErrorKind::Div0);
  sheet.setFormulaA1({2, 8}, "=A2&\"x\"", Value("1班x"));
  sheet.setFormulaA1({3, 8}, "=IF(C3>0,\"\",1)", Value(std::string()));
  put(2, 9, true);
  put(3, 9, host::ErrorKind::NA);
  // Text in the string table past one record's length, so that strings
  // run on into the records after it.
  for (int r = 1; r <= 1500; ++r) put(r, 12, "第" + std::to_string(r) + "位学生的名字很长很长");
  put(8, 1, 59);  // 1900-02-28, before the leap day the host counts
  host::FormatPatch date;
  date.numberFormat = "yyyy/m/d";
  sheet.applyFormat(Rect::of({8, 1}), date);
  put(8, 2, 45000.5);
  host::FormatPatch chineseDate;
  chineseDate.numberFormat = "yyyy\"年\"m\"月\"d\"日\"";
  sheet.applyFormat(Rect::of({8, 2}), chineseDate);
  put(8, 3, "黄底粗体");
  host::FormatPatch marked;
  marked.bold = true;
  marked.fontColorIndex = 3;
  marked.fill = host::Fill::Solid(6);
  marked.border = host::BorderLine::Continuous;
  marked.horizontalAlignment = host::HorizontalAlignment::Center;
  sheet.applyFormat(Rect::of({8, 3}), marked);
  put(9, 4, "合并");
  sheet.merge(rect(9, 4, 10, 5));
  sheet.setColumnWidth(2, 2, 20);
  model::Sheet& hidden = book.appendSheet("隐藏");
  hidden.setValue(Rect::of({1, 1}), "x");
  hidden.setColumnWidth(1, host::kMaxCol, 12.38);  // wider columns all over
  hidden.setVisible(false);

  const std::string path = asXls(book, "mixed");
  if (path.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  auto loaded = xls::LoadXlsWorkbook(app, path);
  model::Workbook& got = *loaded.book;
  ASSERT_EQ(got.sheetCount(), 2);
  const model::Sheet& s = got.modelSheet(1);
  EXPECT_EQ(s.name(), "成绩");
  EXPECT_TRUE(s.visible());
  EXPECT_FALSE(got.modelSheet(2).visible());
  for (int r = 1; r <= 6; ++r)
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(s.value({r, c}), get(r, c)) << host::a1(Cell{r, c});
  EXPECT_EQ(s.value({4, 5}), Value(88 + 4 + 80.25 + 4)) << "a SUM's result, not an empty total";
  EXPECT_EQ(s.value({2, 6}), Value(false));
  EXPECT_EQ(s.value({5, 6}), Value(true));
  EXPECT_EQ(s.value({2, 7}), Value(host::ErrorKind::Div0));
  EXPECT_EQ(s.value({2, 8}), Value("1班x")) << "a text result follows its formula";
  EXPECT_EQ(s.value({3, 8}), Value(std::string())) << "an empty text is no blank cell";
  EXPECT_EQ(s.value({2, 9}), Value(true));
  EXPECT_EQ(s.value({3, 9}), Value(host::ErrorKind::NA));
  EXPECT_FALSE(s.hasFormula({2, 5})) << "formulas come as their results";
  EXPECT_NE(std::find(loaded.notCarried.begin(), loaded.notCarried.end(), "xls 文件的公式（只读入计算结果）"),
            loaded.notCarried.end());
  for (int r = 1; r <= 1500; ++r)
    ASSERT_EQ(s.value({r, 12}), get(r, 12)) << "row " << r;
  EXPECT_EQ(s.value({8, 1}), Value(59));
  // LibreOffice spells the short date its own way and quotes literals
  // with a backslash; the formats show the same.
  auto literal = [](std::string code) {
    std::erase_if(code, [](char c) { return c == '"' || c == '\\'; });
    return code;
  };
  EXPECT_NE(s.format({8, 1}).numberFormat.find("yyyy"), std::string::npos) << s.format({8, 1}).numberFormat;
  EXPECT_EQ(literal(s.format({8, 2}).numberFormat), "yyyy年m月d日");
  const host::Format f = s.format({8, 3});
  EXPECT_TRUE(f.font.bold);
  EXPECT_EQ(got.color(f.font.colorIndex), book.color(3));
  EXPECT_EQ(got.color(f.fill.colorIndex), book.color(6));
  EXPECT_EQ(f.border, host::BorderLine::Continuous);
  EXPECT_EQ(f.horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(s.mergeArea({9, 4}), rect(9, 4, 10, 5));
  EXPECT_NEAR(s.columnWidth(2), 20, 0.2);
  EXPECT_NEAR(got.modelSheet(2).columnWidth(40), 12.38, 0.2) << "a sheet's own default width";
  EXPECT_FALSE(got.dates1904());
}

TEST_F(XlsFileTest, DatesCountedFrom1904StayTheSameDates) {
  book.setDates1904(true);
  put(1, 1, 44000);
  host::FormatPatch date;
  date.numberFormat = "yyyy/m/d";
  sheet.applyFormat(Rect::of({1, 1}), date);
  const std::string path = asXls(book, "mac");
  if (path.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  auto loaded = xls::LoadXlsWorkbook(app, path);
  EXPECT_TRUE(loaded.book->dates1904());
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 1}), Value(44000));
}

TEST(XlsRecordTest, StringsRunOnAcrossRecordsWithFlagsOfTheirOwn) {
  // "AB" in one-byte characters, then "中" in two-byte ones behind a new
  // flags byte, then runs that flow on without one.
  const std::string first = std::string("\x03\x00\x08\x01\x00", 5) + "AB";
  const std::string second = std::string("\x01\x2D\x4E", 3) + std::string(4, '\0');
  xls::RecordBody body({first, second});
  EXPECT_EQ(body.unicodeString(false), "AB中");
  EXPECT_EQ(body.left(), 0u);
  const std::string shortRecord = std::string("\x05\x00\x00", 3) + "ab";  // the body only views it
  xls::RecordBody cut({shortRecord});
  EXPECT_THROW(cut.unicodeString(false), std::runtime_error) << "a string longer than its record";
  EXPECT_EQ(xls::DecodeCodePage("\xB0\xE0", 936), "班");
}

TEST_F(XlsFileTest, DamagedContainersAreRefusedWithTheFileNamed) {
  const std::string signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  std::string header = signature + std::string(504, '\0');
  header[0x1E] = 9;                          // 512-byte sectors
  header[0x20] = 6;                          // 64-byte mini sectors
  header[0x2C] = 1;                          // one FAT sector ...
  for (int i = 0; i < 4; ++i) header[0x4C + i] = '\x05';  // ... beyond the file
  for (const std::string& bytes : {signature + std::string(600, '\xFF'), header + std::string(512, '\0'),
                                   std::string("not a workbook at all")}) {
    const std::string path = folder.file("坏.xls");
    std::ofstream(path, std::ios::binary) << bytes;
    try {
      xls::LoadXlsWorkbook(app, path);
      ADD_FAILURE() << "a damaged file was read";
    } catch (const host::FileError& e) {
      EXPECT_EQ(e.path, path);
      EXPECT_FALSE(e.reason.empty());
    }
  }
}

}  // namespace
}  // namespace tavo::testing
