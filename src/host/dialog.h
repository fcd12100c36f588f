// The dialog of the system workbook: its caption and the list ltbCJB.
#pragma once

#include <string>

namespace tavo::host {

class Dialog {
 public:
  virtual ~Dialog() = default;
  virtual std::string caption() const = 0;
  virtual void addItem(const std::string&) = 0;
  virtual int itemCount() const = 0;
  virtual std::string item(int index) const = 0;  // 0-based, as ListIndex
  virtual int listIndex() const = 0;              // -1 when nothing is selected
  virtual void setListIndex(int) = 0;
  virtual std::string listValue() const = 0;  // the selected item, "" when none
};

}  // namespace tavo::host
