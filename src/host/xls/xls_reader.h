// Score files in the old binary workbook format (.xls, BIFF5 and BIFF8), read
// by our own reader: sheet names, order and visibility, numbers, text,
// booleans and errors, the results of formulas (the formulas themselves are
// not carried; the load warning says so), number formats, fonts, fills,
// borders, alignment, merged areas, column widths and row heights, the
// palette and the 1904 date system.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/model/application.h"
#include "host/model/workbook.h"

namespace tavo::xls {

struct LoadedXls {
  std::unique_ptr<model::Workbook> book;
  std::vector<std::string> notCarried;
};

// Throws host::FileError naming the file and the reason.
LoadedXls LoadXlsWorkbook(model::Application&, const std::string& path);

}  // namespace tavo::xls
