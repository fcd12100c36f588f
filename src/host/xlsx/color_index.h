// A colour element of the file (indexed, rgb or theme) as a palette index.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <string>

#include "host/format.h"

namespace tavo::xlsx {

// 0 when the element names no colour. An RGB colour outside the palette
// takes its nearest entry, which keeps the look.
int PaletteIndexOf(const pugi::xml_node& color, const std::array<host::Rgb, 56>& palette);

// "FFRRGGBB", as colours are written: every program reads RGB colours, not
// all of them read a workbook's own indexed palette.
std::string Argb(host::Rgb);
std::string Argb(const std::array<host::Rgb, 56>& palette, int index);  // index 1..56

}  // namespace tavo::xlsx
