#include "host/xlsx/shared_formula.h"

#include <cctype>
#include <optional>

#include "host/address.h"
#include "host/geometry.h"

namespace tavo::xlsx {

namespace {

bool IsWordByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '.' || c == '$' || u >= 0x80;
}

// One side of a reference: "$B$7", "B7", "$B", "7".
struct Part {
  std::optional<int> col, row;
  bool colAbs = false, rowAbs = false;
};

std::optional<Part> ParsePart(std::string_view t, bool columnOnly, bool rowOnly) {
  Part p;
  std::size_t i = 0;
  if (!rowOnly) {
    if (i < t.size() && t[i] == '$') p.colAbs = true, ++i;
    const std::size_t from = i;
    while (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i])) && i - from < 3) ++i;
    if (i == from) return std::nullopt;
    const int col = host::columnNumber(t.substr(from, i - from));
    if (col < 1 || col > host::kMaxCol) return std::nullopt;
    p.col = col;
  }
  if (!columnOnly) {
    if (i < t.size() && t[i] == '$') p.rowAbs = true, ++i;
    const std::size_t from = i;
    long row = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])) && row <= host::kMaxRow)
      row = row * 10 + (t[i++] - '0');
    if (i == from || row < 1 || row > host::kMaxRow) return std::nullopt;
    p.row = static_cast<int>(row);
  }
  if (i != t.size()) return std::nullopt;
  return p;
}

// The part moved; nothing when it leaves the sheet.
std::optional<std::string> Moved(const Part& p, int rows, int columns) {
  std::string out;
  if (p.col) {
    const int col = p.colAbs ? *p.col : *p.col + columns;
    if (col < 1 || col > host::kMaxCol) return std::nullopt;
    out += (p.colAbs ? "$" : "") + host::columnLetters(col);
  }
  if (p.row) {
    const int row = p.rowAbs ? *p.row : *p.row + rows;
    if (row < 1 || row > host::kMaxRow) return std::nullopt;
    out += (p.rowAbs ? "$" : "") + std::to_string(row);
  }
  return out;
}

}  // namespace

std::string ShiftedFormula(std::string_view text, int rows, int columns) {
  std::string out;
  std::size_t i = 0;
  auto word = [&](std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && IsWordByte(text[end])) ++end;
    return end;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' || c == '\'') {  // a string, or a quoted sheet name: as it is
      std::size_t end = i + 1;
      while (end < text.size() && !(text[end] == c && !(end + 1 < text.size() && text[end + 1] == c)))
        end += text[end] == c ? 2 : 1;
      end = std::min(end + 1, text.size());
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == '#') {  // an error such as #REF! or #N/A
      std::size_t end = i + 1;
      while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '/')) ++end;
      if (end < text.size() && (text[end] == '!' || text[end] == '?')) ++end;
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (!IsWordByte(c)) {
      out += c;
      ++i;
      continue;
    }
    const std::size_t end = word(i);
    const std::string_view first = text.substr(i, end - i);
    // A function's or a sheet's name.
    if (end < text.size() && (text[end] == '(' || text[end] == '!')) {
      out.append(first);
      i = end;
      continue;
    }
    // A range of two parts of one kind: cells, whole columns or whole rows.
    if (end < text.size() && text[end] == ':' && end + 1 < text.size() && IsWordByte(text[end + 1])) {
      const std::size_t end2 = word(end + 1);
      const std::string_view second = text.substr(end + 1, end2 - end - 1);
      for (auto [columnOnly, rowOnly] : {std::pair{false, false}, {true, false}, {false, true}}) {
        auto a = ParsePart(first, columnOnly, rowOnly), b = ParsePart(second, columnOnly, rowOnly);
        if (!a || !b) continue;
        auto ma = Moved(*a, rows, columns), mb = Moved(*b, rows, columns);
        out += ma && mb ? *ma + ":" + *mb : "#REF!";
        i = end2;
        break;
      }
      if (i == end2) continue;
    }
    if (auto p = ParsePart(first, false, false)) {
      auto m = Moved(*p, rows, columns);
      out += m ? *m : "#REF!";
    } else {
      out.append(first);  // a number, a name, TRUE
    }
    i = end;
  }
  return out;
}

}  // namespace tavo::xlsx
