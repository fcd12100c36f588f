// The zip container of an xlsx file. Reading is bounded: a file whose parts
// would unpack beyond the limits is refused instead of filling memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tavo::xlsx {

struct ZipLimits {
  std::uint64_t maxPartBytes = 512ull << 20;
  std::uint64_t maxTotalBytes = 1024ull << 20;
  int maxParts = 10000;
  // Beyond this many bytes a part may not unpack to more than ratio times
  // its packed size (a zip bomb does).
  std::uint64_t ratioFloor = 16ull << 20;
  std::uint64_t maxRatio = 200;
};

// Every part of the archive by name. Throws FileError naming `path`.
std::map<std::string, std::string> ReadZip(const std::string& path, const ZipLimits& = {});

// An archive written part by part, each part in pieces as it is made
// (deflated), to a path that must not be the final target: the caller
// renames it into place. Throws FileError.
class ZipWriter {
 public:
  explicit ZipWriter(const std::string& path);
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;
  void begin(const std::string& part, bool large);
  void write(std::string_view piece);
  void end();
  void close();  // the archive is complete

 private:
  std::string path_, part_;
  void* zip_ = nullptr;
};

// Writes the parts, [Content_Types].xml first.
void WriteZip(const std::string& path, const std::map<std::string, std::string>& parts);

}  // namespace tavo::xlsx
