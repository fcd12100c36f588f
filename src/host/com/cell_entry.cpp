#include "host/com/cell_entry.h"

#include <algorithm>
#include <cctype>

namespace tavo::com {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// What the spreadsheet might read as something other than text: dates,
// times, fractions, percentages, currency and grouped numbers all carry a
// digit; formulas and signs start with one of a few characters; and the
// two truth values. Plain words (names, subjects) pass untouched.
bool SpreadsheetMightConvert(std::string_view text) {
  if (text.empty()) return false;
  if (std::string_view("=+-'@").find(text.front()) != std::string_view::npos) return true;
  if (EqualsIgnoringCase(text, "true") || EqualsIgnoringCase(text, "false")) return true;
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string EntryText(std::string_view text, Entry entry) {
  const bool modelMakesANumber = host::parseDecimal(text).has_value();
  if (entry == Entry::Typed && modelMakesANumber) return std::string(text);
  if (!modelMakesANumber && !SpreadsheetMightConvert(text)) return std::string(text);
  return "'" + std::string(text);
}

Variant EntryValue(const host::Value& v, Entry entry) {
  if (v.isText() && !v.text().empty()) return Variant(EntryText(v.text(), entry));
  return Variant(v);
}

Variant EntryGrid(const host::Grid& grid, Entry entry) {
  host::Grid entered = grid;
  for (host::Value& v : entered.cells)
    if (v.isText() && !v.text().empty()) {
      std::string text = EntryText(v.text(), entry);
      if (text.size() != v.text().size()) v = host::Value(std::move(text));
    }
  return FromGrid(entered);
}

}  // namespace tavo::com
