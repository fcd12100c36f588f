// "Every failing step is skipped silently": each step runs on its own, and a
// host error ends only that step. The commands that the host's automation
// ran with errors resumed at the next statement use this, and nothing else.
#pragma once

#include "host/value.h"

namespace tavo::sheetutil {

class SkipFailures {
 public:
  template <class Step>
  SkipFailures& operator()(Step&& step) {
    try {
      step();
    } catch (const host::HostError&) {
      ++skipped_;
    }
    return *this;
  }
  int skipped() const { return skipped_; }

 private:
  int skipped_ = 0;
};

}  // namespace tavo::sheetutil
