// The object model's codes (alignments, fills, borders, charts, messages,
// validation, paper), as the commands and the hosts pass them.
#pragma once

namespace tavo::host::code {

inline constexpr int kCenter = -4108;
inline constexpr int kLeft = -4131;
inline constexpr int kRight = -4152;
inline constexpr int kNone = -4142;        // no fill, no border, no underline
inline constexpr int kGeneral = 1;         // general horizontal alignment
inline constexpr int kBottom = -4107;      // default vertical alignment
inline constexpr int kContinuous = 1;
inline constexpr int kUnderlineSingle = 2;
inline constexpr int kShiftDown = -4121;
inline constexpr int kShiftToRight = -4161;
inline constexpr int kShiftUp = -4162;
inline constexpr int kShiftToLeft = -4159;
inline constexpr int kLineMarkers = 65;
inline constexpr int kColumns = 2;         // plot by columns
inline constexpr int kLocationAsObject = 2;
inline constexpr int kLabelPositionAbove = 0;
inline constexpr int kValueAxis = 2;
inline constexpr int kCategoryAxis = 1;
inline constexpr int kPrimary = 1;
inline constexpr int kMsgOk = 0;
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgExclamation = 48;
inline constexpr int kValidateInputOnly = 0;
inline constexpr int kValidateDecimal = 2;
inline constexpr int kValidateList = 3;
inline constexpr int kAlertStop = 1;
inline constexpr int kBetween = 1;
inline constexpr int kGreaterEqual = 7;
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;
inline constexpr int kPaperA4 = 9;
inline constexpr int kVisible = -1;

}  // namespace tavo::host::code
