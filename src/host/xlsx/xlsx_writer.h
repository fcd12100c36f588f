// Saving a model workbook as an xlsx file that any spreadsheet opens.
#pragma once

#include "host/xlsx/progress.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "host/model/workbook.h"
#include "host/xlsx/part_stream.h"

namespace tavo::xlsx {

// Receives each part of the file in order: its name, a size it may reach
// (to tell whether it may pass 4 GB) and what writes it.
using PartWriter =
    std::function<void(const std::string& name, std::size_t sizeHint, const std::function<void(PartStream&)>& write)>;
// A workbook file, or one that may hold macros (.xlsm): the kind its name
// promises is the kind it must be, or the desktop spreadsheet refuses it.
enum class FileKind { Workbook, MacroEnabled };
FileKind FileKindOf(const std::string& path);

// Every part of the file, in the order of the archive: [Content_Types].xml
// first, each sheet's parts streamed as they are made, shared strings and
// styles last. Macros the workbook carries are written only into a file
// that may hold them.
void WritePackage(const model::Workbook&, const PartWriter&, FileKind = FileKind::Workbook);
// Every part of the file by name.
std::map<std::string, std::string> WorkbookParts(const model::Workbook&);

// A digest of everything a sheet would write: equal digests, equal sheets.
std::uint64_t SheetFingerprint(const model::Sheet&);
// The same over the whole workbook: its sheets, their order, names and
// visibility, the palette and the window.
std::uint64_t WorkbookFingerprint(const model::Workbook&);
// The same from the sheets' digests, in sheet order, when they are known.
std::uint64_t WorkbookFingerprint(const model::Workbook&, const std::vector<std::uint64_t>& sheetPrints);

// Writes a temporary file beside `path`, flushes it to disk and renames it
// over `path`, so that a failure never leaves a half-written workbook.
// Throws FileError. `progress` hears of the sheets as they are written.
void SaveWorkbook(const model::Workbook&, const std::string& path, const Progress& progress = {});

}  // namespace tavo::xlsx
