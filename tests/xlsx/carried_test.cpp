// What the model does not hold goes back as the file held it: a sheet's
// conditional formats, filter, comments, links and extensions, the parts
// they point to, a workbook's names and differential formats; and what
// would now point at the wrong cells or sheets is left out and named.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/xlsx/carried.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "host/xlsx/zip_archive.h"
#include "model_fixture.h"
#include "package_builder.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

const std::string kRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kThreaded = "http://schemas.microsoft.com/office/2017/10/relationships/";

// A sheet as a desktop spreadsheet writes one a teacher has worked on.
std::map<std::string, std::string> TeachersPackage() {
  auto p = OneSheetPackage(
      "<sheetData><row r=\"1\"><c r=\"A1\"><v>3</v></c><c r=\"B1\"><v>1</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><v>2</v></c></row>"
      "<row r=\"3\"><c r=\"A3\"><v>1</v></c><c r=\"B3\"><v>3</v></c></row></sheetData>"
      "<autoFilter ref=\"A1:B3\"/>"
      "<conditionalFormatting sqref=\"A1:A3\"><cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" operator=\"lessThan\">"
      "<formula>2</formula></cfRule></conditionalFormatting>"
      "<hyperlinks><hyperlink ref=\"B1\" r:id=\"rId7\"/><hyperlink ref=\"B2\" location=\"Sheet1!A1\"/></hyperlinks>"
      "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
      "<legacyDrawing r:id=\"rId8\"/>"
      "<extLst><ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\" "
      "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\"><x14:conditionalFormattings>"
      "<x14:conditionalFormatting xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">"
      "<x14:cfRule type=\"dataBar\" id=\"{00000000-0000-0000-0000-000000000001}\"/><xm:sqref>B1:B3</xm:sqref>"
      "</x14:conditionalFormatting></x14:conditionalFormattings></ext>"
      "<ext uri=\"{A8765BA9-456A-4dab-B4F3-ACF838C121DE}\"><x14:slicerList "
      "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\"/></ext></extLst>",
      "", "<dxfs count=\"1\"><dxf><font><color rgb=\"FFFF0000\"/></font></dxf></dxfs>");
  p["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId7\" Type=\"" + kRels + "hyperlink\" Target=\"https://example.org/a?b=1&amp;c=2\" "
      "TargetMode=\"External\"/>"
      "<Relationship Id=\"rId8\" Type=\"" + kRels + "vmlDrawing\" Target=\"../drawings/vmlDrawing1.vml\"/>"
      "<Relationship Id=\"rId9\" Type=\"" + kRels + "comments\" Target=\"../comments1.xml\"/>"
      "<Relationship Id=\"rId10\" Type=\"" + kThreaded + "threadedComment\" "
      "Target=\"../threadedComments/threadedComment1.xml\"/></Relationships>";
  // The comment as newer versions keep it, beside the older kind they
  // write for older readers; its author listed by the workbook.
  p["xl/threadedComments/threadedComment1.xml"] =
      "<ThreadedComments xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2018/threadedcomments\">"
      "<threadedComment ref=\"A2\" personId=\"{00000000-0000-0000-0000-000000000007}\" "
      "id=\"{00000000-0000-0000-0000-000000000008}\"><text>转学生</text></threadedComment></ThreadedComments>";
  p["xl/persons/person.xml"] =
      "<personList xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2018/threadedcomments\"><person "
      "displayName=\"班主任\" id=\"{00000000-0000-0000-0000-000000000007}\" providerId=\"None\"/></personList>";
  std::string& bookRels = p["xl/_rels/workbook.xml.rels"];
  bookRels.replace(bookRels.find("</Relationships>"), 16,
                   "<Relationship Id=\"rId9\" Type=\"" + kThreaded + "person\" Target=\"persons/person.xml\"/>"
                   "</Relationships>");
  p["xl/drawings/vmlDrawing1.vml"] = "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:shape/></xml>";
  p["xl/comments1.xml"] = std::string("<comments ") + kNs +
                          "><authors><author>班主任</author></authors><commentList><comment ref=\"A2\" authorId=\"0\">"
                          "<text><t>转学生</t></text></comment></commentList></comments>";
  p["[Content_Types].xml"] =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"vml\" ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
      "<Override PartName=\"/xl/comments1.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml\"/></Types>";
  std::string& book = p["xl/workbook.xml"];
  book.replace(book.find("</workbook>"), 11,
               "<definedNames><definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"0\" hidden=\"1\">"
               "Sheet1!$A$1:$B$3</definedName><definedName name=\"成绩\">Sheet1!$A$1:$A$3</definedName>"
               "<definedName name=\"别处\">'Gone sheet'!$A$1</definedName></definedNames></workbook>");
  return p;
}

struct CarriedTest : ModelFixture {
  TempFolder folder;
  std::string path = folder.file("book.xlsx");
  xlsx::LoadedWorkbook load() { return xlsx::LoadWorkbook(app, path); }
};

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST_F(CarriedTest, ATeachersAdditionsGoBackAsTheFileHeldThem) {
  xlsx::WriteZip(path, TeachersPackage());
  auto loaded = load();
  // Only the slicer list points into parts that are not carried.
  EXPECT_EQ(loaded.notCarried, std::vector<std::string>{"扩展内容"});
  loaded.book->modelSheet(1).setValue({1, 3}, host::Value(7.0));  // a report's column beside them
  xlsx::SaveWorkbook(*loaded.book, path);
  // Nothing of the sheet's is dropped; only a name of a sheet the file
  // never had, which cannot be written right.
  EXPECT_EQ(xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::Workbook), std::vector<std::string>{"名称 别处"});

  auto parts = xlsx::ReadZip(path);
  const std::string& part = parts.at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(Has(part, "<autoFilter ref=\"A1:B3\"/>")) << part;
  EXPECT_TRUE(Has(part, "<cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" operator=\"lessThan\"><formula>2</formula>"));
  EXPECT_TRUE(Has(part, "<hyperlink ref=\"B2\" location=\"Sheet1!A1\""));
  EXPECT_TRUE(Has(part, "<x14:cfRule type=\"dataBar\"")) << "the newer kind, its namespaces declared again";
  EXPECT_FALSE(Has(part, "slicerList"));
  // In the order the format gives, whatever our own elements between them.
  EXPECT_LT(part.find("</sheetData>"), part.find("<autoFilter"));
  EXPECT_LT(part.find("<autoFilter"), part.find("<conditionalFormatting"));
  EXPECT_LT(part.find("<conditionalFormatting"), part.find("<hyperlinks"));
  EXPECT_LT(part.find("<hyperlinks"), part.find("<pageMargins"));
  EXPECT_LT(part.find("<pageMargins"), part.find("<legacyDrawing"));
  EXPECT_LT(part.find("<legacyDrawing"), part.find("<extLst"));
  const std::string& rels = parts.at("xl/worksheets/_rels/sheet1.xml.rels");
  EXPECT_TRUE(Has(rels, "Target=\"https://example.org/a?b=1&amp;c=2\" TargetMode=\"External\"")) << rels;
  EXPECT_TRUE(Has(parts.at("xl/carried/sheet1/comments1.xml"), "转学生"));
  EXPECT_TRUE(Has(parts.at("xl/carried/sheet1/threadedComment1.xml"), "转学生"));
  EXPECT_TRUE(Has(rels, "threadedComment\" Target=\"../carried/sheet1/threadedComment1.xml\"")) << rels;
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "relationships/person\" Target=\"persons/person.xml\""));
  EXPECT_TRUE(Has(parts.at("xl/persons/person.xml"), "班主任"));
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"), "/xl/carried/sheet1/vmlDrawing1.vml\" ContentType=\"application/"
                                                    "vnd.openxmlformats-officedocument.vmlDrawing\""));
  EXPECT_TRUE(Has(parts.at("xl/styles.xml"), "<dxfs count=\"1\"><dxf><font><color rgb=\"FFFF0000\"/>"));
  const std::string& workbook = parts.at("xl/workbook.xml");
  EXPECT_TRUE(Has(workbook, "<definedName name=\"成绩\">Sheet1!$A$1:$A$3</definedName>")) << workbook;
  EXPECT_TRUE(Has(workbook, "name=\"_xlnm._FilterDatabase\" localSheetId=\"0\" hidden=\"1\">"));
  EXPECT_FALSE(Has(workbook, "别处")) << "a name of a sheet the file does not have is not written";

  // And again: what was carried once is carried the next time.
  auto again = load();
  EXPECT_TRUE(again.notCarried.empty());
  xlsx::SaveWorkbook(*again.book, path);
  EXPECT_EQ(xlsx::ReadZip(path).at("xl/worksheets/sheet1.xml"), part);
}

TEST_F(CarriedTest, WhatWouldPointAtTheWrongCellsIsLeftOutAndNamed) {
  xlsx::WriteZip(path, TeachersPackage());
  {
    // Sorted: a comment and a link would belong to another student; the
    // conditional format and the filter are about the whole range still.
    auto loaded = load();
    loaded.book->modelSheet(1).sort(host::Rect{1, 1, 3, 2}, {1, host::SortOrder::Ascending}, std::nullopt, false);
    EXPECT_EQ(xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::Workbook),
              (std::vector<std::string>{"Sheet1 的批注", "Sheet1 的超链接", "名称 别处"}));
    xlsx::SaveWorkbook(*loaded.book, folder.file("sorted.xlsx"));
    auto parts = xlsx::ReadZip(folder.file("sorted.xlsx"));
    const std::string& part = parts.at("xl/worksheets/sheet1.xml");
    EXPECT_FALSE(Has(part, "<legacyDrawing") || Has(part, "<hyperlinks"));
    EXPECT_TRUE(Has(part, "<conditionalFormatting") && Has(part, "<autoFilter"));
    EXPECT_EQ(parts.count("xl/carried/sheet1/comments1.xml"), 0u) << "no part is left without its element";
    EXPECT_EQ(parts.count("xl/carried/sheet1/threadedComment1.xml"), 0u) << "nor the newer kind of the comment";
  }
  {
    // Rows inserted: every reference may be off; nothing is written wrong.
    auto loaded = load();
    loaded.book->modelSheet(1).insert(host::Rect{1, 1, 1, host::kMaxCol}, host::Shift::Down);
    const auto dropped = xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::Workbook);
    EXPECT_NE(std::find(dropped.begin(), dropped.end(), "Sheet1 的条件格式"), dropped.end());
    xlsx::SaveWorkbook(*loaded.book, folder.file("shifted.xlsx"));
    EXPECT_FALSE(Has(xlsx::ReadZip(folder.file("shifted.xlsx")).at("xl/worksheets/sheet1.xml"), "<conditionalFormatting"));
  }
  {
    // A sheet renamed: the names that spoke of it by its old name go.
    auto loaded = load();
    loaded.book->modelSheet(1).setName("数据表");
    const auto dropped = xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::Workbook);
    EXPECT_NE(std::find(dropped.begin(), dropped.end(), "名称 成绩"), dropped.end());
  }
}

// A chart sheet as the desktop spreadsheet writes one: the sheet, its
// drawing, the chart reading the data sheet.
std::map<std::string, std::string> ChartSheetPackage() {
  auto p = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                           "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row></sheetData>");
  std::string& book = p["xl/workbook.xml"];
  book.replace(book.find("</sheets>"), 9, "<sheet name=\"走势\" sheetId=\"2\" r:id=\"rId5\"/></sheets>");
  std::string& rels = p["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 16,
               "<Relationship Id=\"rId5\" Type=\"" + kRels + "chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
               "</Relationships>");
  p["xl/chartsheets/sheet1.xml"] = std::string("<chartsheet ") + kNs + "><sheetViews><sheetView workbookViewId=\"0\"/>"
                                   "</sheetViews><drawing r:id=\"rId1\"/></chartsheet>";
  p["xl/chartsheets/_rels/sheet1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
      "Type=\"" + kRels + "drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>";
  p["xl/drawings/drawing1.xml"] = "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\""
                                  " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"/>";
  p["xl/drawings/_rels/drawing1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
      "Type=\"" + kRels + "chart\" Target=\"../charts/chart1.xml\"/></Relationships>";
  p["xl/charts/chart1.xml"] = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
                              "<c:lineChart><c:ser><c:val><c:numRef><c:f>Sheet1!$A$1:$A$2</c:f></c:numRef></c:val>"
                              "</c:ser></c:lineChart></c:chartSpace>";
  p["[Content_Types].xml"] =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Override PartName=\"/xl/chartsheets/sheet1.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml\"/>"
      "<Override PartName=\"/xl/drawings/drawing1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>"
      "<Override PartName=\"/xl/charts/chart1.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>";
  return p;
}

TEST_F(CarriedTest, AChartSheetGoesBackAsOneWhileItsDataSheetIsThere) {
  xlsx::WriteZip(path, ChartSheetPackage());
  auto loaded = load();
  EXPECT_TRUE(loaded.notCarried.empty());
  ASSERT_EQ(loaded.book->sheetCount(), 2);
  xlsx::SaveWorkbook(*loaded.book, path);
  auto parts = xlsx::ReadZip(path);
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "relationships/chartsheet\" Target=\"chartsheets/sheet2.xml\""));
  EXPECT_TRUE(Has(parts.at("xl/chartsheets/_rels/sheet2.xml.rels"), "Target=\"../carried/sheet2/drawing1.xml\""));
  EXPECT_TRUE(Has(parts.at("xl/carried/sheet2/_rels/drawing1.xml.rels"), "Id=\"rId1\"") &&
              Has(parts.at("xl/carried/sheet2/_rels/drawing1.xml.rels"), "Target=\"chart1.xml\""));
  EXPECT_TRUE(Has(parts.at("xl/carried/sheet2/chart1.xml"), "<c:f>Sheet1!$A$1:$A$2</c:f>"));
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"), "/xl/chartsheets/sheet2.xml\" ContentType=\"application/"
                                                    "vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml\""));
  EXPECT_EQ(parts.count("xl/worksheets/sheet2.xml"), 0u);
  EXPECT_EQ(load().book->sheetCount(), 2) << "and it reads back";

  // Its data sheet renamed, the chart would read nothing: the sheet goes
  // back as an empty worksheet, and says so.
  auto renamed = load();
  renamed.book->modelSheet(1).setName("数据");
  EXPECT_EQ(xlsx::DroppedOnSave(*renamed.book, xlsx::FileKind::Workbook), std::vector<std::string>{"图表工作表 走势"});
  xlsx::SaveWorkbook(*renamed.book, path);
  EXPECT_EQ(xlsx::ReadZip(path).count("xl/worksheets/sheet2.xml"), 1u);
}

TEST_F(CarriedTest, AVeryHiddenSheetAndTheWorkbooksProtectionStayAsTheyWere) {
  auto p = ChartSheetPackage();
  std::string& workbookXml = p["xl/workbook.xml"];
  workbookXml.replace(workbookXml.find("<sheets>"), 8, "<workbookProtection lockStructure=\"1\" workbookPassword=\"CC3D\"/><sheets>");
  // A plain sheet in the chart sheet's place, only a program may show.
  const std::string chartSheet = "<sheet name=\"走势\"";
  workbookXml.replace(workbookXml.find(chartSheet), chartSheet.size(), chartSheet + " state=\"veryHidden\"");
  xlsx::WriteZip(path, p);
  auto loaded = load();
  EXPECT_FALSE(loaded.book->modelSheet(2).visible());
  xlsx::SaveWorkbook(*loaded.book, path);
  const std::string workbook = xlsx::ReadZip(path).at("xl/workbook.xml");
  EXPECT_TRUE(Has(workbook, "<workbookProtection lockStructure=\"1\" workbookPassword=\"CC3D\"/><bookViews>")) << workbook;
  EXPECT_TRUE(Has(workbook, "name=\"走势\" sheetId=\"2\" state=\"veryHidden\""));
  // Shown by a command, it is an ordinary sheet from then on.
  auto shown = load();
  shown.book->modelSheet(2).setVisible(true);
  xlsx::SaveWorkbook(*shown.book, path);
  EXPECT_FALSE(Has(xlsx::ReadZip(path).at("xl/workbook.xml"), "veryHidden"));
}

// A data sheet with a school's crest (a picture linking to the school's
// page) and a bar chart of its first column: nothing the model reads as
// its own, so the drawing travels whole.
std::map<std::string, std::string> PictureAndBarChartPackage() {
  auto p = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                           "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row></sheetData>"
                           "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
                           "footer=\"0.3\"/><drawing r:id=\"rId3\"/>");
  p["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId3\" "
      "Type=\"" + kRels + "drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>";
  p["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<xdr:oneCellAnchor><xdr:from><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row>"
      "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext cx=\"9525\" cy=\"9525\"/><xdr:pic><xdr:nvPicPr>"
      "<xdr:cNvPr id=\"2\" name=\"校徽\"><a:hlinkClick r:id=\"rId2\"/></xdr:cNvPr><xdr:cNvPicPr/></xdr:nvPicPr>"
      "<xdr:blipFill><a:blip r:embed=\"rId1\"/></xdr:blipFill><xdr:spPr/></xdr:pic><xdr:clientData/>"
      "</xdr:oneCellAnchor><xdr:twoCellAnchor><xdr:from><xdr:col>5</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>9</xdr:col><xdr:colOff>0</xdr:colOff>"
      "<xdr:row>9</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr>"
      "<xdr:cNvPr id=\"3\" name=\"柱形图\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm/><a:graphic>"
      "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart r:id=\"rId3\"/>"
      "</a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
  p["xl/drawings/_rels/drawing1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"" + kRels + "image\" Target=\"../media/image1.png\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + kRels + "hyperlink\" Target=\"#Sheet1!A1\"/>"
      "<Relationship Id=\"rId3\" Type=\"" + kRels + "chart\" Target=\"../charts/chart1.xml\"/></Relationships>";
  p["xl/media/image1.png"] = std::string("\x89PNG\r\n\x1a\n", 8);
  // The chart's bars take their colour from the theme.
  std::string& rels = p["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 16,
               "<Relationship Id=\"rId9\" Type=\"" + kRels + "theme\" Target=\"theme/theme1.xml\"/></Relationships>");
  p["xl/theme/theme1.xml"] = "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"校\"/>";
  p["xl/charts/chart1.xml"] = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
                              "<c:chart><c:plotArea><c:barChart><c:ser><c:val><c:numRef><c:f>Sheet1!$A$1:$A$2</c:f>"
                              "</c:numRef></c:val></c:ser></c:barChart></c:plotArea></c:chart></c:chartSpace>";
  p["[Content_Types].xml"] =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>"
      "<Override PartName=\"/xl/drawings/drawing1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>"
      "<Override PartName=\"/xl/charts/chart1.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>";
  return p;
}

TEST_F(CarriedTest, ADrawingTheModelCannotHoldTravelsWholeUntilItWouldBeWrong) {
  xlsx::WriteZip(path, PictureAndBarChartPackage());
  auto loaded = load();
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  EXPECT_TRUE(loaded.book->modelSheet(1).charts().empty()) << "the bar chart is not half-read as a line chart";
  xlsx::SaveWorkbook(*loaded.book, path);
  auto parts = xlsx::ReadZip(path);
  const std::string sheetXml = parts.at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(Has(sheetXml, "orientation=\"portrait\"/><drawing r:id=\"rIdT0\"/></worksheet>")) << sheetXml;
  EXPECT_TRUE(Has(parts.at("xl/worksheets/_rels/sheet1.xml.rels"), "Target=\"../carried/sheet1/drawing1.xml\""));
  const std::string drawingRels = parts.at("xl/carried/sheet1/_rels/drawing1.xml.rels");
  // The link to a place in the workbook is no part and no outside address.
  EXPECT_TRUE(Has(drawingRels, "Target=\"#Sheet1!A1\"/>")) << drawingRels;
  EXPECT_FALSE(Has(drawingRels, "External"));
  EXPECT_EQ(parts.at("xl/carried/sheet1/image1.png"), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"), "/xl/carried/sheet1/image1.png\" ContentType=\"image/png\""));
  EXPECT_EQ(parts.at("xl/theme/theme1.xml"), PictureAndBarChartPackage().at("xl/theme/theme1.xml"));
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "relationships/theme\" Target=\"theme/theme1.xml\""));
  EXPECT_TRUE(xlsx::DroppedOnSave(*load().book, xlsx::FileKind::Workbook).empty()) << "and it reads back the same";

  // A chart of tavo's own on the sheet: one drawing per sheet, so the
  // carried one is named and left out.
  auto charted = load();
  charted.book->modelSheet(1).addChart(host::ChartType::LineMarkers, 0, 0, 100, 100);
  EXPECT_EQ(xlsx::DroppedOnSave(*charted.book, xlsx::FileKind::Workbook), std::vector<std::string>{"Sheet1 的图表与图片"});
  // The sheet the chart reads renamed: the chart would read nothing.
  auto renamed = load();
  renamed.book->modelSheet(1).setName("数据");
  EXPECT_EQ(xlsx::DroppedOnSave(*renamed.book, xlsx::FileKind::Workbook), std::vector<std::string>{"数据 的图表与图片"});
  xlsx::SaveWorkbook(*renamed.book, path);
  EXPECT_FALSE(Has(xlsx::ReadZip(path).at("xl/worksheets/sheet1.xml"), "<drawing"));
}

TEST_F(CarriedTest, HiddenAndNarrowColumnsKeepTheWidthsTheFileGave) {
  xlsx::WriteZip(path, OneSheetPackage("<cols><col min=\"1\" max=\"1\" width=\"0.140625\" customWidth=\"1\"/>"
                                       "<col min=\"2\" max=\"2\" width=\"20.7109375\" hidden=\"1\" customWidth=\"1\"/>"
                                       "<col min=\"3\" max=\"3\" width=\"12.7109375\" customWidth=\"1\"/></cols>"
                                       "<sheetData/>"));
  auto loaded = load();
  EXPECT_EQ(loaded.book->modelSheet(1).columnWidth(2), 0) << "hidden is width 0 to the commands";
  xlsx::SaveWorkbook(*loaded.book, path);
  const std::string cols = xlsx::ReadZip(path).at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(Has(cols, "<col min=\"1\" max=\"1\" width=\"0.140625\"")) << cols;
  EXPECT_TRUE(Has(cols, "<col min=\"2\" max=\"2\" width=\"20.7109375\" hidden=\"1\"")) << cols;
  EXPECT_TRUE(Has(cols, "<col min=\"3\" max=\"3\" width=\"12.7109375\"")) << cols;
  // Shown again with a width of its own, the width it had is forgotten.
  auto shown = load();
  shown.book->modelSheet(1).setColumnWidth(2, 2, 5);
  EXPECT_EQ(shown.book->modelSheet(1).widthWhenShown(2), 0);
}

// A workbook with macros, as the desktop spreadsheet saves one: the
// project part, and the names its code knows the workbook and sheet by.
TEST_F(CarriedTest, MacrosGoBackIntoAFileThatMayHoldThem) {
  auto p = OneSheetPackage("<sheetPr codeName=\"成绩页\"/><sheetData/>");
  std::string& rels = p["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 16,
               "<Relationship Id=\"rId8\" Type=\"http://schemas.microsoft.com/office/2006/relationships/vbaProject\" "
               "Target=\"vbaProject.bin\"/></Relationships>");
  std::string& workbook = p["xl/workbook.xml"];
  workbook.replace(workbook.find("<sheets>"), 0, "<workbookPr codeName=\"ThisWorkbook\"/>");
  const std::string project("\xD0\xCF\x11\xE0 macros \x00\x01", 14);
  p["xl/vbaProject.bin"] = project;
  p["[Content_Types].xml"] = "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                             "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/></Types>";
  path = folder.file("book.xlsm");
  xlsx::WriteZip(path, p);
  auto loaded = load();
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  EXPECT_TRUE(xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::MacroEnabled).empty());
  xlsx::SaveWorkbook(*loaded.book, path);
  auto parts = xlsx::ReadZip(path);
  EXPECT_EQ(parts.at("xl/vbaProject.bin"), project);
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"),
                  "/xl/workbook.xml\" ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\""));
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"), "/xl/vbaProject.bin\" ContentType=\"application/vnd.ms-office.vbaProject\""));
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "relationships/vbaProject\" Target=\"vbaProject.bin\""));
  EXPECT_TRUE(Has(parts.at("xl/workbook.xml"), "<workbookPr codeName=\"ThisWorkbook\"/>"));
  EXPECT_TRUE(Has(parts.at("xl/worksheets/sheet1.xml"), "<sheetPr codeName=\"成绩页\">"));

  // Into a workbook file they cannot go: said before, and the file is one.
  EXPECT_EQ(xlsx::DroppedOnSave(*loaded.book, xlsx::FileKind::Workbook),
            std::vector<std::string>{"宏（xlsx 文件不能含有宏）"});
  const std::string plain = folder.file("book.xlsx");
  xlsx::SaveWorkbook(*loaded.book, plain);
  parts = xlsx::ReadZip(plain);
  EXPECT_EQ(parts.count("xl/vbaProject.bin"), 0u);
  EXPECT_FALSE(Has(parts.at("[Content_Types].xml"), "macroEnabled"));
}

// How a teacher set a sheet to show and print, beyond what the model holds:
// the page layout view, pages across then down from page 3, centred both
// ways with the row and column headings, another header on the first page,
// a break after column D.
TEST_F(CarriedTest, HowASheetShowsAndPrintsComesBackAsSet) {
  xlsx::WriteZip(path, OneSheetPackage(
                           "<sheetViews><sheetView view=\"pageLayout\" zoomScaleNormal=\"90\" workbookViewId=\"0\"/>"
                           "</sheetViews><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
                           "<printOptions horizontalCentered=\"1\" verticalCentered=\"1\" headings=\"1\"/>"
                           "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
                           "<pageSetup paperSize=\"9\" pageOrder=\"overThenDown\" firstPageNumber=\"3\" "
                           "useFirstPageNumber=\"1\" orientation=\"portrait\"/>"
                           "<headerFooter differentFirst=\"1\"><oddHeader>&amp;C期中</oddHeader>"
                           "<firstHeader>&amp;C封面</firstHeader></headerFooter>"
                           "<colBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"4\" max=\"1048575\" man=\"1\"/></colBreaks>"));
  auto loaded = load();
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  xlsx::SaveWorkbook(*loaded.book, path);
  const std::string x = xlsx::ReadZip(path).at("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(Has(x, " view=\"pageLayout\" zoomScaleNormal=\"90\">")) << x;
  EXPECT_TRUE(Has(x, "<printOptions horizontalCentered=\"1\" verticalCentered=\"1\" headings=\"1\"/>")) << x;
  EXPECT_TRUE(Has(x, "orientation=\"portrait\" pageOrder=\"overThenDown\" firstPageNumber=\"3\" useFirstPageNumber=\"1\"/>"))
      << x;
  EXPECT_TRUE(Has(x, "<headerFooter differentFirst=\"1\"><oddHeader>&amp;C期中</oddHeader>"
                     "<firstHeader>&amp;C封面</firstHeader></headerFooter>")) << x;
  EXPECT_TRUE(Has(x, "</headerFooter><colBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"4\"")) << x;
}

// A formula reading another school's file names it by number: the list of
// linked workbooks and each link's part go back, in the order given.
TEST_F(CarriedTest, LinksToOtherWorkbooksGoBackSoFormulasStillNameThem) {
  auto p = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><f>[1]成绩!$B$2*2</f><v>180</v></c></row></sheetData>");
  std::string& rels = p["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 16,
               "<Relationship Id=\"rId6\" Type=\"" + kRels + "externalLink\" Target=\"externalLinks/externalLink1.xml\"/>"
               "</Relationships>");
  std::string& workbook = p["xl/workbook.xml"];
  workbook.replace(workbook.find("</sheets>") + 9, 0,
                   "<externalReferences><externalReference r:id=\"rId6\"/></externalReferences>"
                   "<definedNames><definedName name=\"二中语文\">[1]成绩!$B$2:$B$40</definedName></definedNames>");
  p["xl/externalLinks/externalLink1.xml"] =
      std::string("<externalLink ") + kNs + "><externalBook r:id=\"rId1\"><sheetNames><sheetName val=\"成绩\"/>"
      "</sheetNames></externalBook></externalLink>";
  p["xl/externalLinks/_rels/externalLink1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
      "Type=\"" + kRels + "externalLinkPath\" Target=\"file:///D:/二中/期中.xlsx\" TargetMode=\"External\"/></Relationships>";
  p["[Content_Types].xml"] = "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                             "<Override PartName=\"/xl/externalLinks/externalLink1.xml\" ContentType=\"application/"
                             "vnd.openxmlformats-officedocument.spreadsheetml.externalLink+xml\"/></Types>";
  xlsx::WriteZip(path, p);
  auto loaded = load();
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  xlsx::SaveWorkbook(*loaded.book, path);
  auto parts = xlsx::ReadZip(path);
  EXPECT_TRUE(Has(parts.at("xl/worksheets/sheet1.xml"), "<f>[1]成绩!$B$2*2</f>"));
  EXPECT_TRUE(Has(parts.at("xl/workbook.xml"), "</sheets><externalReferences><externalReference r:id=\"rIdX1\"/>"));
  EXPECT_TRUE(Has(parts.at("xl/workbook.xml"), "<definedName name=\"二中语文\">[1]成绩!$B$2:$B$40</definedName>"));
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"),
                  "Id=\"rIdX1\" Type=\"" + kRels + "externalLink\" Target=\"externalLinks/externalLink1.xml\""));
  EXPECT_EQ(parts.at("xl/externalLinks/externalLink1.xml"), p.at("xl/externalLinks/externalLink1.xml"));
  EXPECT_TRUE(Has(parts.at("xl/externalLinks/_rels/externalLink1.xml.rels"),
                  "Target=\"file:///D:/二中/期中.xlsx\" TargetMode=\"External\""));
  EXPECT_TRUE(Has(parts.at("[Content_Types].xml"), "/xl/externalLinks/externalLink1.xml\" ContentType=\"application/"
                                                    "vnd.openxmlformats-officedocument.spreadsheetml.externalLink+xml\""));
  EXPECT_EQ(load().book->modelSheet(1).value({1, 1}), Value(180)) << "the stored result stands";
}

// Pivot tables as the desktop spreadsheet saved them: each table goes back
// with its sheet, its cache once with the workbook, the table pointing at
// the cache where the workbook lists it.
TEST_F(CarriedTest, PivotTablesAndTheirCachesGoBackTogether) {
  auto loaded = xlsx::LoadWorkbook(app, std::string(TAVO_TEST_FILES) + "/ExcelPivotTableSample.xlsx");
  EXPECT_TRUE(loaded.notCarried.empty()) << loaded.notCarried.front();
  xlsx::SaveWorkbook(*loaded.book, path);
  auto parts = xlsx::ReadZip(path);
  const std::string workbook = parts.at("xl/workbook.xml");
  EXPECT_TRUE(Has(workbook, "<pivotCaches><pivotCache cacheId=\"0\" r:id=\"rIdP1\"/><pivotCache cacheId=\"2\" "
                            "r:id=\"rIdP2\"/></pivotCaches></workbook>")) << workbook;
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "Target=\"pivotCache/pivotCacheDefinition1.xml\""));
  EXPECT_TRUE(Has(parts.at("xl/_rels/workbook.xml.rels"), "Target=\"connections.xml\""));
  EXPECT_EQ(parts.count("xl/connections.xml"), 1u);
  // Every table's way to its cache and every cache's way to its records
  // ends at a part of the file.
  int tables = 0;
  for (const auto& [name, text] : parts) {
    if (name.find("/_rels/pivotTable") == std::string::npos && name.find("/_rels/pivotCacheDefinition") == std::string::npos)
      continue;
    tables += name.find("pivotTable") != std::string::npos;
    const std::string partFolder = name.substr(0, name.find("_rels/"));
    const std::size_t at = text.find("Target=\"") + 8;
    std::string target = partFolder + text.substr(at, text.find('"', at) - at);
    for (std::size_t up; (up = target.find("/../")) != std::string::npos;)
      target.erase(target.rfind('/', up - 1), up + 3 - target.rfind('/', up - 1));
    EXPECT_EQ(parts.count(target), 1u) << name << " -> " << target;
  }
  EXPECT_EQ(tables, 2);
  EXPECT_TRUE(xlsx::DroppedOnSave(*xlsx::LoadWorkbook(app, path).book, xlsx::FileKind::Workbook).empty());

  // A row put in above a table: where it stands is no longer where it says.
  auto shifted = xlsx::LoadWorkbook(app, path);
  shifted.book->modelSheet(2).insert(host::Rect{1, 1, 1, host::kMaxCol}, host::Shift::Down);
  const auto dropped = xlsx::DroppedOnSave(*shifted.book, xlsx::FileKind::Workbook);
  EXPECT_NE(std::find(dropped.begin(), dropped.end(), shifted.book->modelSheet(2).name() + " 的数据透视表"), dropped.end());
}

}  // namespace
}  // namespace tavo::testing
