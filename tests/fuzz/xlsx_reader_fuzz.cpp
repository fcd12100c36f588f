// libFuzzer target for the score-file readers. The first byte picks what
// the rest of the input becomes: one part of an otherwise valid xlsx
// package (so that the XML readers are reached past the zip layer), a whole
// xlsx file, a .csv or .txt file, or an .xls file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "host/model/recording_platform.h"
#include "host/csv/csv_reader.h"
#include "host/xls/xls_reader.h"
#include "host/file_error.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/zip_archive.h"
#include "package_builder.h"

namespace {

const char* kParts[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml",
                        "xl/workbook.xml",          "xl/_rels/workbook.xml.rels", "xl/drawings/drawing1.xml",
                        "xl/charts/chart1.xml"};
constexpr unsigned kWholeFile = 7, kCsv = 8, kTxt = 9, kXls = 10;

// A sheet with one line chart, so that the drawing and chart readers are
// reached too.
std::map<std::string, std::string> PackageWithChart() {
  auto parts = tavo::testing::OneSheetPackage(
      "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><f>A1*2</f><v>1</v></c></row>"
      "</sheetData><drawing r:id=\"rId1\"/>",
      "<si><t>x</t></si>", "<cellXfs><xf/></cellXfs>");
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  parts["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
      "Type=\"" + rel + "drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>";
  parts["xl/drawings/_rels/drawing1.xml.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
      "Type=\"" + rel + "chart\" Target=\"../charts/chart1.xml\"/></Relationships>";
  parts["xl/drawings/drawing1.xml"] =
      "<xdr:wsDr><xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row>"
      "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>5</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>9</xdr:row>"
      "<xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:graphicFrame><xdr:nvGraphicFramePr><xdr:cNvPr id=\"2\" name=\"c\"/>"
      "</xdr:nvGraphicFramePr><a:graphic><a:graphicData><c:chart r:id=\"rId1\"/></a:graphicData></a:graphic>"
      "</xdr:graphicFrame></xdr:twoCellAnchor></xdr:wsDr>";
  parts["xl/charts/chart1.xml"] =
      "<c:chartSpace><c:chart><c:title><c:tx><c:rich><a:p><a:r><a:rPr sz=\"1600\"/><a:t>t</a:t></a:r></a:p></c:rich>"
      "</c:tx></c:title><c:plotArea><c:lineChart><c:ser><c:cat><c:strRef><c:f>Sheet1!$A$1:$A$2</c:f></c:strRef></c:cat>"
      "<c:val><c:numRef><c:f>Sheet1!$B$1:$B$2</c:f></c:numRef></c:val></c:ser><c:dropLines/></c:lineChart>"
      "<c:valAx><c:delete val=\"1\"/></c:valAx></c:plotArea></c:chart></c:chartSpace>";
  return parts;
}

// One folder for the whole run, its files removed when the fuzzer exits;
// the readers choose by the file's extension.
char gFolder[] = "/tmp/tavo-fuzz-XXXXXX";

std::string TempPath(const char* extension) {
  static const bool made = [] {
    if (!mkdtemp(gFolder)) std::abort();
    std::atexit([] {
      for (const char* e : {".xlsx", ".csv", ".txt", ".xls"}) std::remove((std::string(gFolder) + "/in" + e).c_str());
      rmdir(gFolder);
    });
    return true;
  }();
  (void)made;
  return std::string(gFolder) + "/in" + extension;
}

void WriteFile(const std::string& path, const std::string& body) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  const unsigned pick = data[0] % (kXls + 1);
  try {
    tavo::model::RecordingPlatform platform;
    tavo::model::Application app(platform);
    std::unique_ptr<tavo::model::Workbook> book;
    if (pick == kCsv || pick == kTxt) {
      const std::string path = TempPath(pick == kCsv ? ".csv" : ".txt");
      WriteFile(path, body);
      book = tavo::csv::LoadTextWorkbook(app, path);
    } else if (pick == kXls) {
      const std::string path = TempPath(".xls");
      WriteFile(path, body);
      book = std::move(tavo::xls::LoadXlsWorkbook(app, path).book);
    } else {
      const std::string path = TempPath(".xlsx");
      if (pick == kWholeFile) {
        WriteFile(path, body);
      } else {
        auto parts = PackageWithChart();
        parts[kParts[pick]] = body;
        tavo::xlsx::WriteZip(path, parts);
      }
      book = std::move(tavo::xlsx::LoadWorkbook(app, path).book);
    }
    // Reading every value also evaluates every formula the file held; only
    // the cells there are (a merged area may span the sheet).
    for (int i = 1; i <= book->sheetCount(); ++i) {
      auto& sheet = book->modelSheet(i);
      for (int c = 1; c <= sheet.columnCount(); ++c)
        if (const auto* column = sheet.column(c))
          for (int r = 1; r <= column->size(); ++r)
            if (column->get(r)->hasContent()) (void)sheet.value({r, c});
    }
  } catch (const tavo::host::FileError&) {
  }
  return 0;
}
