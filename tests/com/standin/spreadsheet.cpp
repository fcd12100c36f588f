#include "standin/spreadsheet.h"

#include <memory>

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
  o->property("Path", [&book] { return Variant(book.path()); });
  o->property("FullName", [&book] { return Variant(book.path().empty() ? book.name() : book.path() + "\\" + book.name()); });
  o->method("SaveAs", [&s, &book](const Call& c) {
    const std::string path = ToText(c.need(0, "Filename"));
    const VARIANT* format = c.arg(1, "FileFormat");
    if (!s.saveAs) throw host::HostError(1004, "SaveAs 方法无效");
    s.saveAs(book, path, format ? ToInt(*format) : 0);
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
    return s.window(book.window());
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

ServerObject* WindowObject(host::Window& w) {
  auto* o = new ServerObject;
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
  o->property("Hwnd", [] { return Variant(0); });
  o->property("ThisWorkbook", [&s] { return s.workbook(s.app.thisWorkbook()); });
  o->property("Workbooks", [&s] { return Give(WorkbooksObject(s)); });
  o->property("ActiveWorkbook", [&s] { return s.workbook(s.app.activeWorkbook()); });
  o->property("ActiveSheet", [&s] { return s.worksheet(s.app.activeSheet()); });
  o->property("ActiveWindow", [&s] { return s.window(s.app.activeWindow()); });
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

Variant Spreadsheet::workbook(host::Workbook& b) {
  return once(Kind::Workbook, &b, [&] { return WorkbookObject(*this, b); });
}
Variant Spreadsheet::worksheet(host::Worksheet& s) {
  return once(Kind::Worksheet, &s, [&] { return new SheetObject(*this, s); });
}
Variant Spreadsheet::chart(host::Chart& c) {
  return once(Kind::Chart, &c, [&] { return new ChartObject(*this, c); });
}
Variant Spreadsheet::window(host::Window& w) {
  return once(Kind::Window, &w, [&] { return WindowObject(w); });
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
