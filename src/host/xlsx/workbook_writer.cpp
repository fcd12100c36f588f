// The package around the sheets: workbook, relationships, content types,
// styles and shared strings; and the atomic save.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host/model/workbook.h"
#include "host/xlsx/carried.h"
#include "host/file_error.h"
#include "host/xlsx/writer_parts.h"
#include "host/xlsx/xlsx_writer.h"
#include "host/xlsx/xml_text.h"
#include "host/xlsx/zip_archive.h"

namespace tavo::xlsx {

using host::Value;

namespace {

constexpr const char* kDocRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kTypes = "application/vnd.openxmlformats-officedocument.";

std::string Relationship(const std::string& id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kDocRel + type + "\" Target=\"" + target + "\"/>";
}

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"" + part + "\" ContentType=\"" + kTypes + type + "\"/>";
}

// A carried part's content type as the file read gave it; one it gave none
// is the package's default for its extension.
std::string CarriedOverride(const OutputPart& p) {
  if (p.part->contentType.empty()) return "";
  return "<Override PartName=\"/" + Escaped(p.name) + "\" ContentType=\"" + Escaped(p.part->contentType) + "\"/>";
}

}  // namespace

namespace {
// A size the sheet's part may reach: whether it may pass 4 GB, and how much
// of a file's writing it is.
std::size_t SheetSizeHint(const model::Sheet& sheet) {
  std::size_t cells = 0;
  for (int c = 1; c <= sheet.columnCount(); ++c) cells += static_cast<std::size_t>(sheet.storedColumn(c)->size());
  for (const model::Sheet::PendingRows& p : sheet.pendingRows())
    cells += static_cast<std::size_t>(p.area.rowCount()) * static_cast<std::size_t>(p.area.colCount());
  return cells * 256;
}
}  // namespace

FileKind FileKindOf(const std::string& path) {
  std::string type = std::filesystem::path(path).extension().string();
  for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return type == ".xlsm" ? FileKind::MacroEnabled : FileKind::Workbook;
}

void WritePackage(const model::Workbook& book, const PartWriter& part, FileKind kind) {
  StyleSheetWriter styles(book.styles().get(model::StyleTable::kDefault));
  SharedStrings strings(book.colors());
  const int sheets = book.sheetCount();
  const int active = book.indexOf(book.activeModelSheet());
  auto whole = [&](const std::string& name, const std::string& text) {
    part(name, text.size(), [&](PartStream& out) { out += text; });
  };
  // A part as the file read held it, with its own relationships.
  auto carriedPart = [&](const OutputPart& p) {
    whole(p.name, p.part->bytes);
    if (p.relationships.empty()) return;
    const std::size_t slash = p.name.rfind('/');
    whole(p.name.substr(0, slash + 1) + "_rels/" + p.name.substr(slash + 1) + ".rels", p.relationships);
  };

  // What lists the parts comes first; the sheets' parts follow, and what
  // the sheets fill (shared strings, styles) comes last.
  std::string types = kXmlHead;
  types += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
  const CarriedOutput ownParts = CarriedWorkbookParts(book, kind);
  if (kind == FileKind::MacroEnabled)
    types += "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\"/>";
  else
    types += Override("/xl/workbook.xml", "spreadsheetml.sheet.main+xml");
  for (const OutputPart& p : ownParts.parts) types += CarriedOverride(p);
  types += Override("/xl/styles.xml", "spreadsheetml.styles+xml");
  types += Override("/xl/sharedStrings.xml", "spreadsheetml.sharedStrings+xml");
  types += Override("/docProps/app.xml", "extended-properties+xml");
  types += "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>";

  std::string workbookRels = kXmlHead;
  workbookRels += std::string("<Relationships xmlns=\"") + kPkgRelNs + "\">";
  std::string sheetList, definedNames;
  for (int i = 1, chartNumber = 1, drawingNumber = 1; i <= sheets; ++i) {
    const model::Sheet& sheet = book.modelSheet(i);
    const std::string n = std::to_string(i);
    // A chart on a sheet of its own goes back as a chart sheet.
    if (KeptChartSheet(sheet)) {
      workbookRels += Relationship("rId" + n, "chartsheet", "chartsheets/sheet" + n + ".xml");
    } else {
      types += Override("/xl/worksheets/sheet" + n + ".xml", "spreadsheetml.worksheet+xml");
      workbookRels += Relationship("rId" + n, "worksheet", "worksheets/sheet" + n + ".xml");
    }
    sheetList += "<sheet name=\"" + Escaped(sheet.name()) + "\" sheetId=\"" + n + "\"";
    if (!sheet.visible()) sheetList += VeryHidden(sheet) ? " state=\"veryHidden\"" : " state=\"hidden\"";
    sheetList += " r:id=\"rId" + n + "\"/>";
    if (!sheet.pageSettings().printArea.empty()) {
      std::string areas;
      for (std::size_t start = 0; start <= sheet.pageSettings().printArea.size();) {
        std::size_t end = sheet.pageSettings().printArea.find(',', start);
        if (end == std::string::npos) end = sheet.pageSettings().printArea.size();
        areas += (areas.empty() ? "" : ",") + QuotedSheetName(sheet.name()) +
                 sheet.pageSettings().printArea.substr(start, end - start);
        start = end + 1;
      }
      definedNames += "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"" + std::to_string(i - 1) + "\">" +
                      Escaped(areas) + "</definedName>";
    }
    if (!sheet.pageSettings().printTitleRows.empty())
      definedNames += "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"" + std::to_string(i - 1) + "\">" +
                      Escaped(QuotedSheetName(sheet.name()) + sheet.pageSettings().printTitleRows) + "</definedName>";
    for (const OutputPart& carried : CarriedPartsOf(sheet, i).parts) types += CarriedOverride(carried);
    if (sheet.charts().empty()) continue;
    types += Override("/xl/drawings/drawing" + std::to_string(drawingNumber++) + ".xml", "drawing+xml");
    for (std::size_t k = 0; k < sheet.charts().size(); ++k)
      types += Override("/xl/charts/chart" + std::to_string(chartNumber++) + ".xml", "drawingml.chart+xml");
  }
  workbookRels += Relationship("rId" + std::to_string(sheets + 1), "styles", "styles.xml");
  workbookRels += Relationship("rId" + std::to_string(sheets + 2), "sharedStrings", "sharedStrings.xml");
  const std::string theme = CarriedTheme(book);
  if (!theme.empty()) {
    workbookRels += Relationship("rId" + std::to_string(sheets + 3), "theme", "theme/theme1.xml");
    types += Override("/xl/theme/theme1.xml", "theme+xml");
  }
  workbookRels += ownParts.relationships + "</Relationships>";
  types += "</Types>";
  whole("[Content_Types].xml", types);
  whole("_rels/.rels", std::string(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\">" +
                           Relationship("rId1", "officeDocument", "xl/workbook.xml") +
                           "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
                           "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>" +
                           Relationship("rId3", "extended-properties", "docProps/app.xml") + "</Relationships>");
  whole("docProps/app.xml", std::string(kXmlHead) +
                                "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                "extended-properties\"><Application>tavo</Application></Properties>");
  whole("docProps/core.xml", std::string(kXmlHead) +
                                 "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
                                 "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                                 "<dc:creator>tavo</dc:creator></cp:coreProperties>");

  for (int i = 1, chartNumber = 1, drawingNumber = 1; i <= sheets; ++i) {
    const model::Sheet& sheet = book.modelSheet(i);
    const std::string n = std::to_string(i);
    const bool hasCharts = !sheet.charts().empty();
    const CarriedOutput carried = CarriedPartsOf(sheet, i);
    for (const OutputPart& p : carried.parts) carriedPart(p);
    if (KeptChartSheet(sheet)) continue;
    part("xl/worksheets/sheet" + n + ".xml", SheetSizeHint(sheet),
         [&](PartStream& out) { WriteWorksheet(out, sheet, i == active, styles, &strings, hasCharts); });
    const std::string d = std::to_string(drawingNumber);
    if (hasCharts || !carried.relationships.empty())
      whole("xl/worksheets/_rels/sheet" + n + ".xml.rels",
            std::string(kXmlHead) + "<Relationships xmlns=\"" + kPkgRelNs + "\">" +
                (hasCharts ? Relationship("rId1", "drawing", "../drawings/drawing" + d + ".xml") : "") +
                carried.relationships + "</Relationships>");
    if (!hasCharts) continue;
    ++drawingNumber;
    DrawingXml drawing = ChartsXml(sheet, chartNumber);
    whole("xl/drawings/drawing" + d + ".xml", drawing.drawing);
    whole("xl/drawings/_rels/drawing" + d + ".xml.rels", drawing.drawingRels);
    for (const std::string& chart : drawing.charts) whole("xl/charts/chart" + std::to_string(chartNumber++) + ".xml", chart);
  }

  std::string workbook = kXmlHead;
  workbook += std::string("<workbook xmlns=\"") + kMainNs + "\" xmlns:r=\"" + kRelNs + "\">";
  const std::string codeName = CodeName(book);
  if (book.dates1904() || !codeName.empty())
    workbook += "<workbookPr" + (codeName.empty() ? "" : " codeName=\"" + Escaped(codeName) + "\"") +
                (book.dates1904() ? " date1904=\"1\"" : "") + "/>";
  workbook += CarriedProtection(book);
  workbook += "<bookViews><workbookView activeTab=\"" + std::to_string(active - 1) + "\" tabRatio=\"" +
              std::to_string(static_cast<int>(book.tabRatio() * 1000 + 0.5)) + "\"/></bookViews>";
  workbook += "<sheets>" + sheetList + "</sheets>" + ExternalReferencesXml(book);
  definedNames += CarriedNamesXml(book);
  if (!definedNames.empty()) workbook += "<definedNames>" + definedNames + "</definedNames>";
  workbook += "<calcPr calcId=\"191029\"/>" + PivotCachesXml(book) + "</workbook>";
  whole("xl/workbook.xml", workbook);
  whole("xl/_rels/workbook.xml.rels", workbookRels);
  if (!theme.empty()) whole("xl/theme/theme1.xml", theme);
  for (const OutputPart& p : ownParts.parts) carriedPart(p);
  part("xl/sharedStrings.xml", strings.size(), [&](PartStream& out) { strings.write(out); });
  whole("xl/styles.xml", styles.xml(book.colors(), CarriedDxfs(book)));
}

std::map<std::string, std::string> WorkbookParts(const model::Workbook& book) {
  std::map<std::string, std::string> parts;
  WritePackage(book, [&](const std::string& name, std::size_t, const std::function<void(PartStream&)>& write) {
    parts[name] = PartStream::Collect(write);
  });
  return parts;
}

namespace {

// A 64-bit digest, word by word: stable across runs and platforms, unlike
// std::hash, and fast enough to take over millions of cells.
struct Digest {
  std::uint64_t value = 1469598103934665603ull;
  void word(std::uint64_t w) {
    std::uint64_t x = value ^ w;
    x *= 0x9E3779B97F4A7C15ull;
    value = x ^ (x >> 29);
  }
  void number(double n) {
    std::uint64_t bits;
    std::memcpy(&bits, &n, sizeof bits);
    word(bits);
  }
  Digest& operator<<(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, 8);
      word(w);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, text.data() + i, text.size() - i);
    word(tail);
    word(text.size());  // ends each piece
    return *this;
  }
};

// The cells as the model holds them, and the rows' own heights, formats and
// outline levels: what the worksheet part's cell data is written from.
void DigestCells(Digest& d, const model::Sheet& sheet) {
  for (int c = 1; c <= sheet.columnCount(); ++c) {
    const auto& slots = sheet.storedColumn(c)->slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const model::Slot& slot = slots[i];
      if (!slot.inUse()) continue;
      const int r = static_cast<int>(i) + 1;
      d.word((static_cast<std::uint64_t>(r) << 32) | static_cast<std::uint32_t>(c));
      d.word((static_cast<std::uint64_t>(slot.style()) << 8) | static_cast<std::uint64_t>(slot.kind()));
      switch (slot.kind()) {
        case model::Slot::Kind::Empty: break;
        case model::Slot::Kind::Number: d.number(slot.number()); break;
        case model::Slot::Kind::Text:
          d << slot.text().text;
          for (const host::TextRun& run : slot.text().runs()) {
            d.word((static_cast<std::uint64_t>(run.start) << 32) | static_cast<std::uint32_t>(run.length));
            d.number(run.fontSize.value_or(-1));
            d << run.fontName.value_or("\x01");
          }
          break;
        case model::Slot::Kind::Boolean:
        case model::Slot::Kind::Error: d << host::displayText(slot.constant()); break;
        case model::Slot::Kind::Formula: {
          d << sheet.formulaA1({r, c});
          const Value v = sheet.value({r, c});
          d.word(static_cast<std::uint64_t>(v.kind()));
          d << host::displayText(v);
          break;
        }
      }
    }
  }
  // Rows still to come from a source count as that source, where they stand
  // and how formatted: the print of a province's table does not make its
  // rows, which the save will. The same rows entered print otherwise, so a
  // sheet whose rows were entered since reads as changed, never the reverse.
  for (const model::Sheet::PendingRows& p : sheet.pendingRows()) {
    d.word(p.serial);
    d.word((static_cast<std::uint64_t>(p.area.top) << 32) | static_cast<std::uint32_t>(p.area.left));
    d.word((static_cast<std::uint64_t>(p.area.bottom) << 32) | static_cast<std::uint32_t>(p.area.right));
    for (model::StyleId style : p.styles) d.word(style);
  }
  for (const auto& [r, h] : sheet.rowHeights()) {
    d.word(static_cast<std::uint64_t>(r));
    d.number(h);
  }
  for (const auto& [r, style] : sheet.rowStyles()) d.word((static_cast<std::uint64_t>(r) << 32) | style);
  for (const auto& [r, level] : sheet.rowOutlineLevels()) d.word((static_cast<std::uint64_t>(r) << 32) | level);
}

}  // namespace

std::uint64_t SheetFingerprint(const model::Sheet& sheet) {
  StyleSheetWriter styles(sheet.model().styles().get(model::StyleTable::kDefault));
  Digest d;
  d << sheet.name() << (sheet.visible() ? "shown" : "hidden");
  PartStream rest([&](std::string_view piece) { d << piece; });
  WriteWorksheet(rest, sheet, false, styles, nullptr, !sheet.charts().empty());
  rest.flush();
  DigestCells(d, sheet);
  // The palette is the workbook's: it counts in WorkbookFingerprint only.
  d << styles.xml(host::ColorTable{host::classicPalette(), sheet.model().colors().fileColors})
    << sheet.pageSettings().printTitleRows;
  if (!sheet.charts().empty())
    for (const std::string& chart : ChartsXml(sheet, 1).charts) d << chart;
  return d.value;
}

std::uint64_t WorkbookFingerprint(const model::Workbook& book) {
  std::vector<std::uint64_t> sheets;
  for (int i = 1; i <= book.sheetCount(); ++i) sheets.push_back(SheetFingerprint(book.modelSheet(i)));
  return WorkbookFingerprint(book, sheets);
}

std::uint64_t WorkbookFingerprint(const model::Workbook& book, const std::vector<std::uint64_t>& sheetPrints) {
  Digest d;
  for (std::uint64_t print : sheetPrints) d << std::to_string(print);
  for (host::Rgb c : book.palette()) d << std::to_string(c);
  for (host::Rgb c : book.colors().fileColors) d << "+" + std::to_string(c);
  d << std::to_string(book.tabRatio()) << std::to_string(book.indexOf(book.activeModelSheet()));
  return d.value;
}

namespace {

// Temporary files of an earlier save of `target` that was killed midway.
void RemoveLeftTemporaries(const std::filesystem::path& folder, const std::string& targetName) {
  namespace fs = std::filesystem;
  const std::string prefix = "." + targetName + ".";
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }) &&
        it->is_regular_file(ec))
      fs::remove(it->path(), ec);
  }
}

}  // namespace

void SaveWorkbook(const model::Workbook& book, const std::string& path, const Progress& progress) {
  namespace fs = std::filesystem;
  fs::path target(path);
  // A link is saved through: its target is replaced, the link stays.
  if (std::error_code ec; fs::is_symlink(target, ec)) {
    target = fs::canonical(target, ec);
    if (ec) throw host::FileError(path, "链接指向的文件不存在");
  }
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  // A file its owner made read-only is not replaced, not even by root.
  if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
    throw host::FileError(path, "文件是只读的，未保存");
  fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  RemoveLeftTemporaries(folder, target.filename().string());
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw host::FileError(path, std::string("无法在所在文件夹中创建临时文件: ") + std::strerror(errno));
  ::close(fd);
  std::string temp(name.data());
  try {
    ZipWriter zip(temp);
    // The share written: the bytes written against what the sheets' cells
    // are likely to take, about 40 bytes each.
    double expected = 1, written = 0;
    for (int i = 1; i <= book.sheetCount(); ++i)
      expected += static_cast<double>(SheetSizeHint(book.modelSheet(i))) / 256 * 40;
    WritePackage(book, [&](const std::string& part, std::size_t sizeHint, const std::function<void(PartStream&)>& write) {
      zip.begin(part, sizeHint > 0xFFFFFFFFull);
      PartStream out([&](std::string_view piece) {
        zip.write(piece);
        written += static_cast<double>(piece.size());
        if (progress) progress(std::min(written / expected, 0.99));
      });
      write(out);
      out.flush();
      zip.end();
    }, FileKindOf(path));
    zip.close();
    if (progress) progress(1);
    fd = ::open(temp.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
      int e = errno;
      if (fd >= 0) ::close(fd);
      throw host::FileError(path, std::string("写入磁盘失败: ") + std::strerror(e));
    }
    ::close(fd);
    ::chmod(temp.c_str(), exists ? (existing.st_mode & 07777) : 0644);
    if (std::rename(temp.c_str(), target.c_str()) != 0)
      throw host::FileError(path, std::string("无法替换文件: ") + std::strerror(errno));
  } catch (...) {
    std::remove(temp.c_str());
    throw;
  }
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace tavo::xlsx
