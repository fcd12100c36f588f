// The window of a workbook; its settings apply to the sheet it shows.
#pragma once

namespace tavo::host {

class Window {
 public:
  virtual ~Window() = default;
  virtual int splitRow() const = 0;
  virtual void setSplitRow(int) = 0;
  virtual int splitColumn() const = 0;
  virtual void setSplitColumn(int) = 0;
  virtual bool freezePanes() const = 0;
  virtual void setFreezePanes(bool) = 0;
  virtual int scrollRow() const = 0;
  virtual void setScrollRow(int) = 0;
  virtual int scrollColumn() const = 0;
  virtual void setScrollColumn(int) = 0;
  virtual double tabRatio() const = 0;
  virtual void setTabRatio(double) = 0;
};

}  // namespace tavo::host
