// Chart and its parts: series, data labels, title, axes, chart groups, plot
// area, its frame and its move onto a worksheet.
#include "host/com/variant.h"
#include "host/enum_codes.h"
#include "host/model/chart.h"
#include "standin/spreadsheet.h"

namespace tavo::standin {

namespace {

ServerObject* Parts(std::initializer_list<std::pair<const char*, ServerObject::Setter>> properties) {
  auto* o = new ServerObject;
  for (auto& [name, set] : properties)
    o->property(name, [] () -> Variant { throw host::HostError(1004, "只写属性"); }, set);
  return o;
}

}  // namespace

namespace {

// A code of the object model as the chart's own value; one it does not
// know is refused, as the spreadsheet refuses it.
template <class T>
T Known(std::optional<T> value) {
  if (!value) throw host::HostError(1004, "参数无效");
  return *value;
}

}  // namespace

ChartObject::ChartObject(Spreadsheet& s, host::Chart& served) : chart(served) {
  host::Chart& ch = chart;
  const model::ChartData& data = dynamic_cast<model::ModelChart&>(served).data;
  property("Name", [&ch] { return Variant(ch.name()); });
  property("ChartType", [&data] { return Variant(host::code::Of(data.type)); },
           [&ch](const VARIANT& v) { ch.setChartType(Known(host::code::ChartTypeOf(ToInt(v)))); });
  method("SetSourceData", [&ch](const Call& c) {
    RangeObject& source = Spreadsheet::rangeOf(c.need(0, "Source"));
    const VARIANT* plotBy = c.arg(1, "PlotBy");
    ch.setSourceData(source.sheet, source.rect,
                     plotBy ? Known(host::code::PlotByOf(ToInt(*plotBy))) : host::PlotBy::Columns);
    return Variant();
  });
  method("SeriesCollection", [&ch](const Call& c) {
    const int series = ToInt(c.need(0, "Index"));
    auto* o = new ServerObject;
    o->property("XValues", [] () -> Variant { throw host::HostError(1004, "只写属性"); },
                [&ch, series](const VARIANT& v) {
                  RangeObject& categories = Spreadsheet::rangeOf(v);
                  ch.setSeriesCategories(series, categories.sheet, categories.rect);
                });
    o->method("ApplyDataLabels", [&ch, series](const Call&) {
      ch.applyDataLabels(series);
      return Variant();
    });
    o->property("DataLabels", [&ch, series] {
      return Give(Parts({{"Position", [&ch, series](const VARIANT& v) { ch.setDataLabelPosition(series, Known(host::code::LabelPositionOf(ToInt(v)))); }}}));
    });
    return Give(o);
  });
  property("HasTitle", [&data] { return Variant(data.hasTitle); }, [&ch](const VARIANT& v) { ch.setHasTitle(ToBool(v)); });
  property("ChartTitle", [&ch] {
    auto* title = new ServerObject;
    title->property("Characters", [&ch] {
      return Give(Parts({{"Text", [&ch](const VARIANT& v) { ch.setTitleText(ToText(v)); }}}));
    });
    title->property("Font", [&ch] {
      return Give(Parts({{"Size", [&ch](const VARIANT& v) { ch.setTitleFontSize(ToNumber(v)); }}}));
    });
    return Give(title);
  });
  property("HasLegend", [&data] { return Variant(data.hasLegend); }, [&ch](const VARIANT& v) { ch.setHasLegend(ToBool(v)); });
  method("HasAxis", [&ch](const Call& c) {
    if (!c.isPut) throw host::HostError(1004, "只写属性");
    const VARIANT* group = c.arg(1, "AxisGroup");
    ch.setHasAxis(Known(host::code::ChartAxisOf(ToInt(c.need(0, "Index1")))),
                  group ? Known(host::code::AxisGroupOf(ToInt(*group))) : host::AxisGroup::Primary, ToBool(*c.value));
    return Variant();
  });
  method("Axes", [&ch](const Call& c) {
    const host::ChartAxis axis = Known(host::code::ChartAxisOf(ToInt(c.need(0, "Type"))));
    return Give(Parts({{"HasMajorGridlines", [&ch, axis](const VARIANT& v) { ch.setAxisHasMajorGridlines(axis, ToBool(v)); }},
                       {"AxisBetweenCategories",
                        [&ch, axis](const VARIANT& v) { ch.setAxisBetweenCategories(axis, ToBool(v)); }}}));
  });
  method("ChartGroups", [&ch](const Call& c) {
    const int group = ToInt(c.need(0, "Index"));
    return Give(Parts({{"HasDropLines", [&ch, group](const VARIANT& v) { ch.setHasDropLines(group, ToBool(v)); }}}));
  });
  property("PlotArea", [&ch] {
    auto* area = new ServerObject;
    area->method("ClearFormats", [&ch](const Call&) {
      ch.clearPlotAreaFormats();
      return Variant();
    });
    return Give(area);
  });
  property("Parent", [&s, &ch] { return FrameOf(s, ch); });
  method("Location", [&s, &ch](const Call& c) {
    if (ToInt(c.need(0, "Where")) != host::code::kLocationAsObject) throw host::HostError(1004, "只能移到工作表上");
    auto book = s.chartSheetBooks.find(&ch);
    if (book == s.chartSheetBooks.end()) throw host::HostError(1004, "图表不在图表工作表上");
    host::Workbook& workbook = *book->second;
    host::Chart& embedded = workbook.locateChart(ch, workbook.sheet(ToText(c.need(1, "Name"))));
    s.chartSheetBooks.erase(book);
    s.forget(ch);  // the chart sheet and its chart are gone
    return s.chart(embedded);
  });
}

}  // namespace tavo::standin
