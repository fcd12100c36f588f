// The one box that reports an error escaping a command.
#pragma once

#include <exception>
#include <string>

#include "host/platform.h"

namespace tavo::engine {

// "错误[n]" CR description, critical icon, title "错误". Errors that are not
// the host's get the classic runtime's numbers (7 out of memory, 51 internal
// error) so that the box reads the same for every failure.
void ShowErrorBox(host::Platform&, std::exception_ptr);

}  // namespace tavo::engine
