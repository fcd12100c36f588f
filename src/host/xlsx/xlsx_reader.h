// Loading an xlsx file into a model workbook.
#pragma once

#include "host/xlsx/progress.h"

#include <memory>
#include <string>
#include <vector>

#include "host/model/application.h"
#include "host/model/workbook.h"

namespace tavo::xlsx {

struct LoadedWorkbook {
  std::unique_ptr<model::Workbook> book;
  // What the file holds that the model cannot carry ("图片", "条件格式", ...);
  // saving would lose it.
  std::vector<std::string> notCarried;
};

// Throws FileError naming the file and the reason; nothing is kept then.
// `progress` hears of the sheets' rows as they are read.
LoadedWorkbook LoadWorkbook(model::Application&, const std::string& path, const Progress& progress = {});

}  // namespace tavo::xlsx
