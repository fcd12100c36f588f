#include "host/model/chart.h"

#include "host/model/sheet.h"

namespace tavo::model {

namespace {
const Sheet* modelSheet(host::Worksheet& s) {
  auto* m = dynamic_cast<const Sheet*>(&s);
  if (!m) throw host::HostError::refused("图表的数据须在同一模型中");
  return m;
}
}  // namespace

std::string ModelChart::name() const { return sheet_ ? sheet_->name() + " " + data.name : data.name; }

void ModelChart::setSourceData(host::Worksheet& sheet, const host::Rect& r, host::PlotBy plotBy) {
  data.sourceSheet = modelSheet(sheet);
  data.source = r;
  data.plotBy = plotBy;
}

void ModelChart::setSeriesCategories(int series, host::Worksheet& sheet, const host::Rect& r) {
  int count = data.plotBy == host::PlotBy::Columns ? data.source.colCount() : data.source.rowCount();
  if (!data.sourceSheet || series < 1 || series > count) throw host::HostError::subscriptOutOfRange();
  data.categorySheet = modelSheet(sheet);
  data.categories = r;
  data.hasCategories = true;
}

void ModelChart::setTitleText(const std::string& t) {
  if (!data.hasTitle) throw host::HostError::refused("图表没有标题");
  data.title = t;
}

void ModelChart::setTitleFontSize(double s) {
  if (!data.hasTitle) throw host::HostError::refused("图表没有标题");
  if (s < 1 || s > 409) throw host::HostError::refused("字号无效");
  data.titleFontSize = s;
}

void ModelChart::setHasAxis(host::ChartAxis axis, host::AxisGroup group, bool b) {
  if (group != host::AxisGroup::Primary) throw host::HostError::refused("只有主坐标轴");
  if (axis == host::ChartAxis::Value) data.hasValueAxis = b;
  else data.hasCategoryAxis = b;
}

void ModelChart::setAxisHasMajorGridlines(host::ChartAxis axis, bool b) {
  // Gridlines of the value axis belong to it even when the axis is hidden.
  if (axis == host::ChartAxis::Value) data.valueGridlines = b;
}

void ModelChart::setAxisBetweenCategories(host::ChartAxis axis, bool b) {
  if (axis != host::ChartAxis::Category) throw host::HostError::refused("只有分类轴有此属性");
  data.axisBetweenCategories = b;
}

void ModelChart::setHasDropLines(int chartGroup, bool b) {
  if (chartGroup != 1) throw host::HostError::subscriptOutOfRange();
  data.hasDropLines = b;
}

void ModelChart::applyDataLabels(int series) {
  if (!data.sourceSheet || series < 1) throw host::HostError::subscriptOutOfRange();
  data.dataLabels = true;
}

void ModelChart::setDataLabelPosition(int series, host::LabelPosition position) {
  if (!data.dataLabels || series < 1) throw host::HostError::refused("没有数据标签");
  data.dataLabelPosition = position;
}

void ModelChart::setPlacement(double left, double top, double width, double height) {
  if (width <= 0 || height <= 0) throw host::HostError::refused("图表大小无效");
  data.left = left;
  data.top = top;
  data.width = width;
  data.height = height;
}

}  // namespace tavo::model
