// A part's text as it is made, handed on in pieces: a sheet of millions of
// cells is never one string in memory, and what receives it (the deflater,
// a digest, a string) takes each piece as it comes.
#pragma once

#include <charconv>
#include <functional>
#include <string>
#include <string_view>

namespace tavo::xlsx {

class PartStream {
 public:
  using Sink = std::function<void(std::string_view)>;
  explicit PartStream(Sink sink) : sink_(std::move(sink)) { buffer_.reserve(kPiece + 4096); }
  PartStream(const PartStream&) = delete;
  PartStream& operator=(const PartStream&) = delete;

  PartStream& operator+=(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kPiece) flush();
    return *this;
  }
  PartStream& operator+=(char c) {
    buffer_.push_back(c);
    return *this;
  }
  PartStream& operator+=(int n) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return *this += std::string_view(digits, static_cast<std::size_t>(end - digits));
  }
  // Hands on what is left; the part is complete.
  void flush() {
    if (!buffer_.empty()) sink_(buffer_);
    buffer_.clear();
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
  Sink sink_;
  std::string buffer_;
};

}  // namespace tavo::xlsx
