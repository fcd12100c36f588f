#include "host/model/number_format.h"

#include <cstdio>

namespace tavo::model {

std::string formatForDisplay(const host::Value& v, const std::string& fmt) {
  if (!v.isNumber()) return host::displayText(v);
  // "0", "0.0", "0.00", ...: a fixed number of decimals.
  if (!fmt.empty() && fmt[0] == '0') {
    std::size_t dot = fmt.find('.');
    int decimals = 0;
    if (dot != std::string::npos)
      while (dot + 1 + static_cast<std::size_t>(decimals) < fmt.size() && fmt[dot + 1 + static_cast<std::size_t>(decimals)] == '0') ++decimals;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v.number());
    return buf;
  }
  return host::numberToText(v.number());
}

int displayWidth(std::string_view s) {
  int width = 0;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = c;
    int len = 1;
    if (c >= 0xF0) len = 4, cp = c & 0x07;
    else if (c >= 0xE0) len = 3, cp = c & 0x0F;
    else if (c >= 0xC0) len = 2, cp = c & 0x1F;
    for (int k = 1; k < len && i + static_cast<std::size_t>(k) < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
    i += static_cast<std::size_t>(len);
    bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
    width += wide ? 2 : 1;
  }
  return width;
}

}  // namespace tavo::model
