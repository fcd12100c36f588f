// Files beside the system workbook: the data folder of score workbooks and
// the user's guide.
#pragma once

#include <string>

#include "host/application.h"

namespace tavo::sheetutil {

// The system workbook's folder, then "数据" and a separator.
std::string DataFolder(host::Application&);
// A file in the system workbook's own folder.
std::string BesideSystemWorkbook(host::Application&, const std::string& fileName);

}  // namespace tavo::sheetutil
