// The system workbook's dialog through its automation object: its caption
// and the list box ltbCJB.
#pragma once

#include "host/com/dispatch.h"
#include "host/dialog.h"

namespace tavo::com {

class Dialog final : public host::Dialog {
 public:
  explicit Dialog(Dispatch form) : form_(std::move(form)) {}
  std::string caption() const override { return ToText(*form_.get("Caption")); }
  void addItem(const std::string& item) override { list().call("AddItem", {Variant(item)}); }
  int itemCount() const override { return ToInt(*list().get("ListCount")); }
  std::string item(int index) const override { return ToText(*list().get("List", {Variant(index)})); }
  int listIndex() const override { return ToInt(*list().get("ListIndex")); }
  void setListIndex(int i) override { list().put("ListIndex", i); }
  std::string listValue() const override { return ToText(*list().get("Value")); }

 private:
  Dispatch list() const { return form_.object("ltbCJB", "ListBox"); }
  Dispatch form_;
};

}  // namespace tavo::com
