#include "sheetutil/messages.h"

#include "host/constants.h"

namespace tavo::sheetutil {

void Warn(host::Application& app, const std::string& prompt) {
  app.platform().messageBox(prompt, host::code::kMsgExclamation, "警告");
}

void Remind(host::Application& app, const std::string& prompt) {
  app.platform().messageBox(prompt, host::code::kMsgOk, "提醒");
}

}  // namespace tavo::sheetutil
