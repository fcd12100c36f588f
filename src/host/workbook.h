#pragma once

#include <string>

#include "host/format.h"
#include "host/worksheet.h"

namespace tavo::host {

class Window;

class Workbook {
 public:
  virtual ~Workbook() = default;
  virtual std::string name() const = 0;  // file name with extension
  virtual std::string path() const = 0;  // folder, no trailing separator
  virtual int sheetCount() const = 0;
  virtual Worksheet& sheet(int index) = 0;                   // 1-based; error 9 outside
  virtual Worksheet& sheet(const std::string& name) = 0;     // error 9 when absent
  virtual Worksheet* findSheet(const std::string& name) = 0;  // nullptr when absent
  // A new sheet before `before` (or after the last one); it becomes active.
  virtual Worksheet& addSheet(Worksheet* before) = 0;
  virtual void deleteSheet(Worksheet&) = 0;
  virtual Worksheet& activeSheet() = 0;
  virtual void activate() = 0;
  // Closes the workbook without saving it: neither it nor anything of it
  // may be used after. A command closes what it opened only to read.
  virtual void close() = 0;
  virtual Window& window() = 0;
  // A chart on a chart sheet of its own, the older hosts' way to make one;
  // locating it on a worksheet embeds it there (the chart sheet goes) and
  // gives the embedded chart.
  virtual Chart& addChartSheet() = 0;
  virtual Chart& locateChart(Chart& onChartSheet, Worksheet& on) = 0;
  virtual Rgb color(int index) const = 0;  // palette entry 1..56
  virtual void setColor(int index, Rgb) = 0;
};

}  // namespace tavo::host
