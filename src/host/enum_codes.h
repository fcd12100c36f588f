// The object model's codes of the boundary's enums (a chart's parts, a
// format's alignments, borders, underline and fill), both ways: the
// automation host sends them, and a host that receives them reads them back;
// a code that names nothing here reads as nothing.
#pragma once

#include <initializer_list>
#include <optional>

#include "host/chart.h"
#include "host/constants.h"
#include "host/format.h"

namespace tavo::host::code {

inline constexpr int kCenter = -4108;
inline constexpr int kLeft = -4131;
inline constexpr int kRight = -4152;
inline constexpr int kGeneral = 1;
inline constexpr int kBottom = -4107;
inline constexpr int kContinuous = 1;
inline constexpr int kUnderlineSingle = 2;
inline constexpr int kLine = 4;
inline constexpr int kLineMarkers = 65;
inline constexpr int kColumns = 2;
inline constexpr int kLabelPositionAbove = 0;
inline constexpr int kValueAxis = 2;
inline constexpr int kCategoryAxis = 1;
inline constexpr int kPrimary = 1;
inline constexpr int kRows = 1;
inline constexpr int kSecondary = 2;
inline constexpr int kLabelPositionBelow = 1;
inline constexpr int kTop = -4160;
inline constexpr int kFill = 5;
inline constexpr int kCenterAcrossSelection = 7;
inline constexpr int kJustify = -4130;
inline constexpr int kDistributed = -4117;
inline constexpr int kDash = -4115;
inline constexpr int kDot = -4118;
inline constexpr int kDouble = -4119;

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

inline int Of(Underline u) {
  return u == Underline::None ? kNone : u == Underline::Single ? kUnderlineSingle : kDouble;
}
inline int Of(HorizontalAlignment a) {
  switch (a) {
    case HorizontalAlignment::General: return kGeneral;
    case HorizontalAlignment::Left: return kLeft;
    case HorizontalAlignment::Center: return kCenter;
    case HorizontalAlignment::Right: return kRight;
    case HorizontalAlignment::Fill: return kFill;
    case HorizontalAlignment::Justify: return kJustify;
    case HorizontalAlignment::CenterAcrossSelection: return kCenterAcrossSelection;
    case HorizontalAlignment::Distributed: return kDistributed;
  }
  return kGeneral;
}
inline int Of(VerticalAlignment a) {
  switch (a) {
    case VerticalAlignment::Top: return kTop;
    case VerticalAlignment::Center: return kCenter;
    case VerticalAlignment::Bottom: return kBottom;
    case VerticalAlignment::Justify: return kJustify;
    case VerticalAlignment::Distributed: return kDistributed;
  }
  return kBottom;
}
inline int Of(BorderLine b) {
  switch (b) {
    case BorderLine::None: return kNone;
    case BorderLine::Continuous: return kContinuous;
    case BorderLine::Dashed: return kDash;
    case BorderLine::Dotted: return kDot;
    case BorderLine::Double: return kDouble;
  }
  return kNone;
}
// An interior's colour index; its pattern does not cross the boundary.
inline int ColorIndexOf(const Fill& f) { return f.colorIndex >= 1 ? f.colorIndex : kNone; }
inline Fill FillOfColorIndex(int c) { return c == kNone ? Fill{} : Fill::Solid(c); }

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

inline std::optional<Underline> UnderlineOf(int c) {
  return ValueOfCode(c, {Underline::None, Underline::Single, Underline::Double});
}
inline std::optional<HorizontalAlignment> HorizontalAlignmentOf(int c) {
  using enum HorizontalAlignment;
  return ValueOfCode(c, {General, Left, Center, Right, Fill, Justify, CenterAcrossSelection, Distributed});
}
inline std::optional<VerticalAlignment> VerticalAlignmentOf(int c) {
  using enum VerticalAlignment;
  return ValueOfCode(c, {Top, Center, Bottom, Justify, Distributed});
}
inline std::optional<BorderLine> BorderLineOf(int c) {
  using enum BorderLine;
  return ValueOfCode(c, {None, Continuous, Dashed, Dotted, Double});
}

}  // namespace tavo::host::code
