// Page set-up values of a sheet, with the host's defaults and refusals.
#pragma once

#include <string>

#include "host/page_setup.h"

namespace tavo::model {

struct PageSettings {
  double topMargin = 54, bottomMargin = 54, leftMargin = 50.4, rightMargin = 50.4;
  double headerMargin = 21.6, footerMargin = 21.6;
  int orientation = 1;
  int paperSize = 9;
  int zoom = 100;
  bool centerHorizontally = false;
  std::string centerFooter;
  std::string printTitleRows;  // "$1:$2" or ""
  // What files carry beyond the commands' settings, kept as they were.
  bool paperSizeGiven = true;  // false for a file's sheet that names none
  std::string header;          // the whole page header, section codes and all
  std::string leftFooter, rightFooter;
  bool fitToPage = false;
  int fitToWidth = 1, fitToHeight = 1;  // pages; 0 leaves that direction free
  bool printGridlines = false;
  std::string printArea;  // "$A$1:$H$20" areas joined by ",", or ""
  friend bool operator==(const PageSettings&, const PageSettings&) = default;
};

class ModelPageSetup final : public host::PageSetup {
 public:
  host::Value get(host::PageField) const override;
  // Empty values and values out of the host's range are refused (1004).
  void set(host::PageField, const host::Value&) override;
  PageSettings settings;
};

}  // namespace tavo::model
