// Score files saved as text: comma-separated (.csv) or tab-separated (.txt)
// values, in UTF-8 (with or without a byte-order mark) or, as Chinese
// Windows writes them, GB18030/GBK. Opened as the desktop spreadsheet opens
// them: one sheet named after the file, every field entered as typed.
#pragma once

#include <memory>
#include <string>

#include "host/model/application.h"
#include "host/model/workbook.h"

namespace tavo::csv {

// The text as UTF-8: a byte-order mark dropped, GB18030 converted when the
// bytes are no UTF-8. Throws host::FileError naming `path` when neither.
std::string DecodeText(const std::string& bytes, const std::string& path);

// Rows of fields: quoted fields may hold separators, doubled quotes and
// line breaks.
std::vector<std::vector<std::string>> SplitRecords(const std::string& text, char separator);

// Throws host::FileError naming the file and the reason.
std::unique_ptr<model::Workbook> LoadTextWorkbook(model::Application&, const std::string& path);

}  // namespace tavo::csv
