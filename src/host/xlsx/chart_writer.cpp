// Charts as native line charts in a drawing part of their sheet.
#include <cmath>

#include "host/address.h"
#include "host/model/workbook.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/writer_parts.h"
#include "host/xlsx/xml_text.h"

namespace tavo::xlsx {

namespace {

constexpr const char* kSeriesColors[] = {"000080", "FF00FF", "FFFF00", "00FFFF", "800080", "800000"};

std::string RangeRef(const model::Sheet* sheet, const host::Rect& r) {
  std::string a = host::a1(r.topLeft());
  std::string b = host::a1(host::Cell{r.bottom, r.right});
  auto absolute = [](const std::string& cell) {
    std::size_t digits = cell.find_first_of("0123456789");
    return "$" + cell.substr(0, digits) + "$" + cell.substr(digits);
  };
  return QuotedSheetName(sheet->name()) + absolute(a) + (a == b ? "" : ":" + absolute(b));
}

std::string ChartXml(const model::ChartData& c) {
  std::string x = kXmlHead;
  x += "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
       "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" xmlns:r=\"";
  x += kRelNs;
  x += "\"><c:roundedCorners val=\"0\"/><c:chart>";
  if (c.hasTitle) {
    x += "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:pPr><a:defRPr sz=\"" +
         std::to_string(std::lround(c.titleFontSize * 100)) + "\" b=\"1\"/></a:pPr><a:r><a:rPr lang=\"zh-CN\" sz=\"" +
         std::to_string(std::lround(c.titleFontSize * 100)) + "\" b=\"1\"/><a:t>" + Escaped(c.title) +
         "</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title><c:autoTitleDeleted val=\"0\"/>";
  } else {
    x += "<c:autoTitleDeleted val=\"1\"/>";
  }
  x += "<c:plotArea><c:layout/><c:lineChart><c:grouping val=\"standard\"/><c:varyColors val=\"0\"/>";
  if (c.sourceSheet) {
    const host::Rect& s = c.source;
    const bool byColumns = c.plotBy == host::PlotBy::Columns;
    const int series = byColumns ? s.colCount() : s.rowCount();
    for (int i = 0; i < series; ++i) {
      host::Rect values = byColumns ? host::Rect{s.top, s.left + i, s.bottom, s.left + i}
                                    : host::Rect{s.top + i, s.left, s.top + i, s.right};
      // Line and marker drawn explicitly: programs differ in what they draw
      // for a series that leaves its look to them.
      const char* color = kSeriesColors[i % 6];
      x += "<c:ser><c:idx val=\"" + std::to_string(i) + "\"/><c:order val=\"" + std::to_string(i) +
           "\"/><c:spPr><a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"" + color +
           "\"/></a:solidFill></a:ln></c:spPr><c:marker><c:symbol val=\"circle\"/><c:size val=\"5\"/>"
           "<c:spPr><a:solidFill><a:srgbClr val=\"" + color + "\"/></a:solidFill><a:ln><a:solidFill><a:srgbClr val=\"" +
           color + "\"/></a:solidFill></a:ln></c:spPr></c:marker>";
      if (i == 0 && c.dataLabels)
        x += "<c:dLbls><c:dLblPos val=\"t\"/><c:showLegendKey val=\"0\"/><c:showVal val=\"1\"/>"
             "<c:showCatName val=\"0\"/><c:showSerName val=\"0\"/><c:showPercent val=\"0\"/>"
             "<c:showBubbleSize val=\"0\"/></c:dLbls>";
      if (i == 0 && c.hasCategories && c.categorySheet)
        x += "<c:cat><c:strRef><c:f>" + Escaped(RangeRef(c.categorySheet, c.categories)) + "</c:f></c:strRef></c:cat>";
      x += "<c:val><c:numRef><c:f>" + Escaped(RangeRef(c.sourceSheet, values)) +
           "</c:f></c:numRef></c:val><c:smooth val=\"0\"/></c:ser>";
    }
  }
  if (c.hasDropLines)
    x += "<c:dropLines><c:spPr><a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"808080\"/></a:solidFill></a:ln>"
         "</c:spPr></c:dropLines>";
  x += "<c:marker val=\"1\"/><c:axId val=\"1001\"/><c:axId val=\"1002\"/></c:lineChart>";
  x += "<c:catAx><c:axId val=\"1001\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"" +
       std::string(c.hasCategoryAxis ? "0" : "1") +
       "\"/><c:axPos val=\"b\"/><c:numFmt formatCode=\"General\" sourceLinked=\"1\"/><c:tickLblPos val=\"nextTo\"/>"
       "<c:crossAx val=\"1002\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/>"
       "<c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/></c:catAx>";
  x += "<c:valAx><c:axId val=\"1002\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"" +
       std::string(c.hasValueAxis ? "0" : "1") + "\"/><c:axPos val=\"l\"/>";
  if (c.valueGridlines) x += "<c:majorGridlines/>";
  x += "<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/><c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"1001\"/>"
       "<c:crosses val=\"autoZero\"/><c:crossBetween val=\"" +
       std::string(c.axisBetweenCategories ? "between" : "midCat") + "\"/></c:valAx>";
  if (c.plotAreaCleared) x += "<c:spPr><a:noFill/><a:ln><a:noFill/></a:ln></c:spPr>";
  x += "</c:plotArea>";
  if (c.hasLegend) x += "<c:legend><c:legendPos val=\"r\"/><c:overlay val=\"0\"/></c:legend>";
  x += "<c:plotVisOnly val=\"1\"/><c:dispBlanksAs val=\"gap\"/></c:chart></c:chartSpace>";
  return x;
}

}  // namespace

DrawingXml ChartsXml(const model::Sheet& sheet, int firstChartNumber) {
  DrawingXml out;
  out.drawing = kXmlHead;
  out.drawing +=
      "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">";
  out.drawingRels = kXmlHead;
  out.drawingRels += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  int n = 0;
  for (const auto& chart : sheet.charts()) {
    const model::ChartData& c = chart->data;
    ++n;
    std::string rid = "rId" + std::to_string(n);
    // Placed in points, not by cells: a spreadsheet whose columns come out
    // wider (another font for the sheet's) draws the chart at its size and
    // place all the same, and the page set-up that fits it holds.
    auto emu = [](double points) { return std::to_string(std::lround(points * kEmuPerPoint)); };
    out.drawing += "<xdr:absoluteAnchor><xdr:pos x=\"" + emu(c.left) + "\" y=\"" + emu(c.top) + "\"/><xdr:ext cx=\"" +
                   emu(c.width) + "\" cy=\"" + emu(c.height) + "\"/>" +
                   "<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"" + std::to_string(n + 1) +
                   "\" name=\"" + Escaped(c.name) +
                   "\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm><a:off x=\"0\" y=\"0\"/><a:ext "
                   "cx=\"0\" cy=\"0\"/></xdr:xfrm><a:graphic><a:graphicData "
                   "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart "
                   "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" xmlns:r=\"" +
                   std::string(kRelNs) + "\" r:id=\"" + rid +
                   "\"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/></xdr:absoluteAnchor>";
    out.drawingRels += "<Relationship Id=\"" + rid +
                       "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/chart\" "
                       "Target=\"../charts/chart" +
                       std::to_string(firstChartNumber + n - 1) + ".xml\"/>";
    out.charts.push_back(ChartXml(c));
  }
  out.drawing += "</xdr:wsDr>";
  out.drawingRels += "</Relationships>";
  return out;
}

}  // namespace tavo::xlsx
