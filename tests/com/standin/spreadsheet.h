// The spreadsheet stand-in: our model application and dialog served as the
// desktop spreadsheet's automation objects, with exactly the members the
// engine calls. Workbooks, sheets, charts and windows keep one object each,
// as the spreadsheet's do; ranges are made afresh for every request.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
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

// A range of several areas ("A1:A3,C5"): only formatted, as a selection of
// them is; its Count is the number of areas.
ServerObject* AreasObject(Spreadsheet&, host::Worksheet&, std::vector<host::Rect> areas);

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
  Variant window(host::Workbook&);  // the workbook's window
  Variant range(host::Worksheet& sheet, host::Rect r) { return Give(new RangeObject(*this, sheet, r)); }
  // A sheet or chart that is gone is served no more.
  void forget(const host::Worksheet& sheet) { forget(Kind::Worksheet, &sheet); }
  void forget(const host::Chart& chart) { forget(Kind::Chart, &chart); }
  // Workbook.Close without saving: its objects are served no more, its
  // window goes after the call.
  void close(host::Workbook&);
  int closed = 0;  // workbooks closed
  static RangeObject& rangeOf(const VARIANT&);
  static SheetObject& sheetOf(const VARIANT&);
  static ChartObject& chartOf(const VARIANT&);

  // What Copy or Cut without a destination left for the next paste. The
  // clipboard is the machine's: another program may hold it (a remote
  // desktop, an input method), and then the spreadsheet fails with 1004.
  struct Clipboard {
    host::Worksheet* sheet;
    host::Rect rect;
    bool cut;
  };
  std::optional<Clipboard> clipboard;
  bool clipboardHeldElsewhere = false;
  int clipboardUses = 0;  // copies and cuts to it, and pastes from it

  // Workbooks opened from .xls files: their sheets have 65,536 rows and
  // 256 columns, and addresses beyond are refused.
  std::set<const host::Workbook*> compatibilityMode;
  bool inCompatibilityMode(const host::Worksheet& sheet) {
    return compatibilityMode.count(&const_cast<host::Worksheet&>(sheet).workbook()) > 0;
  }
  // Workbooks in a folder a sync client keeps in the cloud: their Path is
  // the https:// address of that folder.
  std::map<const host::Workbook*, std::string> webPaths;
  // Page set-up goes through the printer driver; on a machine without a
  // printer every setting is refused unless printer communication is off.
  bool hasPrinter = false;
  bool printCommunication = true;
  int pageSettingsWithPrinter = 0;
  // A spreadsheet of the older object model (or WPS Spreadsheets, as far as
  // tavo can tell): no Application.PrintCommunication (2010), no
  // Window.Hwnd (2013); asking for them is error 438.
  bool olderMembersOnly = false;
  // The interface's language, which NumberFormatLocal speaks.
  bool chineseInterface = false;

  // One top-level window per workbook (the spreadsheet since its 2013
  // version): made when first asked for, brought to the front when its
  // workbook becomes active, destroyed when its workbook closes.
  // Application.Hwnd is the active workbook's window.
  void windowPerWorkbook();
  HWND activeWindowHandle();
  HWND windowOf(const host::Workbook&);
  // Messages of WM_APP and above sent to a workbook's window, which a test
  // uses to act as the teacher clicking there while a box is up.
  std::function<void(UINT, WPARAM)> onWindowMessage;
  // Windows of closed workbooks go; the active workbook's comes to the
  // front. Runs after every call the application answers.
  void followActiveWorkbook();
  // A range of a sheet as the sheet's own address names it: in
  // compatibility mode beyond row 65,536 or column 256 is error 1004, and
  // the last row or column there is the model's last.
  host::Rect sheetRange(const host::Worksheet&, const std::string& address);
  // The workbook of each chart still on a chart sheet of its own.
  std::map<const host::Chart*, host::Workbook*> chartSheetBooks;
  // What Workbooks.Add and Workbook.SaveAs do, where a test gives it.
  std::function<host::Workbook&()> addWorkbook;
  std::function<void(host::Workbook&, const std::string& path, int fileFormat)> saveAs;
  // What the status bar shows ("" its own), and each put of it.
  std::string statusBar;
  std::vector<std::string> statusBarLog;
  // Each put of the application's switches, as "DisplayAlerts=0".
  std::vector<std::string> switchLog;

 private:
  Variant once(Kind, const void* key, const std::function<ServerObject*()>& make);
  void forget(Kind, const void* key);
  std::map<std::pair<Kind, const void*>, ServerObject*> objects_;
  std::map<const host::Workbook*, HWND> windows_;
  const host::Workbook* activeBook_ = nullptr;
  bool windowPerWorkbook_ = false;
  ServerObject* application_;
  ServerObject* dialog_;
};

// The frame (ChartObject) of an embedded chart: its place on the sheet.
Variant FrameOf(Spreadsheet&, host::Chart&);

}  // namespace tavo::standin
