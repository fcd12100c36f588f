// Where a settings sheet keeps what the teacher typed. The layout commands
// write this grid and every report reads it, so these positions are the
// contract between the two.
#pragma once

namespace tavo::params {

inline constexpr int kSettingsTitleRow = 11;   // A: the version's name
inline constexpr int kSettingsHeaderRow = 12;  // one header per setting, from B
inline constexpr int kSettingsRow = 13;        // one setting per column, from B

inline constexpr int kLineTitleRow = 61;
inline constexpr int kLineHeaderRow = 62;  // subject names copied from row 72, from E
inline constexpr int kFirstLineRow = 63;   // line k is row 62 + k
inline constexpr int kLineNameColumn = 1;
inline constexpr int kLineLabelColumn = 2;
inline constexpr int kLineModeColumn = 3;   // "按人数" or "按分数"
inline constexpr int kLineTotalColumn = 4;  // the line's value for the total

inline constexpr int kClassTitleRow = 71;
inline constexpr int kClassHeaderRow = 72;  // subject names from E
inline constexpr int kFirstClassRow = 73;
inline constexpr int kGradeColumn = 1;
inline constexpr int kClassColumn = 2;
inline constexpr int kPlannedSizeColumn = 3;
inline constexpr int kHeadTeacherColumn = 4;
inline constexpr int kFirstSubjectColumn = 5;

}  // namespace tavo::params
