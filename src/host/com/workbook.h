// A workbook through its automation object.
#pragma once

#include "host/com/dispatch.h"
#include "host/workbook.h"

namespace tavo::com {

class Application;

class Workbook final : public host::Workbook {
 public:
  Workbook(Dispatch book, Application& app) : book_(std::move(book)), app_(app) {}

  std::string name() const override { return ToText(*book_.get("Name")); }
  // The local folder, also of a workbook kept in a synced cloud folder.
  std::string path() const override;
  int sheetCount() const override;
  host::Worksheet& sheet(int index) override;
  host::Worksheet& sheet(const std::string& name) override;
  host::Worksheet* findSheet(const std::string& name) override;
  host::Worksheet& addSheet(host::Worksheet* before) override;
  void deleteSheet(host::Worksheet&) override;
  host::Worksheet& activeSheet() override;
  void activate() override { book_.call("Activate"); }
  void close() override;
  host::Window& window() override;
  host::Chart& addChartSheet() override;
  host::Chart& locateChart(host::Chart& onChartSheet, host::Worksheet& on) override;
  host::Rgb color(int index) const override;
  void setColor(int index, host::Rgb) override;

  const Dispatch& object() const { return book_; }

 private:
  Dispatch sheets() const { return book_.object("Worksheets", "Sheets"); }

  Dispatch book_;
  Application& app_;
};

}  // namespace tavo::com
