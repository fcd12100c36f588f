// A colour element of the file (indexed, rgb or theme) as a colour index.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <string>

#include "host/format.h"

namespace tavo::xlsx {

// The twelve colours of a file's theme, as colour elements number them:
// light 1, dark 1, light 2, dark 2, accents 1 to 6, link, followed link.
using ThemeColors = std::array<host::Rgb, 12>;
// Those of the current desktop spreadsheets' default theme.
ThemeColors DefaultThemeColors();
// From the theme part's colour scheme; the default for what it lacks.
ThemeColors ReadThemeColors(const pugi::xml_node& theme);

// 0 when the element names no colour. A theme colour is its theme's colour
// with the element's tint; an RGB colour the palette lacks becomes a file
// colour of the table, exactly as it was.
int ColorIndexOf(const pugi::xml_node& color, host::ColorTable& colors, const ThemeColors& theme = DefaultThemeColors());
// A colour lightened (tint > 0) or darkened (tint < 0) as the files mean it:
// its luminance moved towards white or black by that share.
host::Rgb Tinted(host::Rgb, double tint);

// "FFRRGGBB", as colours are written: every program reads RGB colours, not
// all of them read a workbook's own indexed palette.
std::string Argb(host::Rgb);
std::string Argb(const host::ColorTable&, int index);

}  // namespace tavo::xlsx
