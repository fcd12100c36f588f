#include "host/xlsx/deflate_stream.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#ifdef TAVO_HAVE_ISAL
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#else
#include <zlib.h>
#endif

namespace tavo::xlsx {

namespace {
constexpr std::size_t kOutPiece = 1 << 18;
constexpr std::size_t kMaxCall = 1u << 30;  // what one call of either library may be given
}

#ifdef TAVO_HAVE_ISAL

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
  return crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Level 1: the fastest that keeps files within a fifth of zlib's level 6.
struct DeflateStream::Engine {
  isal_zstream stream{};
  std::vector<std::uint8_t> levelBuffer = std::vector<std::uint8_t>(ISAL_DEF_LVL1_DEFAULT);
  std::vector<char> out = std::vector<char>(kOutPiece);

  void start() {
    isal_deflate_init(&stream);
    stream.level = 1;
    stream.level_buf = levelBuffer.data();
    stream.level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
  }
  // Runs the input through; at the end, until the stream is closed.
  void run(std::string_view text, bool last, const Sink& sink) {
    stream.end_of_stream = last ? 1 : 0;
    while (true) {
      const auto n = static_cast<std::uint32_t>(std::min(text.size(), kMaxCall));
      stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
      stream.avail_in = n;
      stream.next_out = reinterpret_cast<std::uint8_t*>(out.data());
      stream.avail_out = static_cast<std::uint32_t>(out.size());
      if (isal_deflate(&stream) != COMP_OK) throw std::runtime_error("deflate failed");
      text.remove_prefix(n - stream.avail_in);
      const std::size_t made = out.size() - stream.avail_out;
      if (made) sink(std::string_view(out.data(), made));
      const bool done = last ? stream.internal_state.state == ZSTATE_END : text.empty() && stream.avail_out != 0;
      if (done) return;
    }
  }
};

struct InflatedText::Engine {
  inflate_state state{};
  Engine() { isal_inflate_init(&state); }
  // Inflates from the front of `packed`, dropping what it read, into
  // [to, to + room); `made`: bytes written. False on corrupt input.
  bool step(std::string_view& packed, char* to, std::size_t room, std::size_t& made, bool& ended) {
    const std::size_t given = std::min(packed.size(), kMaxCall);
    state.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(packed.data()));
    state.avail_in = static_cast<std::uint32_t>(given);
    state.next_out = reinterpret_cast<std::uint8_t*>(to);
    state.avail_out = static_cast<std::uint32_t>(room);
    if (isal_inflate(&state) < 0) return false;
    packed.remove_prefix(given - state.avail_in);
    made = room - state.avail_out;
    ended = state.block_state == ISAL_BLOCK_FINISH;
    return true;
  }
};

#else

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size())));
}

// Level 2 makes sheets about 1.25x the size level 6 does in a third of the
// time.
struct DeflateStream::Engine {
  z_stream stream{};
  bool open = false;
  std::vector<char> out = std::vector<char>(kOutPiece);

  ~Engine() {
    if (open) deflateEnd(&stream);
  }
  void start() {
    if (open) deflateEnd(&stream);
    stream = {};
    if (deflateInit2(&stream, 2, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("deflate failed");
    open = true;
  }
  void run(std::string_view text, bool last, const Sink& sink) {
    while (true) {
      const auto n = static_cast<uInt>(std::min(text.size(), kMaxCall));
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
      stream.avail_in = n;
      stream.next_out = reinterpret_cast<Bytef*>(out.data());
      stream.avail_out = static_cast<uInt>(out.size());
      const int status = deflate(&stream, last && n == text.size() ? Z_FINISH : Z_NO_FLUSH);
      if (status == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
      text.remove_prefix(n - stream.avail_in);
      const std::size_t made = out.size() - stream.avail_out;
      if (made) sink(std::string_view(out.data(), made));
      const bool done = last ? status == Z_STREAM_END : text.empty() && stream.avail_out != 0;
      if (done) return;
    }
  }
};

struct InflatedText::Engine {
  z_stream stream{};
  Engine() {
    if (inflateInit2(&stream, -15) != Z_OK) throw std::bad_alloc();
  }
  ~Engine() { inflateEnd(&stream); }
  bool step(std::string_view& packed, char* to, std::size_t room, std::size_t& made, bool& ended) {
    const std::size_t given = std::min(packed.size(), kMaxCall);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(given);
    stream.next_out = reinterpret_cast<Bytef*>(to);
    stream.avail_out = static_cast<uInt>(room);
    const int status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return false;
    packed.remove_prefix(given - stream.avail_in);
    made = room - stream.avail_out;
    ended = status == Z_STREAM_END;
    return true;
  }
};

#endif


DeflateStream::DeflateStream() : engine_(std::make_unique<Engine>()) {}
DeflateStream::~DeflateStream() = default;

void DeflateStream::begin() {
  engine_->start();
  crc_ = 0;
  size_ = 0;
}

void DeflateStream::add(std::string_view text, const Sink& out) {
  if (text.empty()) return;
  crc_ = Crc32(crc_, text);
  size_ += text.size();
  engine_->run(text, false, out);
}

void DeflateStream::finish(const Sink& out) { engine_->run({}, true, out); }

InflatedText::InflatedText(std::string_view packed, std::uint64_t size, std::uint32_t crc)
    : engine_(std::make_unique<Engine>()), packed_(packed), size_(size), crc_(crc) {}

InflatedText::~InflatedText() = default;

InflatedText::Result InflatedText::more(std::size_t bytes) {
  if (ended_) return Result::Ended;
  if (buffer_.size() < length_ + bytes) buffer_.resize(length_ + bytes);
  const std::size_t before = length_;
  bool ended = false;
  while (length_ < buffer_.size() && !ended) {
    std::size_t made = 0;
    const std::size_t packedBefore = packed_.size();
    if (!engine_->step(packed_, buffer_.data() + length_, buffer_.size() - length_, made, ended)) return Result::Corrupt;
    length_ += made;
    if (made == 0 && packed_.size() == packedBefore && !ended) return Result::Corrupt;  // cut short
  }
  made_ += length_ - before;
  madeCrc_ = Crc32(madeCrc_, std::string_view(buffer_.data() + before, length_ - before));
  if (made_ > size_) return Result::Mismatch;
  if (!ended) return Result::More;
  ended_ = true;
  return made_ == size_ && madeCrc_ == crc_ ? Result::Ended : Result::Mismatch;
}

std::string InflatedText::take() {
  buffer_.resize(length_);
  dropped_ += length_;
  length_ = 0;
  return std::move(buffer_);
}

void InflatedText::drop(std::size_t bytes) {
  bytes = std::min(bytes, length_);
  std::memmove(buffer_.data(), buffer_.data() + bytes, length_ - bytes);
  length_ -= bytes;
  dropped_ += bytes;
}

}  // namespace tavo::xlsx
