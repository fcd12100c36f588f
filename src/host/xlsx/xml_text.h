// Text as it goes into the XML of a part.
#pragma once

#include <string>
#include <string_view>

namespace tavo::xlsx {

// Escapes markup; characters XML cannot carry (control characters other
// than tab, line feed and carriage return) are written as _xHHHH_, the
// format's own escape, and read back by UnescapeText.
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);
std::string UnescapeText(std::string_view text);

// Numbers as the format stores them: the shortest text that reads back to
// the same double.
std::string NumberText(double);
// The same text written at `to`, which has room for kMaxNumberText
// characters; returns where it ends.
inline constexpr std::size_t kMaxNumberText = 32;
char* WriteNumberText(char* to, double);

}  // namespace tavo::xlsx
