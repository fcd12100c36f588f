// The object model's codes of a chart's parts, both ways: the automation
// host sends them, and a host that receives them reads them back; a code
// that names nothing a chart here has reads as nothing.
#pragma once

#include <initializer_list>
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

// The value of `all` whose code is `c`.
template <class T>
std::optional<T> ValueOfCode(int c, std::initializer_list<T> all) {
  for (T value : all)
    if (Of(value) == c) return value;
  return std::nullopt;
}

inline std::optional<ChartType> ChartTypeOf(int c) {
  return ValueOfCode(c, {ChartType::Line, ChartType::LineMarkers});
}
inline std::optional<PlotBy> PlotByOf(int c) { return ValueOfCode(c, {PlotBy::Rows, PlotBy::Columns}); }
inline std::optional<ChartAxis> ChartAxisOf(int c) {
  return ValueOfCode(c, {ChartAxis::Category, ChartAxis::Value});
}
inline std::optional<AxisGroup> AxisGroupOf(int c) {
  return ValueOfCode(c, {AxisGroup::Primary, AxisGroup::Secondary});
}
inline std::optional<LabelPosition> LabelPositionOf(int c) {
  return ValueOfCode(c, {LabelPosition::Above, LabelPosition::Below, LabelPosition::Center, LabelPosition::Left,
                         LabelPosition::Right});
}

}  // namespace tavo::host::code
