#include "standin/spreadsheet.h"

#include <cctype>
#include <memory>

#include "host/address.h"
#include "host/com/variant.h"

namespace tavo::standin {

namespace {

// A value that may be a position (1-based) or a name.
bool IsName(const VARIANT& v) { return com::ToValue(v).isText(); }

ServerObject* WorkbooksObject(Spreadsheet& s) {
  auto* o = new ServerObject;
  o->property("Count", [&s] { return Variant(s.app.workbookCount()); });
  o->method("Item", [&s](const Call& c) {
    const VARIANT& which = c.need(0, "Index");
    return IsName(which) ? s.workbook(s.app.workbook(ToText(which))) : s.workbook(s.app.workbook(ToInt(which)));
  });
  o->method("Open", [&s](const Call& c) { return s.workbook(s.app.openWorkbook(ToText(c.need(0, "Filename")))); });
  o->method("Add", [&s](const Call&) {
    if (!s.addWorkbook) throw host::HostError(1004, "Add 方法无效");
    return s.workbook(s.addWorkbook());
  });
  return o;
}

ServerObject* SheetsObject(Spreadsheet& s, host::Workbook& book) {
  auto* o = new ServerObject;
  o->property("Count", [&book] { return Variant(book.sheetCount()); });
  o->method("Item", [&s, &book](const Call& c) {
    const VARIANT& which = c.need(0, "Index");
    return IsName(which) ? s.worksheet(book.sheet(ToText(which))) : s.worksheet(book.sheet(ToInt(which)));
  });
  o->method("Add", [&s, &book](const Call& c) {
    host::Worksheet* before = nullptr;
    if (const VARIANT* b = c.arg(0, "Before")) before = &Spreadsheet::sheetOf(*b).sheet;
    else if (const VARIANT* a = c.arg(1, "After")) {
      // After the given sheet is before the one that follows it.
      host::Worksheet& after = Spreadsheet::sheetOf(*a).sheet;
      for (int i = 1; i < book.sheetCount(); ++i)
        if (&book.sheet(i) == &after) before = &book.sheet(i + 1);
    }
    return s.worksheet(book.addSheet(before));
  });
  return o;
}

ServerObject* WorkbookObject(Spreadsheet& s, host::Workbook& book) {
  auto* o = new ServerObject;
  o->property("Name", [&book] { return Variant(book.name()); });
  auto folderOf = [&s, &book] {
    auto web = s.webPaths.find(&book);
    return web != s.webPaths.end() ? web->second : book.path();
  };
  o->property("Path", folderOf);
  o->property("FullName", [&book, folderOf] {
    const std::string folder = folderOf();
    if (folder.empty()) return Variant(book.name());
    return Variant(folder + (folder.starts_with("https://") ? "/" : "\\") + book.name());
  });
  o->method("SaveAs", [&s, &book](const Call& c) {
    const std::string path = ToText(c.need(0, "Filename"));
    const VARIANT* format = c.arg(1, "FileFormat");
    if (!s.saveAs) throw host::HostError(1004, "SaveAs 方法无效");
    s.saveAs(book, path, format ? ToInt(*format) : 0);
    return Variant();
  });
  o->method("Close", [&s, &book](const Call& c) {
    // Closing a changed workbook without SaveChanges asks the teacher; the
    // stand-in has nobody to ask.
    const VARIANT* save = c.arg(0, "SaveChanges");
    if (!save) throw host::HostError(1004, "Close 须给出 SaveChanges");
    if (ToBool(*save)) throw host::HostError(1004, "Close 方法无效");
    s.close(book);
    return Variant();
  });
  o->property("Worksheets", [&s, &book] { return Give(SheetsObject(s, book)); });
  o->property("ActiveSheet", [&s, &book] { return s.worksheet(book.activeSheet()); });
  o->method("Activate", [&book](const Call&) {
    book.activate();
    return Variant();
  });
  o->method("Windows", [&s, &book](const Call& c) {
    if (ToInt(c.need(0, "Index")) != 1) throw host::HostError::subscriptOutOfRange();
    return s.window(book);
  });
  o->property("Charts", [&s, &book] {
    auto* charts = new ServerObject;
    charts->method("Add", [&s, &book](const Call&) {
      host::Chart& chart = book.addChartSheet();
      s.chartSheetBooks[&chart] = &book;
      return s.chart(chart);
    });
    return Give(charts);
  });
  o->method("Colors", [&book](const Call& c) {
    int index = ToInt(c.need(0, "Index"));
    if (c.isPut) {
      auto bgr = static_cast<host::Rgb>(ToNumber(*c.value));
      book.setColor(index, ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF));
      return Variant();
    }
    host::Rgb rgb = book.color(index);
    return Variant(static_cast<double>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF)));
  });
  return o;
}

ServerObject* WindowObject(Spreadsheet& s, host::Workbook& book) {
  host::Window& w = book.window();
  auto* o = new ServerObject;
  o->property("Hwnd", [&s, &book] {
    if (s.olderMembersOnly) throw host::HostError(438, "对象不支持该属性或方法");
    return Variant(static_cast<double>(reinterpret_cast<std::intptr_t>(s.windowOf(book))));
  });
  o->property("SplitRow", [&w] { return Variant(w.splitRow()); }, [&w](const VARIANT& v) { w.setSplitRow(ToInt(v)); });
  o->property("SplitColumn", [&w] { return Variant(w.splitColumn()); },
              [&w](const VARIANT& v) { w.setSplitColumn(ToInt(v)); });
  o->property("FreezePanes", [&w] { return Variant(w.freezePanes()); },
              [&w](const VARIANT& v) { w.setFreezePanes(ToBool(v)); });
  o->property("ScrollRow", [&w] { return Variant(w.scrollRow()); }, [&w](const VARIANT& v) { w.setScrollRow(ToInt(v)); });
  o->property("ScrollColumn", [&w] { return Variant(w.scrollColumn()); },
              [&w](const VARIANT& v) { w.setScrollColumn(ToInt(v)); });
  o->property("TabRatio", [&w] { return Variant(w.tabRatio()); }, [&w](const VARIANT& v) { w.setTabRatio(ToNumber(v)); });
  return o;
}

ServerObject* ApplicationObject(Spreadsheet& s) {
  host::Application& a = s.app;
  auto* o = new ServerObject;
  auto logged = [&s](const char* name, void (host::Application::*set)(bool)) {
    return [&s, name, set](const VARIANT& v) {
      s.switchLog.push_back(std::string(name) + "=" + (ToBool(v) ? "1" : "0"));
      (s.app.*set)(ToBool(v));
    };
  };
  o->property("DisplayAlerts", [&a] { return Variant(a.displayAlerts()); },
              logged("DisplayAlerts", &host::Application::setDisplayAlerts));
  o->property("ScreenUpdating", [&a] { return Variant(a.screenUpdating()); },
              logged("ScreenUpdating", &host::Application::setScreenUpdating));
  o->property("EnableEvents", [&a] { return Variant(a.enableEvents()); },
              logged("EnableEvents", &host::Application::setEnableEvents));
  o->property("Version", [&a] { return Variant(a.version()); });
  o->property("Hwnd", [&s] { return Variant(static_cast<double>(reinterpret_cast<std::intptr_t>(s.activeWindowHandle()))); });
  auto newer = [&s] {
    if (s.olderMembersOnly) throw host::HostError(438, "对象不支持该属性或方法");
  };
  o->property("PrintCommunication",
              [&s, newer] {
                newer();
                return Variant(s.printCommunication);
              },
              [&s, newer](const VARIANT& v) {
                newer();
                s.printCommunication = ToBool(v);
              });
  o->property("ThisWorkbook", [&s] { return s.workbook(s.app.thisWorkbook()); });
  o->property("Workbooks", [&s] { return Give(WorkbooksObject(s)); });
  o->property("ActiveWorkbook", [&s] { return s.workbook(s.app.activeWorkbook()); });
  o->property("ActiveSheet", [&s] { return s.worksheet(s.app.activeSheet()); });
  o->property("ActiveWindow", [&s] { return s.window(s.app.activeWorkbook()); });
  // Text shows in the bar; False gives the bar back to the spreadsheet.
  o->property(
      "StatusBar", [&s] { return s.statusBar.empty() ? Variant(false) : Variant(s.statusBar); },
      [&s](const VARIANT& v) {
        if (v.vt == VT_BOOL && !v.boolVal)
          s.statusBar.clear();
        else if (v.vt == VT_BSTR)
          s.statusBar = ToText(v);
        else
          throw host::HostError(13, "类型不匹配");
        s.statusBarLog.push_back(s.statusBar);
      });
  o->property("CutCopyMode", [&s] { return Variant(s.clipboard.has_value()); },
              [&s](const VARIANT& v) {
                if (!ToBool(v)) s.clipboard.reset();
              });
  return o;
}

ServerObject* DialogObject(host::Dialog& d) {
  auto* list = new ServerObject;
  list->method("AddItem", [&d](const Call& c) {
    d.addItem(ToText(c.need(0, "pvargItem")));
    return Variant();
  });
  list->property("ListCount", [&d] { return Variant(d.itemCount()); });
  list->method("List", [&d](const Call& c) { return Variant(d.item(ToInt(c.need(0, "pvargIndex")))); });
  list->property("ListIndex", [&d] { return Variant(d.listIndex()); },
                 [&d](const VARIANT& v) { d.setListIndex(ToInt(v)); });
  list->property("Value", [&d] {
    if (d.listIndex() < 0) {
      Variant none;
      none.get()->vt = VT_NULL;  // a list with nothing selected
      return none;
    }
    return Variant(d.listValue());
  });
  // The form holds its list for as long as it lives.
  std::shared_ptr<ServerObject> held(list, [](ServerObject* l) { l->Release(); });
  auto* form = new ServerObject;
  form->property("Caption", [&d] { return Variant(d.caption()); });
  form->property("ltbCJB", [held] { return Variant(static_cast<IDispatch*>(held.get())); });
  return form;
}

}  // namespace

Spreadsheet::Spreadsheet(host::Application& application, host::Dialog& dialog)
    : app(application), application_(ApplicationObject(*this)), dialog_(DialogObject(dialog)) {}

Spreadsheet::~Spreadsheet() {
  if (windowPerWorkbook_) Served().afterCall = nullptr;
  for (auto& [book, handle] : windows_) DestroyWindow(handle);
  for (auto& [key, object] : objects_) object->Release();
  application_->Release();
  dialog_->Release();
}

Variant Spreadsheet::once(Kind kind, const void* key, const std::function<ServerObject*()>& make) {
  ServerObject*& object = objects_[{kind, key}];
  if (!object) object = make();
  return Variant(static_cast<IDispatch*>(object));
}

void Spreadsheet::forget(Kind kind, const void* key) {
  if (auto it = objects_.find({kind, key}); it != objects_.end()) {
    it->second->Release();
    objects_.erase(it);
  }
}

void Spreadsheet::close(host::Workbook& book) {
  for (int i = 1; i <= book.sheetCount(); ++i) forget(Kind::Worksheet, &book.sheet(i));
  forget(Kind::Workbook, &book);
  compatibilityMode.erase(&book);
  webPaths.erase(&book);
  ++closed;
  book.close();
}

Variant Spreadsheet::workbook(host::Workbook& b) {
  return once(Kind::Workbook, &b, [&] { return WorkbookObject(*this, b); });
}
Variant Spreadsheet::worksheet(host::Worksheet& s) {
  return once(Kind::Worksheet, &s, [&] { return new SheetObject(*this, s); });
}
Variant Spreadsheet::chart(host::Chart& c) {
  return once(Kind::Chart, &c, [&] { return new ChartObject(*this, c); });
}
Variant Spreadsheet::window(host::Workbook& b) {
  return once(Kind::Window, &b, [&] { return WindowObject(*this, b); });
}

namespace {

constexpr const wchar_t* kWorkbookWindowClass = L"standinWorkbookWindow";

LRESULT CALLBACK WorkbookWindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message >= WM_APP && message <= 0xBFFF) {
    auto* s = reinterpret_cast<Spreadsheet*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (s && s->onWindowMessage) s->onWindowMessage(message, w);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

host::Rect Spreadsheet::sheetRange(const host::Worksheet& sheet, const std::string& address) {
  host::Rect r = host::parseRect(address);
  if (!inCompatibilityMode(sheet)) return r;
  constexpr int kRows = 65536, kColumns = 256;
  // Whole rows and columns parse to the model's edges; written-out rows or
  // columns must lie within the smaller sheet.
  for (std::size_t i = 0; i < address.size();) {
    std::size_t j = i;
    if (std::isdigit(static_cast<unsigned char>(address[i]))) {
      while (j < address.size() && std::isdigit(static_cast<unsigned char>(address[j]))) ++j;
      if (std::stol(address.substr(i, j - i)) > kRows) throw host::HostError(1004, "应用程序定义或对象定义错误");
    } else if (std::isalpha(static_cast<unsigned char>(address[i]))) {
      while (j < address.size() && std::isalpha(static_cast<unsigned char>(address[j]))) ++j;
      if (host::columnNumber(address.substr(i, j - i)) > kColumns || j - i > 2)
        throw host::HostError(1004, "应用程序定义或对象定义错误");
    } else {
      ++j;
    }
    i = j;
  }
  if (r.bottom == kRows) r.bottom = host::kMaxRow;
  if (r.right == kColumns) r.right = host::kMaxCol;
  return r;
}

void Spreadsheet::windowPerWorkbook() {
  windowPerWorkbook_ = true;
  Served().afterCall = [this] { followActiveWorkbook(); };
  followActiveWorkbook();
}

HWND Spreadsheet::windowOf(const host::Workbook& book) {
  if (!windowPerWorkbook_) return nullptr;
  HWND& handle = windows_[&book];
  if (!handle) {
    WNDCLASSW kind{};
    kind.lpfnWndProc = WorkbookWindowProcedure;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = kWorkbookWindowClass;
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&kind);
    handle = CreateWindowExW(0, kWorkbookWindowClass, com::Wide(book.name()).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             40, 40, 900, 700, nullptr, nullptr, kind.hInstance, nullptr);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  return handle;
}

HWND Spreadsheet::activeWindowHandle() {
  if (!windowPerWorkbook_) return nullptr;
  followActiveWorkbook();
  return app.workbookCount() ? windowOf(app.activeWorkbook()) : nullptr;
}

// A closed workbook's window goes, with every window it owns; a workbook
// that became active comes to the front.
void Spreadsheet::followActiveWorkbook() {
  std::set<const host::Workbook*> open;
  for (int i = 1; i <= app.workbookCount(); ++i) open.insert(&app.workbook(i));
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (open.count(it->first)) {
      ++it;
      continue;
    }
    DestroyWindow(it->second);
    forget(Kind::Window, it->first);
    it = windows_.erase(it);
  }
  const host::Workbook* active = app.workbookCount() ? &app.activeWorkbook() : nullptr;
  if (active && active != activeBook_) {
    HWND front = windowOf(*active);
    SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(front);
  }
  activeBook_ = active;
}

namespace {

template <class T>
T& ServedAs(const VARIANT& v, const char* what) {
  IDispatch* d = com::ToDispatch(v);
  auto* object = d ? dynamic_cast<T*>(static_cast<ServerObject*>(d)) : nullptr;
  if (!object) throw host::HostError(13, std::string("类型不匹配: 需要") + what);
  return *object;
}

}  // namespace

RangeObject& Spreadsheet::rangeOf(const VARIANT& v) { return ServedAs<RangeObject>(v, "Range"); }
SheetObject& Spreadsheet::sheetOf(const VARIANT& v) { return ServedAs<SheetObject>(v, "Worksheet"); }
ChartObject& Spreadsheet::chartOf(const VARIANT& v) { return ServedAs<ChartObject>(v, "Chart"); }

}  // namespace tavo::standin
