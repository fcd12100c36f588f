// The zip container of an xlsx file. Reading is bounded: a file whose parts
// would unpack beyond the limits is refused instead of filling memory.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "host/xlsx/deflate_stream.h"

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

// A part as read: its text, or, while `deferred`, its packed bytes with the
// size and checksum its text must come to (InflatedText reads them).
struct ZipPart {
  std::string text;
  std::string packed;
  bool deferred = false;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
};
// As ReadZip, deflated parts of more than `deferFrom` bytes left packed.
std::map<std::string, ZipPart> ReadZipParts(const std::string& path, const ZipLimits&, std::uint64_t deferFrom);
// Inflates a deferred part whole: Ended, and the part holds its text.
InflatedText::Result InflatePart(ZipPart&);

// An archive written part by part, each part in pieces as it is made, to a
// path that must not be the final target: the caller renames it into place.
// Deflating runs on a thread of its own, so that the next piece is made
// while the last one is compressed; at most a few megabytes wait between
// the two. Throws FileError, at the latest from close().
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
  struct Task {
    enum Kind { Begin, Write, End } kind;
    std::string text;  // the part's name, or the piece
    bool large = false;
  };
  void post(Task);
  void deflateTasks();
  void run(const Task&);

  std::string path_, part_;
  void* zip_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Task> tasks_;
  std::size_t waitingBytes_ = 0;
  bool closing_ = false;
  std::exception_ptr error_;
  DeflateStream deflate_;  // the deflater thread's alone
  std::thread deflater_;
};

// Writes the parts, [Content_Types].xml first.
void WriteZip(const std::string& path, const std::map<std::string, std::string>& parts);

}  // namespace tavo::xlsx
