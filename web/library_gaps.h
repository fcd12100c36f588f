// What the C++ library of the browser build (emscripten 3.1.6's libc++)
// lacks and the native one has: std::bit_cast, and std::to_chars and
// std::from_chars for double. Given here, with the native results to the
// character, and included ahead of every source of the browser build only,
// so that the sources stay as they are.
#pragma once

#if defined(__EMSCRIPTEN__) && defined(__cplusplus)
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <unordered_map>

namespace std {

#ifndef __cpp_lib_bit_cast
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
#endif

namespace tavo_gaps {

inline to_chars_result Put(char* first, char* last, const std::string& text) {
  if (static_cast<std::size_t>(last - first) < text.size()) return {last, errc::value_too_large};
  std::memcpy(first, text.data(), text.size());
  return {first + text.size(), errc{}};
}

// The shortest text that reads back as the same double, laid out as the
// native library does: plain digits unless the exponent form is shorter.
inline std::string Shortest(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  char buffer[64];
  int precision = 1;
  for (; precision < 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
  // d.ddde±XX: the significant digits without trailing zeros, the exponent.
  std::string text = buffer;
  const bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = text.substr(0, 1) + (e > 2 ? text.substr(2, e - 2) : "");
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int n = static_cast<int>(digits.size());
  std::string scientific = digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : "") + "e" +
                           (exponent < 0 ? "-" : "+") + (std::abs(exponent) < 10 ? "0" : "") +
                           std::to_string(std::abs(exponent));
  std::string fixed;
  if (exponent >= n - 1) fixed = digits + std::string(static_cast<std::size_t>(exponent - (n - 1)), '0');
  else if (exponent >= 0) fixed = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." + digits.substr(static_cast<std::size_t>(exponent) + 1);
  else fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  return (negative ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace tavo_gaps

// Scores repeat: each distinct value is worked out once.
inline to_chars_result to_chars(char* first, char* last, double value) {
  thread_local std::unordered_map<std::uint64_t, std::string> known;
  const auto bits = __builtin_bit_cast(std::uint64_t, value);
  auto it = known.find(bits);
  if (it == known.end()) {
    if (known.size() > 65536) known.clear();
    it = known.emplace(bits, tavo_gaps::Shortest(value)).first;
  }
  return tavo_gaps::Put(first, last, it->second);
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
  char buffer[512];
  const char* pattern = format == chars_format::fixed ? "%.*f" : format == chars_format::scientific ? "%.*e" : "%.*g";
  const int n = std::snprintf(buffer, sizeof buffer, pattern, precision, value);
  if (n < 0 || n >= static_cast<int>(sizeof buffer)) return {last, errc::value_too_large};
  return tavo_gaps::Put(first, last, std::string(buffer, static_cast<std::size_t>(n)));
}

// As the native library reads: no leading space or plus sign, no hex.
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
  const char* p = first;
  if (p != last && *p == '-') ++p;
  if (p == last || std::isspace(static_cast<unsigned char>(*p)) || *p == '+') return {first, errc::invalid_argument};
  std::string text(first, last);
  if (p + 1 < last && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) text.resize(static_cast<std::size_t>(p - first) + 1);
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (end == text.c_str()) return {first, errc::invalid_argument};
  const char* stop = first + (end - text.c_str());
  if (errno == ERANGE) return {stop, errc::result_out_of_range};
  value = parsed;
  return {stop, errc{}};
}

}  // namespace std
#endif
