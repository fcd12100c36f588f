#include "sheetutil/system_paths.h"

namespace tavo::sheetutil {

std::string BesideSystemWorkbook(host::Application& app, const std::string& fileName) {
  return app.thisWorkbook().path() + app.platform().pathSeparator() + fileName;
}

std::string DataFolder(host::Application& app) {
  return BesideSystemWorkbook(app, "数据") + app.platform().pathSeparator();
}

}  // namespace tavo::sheetutil
