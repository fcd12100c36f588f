// Page set-up of a worksheet, addressed by field so that a stored layout can
// be written back in its own order. Setters take a value as the automation
// property would: the host refuses what it cannot take (HostError 1004).
#pragma once

#include <string>

#include "host/value.h"

namespace tavo::host {

enum class PageField {
  TopMargin,
  BottomMargin,
  FooterMargin,
  Orientation,
  PaperSize,
  Zoom,
  CenterHorizontally,
  LeftMargin,
  RightMargin,
  HeaderMargin,
  CenterFooter,
  PrintTitleRows,
};

class PageSetup {
 public:
  virtual ~PageSetup() = default;
  virtual Value get(PageField) const = 0;
  virtual void set(PageField, const Value&) = 0;
};

}  // namespace tavo::host
