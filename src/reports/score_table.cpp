#include "reports/score_table.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <optional>

namespace tavo::reports {

using host::Value;

double CleanScore(const Value& v) {
  if (v.isNumber()) return v.number();
  if (v.isEmpty()) return kBlank;
  if (v.isText())
    if (auto number = host::parseDecimal(v.text())) return *number;
  return 0;
}

Value ClassKey(const Value& v) {
  if (v.isText())
    if (auto number = host::parseDecimal(v.text()); number && host::numberToText(*number) == v.text())
      return Value(*number);
  return v;
}

int FindHeader(const host::Grid& table, const std::string& name) {
  return table.rows > 0 ? FindHeader(std::span(table.cells.data(), static_cast<std::size_t>(table.cols)), name) : -1;
}

int FindHeader(std::span<const Value> header, const std::string& name) {
  for (std::size_t c = 0; c < header.size(); ++c)
    if (header[c].isText() && header[c].text() == name) return static_cast<int>(c);
  return -1;
}

SubjectTotals::SubjectTotals(int students)
    : sums_(static_cast<std::size_t>(std::max(students, 0)), 0.0), errors_(sums_.size(), -1) {}

void SubjectTotals::add(std::span<const Value> column) {
  for (std::size_t s = 0; s < sums_.size() && s < column.size(); ++s) {
    if (errors_[s] >= 0) continue;  // the first error is the total
    const Value& v = column[s];
    if (v.isError()) errors_[s] = static_cast<int>(v.error());
    else sums_[s] += ScoreOrZero(CleanScore(v));  // other text counts nothing, as in a SUM
  }
}

std::vector<Value> SubjectTotals::values() const {
  std::vector<Value> out;
  out.reserve(sums_.size());
  for (std::size_t s = 0; s < sums_.size(); ++s) {
    if (errors_[s] >= 0) out.emplace_back(static_cast<host::ErrorKind>(errors_[s]));
    else out.emplace_back(sums_[s]);
  }
  return out;
}

namespace {

// One column of a table whose row 0 is its header, below the header.
std::vector<Value> ColumnOf(const host::Grid& table, int column) {
  std::vector<Value> out;
  for (int r = 1; r < table.rows; ++r) out.push_back(table.at(r, column));
  return out;
}

}  // namespace

std::vector<Value> SumOfSubjects(const host::Grid& table, const std::vector<int>& subjectColumns) {
  SubjectTotals totals(std::max(table.rows - 1, 0));
  for (int column : subjectColumns) totals.add(ColumnOf(table, column));
  return totals.values();
}

ScoreTable BuildScoreTable(std::vector<Value> header, int students, const ColumnReader& read,
                           const std::vector<int>& fieldColumns, int classColumn) {
  ScoreTable t;
  t.header = std::move(header);
  const auto n = static_cast<std::size_t>(std::max(students, 0));
  t.classCells = read(classColumn);
  t.classCells.resize(n);
  t.classKeys.reserve(n);
  for (const Value& cell : t.classCells) t.classKeys.push_back(ClassKey(cell));
  for (int column : fieldColumns) {
    const std::vector<Value> cells = read(column);
    std::vector<double>& scores = t.scores.emplace_back();
    scores.reserve(n);
    for (std::size_t s = 0; s < n; ++s) scores.push_back(s < cells.size() ? CleanScore(cells[s]) : kBlank);
  }
  t.order = SortStudents(t);
  return t;
}

ScoreTable BuildScoreTable(const host::Grid& cells, int columns, const std::vector<int>& fieldColumns,
                           int classColumn) {
  std::vector<Value> header;
  for (int c = 0; c < columns && cells.rows > 0; ++c) header.push_back(cells.at(0, c));
  return BuildScoreTable(std::move(header), std::max(cells.rows - 1, 0),
                         [&](int column) { return ColumnOf(cells, column); }, fieldColumns, classColumn);
}

namespace {

// Best first, blanks after every number.
int CompareBestFirst(double a, double b) {
  if (IsBlank(a) || IsBlank(b)) return IsBlank(a) == IsBlank(b) ? 0 : (IsBlank(a) ? 1 : -1);
  return a > b ? -1 : (a < b ? 1 : 0);
}

}  // namespace

std::vector<int> SortStudents(const ScoreTable& t) {
  std::vector<int> order(static_cast<std::size_t>(t.students()));
  std::iota(order.begin(), order.end(), 0);
  // The total, then the subjects from the last to the first.
  std::vector<const std::vector<double>*> keys;
  if (!t.scores.empty()) keys.push_back(&t.scores.front());
  for (std::size_t f = t.scores.size(); f-- > 1;) keys.push_back(&t.scores[f]);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
    if (int c = host::compareInSortOrder(t.classKeys[ua], t.classKeys[ub])) return c < 0;
    for (const auto* key : keys)
      if (int c = CompareBestFirst((*key)[ua], (*key)[ub])) return c < 0;
    return false;
  });
  return order;
}

std::string ClassMatchKey(const std::string& shown) {
  std::string folded = shown;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::unordered_map<std::string, std::vector<int>> StudentsByClass(const ScoreTable& t) {
  std::unordered_map<std::string, std::vector<int>> classes;
  for (int s : t.order) classes[ClassMatchKey(host::displayText(t.classKeys[static_cast<std::size_t>(s)]))].push_back(s);
  return classes;
}

}  // namespace tavo::reports
