#include "host/model/style_table.h"

#include <functional>

namespace tavo::model {

StyleTable::StyleTable() {
  formats_.emplace_back();  // id 0 stands for "inherit"; reads as the default
  intern(host::Format{});
}

std::size_t StyleTable::Hash::operator()(const host::Format& f) const {
  std::size_t h = std::hash<std::string>{}(f.font.name);
  auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
  mix(std::hash<double>{}(f.font.size));
  mix(static_cast<std::size_t>(f.font.bold));
  mix(static_cast<std::size_t>(f.font.underline));
  mix(static_cast<std::size_t>(f.font.colorIndex));
  mix(static_cast<std::size_t>(f.fill.colorIndex));
  mix(static_cast<std::size_t>(f.border));
  mix(static_cast<std::size_t>(f.horizontalAlignment));
  mix(static_cast<std::size_t>(f.verticalAlignment));
  mix(std::hash<std::string>{}(f.numberFormat));
  return h;
}

StyleId StyleTable::intern(const host::Format& f) {
  auto it = index_.find(f);
  if (it != index_.end()) return it->second;
  // A slot keeps 24 bits of style id; a file holds 64,000 formats at most.
  if (formats_.size() > Slot::kStyleMask) throw host::HostError::refused("工作簿的格式种类太多");
  auto id = static_cast<StyleId>(formats_.size());
  formats_.push_back(f);
  index_.emplace(f, id);
  return id;
}

StyleId StyleTable::patched(StyleId id, const host::FormatPatch& patch) {
  host::Format f = get(id);
  patch.applyTo(f);
  return intern(f);
}

}  // namespace tavo::model
