// Files that cannot be read give one clear reason and nothing else.
#include <gtest/gtest.h>

#include <minizip/zip.h>

#include <zlib.h>

#include <algorithm>
#include <fstream>

#include "host/file_error.h"
#include "host/xlsx/xlsx_reader.h"
#include "model_fixture.h"
#include "package_builder.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

struct BadFileTest : ModelFixture {
  TempFolder folder;
  std::string path = folder.file("bad.xlsx");

  // The reason LoadWorkbook gives, or "" when the file loaded.
  std::string reasonFor(const std::map<std::string, std::string>& parts) {
    xlsx::WriteZip(path, parts);
    return reason();
  }
  std::string reason() {
    try {
      xlsx::LoadWorkbook(app, path);
      return "";
    } catch (const host::FileError& e) {
      EXPECT_EQ(e.path, path);
      return e.reason;
    }
  }
  void writeBytes(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
};

const std::string kGoodBody = "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>";

TEST_F(BadFileTest, NotAZipOrTruncated) {
  writeBytes("班级,语文\n1班,90\n");
  EXPECT_NE(reason().find("zip"), std::string::npos) << reason();

  xlsx::WriteZip(path, OneSheetPackage(kGoodBody));
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  writeBytes(bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(reason().empty());

  std::filesystem::remove(path);
  EXPECT_FALSE(reason().empty()) << "a missing file";
}

TEST_F(BadFileTest, NoWorkbookPartOrBrokenParts) {
  auto parts = OneSheetPackage(kGoodBody);
  parts.erase("xl/workbook.xml");
  EXPECT_NE(reasonFor(parts).find("xl/workbook.xml"), std::string::npos);

  parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></row></sheetData>");
  EXPECT_NE(reasonFor(parts).find("不是有效的 XML"), std::string::npos);

  parts = OneSheetPackage(kGoodBody);
  parts.erase("xl/worksheets/sheet1.xml");
  EXPECT_NE(reasonFor(parts).find("Sheet1"), std::string::npos);

  parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><v>abc</v></c></row></sheetData>");
  EXPECT_NE(reasonFor(parts).find("数值无效"), std::string::npos);
}

TEST_F(BadFileTest, AbsurdDimensions) {
  EXPECT_FALSE(reasonFor(OneSheetPackage("<sheetData><row r=\"2000000\"/></sheetData>")).empty());
  EXPECT_FALSE(reasonFor(OneSheetPackage("<sheetData><row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row></sheetData>")).empty());
  EXPECT_FALSE(reasonFor(OneSheetPackage("<cols><col min=\"1\" max=\"99999\" width=\"3\"/></cols><sheetData/>")).empty());
  EXPECT_FALSE(reasonFor(OneSheetPackage("<sheetData/><mergeCells><mergeCell ref=\"A1:A9999999\"/></mergeCells>")).empty());
  EXPECT_FALSE(reasonFor(OneSheetPackage("<sheetData><row r=\"3\"><c r=\"A4\"><v>1</v></c></row></sheetData>")).empty());
}

TEST_F(BadFileTest, InvalidUtf8) {
  auto parts = OneSheetPackage("<sheetData/>", "<si><t>\xC3\x28</t></si>");
  EXPECT_NE(reasonFor(parts).find("UTF-8"), std::string::npos);
  parts = OneSheetPackage("<sheetData/>", "<si><t>\xED\xA0\x80</t></si>");  // a lone surrogate
  EXPECT_NE(reasonFor(parts).find("UTF-8"), std::string::npos);
}

TEST_F(BadFileTest, DocumentTypeDeclarationsAreRefusedAndEntitiesNeverExpanded) {
  std::string laughs = "<!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'j'; ++c)
    laughs += std::string("<!ENTITY ") + c + " \"&" + static_cast<char>(c - 1) + ";&" + static_cast<char>(c - 1) +
              ";&" + static_cast<char>(c - 1) + ";&" + static_cast<char>(c - 1) + ";\">";
  laughs += "]>";
  auto parts = OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData>", "x");
  parts["xl/sharedStrings.xml"] =
      laughs + "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>&j;</t></si></sst>";
  const std::string why = reasonFor(parts);
  EXPECT_NE(why.find("xl/sharedStrings.xml"), std::string::npos) << why;
  EXPECT_NE(why.find("DTD"), std::string::npos) << why;

  parts = OneSheetPackage(kGoodBody);
  parts["xl/workbook.xml"] = "<!DOCTYPE workbook>" + parts["xl/workbook.xml"];
  EXPECT_NE(reasonFor(parts).find("xl/workbook.xml"), std::string::npos) << "in any part";
  // A sheet too, though its rows are read a piece at a time.
  parts = OneSheetPackage(kGoodBody);
  parts["xl/worksheets/sheet1.xml"] = "<!DOCTYPE worksheet>" + parts["xl/worksheets/sheet1.xml"];
  const std::string sheetWhy = reasonFor(parts);
  EXPECT_NE(sheetWhy.find("xl/worksheets/sheet1.xml"), std::string::npos) << sheetWhy;
  EXPECT_NE(sheetWhy.find("DTD"), std::string::npos) << sheetWhy;
}

TEST_F(BadFileTest, AZipBombIsRefusedBeforeItFillsMemory) {
  auto parts = OneSheetPackage(kGoodBody);
  parts["xl/worksheets/sheet1.xml"] += std::string(64u << 20, ' ');
  EXPECT_NE(reasonFor(parts).find("过大"), std::string::npos);

  xlsx::ZipLimits small;
  small.maxPartBytes = 100;
  xlsx::WriteZip(path, OneSheetPackage(kGoodBody + std::string(200, ' ')));
  EXPECT_THROW(xlsx::ReadZip(path, small), host::FileError);
}

TEST_F(BadFileTest, ZipEntryNamesAreReadWholeAndNeverTwice) {
  auto parts = OneSheetPackage(kGoodBody);
  const std::string longName = "xl/" + std::string(1500, 'n') + ".xml";
  parts[longName] = "<x/>";
  xlsx::WriteZip(path, parts);
  EXPECT_EQ(xlsx::ReadZip(path).count(longName), 1u) << "a name longer than any fixed buffer";

  // The same part twice: refused rather than guessed.
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  auto add = [&](const std::string& name, const std::string& data) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  };
  for (const auto& [name, data] : OneSheetPackage(kGoodBody)) add(name, data);
  add("xl/worksheets/sheet1.xml", "<worksheet/>");
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
  EXPECT_NE(reason().find("两个同名部件 xl/worksheets/sheet1.xml"), std::string::npos) << reason();
}

// Entries as other programs may write them: stored or deflated, with the
// checksum the directory claims.
struct Entry {
  std::string name, data;
  bool stored = false;
  bool wrongChecksum = false;
};

void WriteEntries(const std::string& path, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const auto& e : entries) {
    zip_fileinfo info{};
    std::string packed = e.data;
    if (!e.stored) {
      packed.assign(compressBound(static_cast<uLong>(e.data.size())), '\0');
      z_stream z{};
      ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(e.data.data()));
      z.avail_in = static_cast<uInt>(e.data.size());
      z.next_out = reinterpret_cast<Bytef*>(packed.data());
      z.avail_out = static_cast<uInt>(packed.size());
      ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
      packed.resize(z.total_out);
      deflateEnd(&z);
    }
    ASSERT_EQ(zipOpenNewFileInZip2_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                      e.stored ? 0 : Z_DEFLATED, 6, 1, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, packed.data(), static_cast<unsigned>(packed.size())), ZIP_OK);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
    ASSERT_EQ(zipCloseFileInZipRaw64(zip, e.data.size(), e.wrongChecksum ? crc ^ 1 : crc), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

TEST_F(BadFileTest, StoredPartsReadAndDamagedPartsAreRefused) {
  std::vector<Entry> entries;
  for (const auto& [name, data] : OneSheetPackage(kGoodBody)) entries.push_back({name, data});
  const auto part = std::find_if(entries.begin(), entries.end(),
                                  [](const Entry& e) { return e.name == "xl/worksheets/sheet1.xml"; });
  ASSERT_NE(part, entries.end());
  Entry& sheetPart = *part;

  sheetPart.stored = true;
  WriteEntries(path, entries);
  EXPECT_EQ(reason(), "") << "a part stored without compression";
  EXPECT_EQ(xlsx::ReadZip(path).at(sheetPart.name), sheetPart.data);

  sheetPart.stored = false;
  sheetPart.wrongChecksum = true;
  WriteEntries(path, entries);
  EXPECT_NE(reason().find("xl/worksheets/sheet1.xml 校验失败"), std::string::npos) << reason();

  // Bytes changed inside the deflated sheet: refused, whichever way the
  // damage shows.
  sheetPart.wrongChecksum = false;
  sheetPart.data = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + kGoodBody +
                std::string(3000, ' ') + "</worksheet>";
  WriteEntries(path, entries);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t at = bytes.find(sheetPart.name) + sheetPart.name.size() + 4;
  for (std::size_t i = at; i < at + 8; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  writeBytes(bytes);
  EXPECT_NE(reason().find("xl/worksheets/sheet1.xml"), std::string::npos) << reason();
}

}  // namespace
}  // namespace tavo::testing
