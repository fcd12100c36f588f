// The spreadsheet application: its switches, open workbooks and platform.
#pragma once

#include <string>

#include "host/chart.h"
#include "host/platform.h"
#include "host/window.h"
#include "host/workbook.h"

namespace tavo::host {

class Application {
 public:
  virtual ~Application() = default;
  virtual bool displayAlerts() const = 0;
  virtual void setDisplayAlerts(bool) = 0;
  virtual bool screenUpdating() const = 0;
  virtual void setScreenUpdating(bool) = 0;
  virtual bool enableEvents() const = 0;
  virtual void setEnableEvents(bool) = 0;
  virtual std::string version() const = 0;
  virtual ChartPlacement chartPlacement() const = 0;

  virtual Workbook& thisWorkbook() = 0;
  virtual int workbookCount() const = 0;
  virtual Workbook& workbook(int index) = 0;               // 1-based
  virtual Workbook* findWorkbook(const std::string& name) = 0;
  virtual Workbook& workbook(const std::string& name) = 0;  // error 9 when not open
  // Opens the file; it becomes the active workbook. Host error when it cannot.
  virtual Workbook& openWorkbook(const std::string& fullPath) = 0;
  virtual Workbook& activeWorkbook() = 0;
  virtual Worksheet& activeSheet() = 0;
  virtual Window& activeWindow() = 0;
  virtual Platform& platform() = 0;
};

}  // namespace tavo::host
