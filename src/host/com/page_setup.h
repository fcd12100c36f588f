// A worksheet's page set-up: each field is the automation property of the
// same name. Setting one talks to the printer driver (slow, and refused on a
// machine without a printer) unless the application's printer
// communication is off, which the first set of a call turns off.
#pragma once

#include "host/com/dispatch.h"
#include "host/page_setup.h"

namespace tavo::com {

class Application;

class PageSetup final : public host::PageSetup {
 public:
  PageSetup(const Dispatch& sheet, Application& app) : sheet_(sheet), app_(app) {}
  host::Value get(host::PageField) const override;
  void set(host::PageField, const host::Value&) override;

 private:
  const Dispatch& sheet_;
  Application& app_;
};

}  // namespace tavo::com
