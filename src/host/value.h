// Cell values as the host sees them, the host's error, and the conversions
// the commands rely on (the classic automation runtime's rules).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace tavo::host {

enum class ErrorKind : std::uint8_t { Div0, Value, Ref, NA, Name, Num, Null };

std::string_view errorText(ErrorKind);                        // "#DIV/0!" ...
std::optional<ErrorKind> errorFromText(std::string_view);

// A failing host operation or conversion. Numbers and descriptions follow the
// classic runtime: 13 type mismatch, 9 subscript out of range, 6 overflow,
// 11 division by zero; host refusals are 1004.
struct HostError : std::runtime_error {
  // What went wrong, whatever number the host gave it: the conversions of
  // the classic automation runtime, a host's refusal, anything else.
  enum class Kind { TypeMismatch, SubscriptOutOfRange, Overflow, DivisionByZero, Refused, Other };

  HostError(int number, std::string description);
  int number;
  std::string description;

  Kind kind() const;
  // "错误[N]\r" and the description, as the error box shows it.
  std::string boxText() const;

  static HostError typeMismatch();
  static HostError subscriptOutOfRange();
  static HostError overflow();
  static HostError divisionByZero();
  static HostError refused(std::string description);
};

class Value {
 public:
  enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error };

  Value() = default;
  Value(double n) : v_(n) {}
  Value(int n) : v_(static_cast<double>(n)) {}
  Value(long n) : v_(static_cast<double>(n)) {}
  Value(long long n) : v_(static_cast<double>(n)) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(bool b) : v_(b) {}
  Value(ErrorKind e) : v_(e) {}

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isNumber() const { return kind() == Kind::Number; }
  bool isText() const { return kind() == Kind::Text; }
  bool isBoolean() const { return kind() == Kind::Boolean; }
  bool isError() const { return kind() == Kind::Error; }

  double number() const { return std::get<double>(v_); }
  const std::string& text() const { return std::get<std::string>(v_); }
  bool boolean() const { return std::get<bool>(v_); }
  ErrorKind error() const { return std::get<ErrorKind>(v_); }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  std::variant<std::monostate, double, std::string, bool, ErrorKind> v_;
};

// "1E-05", "105", "0.5", "-2": up to 15 significant digits, exponent form only
// outside 1e-4 <= |x| < 1e15.
std::string numberToText(double);
// `x` as a count of tenths where it is exactly the double "tenths / 10"
// reads as and below 1e9 in size, as scores and ranks are: such a number's
// text is its digits, so it is written and measured without a general
// conversion. Nothing for 0, which may be -0.
std::optional<long long> exactTenths(double x);
int digitCount(unsigned long long n);  // decimal digits, 1 for 0

// Text that reads as a decimal number: optional spaces around, sign, digits,
// point, exponent. Anything else gives nothing.
std::optional<double> parseDecimal(std::string_view);

// How the cell would show in general format: numbers as numberToText,
// booleans "TRUE"/"FALSE", errors their text.
std::string displayText(const Value&);

// Characters (code points) of UTF-8 text, as the host counts them.
int characterCount(std::string_view utf8);
// The bytes the first `n` characters take (all of them when fewer).
std::size_t characterBytes(std::string_view utf8, int n);

// Reading a value "as a number": empty 0, numeric text its number, other text
// or an error raises type mismatch. Booleans read as -1 / 0 (runtime rule).
double toNumber(const Value&);
// Whole number, halves to even; overflow (error 6) outside 32-bit range.
std::int32_t toInteger(const Value&);
std::int32_t roundToInteger(double);
// Reading a value "as text": numbers in their default form, empty "".
std::string toText(const Value&);

// Comparison with a numeric threshold used by the counting routines:
// empty is 0, numbers by value, text and errors above every number.
bool atOrAbove(const Value&, double threshold);

// Text as the host matches it in a search: letters A-Z alike in either case.
bool equalsIgnoringCase(std::string_view, std::string_view);

// Sheet names as the host tells them apart: letters alike in either case,
// beyond ASCII too (Latin, Greek, Cyrillic, full-width letters).
bool sameSheetName(std::string_view, std::string_view);

// The host's sort order of ascending keys, as -1, 0 or 1: numbers by value
// < text (letter case ignored, then by code point) < booleans (FALSE first)
// < errors; empty cells after everything.
int compareTextInSortOrder(std::string_view, std::string_view);
int compareInSortOrder(const Value&, const Value&);

}  // namespace tavo::host
