#include "host/xlsx/chart_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "host/address.h"
#include "host/constants.h"
#include "host/model/chart.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/xml_text.h"

namespace tavo::xlsx {

namespace {

struct Reference {
  model::Sheet* sheet = nullptr;
  host::Rect range;
};

// "'成绩 表'!$B$2:$B$9" -> the sheet and the range; nothing when unreadable.
std::optional<Reference> ParseReference(const std::string& text, const DrawingSource& source) {
  auto bang = text.rfind('!');
  if (bang == std::string::npos) return std::nullopt;
  std::string name = text.substr(0, bang);
  if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
    std::string unquoted;
    for (std::size_t i = 1; i + 1 < name.size(); ++i) {
      unquoted += name[i];
      if (name[i] == '\'' && name[i + 1] == '\'') ++i;
    }
    name = unquoted;
  }
  Reference ref;
  ref.sheet = source.sheetNamed(name);
  if (!ref.sheet) return std::nullopt;
  try {
    ref.range = host::parseRect(text.substr(bang + 1));
  } catch (const host::HostError&) {
    return std::nullopt;
  }
  return ref;
}

bool Flag(const pugi::xml_node& n, bool absent) {
  if (!n) return absent;
  std::string v = n.attribute("val").value();
  return v.empty() || v == "1" || v == "true";
}

host::LabelPosition LabelPosition(const std::string& p) {
  if (p == "b") return host::LabelPosition::Below;
  if (p == "ctr") return host::LabelPosition::Center;
  if (p == "l") return host::LabelPosition::Left;
  if (p == "r") return host::LabelPosition::Right;
  return host::LabelPosition::Above;
}

// The chart's data as the model keeps it, or nothing for a chart it cannot.
std::optional<model::ChartData> ReadChart(const pugi::xml_node& space, const DrawingSource& source) {
  pugi::xml_node chart = space.child("c:chart"), plot = chart.child("c:plotArea");
  pugi::xml_node line = plot.child("c:lineChart");
  int kinds = 0;
  for (auto n : plot.children())
    if (std::string(n.name()).size() > 7 && std::string(n.name()).find("Chart") != std::string::npos) ++kinds;
  if (!line || kinds != 1) return std::nullopt;

  model::ChartData d;
  std::optional<Reference> values;
  int series = 0;
  bool byColumns = true;
  for (auto ser : line.children("c:ser")) {
    auto ref = ParseReference(UnescapeText(ser.child("c:val").child("c:numRef").child_value("c:f")), source);
    if (!ref) return std::nullopt;
    if (!values) {
      values = ref;
      byColumns = ref->range.colCount() == 1;
      if (auto cat = ser.child("c:cat")) {
        pugi::xml_node f = cat.child("c:strRef").child("c:f");
        if (!f) f = cat.child("c:numRef").child("c:f");
        if (auto c = ParseReference(UnescapeText(f.child_value()), source)) {
          d.categorySheet = c->sheet;
          d.categories = c->range;
          d.hasCategories = true;
        }
      }
      if (auto labels = ser.child("c:dLbls"); labels && Flag(labels.child("c:showVal"), false)) {
        d.dataLabels = true;
        d.dataLabelPosition = LabelPosition(labels.child("c:dLblPos").attribute("val").value());
      }
    } else {
      // Further series continue the source block side by side.
      host::Rect& r = values->range;
      if (ref->sheet != values->sheet) return std::nullopt;
      if (byColumns && ref->range.left == r.right + 1 && ref->range.top == r.top && ref->range.bottom == r.bottom)
        r.right = ref->range.right;
      else if (!byColumns && ref->range.top == r.bottom + 1 && ref->range.left == r.left && ref->range.right == r.right)
        r.bottom = ref->range.bottom;
      else
        return std::nullopt;
    }
    ++series;
  }
  if (series == 0) return std::nullopt;
  d.sourceSheet = values->sheet;
  d.source = values->range;
  d.plotBy = byColumns ? host::PlotBy::Columns : host::PlotBy::Rows;
  d.type = Flag(line.child("c:marker"), true) ? host::ChartType::LineMarkers : host::ChartType::Line;

  if (auto title = chart.child("c:title"); title && !Flag(chart.child("c:autoTitleDeleted"), false)) {
    d.hasTitle = true;
    std::string text;
    for (auto p : title.child("c:tx").child("c:rich").children("a:p"))
      for (auto r : p.children("a:r")) text += r.child_value("a:t");
    d.title = UnescapeText(text);
    pugi::xml_node rPr = title.child("c:tx").child("c:rich").child("a:p").child("a:r").child("a:rPr");
    pugi::xml_node defRPr = title.child("c:tx").child("c:rich").child("a:p").child("a:pPr").child("a:defRPr");
    int size = rPr.attribute("sz").as_int(defRPr.attribute("sz").as_int(1800));
    d.titleFontSize = size / 100.0;
  }
  d.hasLegend = static_cast<bool>(chart.child("c:legend"));
  pugi::xml_node valueAxis = plot.child("c:valAx"), categoryAxis = plot.child("c:catAx");
  d.hasValueAxis = !Flag(valueAxis.child("c:delete"), false);
  d.hasCategoryAxis = !Flag(categoryAxis.child("c:delete"), false);
  d.valueGridlines = static_cast<bool>(valueAxis.child("c:majorGridlines"));
  d.axisBetweenCategories = std::string(valueAxis.child("c:crossBetween").attribute("val").value()) != "midCat";
  d.hasDropLines = static_cast<bool>(line.child("c:dropLines"));
  d.plotAreaCleared = static_cast<bool>(plot.child("c:spPr").child("a:noFill"));
  return d;
}

}  // namespace

bool ModelHoldsAll(const pugi::xml_node& drawing, const DrawingSource& source) {
  // Read by the prefixes the desktop spreadsheet gives; a drawing written
  // with others is carried.
  if (std::string(drawing.name()) != "xdr:wsDr") return false;
  for (auto object : drawing.children()) {
    const std::string kind = object.name();
    if (kind != "xdr:twoCellAnchor" && kind != "xdr:oneCellAnchor" && kind != "xdr:absoluteAnchor") {
      if (object.type() == pugi::node_element) return false;  // alternate content, extensions
      continue;
    }
    pugi::xml_node chartRef =
        object.child("xdr:graphicFrame").child("a:graphic").child("a:graphicData").child("c:chart");
    if (!chartRef) return false;
    pugi::xml_document chart = source.xml(source.target(chartRef.attribute("r:id").value()));
    if (!ReadChart(chart.child("c:chartSpace"), source)) return false;
  }
  return true;
}

void ReadCharts(model::Sheet& sheet, const pugi::xml_node& drawing, const DrawingSource& source,
                std::set<std::string>& notCarried) {
  for (auto anchor : drawing.children()) {
    std::string kind = anchor.name();
    if (kind != "xdr:twoCellAnchor" && kind != "xdr:oneCellAnchor" && kind != "xdr:absoluteAnchor") continue;
    pugi::xml_node frame = anchor.child("xdr:graphicFrame");
    pugi::xml_node chartRef = frame.child("a:graphic").child("a:graphicData").child("c:chart");
    if (!frame || !chartRef) {
      notCarried.insert(anchor.child("xdr:pic") ? "图片" : "图形");
      continue;
    }
    std::string part = source.target(chartRef.attribute("r:id").value());
    pugi::xml_document chartDoc = source.xml(part);
    auto data = ReadChart(chartDoc.child("c:chartSpace"), source);
    if (!data) {
      notCarried.insert("图表");
      continue;
    }
    // Placement in points from the cell anchors.
    auto corner = [&](const pugi::xml_node& m, double& left, double& top) {
      const int col = std::clamp(m.child("xdr:col").text().as_int(), 0, host::kMaxCol - 1);
      const int row = std::clamp(m.child("xdr:row").text().as_int(), 0, host::kMaxRow - 1);
      left = LeftOf(sheet, col + 1, m.child("xdr:colOff").text().as_llong());
      top = TopOf(sheet, row + 1, m.child("xdr:rowOff").text().as_llong());
    };
    double left = 0, top = 0, right = 0, bottom = 0;
    if (kind == "xdr:absoluteAnchor") {
      left = anchor.child("xdr:pos").attribute("x").as_double() / kEmuPerPoint;
      top = anchor.child("xdr:pos").attribute("y").as_double() / kEmuPerPoint;
      right = left + anchor.child("xdr:ext").attribute("cx").as_double() / kEmuPerPoint;
      bottom = top + anchor.child("xdr:ext").attribute("cy").as_double() / kEmuPerPoint;
    } else {
      corner(anchor.child("xdr:from"), left, top);
      if (kind == "xdr:twoCellAnchor") {
        corner(anchor.child("xdr:to"), right, bottom);
      } else {
        right = left + anchor.child("xdr:ext").attribute("cx").as_double() / kEmuPerPoint;
        bottom = top + anchor.child("xdr:ext").attribute("cy").as_double() / kEmuPerPoint;
      }
    }
    auto rounded = [](double x) { return std::round(x * 100) / 100; };
    data->left = rounded(left);
    data->top = rounded(top);
    data->width = std::max(1.0, rounded(right - left));
    data->height = std::max(1.0, rounded(bottom - top));
    std::string name = frame.child("xdr:nvGraphicFramePr").child("xdr:cNvPr").attribute("name").value();
    auto& chart = dynamic_cast<model::ModelChart&>(sheet.addChart(data->type, data->left, data->top, data->width, data->height));
    if (!name.empty()) data->name = UnescapeText(name);
    else data->name = chart.data.name;
    chart.data = *data;
  }
}

}  // namespace tavo::xlsx
