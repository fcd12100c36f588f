#include "reports/sheets/sheet_plan.h"

#include <algorithm>
#include <regex>
#include <stdexcept>

#include "host/constants.h"

namespace tavo::reports {

using host::Rect;

PlanRow& SheetPlan::row(int row, RowRole role, std::string key, std::string section) {
  if (row > lastRow()) {
    rows.resize(static_cast<std::size_t>(row));
    values.rows = row;
    values.cols = columns;
    values.cells.resize(static_cast<std::size_t>(row) * static_cast<std::size_t>(columns));
  }
  PlanRow& r = rows[static_cast<std::size_t>(row - 1)];
  r.role = role;
  r.key = std::move(key);
  r.section = std::move(section);
  return r;
}

void SheetPlan::put(int row, int col, host::Value v) {
  if (row > lastRow()) this->row(row, RowRole::Blank);
  values.at(row - 1, col - 1) = std::move(v);
}

void SheetPlan::formula(const Rect& area, std::string r1c1) {
  if (area.bottom > lastRow()) row(area.bottom, RowRole::Blank);
  formulas.push_back({area, std::move(r1c1)});
}

void SheetPlan::format(const Rect& area, const host::FormatPatch& patch) { formats.push_back({area, patch}); }

int FindRow(const SheetPlan& plan, RowRole role, std::string_view key, std::string_view section) {
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    const PlanRow& r = plan.rows[i];
    if (r.role == role && (key.empty() || r.key == key) && (section.empty() || r.section == section))
      return static_cast<int>(i) + 1;
  }
  return 0;
}

namespace {

// The rectangle with columns first..last taken out; nothing when it lay
// inside them. Whole-column and whole-sheet areas stay whole.
std::optional<Rect> WithoutColumns(Rect r, int first, int last) {
  const int width = last - first + 1;
  if (r.right == host::kMaxCol) {
    if (r.left > last) r.left -= width;
    else if (r.left >= first) r.left = first;
    return r;
  }
  if (r.left >= first && r.right <= last) return std::nullopt;
  const int left = r.left > last ? r.left - width : std::min(r.left, first);
  const int right = r.right > last ? r.right - width : std::min(r.right, first - 1);
  r.left = left;
  r.right = right;
  return r;
}

// Where column `col` stands once first..last are gone.
int Shifted(int col, int first, int last) { return col > last ? col - (last - first + 1) : col; }

// The formula standing in `column` as it reads once first..last are gone:
// each column reference still names the column it named.
std::string WithoutColumns(const std::string& r1c1, int column, int first, int last) {
  static const std::regex reference(R"((^|[^A-Za-z0-9_.])(R(?:\[-?\d+\]|\d+)?)?C(?:\[(-?\d+)\]|(\d+)))");
  std::string out;
  auto from = r1c1.cbegin();
  for (std::sregex_iterator m(r1c1.begin(), r1c1.end(), reference), end; m != end; ++m) {
    const bool relative = (*m)[3].matched;
    const int target = relative ? column + std::stoi((*m)[3].str()) : std::stoi((*m)[4].str());
    if (target >= first && target <= last) throw std::logic_error("a planned formula reads a column taken out");
    const int moved = Shifted(target, first, last), offset = moved - Shifted(column, first, last);
    out.append(from, (*m)[0].first);
    out += (*m)[1].str() + (*m)[2].str() + "C";
    if (!relative) out += std::to_string(moved);
    else if (offset != 0) out += "[" + std::to_string(offset) + "]";
    from = (*m)[0].second;
  }
  out.append(from, r1c1.cend());
  return out;
}

}  // namespace

void DropColumns(SheetPlan& plan, int first, int last) {
  last = std::min(last, plan.columns);
  if (first > last) return;
  const int width = last - first + 1, kept = plan.columns - width;
  host::Grid values(plan.values.rows, kept);
  for (int r = 0; r < values.rows; ++r)
    for (int c = 0, from = 0; from < plan.columns; ++from)
      if (from + 1 < first || from + 1 > last) values.at(r, c++) = std::move(plan.values.at(r, from));
  plan.values = std::move(values);
  plan.columns = kept;

  // A formula filled over columns on both sides of the gap may read
  // differently on each side: it is split where its text changes.
  std::vector<PlanFormula> formulas;
  for (PlanFormula& f : plan.formulas) {
    if (f.area.right == host::kMaxCol) throw std::logic_error("a planned formula fills whole rows");
    for (int col = f.area.left; col <= f.area.right; ++col) {
      if (col >= first && col <= last) continue;
      std::string text = WithoutColumns(f.r1c1, col, first, last);
      const int at = Shifted(col, first, last);
      if (!formulas.empty() && formulas.back().r1c1 == text && formulas.back().area.right == at - 1 &&
          formulas.back().area.top == f.area.top && formulas.back().area.bottom == f.area.bottom && col > f.area.left)
        formulas.back().area.right = at;
      else
        formulas.push_back({{f.area.top, at, f.area.bottom, at}, std::move(text)});
    }
  }
  plan.formulas = std::move(formulas);
  std::vector<Rect> merges;
  for (const Rect& m : plan.merges)
    if (auto area = WithoutColumns(m, first, last); area && area->colCount() * area->rowCount() > 1)
      merges.push_back(*area);
  plan.merges = std::move(merges);
  std::vector<PlanFormat> formats;
  for (PlanFormat& f : plan.formats)
    if (auto area = WithoutColumns(f.area, first, last)) formats.push_back({*area, std::move(f.patch)});
  plan.formats = std::move(formats);
  std::vector<PlanTextRun> runs;
  for (PlanTextRun& t : plan.textRuns)
    if (t.at.col < first || t.at.col > last)
      runs.push_back({{t.at.row, t.at.col > last ? t.at.col - width : t.at.col}, std::move(t.run)});
  plan.textRuns = std::move(runs);
  std::vector<int> text;
  for (int c : plan.textColumns)
    if (c < first || c > last) text.push_back(Shifted(c, first, last));
  plan.textColumns = std::move(text);
  std::vector<int> hidden;
  for (int c : plan.hiddenColumns)
    if (c < first || c > last) hidden.push_back(c > last ? c - width : c);
  plan.hiddenColumns = std::move(hidden);
}

namespace {

// A patch of one field.
template <class T, class V>
host::FormatPatch OneField(std::optional<T> host::FormatPatch::*field, V value) {
  host::FormatPatch p;
  p.*field = T(value);
  return p;
}

}  // namespace

host::FormatPatch BoldPatch() { return OneField(&host::FormatPatch::bold, true); }
host::FormatPatch LeftBoldPatch() {
  host::FormatPatch p = BoldPatch();
  p.horizontalAlignment = host::HorizontalAlignment::Left;
  return p;
}

host::FormatPatch FillPatch(int colorIndex) {
  return OneField(&host::FormatPatch::fill, host::Fill::Solid(colorIndex));
}
host::FormatPatch BordersPatch() { return OneField(&host::FormatPatch::border, host::BorderLine::Continuous); }
host::FormatPatch NumberFormatPatch(const char* format) { return OneField(&host::FormatPatch::numberFormat, format); }
host::FormatPatch FontSizePatch(double size) { return OneField(&host::FormatPatch::fontSize, size); }

host::FormatPatch CentredPatch(double fontSize, const char* fontName) {
  host::FormatPatch p;
  p.fontSize = fontSize;
  if (fontName) p.fontName = fontName;
  p.horizontalAlignment = host::HorizontalAlignment::Center;
  p.verticalAlignment = host::VerticalAlignment::Center;
  return p;
}

void PutGroupHeader(SheetPlan& plan, int row, int col, const std::string& group,
                    const std::vector<std::string>& measures) {
  plan.put(row, col, host::Value(group));
  if (measures.size() > 1) plan.merges.push_back({row, col, row, col + static_cast<int>(measures.size()) - 1});
  for (std::size_t m = 0; m < measures.size(); ++m) plan.put(row + 1, col + static_cast<int>(m), host::Value(measures[m]));
}

int PutLeadingHeaders(SheetPlan& plan, int row, const std::vector<std::string>& headers) {
  int col = 1;
  for (const std::string& h : headers) {
    plan.put(row, col, host::Value(h));
    plan.merges.push_back({row, col, row + 1, col});
    ++col;
  }
  return col;
}

void PutTitleAndNotes(SheetPlan& plan, const std::string& title, int titleColumns,
                      const std::vector<std::string>& notes) {
  plan.row(1, RowRole::Title).height = RowHeight{LayoutHeight::Title};
  plan.put(1, 1, host::Value(title));
  plan.merges.push_back({1, 1, 1, titleColumns});
  host::FormatPatch big = FontSizePatch(18);
  big.bold = true;
  plan.format(host::Rect::of(host::Cell{1, 1}), big);
  host::FormatPatch left;
  left.horizontalAlignment = host::HorizontalAlignment::Left;
  for (std::size_t n = 0; n < notes.size(); ++n) {
    const int row = 2 + static_cast<int>(n);
    plan.row(row, RowRole::Note);
    plan.put(row, 1, host::Value(notes[n]));
    plan.format(host::Rect::of(host::Cell{row, 1}), left);
  }
}

}  // namespace tavo::reports
