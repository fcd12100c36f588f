// A worksheet's page set-up: each field is the automation property of the
// same name.
#pragma once

#include "host/com/dispatch.h"
#include "host/page_setup.h"

namespace tavo::com {

class PageSetup final : public host::PageSetup {
 public:
  explicit PageSetup(const Dispatch& sheet) : sheet_(sheet) {}
  host::Value get(host::PageField) const override;
  void set(host::PageField, const host::Value&) override;

 private:
  const Dispatch& sheet_;
};

}  // namespace tavo::com
