// Loading an xlsx file into a model workbook.
#pragma once

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
LoadedWorkbook LoadWorkbook(model::Application&, const std::string& path);

}  // namespace tavo::xlsx
