#include "host/xlsx/xml_text.h"

#include "host/value.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace tavo::xlsx {

namespace {

// "_x0041_" in a text stands for "A"; a literal one escapes its underscore.
bool LooksLikeEscape(std::string_view text, std::size_t i) {
  if (i + 6 >= text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return false;
  for (std::size_t k = i + 2; k < i + 6; ++k)
    if (!std::isxdigit(static_cast<unsigned char>(text[k]))) return false;
  return true;
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    auto u = static_cast<unsigned char>(ch);
    if (LooksLikeEscape(text, i)) {
      out += "_x005F_";
      continue;
    }
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      case '\t': out += "&#9;"; break;
      default:
        if (u < 0x20) {
          char buf[10];
          std::snprintf(buf, sizeof buf, "_x%04X_", u);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::string UnescapeText(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
      unsigned v = 0;
      auto r = std::from_chars(text.data() + i + 2, text.data() + i + 6, v, 16);
      if (r.ec == std::errc() && r.ptr == text.data() + i + 6 && v < 0x80) {
        out += static_cast<char>(v);
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// Scores and ranks are whole or have one decimal: written as integers, which
// is several times faster than the general shortest-text search and gives
// the same text. Whatever is not plainly such a number takes the general way.
char* WriteNumberText(char* to, double x) {
  if (const auto tenths = host::exactTenths(x)) {
    const auto magnitude = static_cast<unsigned long long>(*tenths < 0 ? -*tenths : *tenths);
    const unsigned long long whole = magnitude / 10, tenth = magnitude % 10;
    // "1e+05" is shorter than "100000" and is what the general way writes.
    bool fixed = true;
    if (tenth == 0 && whole >= 100000) {
      int zeros = 0;
      for (unsigned long long n = whole; n % 10 == 0; n /= 10) ++zeros;
      const int digits = host::digitCount(whole), significant = digits - zeros;
      fixed = significant + (significant > 1 ? 1 : 0) + 4 >= digits;
    }
    if (fixed) {
      if (*tenths < 0) *to++ = '-';
      to = std::to_chars(to, to + kMaxNumberText, whole).ptr;
      if (tenth) {
        *to++ = '.';
        *to++ = static_cast<char>('0' + tenth);
      }
      return to;
    }
  }
  return std::to_chars(to, to + kMaxNumberText, x).ptr;
}

std::string NumberText(double x) {
  char buf[kMaxNumberText];
  return std::string(buf, WriteNumberText(buf, x));
}

}  // namespace tavo::xlsx
