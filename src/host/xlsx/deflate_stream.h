// Raw deflate streams, the form a zip entry holds its part in, with the
// CRC-32 the zip directory records. Built on ISA-L where the build has it:
// it deflates a score sheet about seven times as fast as zlib's level 2,
// a little smaller, and inflates several times as fast. Elsewhere (the
// browser build) on zlib.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavo::xlsx {

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes);

// One part's text deflated as it comes.
class DeflateStream {
 public:
  using Sink = std::function<void(std::string_view)>;
  DeflateStream();
  ~DeflateStream();
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;

  void begin();  // a new part
  void add(std::string_view text, const Sink& out);
  void finish(const Sink& out);  // the part is complete
  std::uint32_t crc() const { return crc_; }
  std::uint64_t size() const { return size_; }  // of the text

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
};

// A deflated part read as text a piece at a time: what the reader is done
// with is dropped from the front, so that a city's 70 MB sheet is never
// whole in memory. The part must come to `size` bytes with checksum `crc`
// (Mismatch where it does not; Corrupt where the packed bytes are damaged
// or cut short).
class InflatedText {
 public:
  enum class Result { More, Ended, Corrupt, Mismatch };
  InflatedText(std::string_view packed, std::uint64_t size, std::uint32_t crc);
  ~InflatedText();
  InflatedText(const InflatedText&) = delete;
  InflatedText& operator=(const InflatedText&) = delete;

  // Inflates about `bytes` more onto text(); Ended once the whole part is
  // there and found sound.
  Result more(std::size_t bytes);
  std::string_view text() const { return {buffer_.data(), length_}; }
  void drop(std::size_t bytes);  // from the front of text()
  std::uint64_t dropped() const { return dropped_; }
  std::string take();  // text(), which then stands no more here

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
  std::string_view packed_;
  std::uint64_t size_, made_ = 0, dropped_ = 0;
  std::uint32_t crc_, madeCrc_ = 0;
  std::string buffer_;
  std::size_t length_ = 0;
  bool ended_ = false;
};

}  // namespace tavo::xlsx
