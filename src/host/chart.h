// An embedded chart as the chart report shapes it.
#pragma once

#include <string>

#include "host/geometry.h"

namespace tavo::host {

class Worksheet;

// Where a host makes a chart for a sheet: on the sheet itself, or, as the
// older hosts do, on a chart sheet of its own that is then located on the
// sheet (such charts take a larger title by default).
enum class ChartPlacement { OnSheet, ViaChartSheet };

// The placement of the host whose object model reports `version`.
inline ChartPlacement ChartPlacementOfVersion(const std::string& version) {
  return version == "11.0" ? ChartPlacement::ViaChartSheet : ChartPlacement::OnSheet;
}

enum class ChartType { Line, LineMarkers };
enum class PlotBy { Rows, Columns };  // one series per row, or per column, of the source
enum class ChartAxis { Category, Value };
enum class AxisGroup { Primary, Secondary };
enum class LabelPosition { Above, Below, Center, Left, Right };

class Chart {
 public:
  virtual ~Chart() = default;
  // As the host names it: an embedded chart is named by its sheet, a space
  // and its shape ("统计图 图表 1"); a chart sheet's chart by the sheet.
  virtual std::string name() const = 0;
  virtual void setChartType(ChartType) = 0;
  virtual void setSourceData(Worksheet& sheet, const Rect& source, PlotBy) = 0;
  virtual void setSeriesCategories(int series, Worksheet& sheet, const Rect& categories) = 0;
  virtual void setHasTitle(bool) = 0;
  virtual void setTitleText(const std::string&) = 0;
  virtual void setTitleFontSize(double) = 0;
  virtual void setHasLegend(bool) = 0;
  virtual void setHasAxis(ChartAxis, AxisGroup, bool) = 0;
  virtual void setAxisHasMajorGridlines(ChartAxis, bool) = 0;
  virtual void setAxisBetweenCategories(ChartAxis, bool) = 0;
  virtual void setHasDropLines(int chartGroup, bool) = 0;
  virtual void applyDataLabels(int series) = 0;
  virtual void setDataLabelPosition(int series, LabelPosition) = 0;
  virtual void clearPlotAreaFormats() = 0;
  virtual void setPlacement(double left, double top, double width, double height) = 0;
};

}  // namespace tavo::host
