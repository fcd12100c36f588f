// libFuzzer target for the xlsx reader. The first byte picks what the rest
// of the input becomes: one part of an otherwise valid package (so that the
// XML readers are reached past the zip layer), or the whole file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/model/recording_platform.h"
#include "host/xlsx/file_error.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/zip_archive.h"
#include "package_builder.h"

namespace {

const char* kParts[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml", "xl/workbook.xml",
                        "xl/_rels/workbook.xml.rels"};

// One file for the whole run, removed when the fuzzer exits.
char gPath[] = "/tmp/tavo-fuzz-XXXXXX";

std::string TempPath() {
  static const bool made = [] {
    int fd = mkstemp(gPath);
    if (fd >= 0) close(fd);
    std::atexit([] { std::remove(gPath); });
    return true;
  }();
  (void)made;
  return gPath;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string path = TempPath();
  const unsigned pick = data[0] % 6;
  try {
    if (pick == 5) {
      FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) return 0;
      std::fwrite(body.data(), 1, body.size(), f);
      std::fclose(f);
    } else {
      auto parts = tavo::testing::OneSheetPackage(
          "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><f>A1*2</f><v>1</v></c></row></sheetData>",
          "<si><t>x</t></si>", "<cellXfs><xf/></cellXfs>");
      parts[kParts[pick]] = body;
      tavo::xlsx::WriteZip(path, parts);
    }
    tavo::model::RecordingPlatform platform;
    tavo::model::Application app(platform);
    auto loaded = tavo::xlsx::LoadWorkbook(app, path);
    // Reading every value also evaluates every formula the file held.
    for (int i = 1; i <= loaded.book->sheetCount(); ++i) {
      auto& sheet = loaded.book->modelSheet(i);
      (void)sheet.values(sheet.usedRange());
    }
  } catch (const tavo::xlsx::FileError&) {
  }
  return 0;
}
