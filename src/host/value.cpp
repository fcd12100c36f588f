#include "host/value.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavo::host {

namespace {
constexpr std::array<std::string_view, 7> kErrorTexts = {
    "#DIV/0!", "#VALUE!", "#REF!", "#N/A", "#NAME?", "#NUM!", "#NULL!"};
}

std::string_view errorText(ErrorKind e) { return kErrorTexts[static_cast<int>(e)]; }

std::optional<ErrorKind> errorFromText(std::string_view s) {
  for (std::size_t i = 0; i < kErrorTexts.size(); ++i)
    if (kErrorTexts[i] == s) return static_cast<ErrorKind>(i);
  return std::nullopt;
}

HostError::HostError(int n, std::string d)
    : std::runtime_error(d), number(n), description(std::move(d)) {}

HostError HostError::typeMismatch() { return {13, "类型不匹配"}; }
HostError HostError::subscriptOutOfRange() { return {9, "下标越界"}; }
HostError HostError::overflow() { return {6, "溢出"}; }
HostError HostError::divisionByZero() { return {11, "除数为零"}; }
HostError HostError::refused(std::string d) { return {1004, std::move(d)}; }

HostError::Kind HostError::kind() const {
  switch (number) {
    case 13: return Kind::TypeMismatch;
    case 9: return Kind::SubscriptOutOfRange;
    case 6: return Kind::Overflow;
    case 11: return Kind::DivisionByZero;
    case 1004: return Kind::Refused;
    default: return Kind::Other;
  }
}

std::string HostError::boxText() const { return "错误[" + std::to_string(number) + "]\r" + description; }

std::string numberToText(double x) {
  if (std::isnan(x) || std::isinf(x)) return "#NUM!";
  if (x == 0) return "0";
  // As printf's "%.15G" would write it (trailing zeros stripped, "1E-05"),
  // without its slow multi-precision path.
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  for (char* p = buf; p != r.ptr; ++p)
    if (*p == 'e') *p = 'E';
  return std::string(buf, r.ptr);
}

std::optional<long long> exactTenths(double x) {
  if (x == 0 || !(std::abs(x) < 1e9)) return std::nullopt;
  const long long tenths = std::llround(x * 10);
  // Below 1e9 no other text of as few digits reads back as this double.
  if (static_cast<double>(tenths) / 10 != x) return std::nullopt;
  return tenths;
}

int digitCount(unsigned long long n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

std::optional<double> parseDecimal(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  if (b == e) return std::nullopt;
  std::size_t i = b;
  if (s[i] == '+' || s[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < e && s[i] == '.') {
    ++i;
    while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < e && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < e && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != e) return std::nullopt;
  std::string copy(s.substr(b, e - b));
  errno = 0;
  double v = std::strtod(copy.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(v)) return std::nullopt;
  return v;
}

int characterCount(std::string_view utf8) {
  int n = 0;
  for (unsigned char ch : utf8) n += (ch & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::size_t characterBytes(std::string_view utf8, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n && at < utf8.size(); ++i) {
    ++at;
    while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) ++at;
  }
  return at;
}

std::string displayText(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty: return "";
    case Value::Kind::Number: return numberToText(v.number());
    case Value::Kind::Text: return v.text();
    case Value::Kind::Boolean: return v.boolean() ? "TRUE" : "FALSE";
    case Value::Kind::Error: return std::string(errorText(v.error()));
  }
  return "";
}

double toNumber(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Empty: return 0;
    case Value::Kind::Number: return v.number();
    case Value::Kind::Boolean: return v.boolean() ? -1 : 0;
    case Value::Kind::Text:
      if (auto d = parseDecimal(v.text())) return *d;
      throw HostError::typeMismatch();
    case Value::Kind::Error: throw HostError::typeMismatch();
  }
  throw HostError::typeMismatch();
}

std::int32_t roundToInteger(double x) {
  double r = std::nearbyint(x);  // default rounding mode: halves to even
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw HostError::overflow();
  return static_cast<std::int32_t>(r);
}

std::int32_t toInteger(const Value& v) { return roundToInteger(toNumber(v)); }

std::string toText(const Value& v) {
  if (v.isBoolean()) return v.boolean() ? "True" : "False";
  if (v.isError()) throw HostError::typeMismatch();
  return displayText(v);
}

bool atOrAbove(const Value& v, double threshold) {
  switch (v.kind()) {
    case Value::Kind::Empty: return 0 >= threshold;
    case Value::Kind::Number: return v.number() >= threshold;
    case Value::Kind::Text:
    case Value::Kind::Error: return true;
    case Value::Kind::Boolean: return (v.boolean() ? -1.0 : 0.0) >= threshold;
  }
  return true;
}

namespace {
int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }
int sign(auto d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }
}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

namespace {

// The lower-case letter of an upper-case one; anything else as it is.
char32_t LowerLetter(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0 ? c + 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

// The next code point of UTF-8 text; a byte that starts none stands for itself.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  const int length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  if (length == 1 || i + length > s.size()) return static_cast<char32_t>(s[i++] & 0xFF);
  char32_t c = b & (0x7F >> length);
  for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += length;
  return c;
}

}  // namespace

bool sameSheetName(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size())
    if (LowerLetter(NextCodePoint(a, i)) != LowerLetter(NextCodePoint(b, j))) return false;
  return i == a.size() && j == b.size();
}

int compareTextInSortOrder(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (int d = lower(a[i]) - lower(b[i])) return sign(d);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return sign(a.compare(b));
}

int compareInSortOrder(const Value& a, const Value& b) {
  auto rank = [](const Value& v) {
    switch (v.kind()) {
      case Value::Kind::Number: return 0;
      case Value::Kind::Text: return 1;
      case Value::Kind::Boolean: return 2;
      case Value::Kind::Error: return 3;
      case Value::Kind::Empty: break;
    }
    return 4;
  };
  const int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (a.kind()) {
    case Value::Kind::Number: return a.number() < b.number() ? -1 : (a.number() > b.number() ? 1 : 0);
    case Value::Kind::Text: return compareTextInSortOrder(a.text(), b.text());
    case Value::Kind::Boolean: return sign(int(a.boolean()) - int(b.boolean()));
    default: return 0;
  }
}

}  // namespace tavo::host
