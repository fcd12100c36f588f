// The spreadsheet stand-in: our model application and dialog served as the
// desktop spreadsheet's automation objects, with exactly the members the
// engine calls. Workbooks, sheets, charts and windows keep one object each,
// as the spreadsheet's do; ranges are made afresh for every request.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dialog.h"
#include "standin/server_object.h"

namespace tavo::standin {

class Spreadsheet;

// A Range: a rectangle of one sheet.
class RangeObject final : public ServerObject {
 public:
  RangeObject(Spreadsheet&, host::Worksheet&, host::Rect);
  host::Worksheet& sheet;
  host::Rect rect;
};

class SheetObject final : public ServerObject {
 public:
  SheetObject(Spreadsheet&, host::Worksheet&);
  host::Worksheet& sheet;
};

class ChartObject final : public ServerObject {
 public:
  ChartObject(Spreadsheet&, host::Chart&);
  host::Chart& chart;
};

class Spreadsheet {
  // Objects are kept by kind and address: memory a closed workbook left may
  // hold a sheet now.
  enum class Kind { Workbook, Worksheet, Chart, Window };

 public:
  Spreadsheet(host::Application&, host::Dialog&);
  ~Spreadsheet();
  Spreadsheet(const Spreadsheet&) = delete;
  Spreadsheet& operator=(const Spreadsheet&) = delete;

  Variant application() { return Variant(static_cast<IDispatch*>(application_)); }
  Variant dialog() { return Variant(static_cast<IDispatch*>(dialog_)); }

  host::Application& app;

  // ---- for the objects ----
  Variant workbook(host::Workbook&);
  Variant worksheet(host::Worksheet&);
  Variant chart(host::Chart&);
  Variant window(host::Window&);
  Variant range(host::Worksheet& sheet, host::Rect r) { return Give(new RangeObject(*this, sheet, r)); }
  // A sheet or chart that is gone is served no more.
  void forget(const host::Worksheet& sheet) { forget(Kind::Worksheet, &sheet); }
  void forget(const host::Chart& chart) { forget(Kind::Chart, &chart); }
  static RangeObject& rangeOf(const VARIANT&);
  static SheetObject& sheetOf(const VARIANT&);
  static ChartObject& chartOf(const VARIANT&);

  // What Copy or Cut without a destination left for the next paste.
  struct Clipboard {
    host::Worksheet* sheet;
    host::Rect rect;
    bool cut;
  };
  std::optional<Clipboard> clipboard;
  // The workbook of each chart still on a chart sheet of its own.
  std::map<const host::Chart*, host::Workbook*> chartSheetBooks;
  // What Workbooks.Add and Workbook.SaveAs do, where a test gives it.
  std::function<host::Workbook&()> addWorkbook;
  std::function<void(host::Workbook&, const std::string& path, int fileFormat)> saveAs;
  // Each put of the application's switches, as "DisplayAlerts=0".
  std::vector<std::string> switchLog;

 private:
  Variant once(Kind, const void* key, const std::function<ServerObject*()>& make);
  void forget(Kind, const void* key);
  std::map<std::pair<Kind, const void*>, ServerObject*> objects_;
  ServerObject* application_;
  ServerObject* dialog_;
};

// The frame (ChartObject) of an embedded chart: its place on the sheet.
Variant FrameOf(Spreadsheet&, host::Chart&);

}  // namespace tavo::standin
