// Score files in the old binary workbook format (.xls, BIFF5/BIFF8), read
// with FreeXL in a process of its own: sheet names and order, numbers, text
// and dates as their serial numbers. Formats are not carried; the load
// warning says so.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/model/application.h"
#include "host/model/workbook.h"

namespace tavo::xls {

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as the serial number of
// the 1900 date system; nothing when the text is none of these.
std::optional<double> SerialOfDateText(const std::string&);

struct LoadedXls {
  std::unique_ptr<model::Workbook> book;
  std::vector<std::string> notCarried;
};

// Throws xlsx::FileError naming the file and the reason.
LoadedXls LoadXlsWorkbook(model::Application&, const std::string& path);

}  // namespace tavo::xls
