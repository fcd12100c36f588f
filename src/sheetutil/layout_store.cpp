#include "sheetutil/layout_store.h"

#include "host/constants.h"
#include "host/worksheet.h"

namespace tavo::sheetutil {

void WriteDefaultLayoutRow(host::Worksheet& store, LayoutRow row, bool onlyWhenEmpty) {
  if (onlyWhenEmpty && !store.value({row, kLayoutNameColumn}).isEmpty()) return;
  auto put = [&](int col, const host::Value& v) { store.setValue(host::Rect::of(host::Cell{row, col}), v); };
  // Heights of the title row, the header row and the body rows. Titles hold
  // two lines (16 and 14 points).
  const double heights[] = {40, row == kBands ? 20.0 : 42.0, 18};
  for (int c = 0; c < 3; ++c) put(c + 1, heights[c]);
  // Page set-up in the store's column order 11..19. Every report prints
  // landscape; wide sheets print smaller so that a page holds every column.
  double zoom = 100;
  if (row == kSingle1 || row == kSingle2) zoom = 85;
  if (row == kScoreSheet || row == kStandardScores) zoom = 80;
  if (row == kSubjects3 || row == kSubjects4 || row == kQuestions) zoom = 70;
  const host::Value page[] = {36, 36, 14, host::code::kLandscape, host::code::kPaperA4, zoom, true, 28, 28};
  for (int c = 0; c < 9; ++c) put(kFirstPageColumn + c, page[c]);
  put(kLayoutNameColumn, std::string(kLayoutRowSheets[static_cast<std::size_t>(row - 1)]));
}

}  // namespace tavo::sheetutil
