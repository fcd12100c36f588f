// Worksheet and what hangs off it: Tab, PageSetup, HPageBreaks, Shapes and
// ChartObjects.
#include "host/address.h"
#include "host/com/variant.h"
#include "host/enum_codes.h"
#include "host/model/chart.h"
#include "standin/spreadsheet.h"

namespace tavo::standin {

namespace {

constexpr std::pair<const char*, host::PageField> kPageFields[] = {
    {"TopMargin", host::PageField::TopMargin},
    {"BottomMargin", host::PageField::BottomMargin},
    {"FooterMargin", host::PageField::FooterMargin},
    {"Orientation", host::PageField::Orientation},
    {"PaperSize", host::PageField::PaperSize},
    {"Zoom", host::PageField::Zoom},
    {"CenterHorizontally", host::PageField::CenterHorizontally},
    {"LeftMargin", host::PageField::LeftMargin},
    {"RightMargin", host::PageField::RightMargin},
    {"HeaderMargin", host::PageField::HeaderMargin},
    {"CenterFooter", host::PageField::CenterFooter},
    {"PrintTitleRows", host::PageField::PrintTitleRows},
};

ServerObject* PageSetupObject(Spreadsheet& s, host::Worksheet& sheet) {
  auto* o = new ServerObject;
  for (auto [name, field] : kPageFields)
    o->property(name, [&sheet, field = field] { return Variant(sheet.pageSetup().get(field)); },
                [&s, &sheet, name = name, field = field](const VARIANT& v) {
                  if (s.printCommunication) {
                    if (!s.hasPrinter) throw host::HostError(1004, std::string("不能设置 PageSetup 类的 ") + name + " 属性");
                    ++s.pageSettingsWithPrinter;
                  }
                  sheet.pageSetup().set(field, com::ToValue(v));
                });
  return o;
}

ServerObject* PageBreaksObject(Spreadsheet& s, host::Worksheet& sheet) {
  auto* o = new ServerObject;
  o->method("Add", [&sheet](const Call& c) {
    sheet.addPageBreakAbove(Spreadsheet::rangeOf(c.need(0, "Before")).rect.top);
    return Variant();
  });
  o->property("Count", [&sheet] { return Variant(static_cast<int>(sheet.pageBreaks().size())); });
  o->method("Item", [&s, &sheet](const Call& c) {
    auto rows = sheet.pageBreaks();
    int i = ToInt(c.need(0, "Index"));
    if (i < 1 || i > static_cast<int>(rows.size())) throw host::HostError::subscriptOutOfRange();
    auto* pageBreak = new ServerObject;
    int row = rows[static_cast<std::size_t>(i) - 1];
    pageBreak->property("Location", [&s, &sheet, row] { return s.range(sheet, host::Rect::of(host::Cell{row, 1})); });
    return Give(pageBreak);
  });
  return o;
}

// The frame of an embedded chart: its place on the sheet.
ServerObject* FrameObject(Spreadsheet& s, host::Chart& chart) {
  auto* o = new ServerObject;
  auto& data = dynamic_cast<model::ModelChart&>(chart).data;
  auto place = [&chart, &data](double model::ChartData::*field) {
    return [&chart, &data, field](const VARIANT& v) {
      model::ChartData at = data;
      at.*field = ToNumber(v);
      chart.setPlacement(at.left, at.top, at.width, at.height);
    };
  };
  o->property("Left", [&data] { return Variant(data.left); }, place(&model::ChartData::left));
  o->property("Top", [&data] { return Variant(data.top); }, place(&model::ChartData::top));
  o->property("Width", [&data] { return Variant(data.width); }, place(&model::ChartData::width));
  o->property("Height", [&data] { return Variant(data.height); }, place(&model::ChartData::height));
  o->property("Chart", [&s, &chart] { return s.chart(chart); });
  return o;
}

ServerObject* ShapeObject(Spreadsheet& s, host::Chart& chart) {
  auto* o = new ServerObject;
  o->property("Chart", [&s, &chart] { return s.chart(chart); });
  o->method("Select", [](const Call&) { return Variant(); });
  return o;
}

}  // namespace

Variant FrameOf(Spreadsheet& s, host::Chart& chart) { return Give(FrameObject(s, chart)); }

SheetObject::SheetObject(Spreadsheet& s, host::Worksheet& ws) : sheet(ws) {
  host::Worksheet& sh = sheet;
  property("Name", [&sh] { return Variant(sh.name()); }, [&sh](const VARIANT& v) { sh.setName(ToText(v)); });
  property("Visible", [&sh] { return Variant(sh.visible() ? host::code::kVisible : 0); },
           [&sh](const VARIANT& v) { sh.setVisible(ToInt(v) != 0); });
  method("Activate", [&sh](const Call&) {
    sh.activate();
    return Variant();
  });
  method("Delete", [&s, &sh](const Call&) {
    host::Workbook& book = sh.workbook();
    s.forget(sh);
    book.deleteSheet(sh);
    return Variant();
  });
  property("Parent", [&s, &sh] { return s.workbook(sh.workbook()); });
  property("Tab", [&sh] {
    auto* tab = new ServerObject;
    tab->property("ColorIndex", [&sh] { return Variant(sh.tabColorIndex()); },
                  [&sh](const VARIANT& v) { sh.setTabColorIndex(ToInt(v)); });
    return Give(tab);
  });
  method("Range", [&s, &sh](const Call& c) {
    const std::string address = ToText(c.need(0, "Cell1"));
    // The object model takes an address of at most 255 characters.
    if (address.size() > 255) throw host::HostError(1004, "Worksheet 类的 Range 方法无效");
    if (address.find(',') == std::string::npos) return s.range(sh, s.sheetRange(sh, address));
    std::vector<host::Rect> areas;
    for (std::size_t from = 0; from <= address.size();) {
      const std::size_t comma = std::min(address.find(',', from), address.size());
      areas.push_back(s.sheetRange(sh, address.substr(from, comma - from)));
      from = comma + 1;
    }
    return Give(AreasObject(s, sh, std::move(areas)));
  });
  method("Cells", [&s, &sh](const Call& c) {
    return s.range(sh, host::Rect::of(host::Cell{ToInt(c.need(0, "RowIndex")), ToInt(c.need(1, "ColumnIndex"))}));
  });
  property("UsedRange", [&s, &sh] { return s.range(sh, sh.usedRange()); });
  property("PageSetup", [&s, &sh] { return Give(PageSetupObject(s, sh)); });
  auto count = [&s, &sh](int small, int full) {
    auto* all = new ServerObject;
    all->property("Count", [&s, &sh, small, full] { return Variant(s.inCompatibilityMode(sh) ? small : full); });
    return Give(all);
  };
  property("Rows", [count] { return count(65536, host::kMaxRow); });
  property("Columns", [count] { return count(256, host::kMaxCol); });
  property("HPageBreaks", [&s, &sh] { return Give(PageBreaksObject(s, sh)); });
  property("Shapes", [&s, &sh] {
    auto* shapes = new ServerObject;
    shapes->method("AddChart", [&s, &sh](const Call& c) {
      auto number = [&c](std::size_t at, const char* name, double fallback) {
        const VARIANT* v = c.arg(at, name);
        return v ? ToNumber(*v) : fallback;
      };
      const auto type = host::code::ChartTypeOf(static_cast<int>(number(0, "Type", host::code::kLineMarkers)));
      if (!type) throw host::HostError(1004, "参数无效");
      host::Chart& chart = sh.addChart(*type,
                                       number(1, "Left", 0), number(2, "Top", 0), number(3, "Width", 360),
                                       number(4, "Height", 216));
      return Give(ShapeObject(s, chart));
    });
    shapes->method("Item", [&s, &sh](const Call& c) {
      return Give(ShapeObject(s, sh.chartOfShape(ToText(c.need(0, "Index")))));
    });
    return Give(shapes);
  });
  method("ChartObjects", [&s, &sh](const Call& c) {
    if (const VARIANT* index = c.arg(0, "Index")) return Give(FrameObject(s, sh.chart(ToInt(*index))));
    auto* all = new ServerObject;
    all->property("Count", [&sh] { return Variant(sh.chartCount()); });
    return Give(all);
  });
}

}  // namespace tavo::standin
