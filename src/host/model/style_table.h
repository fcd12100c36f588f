// The workbook's formats, interned: cells hold a StyleId.
#pragma once

#include <unordered_map>
#include <vector>

#include "host/format.h"
#include "host/model/cell_store.h"

namespace tavo::model {

class StyleTable {
 public:
  StyleTable();
  StyleId intern(const host::Format&);
  const host::Format& get(StyleId id) const { return formats_[id == 0 ? kDefault : id]; }
  StyleId defaultStyle() const { return kDefault; }
  // The style that results from applying `patch` to `id`, cached per call site.
  StyleId patched(StyleId id, const host::FormatPatch& patch);
  std::size_t size() const { return formats_.size(); }

  static constexpr StyleId kDefault = 1;

 private:
  struct Hash {
    std::size_t operator()(const host::Format& f) const;
  };
  std::vector<host::Format> formats_;
  std::unordered_map<host::Format, StyleId, Hash> index_;
};

}  // namespace tavo::model
