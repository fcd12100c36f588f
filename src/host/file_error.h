// A workbook file that cannot be read or written, with the reason: what
// every reader and writer of a file format throws.
#pragma once

#include <stdexcept>
#include <string>

namespace tavo::host {

struct FileError : std::runtime_error {
  FileError(const std::string& file, const std::string& why)
      : std::runtime_error(file + ": " + why), path(file), reason(why) {}
  std::string path;
  std::string reason;
};

}  // namespace tavo::host
