// A workbook file that cannot be read or written, with the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace tavo::xlsx {

struct FileError : std::runtime_error {
  FileError(const std::string& file, const std::string& why)
      : std::runtime_error(file + ": " + why), path(file), reason(why) {}
  std::string path;
  std::string reason;
};

}  // namespace tavo::xlsx
