#include "host/com/chart.h"

#include "host/com/application.h"

namespace tavo::com {

void Chart::setSourceData(host::Worksheet& sheet, const host::Rect& source, host::PlotBy plotBy) {
  Dispatch range = static_cast<Worksheet&>(sheet).range(source);
  chart_.call("SetSourceData", {}, {{"Source", Variant(range.raw())}, {"PlotBy", Variant(host::code::Of(plotBy))}});
}

void Chart::setSeriesCategories(int series, host::Worksheet& sheet, const host::Rect& categories) {
  Dispatch range = static_cast<Worksheet&>(sheet).range(categories);
  this->series(series).put("XValues", Variant(range.raw()));
}

void Chart::setTitleText(const std::string& text) {
  chart_.object("ChartTitle", "ChartTitle").object("Characters", "Characters").put("Text", text);
}

void Chart::setTitleFontSize(double size) {
  chart_.object("ChartTitle", "ChartTitle").object("Font", "Font").put("Size", size);
}

// An embedded chart is placed by its frame, the chart object around it.
void Chart::setPlacement(double left, double top, double width, double height) {
  Dispatch frame = chart_.object("Parent", "ChartObject");
  frame.put("Left", left);
  frame.put("Top", top);
  frame.put("Width", width);
  frame.put("Height", height);
}

}  // namespace tavo::com
