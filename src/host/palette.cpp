#include "host/format.h"

namespace tavo::host {

std::array<Rgb, 56> classicPalette() {
  return {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
          0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
          0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
          0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
          0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
          0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
          0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
}

Rgb ColorTable::at(int index) const {
  if (index >= 1 && index <= 56) return palette[static_cast<std::size_t>(index - 1)];
  if (has(index)) return fileColors[static_cast<std::size_t>(index - 57)];
  return 0;
}

int ColorTable::indexOf(Rgb c) {
  c &= 0xFFFFFF;
  for (int k = 0; k < 56; ++k)
    if (palette[static_cast<std::size_t>(k)] == c) return k + 1;
  for (std::size_t k = 0; k < fileColors.size(); ++k)
    if (fileColors[k] == c) return 57 + static_cast<int>(k);
  fileColors.push_back(c);
  return 56 + static_cast<int>(fileColors.size());
}

}  // namespace tavo::host
