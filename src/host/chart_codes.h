// The object model's codes of a chart's parts, both ways: the automation
// host sends them, and a host that receives them reads them back; a code
// that names nothing a chart here has reads as nothing.
#pragma once

#include <optional>

#include "host/chart.h"
#include "host/constants.h"

namespace tavo::host::code {

inline constexpr int kLine = 4;
inline constexpr int kRows = 1;
inline constexpr int kSecondary = 2;
inline constexpr int kLabelPositionBelow = 1;

inline int Of(ChartType t) { return t == ChartType::Line ? kLine : kLineMarkers; }
inline int Of(PlotBy p) { return p == PlotBy::Rows ? kRows : kColumns; }
inline int Of(ChartAxis a) { return a == ChartAxis::Category ? kCategoryAxis : kValueAxis; }
inline int Of(AxisGroup g) { return g == AxisGroup::Primary ? kPrimary : kSecondary; }
inline int Of(LabelPosition p) {
  switch (p) {
    case LabelPosition::Above: return kLabelPositionAbove;
    case LabelPosition::Below: return kLabelPositionBelow;
    case LabelPosition::Center: return kCenter;
    case LabelPosition::Left: return kLeft;
    case LabelPosition::Right: return kRight;
  }
  return kLabelPositionAbove;
}

inline std::optional<ChartType> ChartTypeOf(int c) {
  if (c == kLine) return ChartType::Line;
  if (c == kLineMarkers) return ChartType::LineMarkers;
  return std::nullopt;
}
inline std::optional<PlotBy> PlotByOf(int c) {
  if (c == kRows) return PlotBy::Rows;
  if (c == kColumns) return PlotBy::Columns;
  return std::nullopt;
}
inline std::optional<ChartAxis> ChartAxisOf(int c) {
  if (c == kCategoryAxis) return ChartAxis::Category;
  if (c == kValueAxis) return ChartAxis::Value;
  return std::nullopt;
}
inline std::optional<AxisGroup> AxisGroupOf(int c) {
  if (c == kPrimary) return AxisGroup::Primary;
  if (c == kSecondary) return AxisGroup::Secondary;
  return std::nullopt;
}
inline std::optional<LabelPosition> LabelPositionOf(int c) {
  for (LabelPosition p : {LabelPosition::Above, LabelPosition::Below, LabelPosition::Center, LabelPosition::Left,
                          LabelPosition::Right})
    if (Of(p) == c) return p;
  return std::nullopt;
}

}  // namespace tavo::host::code
