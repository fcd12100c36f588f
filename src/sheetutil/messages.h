// The boxes that end a command on an expected failure.
#pragma once

#include <string>

#include "host/application.h"

namespace tavo::sheetutil {

// Title "警告" with the exclamation icon; the texts end in "，请检查！".
void Warn(host::Application&, const std::string& prompt);
// "请先选择数据表！": title "提醒", no icon.
void Remind(host::Application&, const std::string& prompt);

}  // namespace tavo::sheetutil
