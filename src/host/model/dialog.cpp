#include "host/model/dialog.h"

#include "host/value.h"

namespace tavo::model {

std::string Dialog::item(int index) const {
  if (index < 0 || index >= itemCount()) throw host::HostError::refused("列表索引无效");
  return items_[static_cast<std::size_t>(index)];
}

void Dialog::setListIndex(int i) {
  if (i < -1 || i >= itemCount()) throw host::HostError::refused("列表索引无效");
  index_ = i;
}

bool Dialog::select(const std::string& text) {
  for (int i = 0; i < itemCount(); ++i)
    if (items_[static_cast<std::size_t>(i)] == text) {
      index_ = i;
      return true;
    }
  return false;
}

}  // namespace tavo::model
