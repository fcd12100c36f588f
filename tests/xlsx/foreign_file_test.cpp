// Files that other programs wrote load with their content intact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/xlsx/color_index.h"
#include "host/file_error.h"
#include "host/address.h"
#include "host/constants.h"
#include "host/xlsx/shared_formula.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "model_fixture.h"
#include "package_builder.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

const std::string kBody = "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>";

struct ForeignFileTest : ModelFixture {
  TempFolder folder;
  xlsx::LoadedWorkbook load(const std::map<std::string, std::string>& parts) {
    std::string path = folder.file("in.xlsx");
    xlsx::WriteZip(path, parts);
    return xlsx::LoadWorkbook(app, path);
  }
};

TEST_F(ForeignFileTest, SharedStringsSharedFormulasStylesAndMerges) {
  const std::string strings =
      "<si><t>班级</t></si><si><t xml:space=\"preserve\"> 语文</t></si>"
      "<si><r><t>高一</t></r><r><rPr><sz val=\"9\"/><rFont val=\"Arial\"/></rPr><t>成绩</t></r></si>"
      "<si><t>A_x000D_B</t></si>";
  const std::string styles =
      "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.0%\"/></numFmts>"
      "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
      "<font><b/><sz val=\"14\"/><color rgb=\"FFFF0000\"/><name val=\"宋体\"/></font></fonts>"
      "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0C0C0\"/></patternFill></fill></fills>"
      "<borders count=\"2\"><border/><border><left style=\"thin\"/><right style=\"thin\"/></border></borders>"
      "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "<xf numFmtId=\"164\" fontId=\"1\" fillId=\"2\" borderId=\"1\"><alignment horizontal=\"center\"/></xf>"
      "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellXfs>";
  const std::string body =
      "<sheetData>"
      "<row r=\"1\"><c r=\"A1\" t=\"s\" s=\"1\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c></row>"
      "<row r=\"2\" ht=\"24\" customHeight=\"1\"><c t=\"inlineStr\"><is><t>1班</t></is></c><c><v>90</v></c>"
      "<c><f t=\"shared\" ref=\"C2:C4\" si=\"0\">B2*2</f><v>180</v></c></row>"
      "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>3</v></c><c r=\"B3\"><v>70.5</v></c><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>141</v></c></row>"
      "<row r=\"4\"><c r=\"B4\" s=\"2\"><v>1e3</v></c><c r=\"C4\"><f t=\"shared\" si=\"0\"/><v>2000</v></c>"
      "<c r=\"D4\" t=\"b\"><v>1</v></c><c r=\"E4\" t=\"e\"><v>#N/A</v></c><c r=\"F4\" t=\"str\"><f>\"x\"&amp;A2</f><v>x1班</v></c></row>"
      "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A6:C6\"/></mergeCells>";
  auto loaded = load(OneSheetPackage(body, strings, styles));
  const model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(s.value({1, 1}), Value("班级"));
  EXPECT_EQ(s.value({1, 2}), Value(" 语文"));
  EXPECT_EQ(s.value({1, 3}), Value("高一成绩"));
  ASSERT_EQ(s.textRuns({1, 3}).size(), 1u);
  EXPECT_EQ(s.textRuns({1, 3})[0], (host::TextRun{.start = 3, .length = 2, .fontSize = 9.0, .fontName = std::string("Arial")}));
  EXPECT_EQ(s.value({3, 1}), Value("A\rB"));
  EXPECT_EQ(s.value({2, 1}), Value("1班"));
  EXPECT_EQ(s.formulaR1C1({3, 3}), "=RC[-1]*2") << "a shared formula follows its cell";
  EXPECT_EQ(s.formulaA1({4, 3}), "=B4*2");
  EXPECT_EQ(s.value({4, 3}), Value(2000));
  EXPECT_EQ(s.value({4, 4}), Value(true));
  EXPECT_EQ(s.value({4, 5}), Value(host::ErrorKind::NA));
  EXPECT_EQ(s.value({4, 6}), Value("x1班"));
  EXPECT_EQ(s.rowHeight(2), 24);
  EXPECT_EQ(s.merges(), (std::vector<Rect>{{6, 1, 6, 3}}));

  host::Format head = s.format({1, 1});
  EXPECT_TRUE(head.font.bold);
  EXPECT_EQ(head.font.size, 14);
  EXPECT_EQ(head.font.colorIndex, 3) << "red is palette entry 3";
  EXPECT_EQ(head.fill, host::Fill::Solid(15)) << "C0C0C0 is palette entry 15";
  EXPECT_EQ(head.border, host::BorderLine::Continuous);
  EXPECT_EQ(head.horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(head.numberFormat, "0.0%");
  EXPECT_EQ(s.format({4, 2}).numberFormat, "@");
  EXPECT_EQ(s.format({2, 2}).font.name, "Calibri");
}

TEST_F(ForeignFileTest, CellsOfOneSharedStringShareOneTextUntilOneChanges) {
  const std::string strings = "<si><t>1班</t></si><si><t>张三</t></si>";
  const std::string body =
      "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
      "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\" t=\"s\"><v>0</v></c></row>"
      "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>0</v></c></row></sheetData>";
  auto loaded = load(OneSheetPackage(body, strings));
  model::Sheet& s = loaded.book->modelSheet(1);
  const auto textOf = [&](host::Cell c) { return &s.column(c.col)->get(c.row)->text(); };
  EXPECT_EQ(textOf({1, 1}), textOf({3, 1}));
  EXPECT_EQ(textOf({1, 1}), textOf({2, 2})) << "across columns";
  EXPECT_NE(textOf({1, 1}), textOf({1, 2}));

  s.setValue(host::Rect::of({2, 1}), Value("2班"));
  EXPECT_EQ(s.value({1, 1}), Value("1班"));
  EXPECT_EQ(s.value({2, 1}), Value("2班"));
  EXPECT_EQ(s.value({3, 1}), Value("1班"));

  // Written twice: each writing files each text once, and counts every cell.
  for (int writing = 0; writing < 2; ++writing) {
    const std::string sst = xlsx::WorkbookParts(*loaded.book).at("xl/sharedStrings.xml");
    EXPECT_NE(sst.find("count=\"5\" uniqueCount=\"3\""), std::string::npos) << sst;
    EXPECT_LT(sst.find("1班"), sst.find("张三")) << "entries in the order the cells are written";
  }
}

TEST(SharedFormulaTest, RelativeReferencesMoveAndTheRestStays) {
  using xlsx::ShiftedFormula;
  EXPECT_EQ(ShiftedFormula("A3+1", 1, 0), "A4+1");
  EXPECT_EQ(ShiftedFormula("A1-1", 2, 0), "A3-1");
  EXPECT_EQ(ShiftedFormula("$A$1+A$1+$A1+A1", 1, 1), "$A$1+B$1+$A2+B2");
  EXPECT_EQ(ShiftedFormula("SUM(B2:D2)*2", 3, 0), "SUM(B5:D5)*2");
  EXPECT_EQ(ShiftedFormula("VLOOKUP(A2,数据!B:C,2,0)", 1, 0), "VLOOKUP(A3,数据!B:C,2,0)");
  EXPECT_EQ(ShiftedFormula("VLOOKUP(A2,$B:$C,2,FALSE)", 1, 1), "VLOOKUP(B3,$B:$C,2,FALSE)") << "TRUE/FALSE are no cells";
  EXPECT_EQ(ShiftedFormula("SUM(3:5)", 2, 0), "SUM(5:7)") << "whole rows";
  EXPECT_EQ(ShiftedFormula("TEXT(A2,\"A1 0.0\")&'My Sheet'!B2", 1, 0), "TEXT(A3,\"A1 0.0\")&'My Sheet'!B3")
      << "strings and quoted sheet names stay";
  EXPECT_EQ(ShiftedFormula("LOG10(A1)+LEN(B1)+1.5E+3", 1, 0), "LOG10(A2)+LEN(B2)+1.5E+3") << "functions and numbers stay";
  EXPECT_EQ(ShiftedFormula("A1+#N/A", -1, 0), "#REF!+#N/A") << "moved off the sheet";
  EXPECT_EQ(ShiftedFormula("XFD1", 0, 1), "#REF!");
}

// Filled down by the desktop spreadsheet: a counter, a running sum and a
// lookup the model does not evaluate, each written once and shared below.
TEST_F(ForeignFileTest, FilledDownFormulasComeBackAsTheyWere) {
  std::string body = "<sheetData>";
  body += "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>10</v></c></row>";
  body += "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" ref=\"A2:A6\" si=\"0\">A1+1</f><v>2</v></c>"
          "<c r=\"B2\"><f t=\"shared\" ref=\"B2:B6\" si=\"1\">B1-1</f><v>9</v></c>"
          "<c r=\"C2\" t=\"str\"><f t=\"shared\" ref=\"C2:C6\" si=\"2\">TEXT(A2,\"00\")&amp;VLOOKUP(A2,$A:$B,2,0)</f><v>0210</v></c></row>";
  for (int r = 3; r <= 6; ++r) {
    const std::string n = std::to_string(r);
    body += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><f t=\"shared\" si=\"0\"/><v>" + std::to_string(r) + "</v></c>"
            "<c r=\"B" + n + "\"><f t=\"shared\" si=\"1\"/><v>" + std::to_string(11 - r) + "</v></c>"
            "<c r=\"C" + n + "\" t=\"str\"><f t=\"shared\" si=\"2\"/><v>cached" + n + "</v></c></row>";
  }
  body += "</sheetData>";
  auto loaded = load(OneSheetPackage(body));
  model::Sheet& s = loaded.book->modelSheet(1);
  for (int r = 2; r <= 6; ++r) {
    EXPECT_EQ(s.formulaA1({r, 1}), "=A" + std::to_string(r - 1) + "+1");
    EXPECT_EQ(s.value({r, 1}), Value(r)) << "a counter counts";
    EXPECT_EQ(s.formulaA1({r, 2}), "=B" + std::to_string(r - 1) + "-1");
    EXPECT_EQ(s.value({r, 2}), Value(11 - r));
    EXPECT_EQ(s.formulaA1({r, 3}), "=TEXT(A" + std::to_string(r) + ",\"00\")&VLOOKUP(A" + std::to_string(r) + ",$A:$B,2,0)");
  }
  EXPECT_EQ(s.value({4, 3}), Value("cached4")) << "a formula the model cannot evaluate keeps its stored value";

  // Saved and read again: the same.
  const std::string path = folder.file("filled.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  auto again = xlsx::LoadWorkbook(app, path);
  const model::Sheet& t = again.book->modelSheet(1);
  for (int r = 2; r <= 6; ++r)
    for (int c = 1; c <= 3; ++c) {
      EXPECT_EQ(t.formulaA1({r, c}), s.formulaA1({r, c})) << r << "," << c;
      EXPECT_EQ(t.value({r, c}), s.value({r, c})) << r << "," << c;
    }
}

TEST_F(ForeignFileTest, DatesCountedFrom1904StayTheSameDates) {
  auto parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>44000</v></c></row></sheetData>", "",
                               "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\" applyNumberFormat=\"1\"/></cellXfs>");
  parts["xl/workbook.xml"].replace(parts["xl/workbook.xml"].find("<sheets>"), 0, "<workbookPr date1904=\"1\"/>");
  auto loaded = load(parts);
  EXPECT_TRUE(loaded.book->dates1904());
  const std::string path = folder.file("1904.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  auto again = xlsx::LoadWorkbook(app, path);
  EXPECT_TRUE(again.book->dates1904()) << "the serial 44000 means the same day as in the file";
  EXPECT_EQ(again.book->modelSheet(1).value({1, 1}), Value(44000));
  EXPECT_FALSE(load(OneSheetPackage(kBody)).book->dates1904());
}

// Formatted columns to the sheet's edge and a formatted last row: loading
// costs what the file holds, and saving does not inflate it.
TEST_F(ForeignFileTest, FormattedRowsAndColumnsMakeNoCellsWhereTheyCross) {
  const std::string styles =
      "<fonts count=\"2\"><font/><font><b/></font></fonts><fills count=\"2\"><fill/><fill/></fills>"
      "<borders count=\"1\"><border/></borders><cellXfs count=\"3\"><xf/>"
      "<xf fontId=\"1\" applyFont=\"1\"/><xf><alignment horizontal=\"center\"/></xf></cellXfs>";
  const std::string body =
      "<cols><col min=\"8\" max=\"16384\" style=\"1\"/></cols><sheetData>"
      "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
      "<row r=\"1048576\" s=\"2\" customFormat=\"1\"/></sheetData>";
  auto loaded = load(OneSheetPackage(body, "", styles));
  model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_TRUE(s.format({5, 100}).font.bold) << "a formatted column";
  EXPECT_EQ(s.format({host::kMaxRow, 100}).horizontalAlignment, host::HorizontalAlignment::Center)
      << "the row's format shows where they cross";
  EXPECT_EQ(s.column(100), nullptr) << "no cell was made there";

  const std::string path = folder.file("edges.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  EXPECT_LT(std::filesystem::file_size(path), 20000u);
  auto again = xlsx::LoadWorkbook(app, path);
  EXPECT_TRUE(again.book->modelSheet(1).format({5, 16384}).font.bold);
  EXPECT_EQ(again.book->modelSheet(1).format({host::kMaxRow, 8}).horizontalAlignment,
            host::HorizontalAlignment::Center);
}

// The default palette of current desktop spreadsheets: colours given by
// the theme, lightened or darkened by a tint.
TEST_F(ForeignFileTest, ThemeColoursShowAsTheThemeAndTintMakeThem) {
  EXPECT_EQ(xlsx::Tinted(0xFFFFFF, -0.1499984740745262), 0xD9D9D9u) << "white, 15% darker";
  EXPECT_EQ(xlsx::Tinted(0x4472C4, -0.249977111117893), 0x2F5597u) << "accent 1, 25% darker";
  EXPECT_EQ(xlsx::Tinted(0xED7D31, 0.5999938962981048), 0xF8CBADu) << "accent 2, 60% lighter";

  const std::string styles =
      "<fonts count=\"2\"><font/><font><color theme=\"0\"/></font></fonts>"
      "<fills count=\"3\"><fill/><fill/><fill><patternFill patternType=\"solid\"><fgColor theme=\"4\" tint=\"0.7999816888943144\"/>"
      "</patternFill></fill></fills><borders count=\"1\"><border/></borders>"
      "<cellXfs count=\"2\"><xf/><xf fontId=\"1\" fillId=\"2\" applyFill=\"1\"/></cellXfs>";
  auto parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row></sheetData>", "", styles);
  // A theme whose first accent is green: the file's own theme counts.
  parts["xl/theme/theme1.xml"] =
      "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements><a:clrScheme name=\"x\">"
      "<a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1><a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1>"
      "<a:accent1><a:srgbClr val=\"00FF00\"/></a:accent1></a:clrScheme></a:themeElements></a:theme>";
  parts["xl/_rels/workbook.xml.rels"].insert(parts["xl/_rels/workbook.xml.rels"].find("</Relationships>"),
      "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" Target=\"theme/theme1.xml\"/>");
  auto loaded = load(parts);
  const host::Format f = loaded.book->modelSheet(1).format({1, 1});
  EXPECT_EQ(loaded.book->color(f.fill.colorIndex), 0xCCFFCCu) << "a light green, not black";
  EXPECT_EQ(f.font.colorIndex, 2) << "theme 0 is the light one: white";
}

// Colours the palette lacks stay exactly as they were: through a save, and
// when a cell is copied into another workbook.
TEST_F(ForeignFileTest, ColoursOutsideThePaletteComeBackExactly) {
  const std::string styles =
      "<fonts count=\"2\"><font/><font><color rgb=\"FF1F4E79\"/></font></fonts>"
      "<fills count=\"3\"><fill/><fill/><fill><patternFill patternType=\"solid\"><fgColor theme=\"4\" tint=\"0.7999816888943144\"/>"
      "</patternFill></fill></fills><borders count=\"2\"><border/><border><bottom style=\"medium\"><color rgb=\"FFC65911\"/>"
      "</bottom></border></borders>"
      "<cellXfs count=\"2\"><xf/><xf fontId=\"1\" fillId=\"2\" borderId=\"1\" applyFill=\"1\"/></cellXfs>";
  auto loaded = load(OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row></sheetData>", "", styles));
  auto colours = [](const model::Workbook& wb, host::Cell at) {
    const host::Format f = wb.modelSheet(1).format(at);
    return std::vector<host::Rgb>{wb.color(f.font.colorIndex), wb.color(f.fill.colorIndex),
                                  wb.color(f.edges[3].colorIndex)};
  };
  const std::vector<host::Rgb> expected{0x1F4E79, 0xDAE3F3, 0xC65911};  // accent 1 of the default theme, 80% lighter
  EXPECT_EQ(colours(*loaded.book, {1, 1}), expected);
  const std::string path = folder.file("colours.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  EXPECT_EQ(colours(*xlsx::LoadWorkbook(app, path).book, {1, 1}), expected);
  // The other workbook has file colours of its own under the same indexes.
  auto other = load(OneSheetPackage(kBody, "", "<fonts count=\"1\"><font><color rgb=\"FF123456\"/></font></fonts>"
                                               "<cellXfs count=\"1\"><xf/></cellXfs>"));
  loaded.book->modelSheet(1).copy(Rect::of({1, 1}), other.book->modelSheet(1), Rect::of({2, 2}), host::Paste::All);
  EXPECT_EQ(colours(*other.book, {2, 2}), expected);
}

TEST_F(ForeignFileTest, PartNamesMatchWhateverTheirLetterCase) {
  auto parts = OneSheetPackage(kBody);
  parts["xl/worksheets/Sheet1.xml"] = parts["xl/worksheets/sheet1.xml"];  // as some writers name it
  parts.erase("xl/worksheets/sheet1.xml");
  auto loaded = load(parts);
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 1}), Value(1));
}

// A city's names take megabytes of shared strings, read a megabyte at a
// time: every string, plain, spaced, escaped or in runs, comes back as it
// would from one reading, wherever the pieces are cut.
TEST_F(ForeignFileTest, ManySharedStringsReadAsOne) {
  constexpr int kStrings = 70000;  // about 2 MB of <si>
  std::string strings, rows;
  auto expected = [](int i) {
    return i % 1000 == 7   ? "粗" + std::to_string(i) + "体"
           : i % 1000 == 8 ? " 空格 " + std::to_string(i)
                           : "学生&" + std::to_string(i);
  };
  for (int i = 0; i < kStrings; ++i) {
    if (i % 1000 == 7)
      strings += "<si><r><rPr><b/><sz val=\"9\"/><rFont val=\"Arial\"/></rPr><t>粗</t></r><r><t>" + std::to_string(i) +
                 "体</t></r></si>";
    else if (i % 1000 == 8)
      strings += "<si><t xml:space=\"preserve\"> 空格 " + std::to_string(i) + "</t></si>";
    else
      strings += "<si><t>学生&amp;" + std::to_string(i) + "</t></si>";
    rows += "<row r=\"" + std::to_string(i + 1) + "\"><c r=\"A" + std::to_string(i + 1) + "\" t=\"s\"><v>" +
            std::to_string(i) + "</v></c></row>";
  }
  auto loaded = load(OneSheetPackage("<sheetData>" + rows + "</sheetData>", strings + "\n"));
  const model::Sheet& read = loaded.book->modelSheet(1);
  for (int i = 0; i < kStrings; ++i) ASSERT_EQ(read.value({i + 1, 1}), Value(expected(i))) << "string " << i;
  for (int i = 7; i < kStrings; i += 1000) {
    ASSERT_EQ(read.textRuns({i + 1, 1}).size(), 1u) << "string " << i;
    EXPECT_EQ(read.textRuns({i + 1, 1})[0].bold, true) << "string " << i;
  }

  // A fault deep in the part is told with the part and where it is.
  const std::string broken =
      strings.substr(0, strings.size() / 2) + "<si><t>坏</si>" + strings.substr(strings.size() / 2);
  std::string why;
  try {
    load(OneSheetPackage("<sheetData>" + rows + "</sheetData>", broken));
  } catch (const std::exception& e) {
    why = e.what();
  }
  EXPECT_NE(why.find("xl/sharedStrings.xml"), std::string::npos) << why;
  EXPECT_NE(why.find("位置"), std::string::npos) << why;
}

TEST_F(ForeignFileTest, PartsWhoseElementsCarryAPrefixReadAsAnyOther) {
  auto parts = OneSheetPackage(kBody, "<si><t>班级</t></si>");
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  parts["xl/worksheets/sheet1.xml"] =
      "<x:worksheet xmlns:x=\"" + main + "\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c>"
      "<x:c r=\"B1\"><x:v>7</x:v></x:c></x:row></x:sheetData></x:worksheet>";
  parts["xl/sharedStrings.xml"] = "<x:sst xmlns:x=\"" + main + "\"><x:si><x:t>班级</x:t></x:si></x:sst>";
  auto loaded = load(parts);
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 1}), Value("班级"));
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 2}), Value(7));
}

TEST_F(ForeignFileTest, AFileWrittenByOpenpyxl) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0) {
    if (std::getenv("CI")) FAIL() << "python3-openpyxl is missing";
    GTEST_SKIP() << "python3-openpyxl is not installed";
  }
  std::string path = folder.file("openpyxl.xlsx");
  std::string script = folder.file("make.py");
  std::ofstream(script) << "import openpyxl, sys\n"
                           "from openpyxl.styles import Font, PatternFill, Alignment\n"
                           "wb = openpyxl.Workbook()\n"
                           "ws = wb.active\n"
                           "ws.title = '数据表'\n"
                           "ws.append(['班级', '姓名', '语文', '数学'])\n"
                           "ws.append(['1班', '张三', 90, 85])\n"
                           "ws.append(['2班', '李四', '缺考', 77.5])\n"
                           "ws['E1'] = '总分'\n"
                           "ws['E2'] = '=SUM(C2:D2)'\n"
                           "ws['A1'].font = Font(bold=True, size=14)\n"
                           "ws['A1'].fill = PatternFill('solid', fgColor='FFFF00')\n"
                           "ws['B1'].alignment = Alignment(horizontal='center')\n"
                           "ws.merge_cells('A5:B5')\n"
                           "ws.column_dimensions['B'].width = 20\n"
                           "ws.freeze_panes = 'A2'\n"
                           "wb.create_sheet('其他')['A1'] = 1\n"
                           "wb.save(sys.argv[1])\n";
  ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + path).c_str()), 0);
  auto loaded = xlsx::LoadWorkbook(app, path);
  const model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(s.name(), "数据表");
  EXPECT_EQ(loaded.book->modelSheet(2).name(), "其他");
  EXPECT_EQ(s.value({3, 2}), Value("李四"));
  EXPECT_EQ(s.value({3, 3}), Value("缺考"));
  EXPECT_EQ(s.value({3, 4}), Value(77.5));
  EXPECT_EQ(s.value({2, 5}), Value(175)) << "no cached value in the file: the model computes it";
  EXPECT_TRUE(s.format({1, 1}).font.bold);
  EXPECT_EQ(s.format({1, 1}).fill, host::Fill::Solid(6));
  EXPECT_EQ(s.format({1, 2}).horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(s.merges(), (std::vector<Rect>{{5, 1, 5, 2}}));
  EXPECT_NEAR(s.columnWidth(2), 20, 1);
  EXPECT_TRUE(s.view().freezePanes);
  EXPECT_EQ(s.view().splitRow, 1);
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
}

// Sheets as the host tells them apart, and areas a file may merge.
TEST_F(ForeignFileTest, SheetStatesNamesAndMergedAreas) {
  auto twoSheets = [&](const std::string& first, const std::string& second) {
    auto parts = OneSheetPackage(kBody);
    parts["xl/workbook.xml"] = std::string("<workbook ") + kNs + "><sheets>" + first + second + "</sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/></Relationships>";
    return parts;
  };
  auto loaded = load(twoSheets("<sheet name=\"隐藏\" state=\"hidden\" sheetId=\"1\" r:id=\"rId1\"/>",
                               "<sheet name=\"数据表\" sheetId=\"2\" r:id=\"rId2\"/>"));
  EXPECT_FALSE(loaded.book->modelSheet(1).visible()) << "a hidden first sheet with a visible one after it";
  EXPECT_TRUE(loaded.book->modelSheet(2).visible());
  EXPECT_THROW(load(twoSheets("<sheet name=\"a\" state=\"hidden\" sheetId=\"1\" r:id=\"rId1\"/>",
                              "<sheet name=\"b\" state=\"hidden\" sheetId=\"2\" r:id=\"rId2\"/>")),
               host::FileError)
      << "no visible sheet";
  EXPECT_THROW(load(twoSheets("<sheet name=\"abc\" sheetId=\"1\" r:id=\"rId1\"/>",
                              "<sheet name=\"ABC\" sheetId=\"2\" r:id=\"rId2\"/>")),
               host::FileError)
      << "names that differ only in case";

  // Overlapping areas would be joined, erasing C1: refused.
  const std::string overlapping =
      "<sheetData><row r=\"1\"><c r=\"C1\" t=\"inlineStr\"><is><t>班级</t></is></c></row></sheetData>"
      "<mergeCells count=\"2\"><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"B2:C3\"/></mergeCells>";
  try {
    load(OneSheetPackage(overlapping));
    FAIL() << "overlapping merged areas were accepted";
  } catch (const host::FileError& e) {
    EXPECT_NE(e.reason.find("A1:B2 与 B2:C3 重叠"), std::string::npos) << e.reason;
  }
  const std::string apart = "<sheetData/><mergeCells count=\"2\"><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"C1:D2\"/></mergeCells>";
  EXPECT_EQ(load(OneSheetPackage(apart)).book->modelSheet(1).merges().size(), 2u);
}

// Teachers put drop-downs on whole columns, thousands of them in a file.
TEST_F(ForeignFileTest, WholeColumnValidationRulesAreKeptAsAreas) {
  std::string rules = "<dataValidations count=\"3000\">";
  for (int c = 1; c <= 3000; ++c) {
    const std::string column = host::columnLetters(c);
    rules += "<dataValidation type=\"list\" sqref=\"" + column + ":" + column + "\"><formula1>\"是,否\"</formula1></dataValidation>";
  }
  rules += "</dataValidations>";
  auto loaded = load(OneSheetPackage("<sheetData/>" + rules));
  model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(s.validation({host::kMaxRow, 3000})->formula1, "是,否");
  EXPECT_FALSE(s.validation({1, 3001}).has_value());
  std::string path = folder.file("out.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  auto again = xlsx::LoadWorkbook(app, path);
  EXPECT_TRUE(again.book->modelSheet(1).validation({host::kMaxRow, 1}).has_value());
  EXPECT_LE(again.book->modelSheet(1).validations().areas().size(), 3000u);
}

// A teacher's own formats come back as they were, edge by edge.
TEST_F(ForeignFileTest, FormatsTheCommandsNeverSetAreCarriedThrough) {
  const std::string styles =
      "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"宋体\"/></font>"
      "<font><i/><strike/><sz val=\"12\"/><name val=\"楷体\"/></font></fonts>"
      "<fills count=\"4\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>"
      "<fill><patternFill patternType=\"darkGrid\"><fgColor rgb=\"FFFF0000\"/><bgColor rgb=\"FF0000FF\"/></patternFill></fill>"
      "<fill><gradientFill degree=\"90\"><stop position=\"0\"><color rgb=\"FFFFFFFF\"/></stop></gradientFill></fill></fills>"
      "<borders count=\"3\"><border/><border><left style=\"medium\"><color rgb=\"FFFF0000\"/></left><right/>"
      "<top style=\"dashDot\"/><bottom style=\"thick\"/><diagonal/></border>"
      "<border><diagonal style=\"thin\"/></border></borders>"
      "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"2\" borderId=\"1\"><alignment wrapText=\"1\" textRotation=\"45\"/></xf>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"3\" borderId=\"2\"/>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"><alignment indent=\"2\"/></xf></cellXfs>";
  const std::string body =
      "<cols><col min=\"2\" max=\"3\" width=\"9\" customWidth=\"1\" outlineLevel=\"1\"/></cols>"
      "<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>班级</t></is></c></row>"
      "<row r=\"2\" outlineLevel=\"2\"><c r=\"A2\" s=\"2\"><v>1</v></c></row>"
      "<row r=\"3\" outlineLevel=\"1\"/></sheetData>";
  auto loaded = load(OneSheetPackage(body, "", styles));
  for (const char* named : {"渐变填充", "斜线边框"})
    EXPECT_NE(std::find(loaded.notCarried.begin(), loaded.notCarried.end(), named), loaded.notCarried.end()) << named;

  auto check = [](const model::Sheet& s) {
    const host::Format f = s.format({1, 1});
    EXPECT_TRUE(f.font.italic && f.font.strikethrough);
    EXPECT_TRUE(f.wrapText);
    EXPECT_EQ(f.textRotation, 45);
    EXPECT_EQ(f.fill.pattern, "darkGrid");
    EXPECT_EQ(f.fill.colorIndex, 3);
    EXPECT_EQ(f.fill.patternColorIndex, 5);
    EXPECT_EQ(f.edges[0], (host::BorderEdge{"medium", 3}));
    EXPECT_EQ(f.edges[1], host::BorderEdge{});
    EXPECT_EQ(f.edges[2].style, "dashDot");
    EXPECT_EQ(f.edges[3].style, "thick");
    EXPECT_EQ(s.rowOutlineLevels().at(2), 2);
    EXPECT_EQ(s.rowOutlineLevels().at(3), 1);
    EXPECT_EQ(s.columnOutlineLevels().at(3), 1);
  };
  check(loaded.book->modelSheet(1));
  std::string path = folder.file("again.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  check(xlsx::LoadWorkbook(app, path).book->modelSheet(1));

  // A command's border or fill replaces what the file drew.
  host::FormatPatch plain;
  plain.border = host::BorderLine::Continuous;
  plain.fill = host::Fill::Solid(37);
  loaded.book->modelSheet(1).applyFormat(Rect::of({1, 1}), plain);
  const host::Format f = loaded.book->modelSheet(1).format({1, 1});
  EXPECT_EQ(f.edges[0], host::BorderEdge{});
  EXPECT_TRUE(f.fill.pattern.empty());
  EXPECT_TRUE(f.font.italic) << "what the command did not set stays";
}

// An array formula the model does not compute keeps its text, its area and
// the values the file holds, and is written back as one.
TEST_F(ForeignFileTest, ArrayFormulasComeBackAsArrayFormulas) {
  auto loaded = load(OneSheetPackage(
      "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>3</v></c>"
      "<c r=\"C1\"><f t=\"array\" ref=\"C1:C2\">A1:A2*B1:B2</f><v>3</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><v>4</v></c><c r=\"C2\"><v>8</v></c></row></sheetData>"));
  const model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(s.value({1, 3}), Value(3));
  EXPECT_EQ(s.value({2, 3}), Value(8));
  EXPECT_EQ(s.formulaA1({1, 3}), "=A1:A2*B1:B2");
  EXPECT_EQ(s.arrayFormulaArea({1, 3}), "C1:C2");
  const std::string path = folder.file("array.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  const std::string sheetXml = xlsx::ReadZip(path).at("xl/worksheets/sheet1.xml");
  EXPECT_NE(sheetXml.find("<f t=\"array\" ref=\"C1:C2\">A1:A2*B1:B2</f><v>3</v>"), std::string::npos) << sheetXml;
}

// Validation rules the model keeps only in part are named in the load
// warning.
TEST_F(ForeignFileTest, WhatComesBackOnlyInPartIsNamed) {
  auto named = [&](const std::string& body, const std::string& strings) {
    return load(OneSheetPackage(body, strings)).notCarried;
  };
  auto has = [](const std::vector<std::string>& list, const std::string& what) {
    return std::find(list.begin(), list.end(), what) != list.end();
  };
  EXPECT_TRUE(has(named(kBody + std::string("<dataValidations count=\"1\"><dataValidation type=\"date\" sqref=\"A1\">"
                                            "<formula1>45000</formula1></dataValidation></dataValidations>"),
                        ""),
                  "数据有效性的日期与自定义规则、第二个界限、标题与出错信息"));
}

// The page and the view as the teacher set them up come back: header and
// footer sections, fit to page, gridlines, print area, zoom, hidden zeros;
// no paper size is written where the file named none.
TEST_F(ForeignFileTest, PageAndViewSettingsComeBackAsTheyWere) {
  auto parts = OneSheetPackage(
      "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>"
      "<sheetViews><sheetView showGridLines=\"0\" showZeros=\"0\" zoomScale=\"85\" workbookViewId=\"0\"/></sheetViews>"
      "<sheetData><row r=\"1\"><c r=\"A1\"><v>0</v></c></row></sheetData>"
      "<printOptions gridLines=\"1\"/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/><pageSetup fitToHeight=\"0\" orientation=\"landscape\"/>"
      "<headerFooter><oddHeader>&amp;C&amp;\"宋体,加粗\"期中考试</oddHeader><oddFooter>&amp;L左&amp;C第 &amp;P 页&amp;R右</oddFooter>"
      "</headerFooter>");
  parts["xl/workbook.xml"].replace(parts["xl/workbook.xml"].find("</workbook>"), 0,
                                   "<definedNames><definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">"
                                   "Sheet1!$A$1:$H$20</definedName></definedNames>");
  parts["xl/worksheets/sheet1.xml"].replace(parts["xl/worksheets/sheet1.xml"].find("<sheetData>"), 0,
                                            "<sheetFormatPr baseColWidth=\"10\" defaultRowHeight=\"15\"/>");
  auto loaded = load(parts);
  auto check = [](const model::Sheet& s) {
    EXPECT_EQ(s.defaultColumnWidth(), 10.38) << "a base width other than 8 characters";
    const model::PageSettings& p = s.pageSettings();
    EXPECT_EQ(p.header, "&C&\"宋体,加粗\"期中考试");
    EXPECT_EQ(p.leftFooter, "左");
    EXPECT_EQ(p.centerFooter, "第 &P 页");
    EXPECT_EQ(p.rightFooter, "右");
    EXPECT_TRUE(p.fitToPage);
    EXPECT_EQ(p.fitToWidth, 1);
    EXPECT_EQ(p.fitToHeight, 0);
    EXPECT_TRUE(p.printGridlines);
    EXPECT_EQ(p.printArea, "$A$1:$H$20");
    EXPECT_FALSE(p.paperSizeGiven);
    EXPECT_EQ(p.orientation, 2);
    EXPECT_EQ(s.view().zoomScale, 85);
    EXPECT_FALSE(s.view().showGridLines);
    EXPECT_FALSE(s.view().showZeros);
  };
  check(loaded.book->modelSheet(1));
  const std::string path = folder.file("page.xlsx");
  xlsx::SaveWorkbook(*loaded.book, path);
  check(xlsx::LoadWorkbook(app, path).book->modelSheet(1));
  loaded.book->modelSheet(1).pageSetup().set(host::PageField::PaperSize, 9);
  EXPECT_TRUE(loaded.book->modelSheet(1).pageSettings().paperSizeGiven) << "a paper size set is written";
}

TEST_F(ForeignFileTest, RunsOfATextKeepEveryFormatTheyHad) {
  // "x²" with a blue, bold, italic, struck, double-underlined note mark.
  const std::string strings =
      "<si><r><t>x</t></r><r><rPr><vertAlign val=\"superscript\"/><sz val=\"11\"/><rFont val=\"宋体\"/></rPr><t>2</t></r>"
      "<r><rPr><b/><i/><strike/><u val=\"double\"/><color rgb=\"FF0070C0\"/><sz val=\"11\"/><rFont val=\"宋体\"/></rPr>"
      "<t>注</t></r></si>";
  auto loaded = load(OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData>", strings));
  const std::vector<host::TextRun> runs = loaded.book->modelSheet(1).textRuns({1, 1});
  const std::vector<host::TextRun> expected = {
      {.start = 2, .length = 1, .raised = 1},
      {.start = 3, .length = 1, .bold = true, .italic = true, .strikethrough = true,
       .underline = host::Underline::Double, .color = host::rgb(0, 0x70, 0xC0)}};
  EXPECT_EQ(runs, expected);
  xlsx::SaveWorkbook(*loaded.book, folder.file("out.xlsx"));
  EXPECT_EQ(xlsx::LoadWorkbook(app, folder.file("out.xlsx")).book->modelSheet(1).textRuns({1, 1}), expected)
      << "and they come back";
}

// What other readers read is read, and what it took is said: a sheet name
// longer than a sheet's name may be, a cell naming a shared string that is
// not there.
TEST_F(ForeignFileTest, SlipsOtherReadersPassOverAreReadAndNamed) {
  auto parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>7</v></c>"
                               "<c r=\"C1\"><v>3</v></c></row></sheetData>",
                               "<si><t>班级</t></si>");
  const std::string longName = "二〇二六学年第一学期高一年级期中考试各班各科成绩汇总（含选考科目）";
  std::string& workbook = parts["xl/workbook.xml"];
  workbook.replace(workbook.find("name=\"Sheet1\""), 13, "name=\"" + longName + "\"");
  auto loaded = load(parts);
  const model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(host::characterCount(s.name()), 31);
  EXPECT_EQ(longName.rfind(s.name(), 0), 0u) << s.name();
  EXPECT_EQ(s.value({1, 1}), Value("班级"));
  EXPECT_TRUE(s.value({1, 2}).isEmpty());
  EXPECT_EQ(s.value({1, 3}), Value(3));
  EXPECT_EQ(loaded.notCarried, (std::vector<std::string>{"无效的共享字符串编号（该单元格按空白读入）",
                                                          "过长的工作表名称（截为 31 个字符）"}));
}

// A teacher's input cells unlocked under the sheet's protection, a title
// centred across the table, an indented and a shrunk label: as they were.
TEST_F(ForeignFileTest, ProtectionIndentsAndCentringAcrossComeBack) {
  const std::string styles =
      "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" applyProtection=\"1\"><protection locked=\"0\"/></xf>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"><alignment horizontal=\"centerContinuous\"/></xf>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"><alignment horizontal=\"left\" indent=\"2\" "
      "shrinkToFit=\"1\"/><protection hidden=\"1\"/></xf></cellXfs>";
  auto loaded = load(OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\" s=\"2\"><v>2</v></c>"
                                     "<c r=\"C1\" s=\"3\"><v>3</v></c></row></sheetData>",
                                     "", styles));
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  auto check = [](const model::Sheet& s) {
    EXPECT_FALSE(s.format({1, 1}).locked);
    EXPECT_EQ(s.format({1, 2}).horizontalAlignment, host::HorizontalAlignment::CenterAcrossSelection)
        << "centred across the selection";
    const host::Format f = s.format({1, 3});
    EXPECT_EQ(f.indent, 2);
    EXPECT_TRUE(f.shrinkToFit);
    EXPECT_TRUE(f.locked && f.formulaHidden);
  };
  check(loaded.book->modelSheet(1));
  xlsx::SaveWorkbook(*loaded.book, folder.file("out.xlsx"));
  check(xlsx::LoadWorkbook(app, folder.file("out.xlsx")).book->modelSheet(1));
}

// A formula goes back as the file wrote it (a leading +, its spaces and
// line breaks, its own sheet named) while nothing changed what it says;
// once something did, it is written as the model reads it now.
TEST_F(ForeignFileTest, FormulasGoBackAsWrittenUntilWhatTheySayChanges) {
  auto parts = OneSheetPackage(
      "<sheetData><row r=\"1\"><c r=\"A1\"><v>2</v></c><c r=\"B1\"><f>+A1</f><v>2</v></c>"
      "<c r=\"C1\"><f>SUM( A1 ,\nSheet1!A1 )</f><v>4</v></c><c r=\"D1\"><f>数据!A1*2</f><v>0</v></c></row></sheetData>");
  std::string& workbook = parts["xl/workbook.xml"];
  workbook.replace(workbook.find("</sheets>"), 0, "<sheet name=\"数据\" sheetId=\"2\" r:id=\"rId9\"/>");
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 0,
               "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
               "worksheet\" Target=\"worksheets/sheet2.xml\"/>");
  parts["xl/worksheets/sheet2.xml"] = std::string("<worksheet ") + kNs + "><sheetData/></worksheet>";
  auto loaded = load(parts);
  model::Sheet& s = loaded.book->modelSheet(1);
  EXPECT_EQ(s.formulaA1({1, 2}), "=+A1");
  EXPECT_EQ(s.formulaA1({1, 3}), "=SUM( A1 ,\nSheet1!A1 )");
  xlsx::SaveWorkbook(*loaded.book, folder.file("out.xlsx"));
  const std::string sheet1 = xlsx::ReadZip(folder.file("out.xlsx")).at("xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet1.find("<f>SUM( A1 ,&#10;Sheet1!A1 )</f><v>4</v>"), std::string::npos) << sheet1;
  EXPECT_NE(sheet1.find("<f>数据!A1*2</f>"), std::string::npos);

  loaded.book->modelSheet(2).setName("成绩");
  EXPECT_EQ(s.formulaA1({1, 4}), "=成绩!A1*2") << "a renamed sheet is named by its name now";
  s.insert(host::Rect{1, 1, 1, host::kMaxCol}, host::Shift::Down);
  EXPECT_EQ(s.formulaA1({2, 2}), "=A2") << "a moved reference is written where it points now";
}

}  // namespace
}  // namespace tavo::testing

namespace tavo::testing {
namespace {

// Rows of many megabytes are read a piece at a time: every row comes in,
// whatever piece it falls in, with what stands after the rows; rows with a
// comment between them (which may hold "</row>") are read whole.
TEST_F(ForeignFileTest, LargeSheetsReadInPiecesLoseNoRow) {
  const std::string padding(200, 'x');
  std::string rows;
  const int count = 60000;  // about 20 MB of rows
  for (int r = 1; r <= count; ++r)
    rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" + std::to_string(r) +
            "</v></c><c r=\"B" + std::to_string(r) + "\" t=\"inlineStr\"><is><t>" + padding + "</t></is></c></row>";
  const std::string tail = "<mergeCells count=\"1\"><mergeCell ref=\"D1:E2\"/></mergeCells>";
  // Markup that may hide "</row>" early, or halfway, once pieces are read.
  const std::string comment = "<!-- </row><row r=\"9\"> -->";
  const std::size_t halfway = rows.find("<row r=\"30000\"");
  for (const std::string& all : {rows, comment + rows, rows.substr(0, halfway) + comment + rows.substr(halfway),
                                 rows.substr(0, halfway) + "<?pi </row>?>" + rows.substr(halfway)}) {
    auto loaded = load(OneSheetPackage("<sheetData>" + all + "</sheetData>" + tail));
    const model::Sheet& s = loaded.book->modelSheet(1);
    double sum = 0;
    for (int r = 1; r <= count; ++r) {
      sum += s.value({r, 1}).number();
      ASSERT_EQ(s.value({r, 2}), Value(padding)) << r;
    }
    EXPECT_EQ(sum, 60000.0 * 60001 / 2);
    EXPECT_EQ(s.usedRange().bottom, count);
    EXPECT_EQ(s.mergeArea({2, 5}), (Rect{1, 4, 2, 5}));
  }
  // A broken row far down is still refused.
  EXPECT_THROW(load(OneSheetPackage("<sheetData>" + rows + "<row r=\"60001\"><c></row></sheetData>")),
               host::FileError);

  // A large part whose packed bytes are damaged far into its rows is
  // refused, though rows before the damage were read.
  const std::string path = folder.file("damaged.xlsx");
  xlsx::WriteZip(path, OneSheetPackage("<sheetData>" + rows + "</sheetData>" + tail));
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  // The part's local header: its packed size, then its name and extra field.
  const std::size_t header = bytes.find("xl/worksheets/sheet1.xml") - 30;
  auto field = [&](std::size_t at, int width) {
    std::size_t v = 0;
    for (int k = width - 1; k >= 0; --k) v = v * 256 + static_cast<unsigned char>(bytes[header + at + k]);
    return v;
  };
  const std::size_t packedFrom = header + 30 + field(26, 2) + field(28, 2), packedSize = field(18, 4);
  ASSERT_GT(packedSize, 100000u);
  const std::size_t damage = packedFrom + packedSize * 3 / 4;
  for (std::size_t i = damage; i < damage + 64; ++i) bytes[i] = static_cast<char>(~bytes[i]);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_THROW(xlsx::LoadWorkbook(app, path), host::FileError);
}

TEST_F(ForeignFileTest, AnErrorOfEmptyIntersectionStaysItsOwnError) {
  auto loaded = load(OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" t=\"e\"><v>#NULL!</v></c></row></sheetData>"));
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 1}), host::Value(host::ErrorKind::Null));
  xlsx::SaveWorkbook(*loaded.book, folder.file("out.xlsx"));
  EXPECT_NE(xlsx::ReadZip(folder.file("out.xlsx")).at("xl/worksheets/sheet1.xml").find("t=\"e\"><v>#NULL!</v>"),
            std::string::npos);
}

}  // namespace
}  // namespace tavo::testing
