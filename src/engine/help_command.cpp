#include "engine/help_command.h"

#include "sheetutil/system_paths.h"

namespace tavo::engine {

void OpenHelpDocument(host::Application& app) {
  app.platform().openDocument(sheetutil::BesideSystemWorkbook(app, "帮助.doc"));
}

}  // namespace tavo::engine
