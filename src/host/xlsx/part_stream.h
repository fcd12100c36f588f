// A part's text as it is made, handed on in pieces: a sheet of millions of
// cells is never one string in memory, and what receives it (the deflater,
// a digest, a string) takes each piece as it comes.
#pragma once

#include <charconv>
#include <cstring>
#include <memory>
#include <functional>
#include <string>
#include <string_view>

namespace tavo::xlsx {

class PartStream {
 public:
  using Sink = std::function<void(std::string_view)>;
  explicit PartStream(Sink sink) : sink_(std::move(sink)), buffer_(new char[kCapacity]) {}
  PartStream(const PartStream&) = delete;
  PartStream& operator=(const PartStream&) = delete;

  PartStream& operator+=(std::string_view text) {
    if (text.size() > kCapacity - size_) {
      flush();
      if (text.size() > kCapacity) {
        sink_(text);
        return *this;
      }
    }
    std::memcpy(buffer_.get() + size_, text.data(), text.size());
    size_ += text.size();
    if (size_ >= kPiece) flush();
    return *this;
  }
  PartStream& operator+=(char c) { return *this += std::string_view(&c, 1); }
  PartStream& operator+=(int n) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return *this += std::string_view(digits, static_cast<std::size_t>(end - digits));
  }

  // Room for up to kRoom characters written in place, which end where
  // wrote() is told: a cell's text without a call per piece of it.
  static constexpr std::size_t kRoom = 1024;
  char* room() {
    if (size_ > kCapacity - kRoom) flush();
    return buffer_.get() + size_;
  }
  void wrote(char* end) {
    size_ = static_cast<std::size_t>(end - buffer_.get());
    if (size_ >= kPiece) flush();
  }

  // Hands on what is left; the part is complete.
  void flush() {
    if (size_) sink_(std::string_view(buffer_.get(), size_));
    size_ = 0;
  }

  // A whole part as one string, for small parts and tests.
  template <class Write>
  static std::string Collect(Write&& write) {
    std::string text;
    PartStream out([&](std::string_view piece) { text.append(piece); });
    write(out);
    out.flush();
    return text;
  }

 private:
  static constexpr std::size_t kPiece = 1 << 18;
  static constexpr std::size_t kCapacity = kPiece + 4096;
  Sink sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
};

}  // namespace tavo::xlsx
