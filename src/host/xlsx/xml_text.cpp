#include "host/xlsx/xml_text.h"

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

std::string NumberText(double x) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}

}  // namespace tavo::xlsx
