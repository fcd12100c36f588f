// One wrapper per automation object, found by the object's identity, so that
// the references the host boundary hands out stay the same for one object.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "host/com/dispatch.h"

namespace tavo::com {

template <class T>
class Wrappers {
 public:
  template <class... Args>
  T& of(const Dispatch& object, Args&&... args) {
    std::unique_ptr<T>& slot = wrappers_[object.identity()];
    if (!slot) slot = std::make_unique<T>(object, std::forward<Args>(args)...);
    return *slot;
  }
  // The wrapper stays alive (callers may still hold it) but is found no more.
  void forget(const T& wrapper) {
    for (auto it = wrappers_.begin(); it != wrappers_.end(); ++it)
      if (it->second.get() == &wrapper) {
        retired_.push_back(std::move(it->second));
        wrappers_.erase(it);
        return;
      }
  }

 private:
  std::map<IUnknown*, std::unique_ptr<T>> wrappers_;
  std::vector<std::unique_ptr<T>> retired_;
};

}  // namespace tavo::com
