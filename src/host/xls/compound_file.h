// The container of the old binary workbook: a small file system of sectors
// (a compound file). Only what reading a workbook needs: one named stream.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavo::xls {

// The bytes of the stream of the root storage with this name (letter case
// aside), or nothing when there is none. Throws std::runtime_error with a
// reason a teacher can read when the container itself is damaged: every
// sector number, chain and size is checked against the file's length.
std::optional<std::string> ReadCompoundStream(std::string_view file, std::string_view name);

// Whether the bytes start as a compound file does.
bool IsCompoundFile(std::string_view file);

}  // namespace tavo::xls
