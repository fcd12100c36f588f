// The spreadsheet application reached through its automation object. One
// lives for one call of the entry: it holds the wrappers of every object the
// command touched and releases them all at the end.
#pragma once

#include "host/application.h"
#include "host/com/chart.h"
#include "host/com/dispatch.h"
#include "host/com/window.h"
#include "host/com/workbook.h"
#include "host/com/worksheet.h"
#include "host/com/wrappers.h"

namespace tavo::com {

class Application final : public host::Application {
 public:
  Application(Dispatch spreadsheet, host::Platform& platform) : spreadsheet_(std::move(spreadsheet)), platform_(platform) {}
  // An add-in has no workbook of its own: the system workbook it found
  // stands in for the application's ThisWorkbook.
  Application(Dispatch spreadsheet, host::Platform& platform, Dispatch systemWorkbook)
      : spreadsheet_(std::move(spreadsheet)), platform_(platform), system_(std::move(systemWorkbook)) {}
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  bool displayAlerts() const override { return ToBool(*spreadsheet_.get("DisplayAlerts")); }
  void setDisplayAlerts(bool b) override { spreadsheet_.put("DisplayAlerts", b); }
  bool screenUpdating() const override { return ToBool(*spreadsheet_.get("ScreenUpdating")); }
  void setScreenUpdating(bool b) override { spreadsheet_.put("ScreenUpdating", b); }
  bool enableEvents() const override { return ToBool(*spreadsheet_.get("EnableEvents")); }
  void setEnableEvents(bool b) override { spreadsheet_.put("EnableEvents", b); }
  std::string version() const override { return ToText(*spreadsheet_.get("Version")); }
  host::ChartPlacement chartPlacement() const override { return host::ChartPlacementOfVersion(version()); }

  host::Workbook& thisWorkbook() override;
  int workbookCount() const override;
  host::Workbook& workbook(int index) override;
  host::Workbook* findWorkbook(const std::string& name) override;
  host::Workbook& workbook(const std::string& name) override;
  host::Workbook& openWorkbook(const std::string& fullPath) override;
  host::Workbook& activeWorkbook() override;
  host::Worksheet& activeSheet() override;
  host::Window& activeWindow() override;
  host::Platform& platform() override { return platform_; }

  // ---- for the other wrappers ----
  const Dispatch& spreadsheet() const { return spreadsheet_; }
  Workbook& workbookOf(const Dispatch& book) { return books_.of(book, *this); }
  Worksheet& sheetOf(const Dispatch& sheet) { return sheets_.of(sheet, *this); }
  Chart& chartOf(const Dispatch& chart) { return charts_.of(chart, *this); }
  Window& windowOf(const Dispatch& window) { return windows_.of(window); }
  void forget(const Worksheet& sheet) { sheets_.forget(sheet); }
  void forget(const Workbook& book) { books_.forget(book); }
  // Printer communication off until this call of the entry ends, when the
  // page set-up made meanwhile goes to the driver at once.
  void quietPrinter();

 private:
  Dispatch workbooks() const { return spreadsheet_.object("Workbooks", "Workbooks"); }

  Dispatch spreadsheet_;
  host::Platform& platform_;
  Dispatch system_;
  enum class Printer { Untouched, Quiet, NoSwitch } printer_ = Printer::Untouched;
  Wrappers<Workbook> books_;
  Wrappers<Worksheet> sheets_;
  Wrappers<Chart> charts_;
  Wrappers<Window> windows_;
};

}  // namespace tavo::com
