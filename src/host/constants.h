// The object model's codes that travel as numbers (shifts, messages,
// validation, paper); those of the boundary's enums are in enum_codes.h.
#pragma once

namespace tavo::host::code {

inline constexpr int kNone = -4142;  // no fill, no border, no underline
inline constexpr int kShiftDown = -4121;
inline constexpr int kShiftToRight = -4161;
inline constexpr int kShiftUp = -4162;
inline constexpr int kShiftToLeft = -4159;
inline constexpr int kLocationAsObject = 2;
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
