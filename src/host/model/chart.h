// An embedded chart held as data; the xlsx writer draws it.
#pragma once

#include <string>

#include "host/chart.h"

namespace tavo::model {

class Sheet;

struct ChartData {
  std::string name;
  host::ChartType type = host::ChartType::LineMarkers;
  const Sheet* sourceSheet = nullptr;
  host::Rect source{};
  host::PlotBy plotBy = host::PlotBy::Columns;
  const Sheet* categorySheet = nullptr;
  host::Rect categories{};
  bool hasCategories = false;
  bool hasTitle = false;
  std::string title;
  double titleFontSize = 18;
  bool hasLegend = true;
  bool hasValueAxis = true;
  bool hasCategoryAxis = true;
  bool valueGridlines = true;
  bool axisBetweenCategories = true;
  bool hasDropLines = false;
  bool dataLabels = false;
  host::LabelPosition dataLabelPosition = host::LabelPosition::Above;
  bool plotAreaCleared = false;
  double left = 0, top = 0, width = 360, height = 216;
};

class ModelChart final : public host::Chart {
 public:
  // `data.name` is the shape's name on `sheet`, or the chart sheet's name.
  explicit ModelChart(std::string name, const Sheet* sheet = nullptr) : sheet_(sheet) { data.name = std::move(name); }
  std::string name() const override;
  void embedIn(const Sheet& sheet, std::string shapeName) {
    sheet_ = &sheet;
    data.name = std::move(shapeName);
  }
  void setChartType(host::ChartType t) override { data.type = t; }
  void setSourceData(host::Worksheet& sheet, const host::Rect& r, host::PlotBy) override;
  void setSeriesCategories(int series, host::Worksheet& sheet, const host::Rect& r) override;
  void setHasTitle(bool b) override { data.hasTitle = b; }
  void setTitleText(const std::string& t) override;
  void setTitleFontSize(double s) override;
  void setHasLegend(bool b) override { data.hasLegend = b; }
  void setHasAxis(host::ChartAxis, host::AxisGroup, bool b) override;
  void setAxisHasMajorGridlines(host::ChartAxis, bool b) override;
  void setAxisBetweenCategories(host::ChartAxis, bool b) override;
  void setHasDropLines(int chartGroup, bool b) override;
  void applyDataLabels(int series) override;
  void setDataLabelPosition(int series, host::LabelPosition) override;
  void clearPlotAreaFormats() override { data.plotAreaCleared = true; }
  void setPlacement(double left, double top, double width, double height) override;

  ChartData data;

 private:
  const Sheet* sheet_;
};

}  // namespace tavo::model
