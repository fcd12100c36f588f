// A1 addresses in the host's notation: "B3", "$A$1:C4", "1:1", "L:Q",
// and lists joined by commas ("1:1,4:11,14:61").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/geometry.h"

namespace tavo::host {

std::string columnLetters(int col);            // 1 -> "A", 28 -> "AB"
int columnNumber(std::string_view letters);    // "AB" -> 28, 0 when invalid
std::string a1(Cell);                          // "B3"
std::string a1(const Rect&);                   // "B3:C4", "1:1", "L:Q", "B3"
// Cells only, as files store a range: "A1:XFD1" for row 1, "B3" for B3.
std::string a1Cells(const Rect&);

// Throws HostError 1004 on an address the host would refuse.
Rect parseRect(std::string_view address);
std::vector<Rect> parseAddress(std::string_view addressList);

}  // namespace tavo::host
