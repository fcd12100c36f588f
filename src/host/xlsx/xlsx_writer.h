// Saving a model workbook as an xlsx file that any spreadsheet opens.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/model/workbook.h"

namespace tavo::xlsx {

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
// Throws FileError.
void SaveWorkbook(const model::Workbook&, const std::string& path);

}  // namespace tavo::xlsx
