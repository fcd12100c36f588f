// The dialog as the model holds it: a caption and the list ltbCJB.
#pragma once

#include <string>
#include <vector>

#include "host/dialog.h"

namespace tavo::model {

class Dialog final : public host::Dialog {
 public:
  explicit Dialog(std::string caption = "成绩统计") : caption_(std::move(caption)) {}
  std::string caption() const override { return caption_; }
  void addItem(const std::string& s) override { items_.push_back(s); }
  int itemCount() const override { return static_cast<int>(items_.size()); }
  std::string item(int index) const override;
  int listIndex() const override { return index_; }
  void setListIndex(int i) override;
  std::string listValue() const override { return index_ < 0 ? "" : items_[static_cast<std::size_t>(index_)]; }
  // Selects the item with this text; false when the list does not hold it.
  bool select(const std::string& text);

 private:
  std::string caption_;
  std::vector<std::string> items_;
  int index_ = -1;
};

}  // namespace tavo::model
