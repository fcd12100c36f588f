// How far a long read or write has come, for whoever shows it: called now
// and then with the share done, 0 to 1.
#pragma once

#include <functional>

namespace tavo::xlsx {

using Progress = std::function<void(double done)>;

}  // namespace tavo::xlsx
