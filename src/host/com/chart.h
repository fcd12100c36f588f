// A chart through its automation object.
#pragma once

#include "host/chart.h"
#include "host/com/dispatch.h"
#include "host/enum_codes.h"

namespace tavo::com {

class Application;

class Chart final : public host::Chart {
 public:
  Chart(Dispatch chart, Application& app) : chart_(std::move(chart)), app_(app) {}

  std::string name() const override { return ToText(*chart_.get("Name")); }
  void setChartType(host::ChartType type) override { chart_.put("ChartType", host::code::Of(type)); }
  void setSourceData(host::Worksheet& sheet, const host::Rect& source, host::PlotBy plotBy) override;
  void setSeriesCategories(int series, host::Worksheet& sheet, const host::Rect& categories) override;
  void setHasTitle(bool b) override { chart_.put("HasTitle", b); }
  void setTitleText(const std::string& text) override;
  void setTitleFontSize(double size) override;
  void setHasLegend(bool b) override { chart_.put("HasLegend", b); }
  void setHasAxis(host::ChartAxis axis, host::AxisGroup group, bool b) override {
    chart_.put("HasAxis", b, {Variant(host::code::Of(axis)), Variant(host::code::Of(group))});
  }
  void setAxisHasMajorGridlines(host::ChartAxis axis, bool b) override {
    chart_.object("Axes", "Axis", {Variant(host::code::Of(axis))}).put("HasMajorGridlines", b);
  }
  void setAxisBetweenCategories(host::ChartAxis axis, bool b) override {
    chart_.object("Axes", "Axis", {Variant(host::code::Of(axis))}).put("AxisBetweenCategories", b);
  }
  void setHasDropLines(int chartGroup, bool b) override {
    chart_.object("ChartGroups", "ChartGroup", {Variant(chartGroup)}).put("HasDropLines", b);
  }
  void applyDataLabels(int series) override { this->series(series).call("ApplyDataLabels"); }
  void setDataLabelPosition(int series, host::LabelPosition position) override {
    this->series(series).object("DataLabels", "DataLabels").put("Position", host::code::Of(position));
  }
  void clearPlotAreaFormats() override { chart_.object("PlotArea", "PlotArea").call("ClearFormats"); }
  void setPlacement(double left, double top, double width, double height) override;

  const Dispatch& object() const { return chart_; }

 private:
  Dispatch series(int index) const { return chart_.object("SeriesCollection", "Series", {Variant(index)}); }

  Dispatch chart_;
  Application& app_;
};

}  // namespace tavo::com
