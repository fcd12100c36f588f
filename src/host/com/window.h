// A workbook's window, through its automation object.
#pragma once

#include "host/com/dispatch.h"
#include "host/window.h"

namespace tavo::com {

class Window final : public host::Window {
 public:
  explicit Window(Dispatch window) : window_(std::move(window)) {}
  int splitRow() const override { return ToInt(*window_.get("SplitRow")); }
  void setSplitRow(int r) override { window_.put("SplitRow", r); }
  int splitColumn() const override { return ToInt(*window_.get("SplitColumn")); }
  void setSplitColumn(int c) override { window_.put("SplitColumn", c); }
  bool freezePanes() const override { return ToBool(*window_.get("FreezePanes")); }
  void setFreezePanes(bool b) override { window_.put("FreezePanes", b); }
  int scrollRow() const override { return ToInt(*window_.get("ScrollRow")); }
  void setScrollRow(int r) override { window_.put("ScrollRow", r); }
  int scrollColumn() const override { return ToInt(*window_.get("ScrollColumn")); }
  void setScrollColumn(int c) override { window_.put("ScrollColumn", c); }
  double tabRatio() const override { return ToNumber(*window_.get("TabRatio")); }
  void setTabRatio(double r) override { window_.put("TabRatio", r); }

 private:
  Dispatch window_;
};

}  // namespace tavo::com
