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

std::vector<Value> SumOfSubjects(const host::Grid& table, const std::vector<int>& subjectColumns) {
  std::vector<Value> totals(static_cast<std::size_t>(std::max(table.rows - 1, 0)));
  for (int r = 1; r < table.rows; ++r) {
    double sum = 0;
    std::optional<host::ErrorKind> error;
    for (int column : subjectColumns) {
      const Value& v = table.at(r, column);
      if (v.isError()) {
        error = v.error();
        break;
      }
      sum += ScoreOrZero(CleanScore(v));  // other text counts nothing, as in a SUM
    }
    totals[static_cast<std::size_t>(r - 1)] = error ? Value(*error) : Value(sum);
  }
  return totals;
}

ScoreTable BuildScoreTable(const host::Grid& cells, int columns, const std::vector<int>& fieldColumns,
                           int classColumn) {
  ScoreTable t;
  const int n = cells.rows > 0 ? cells.rows - 1 : 0;
  for (int c = 0; c < columns && cells.rows > 0; ++c) t.header.push_back(cells.at(0, c));
  t.classCells.reserve(static_cast<std::size_t>(n));
  t.classKeys.reserve(static_cast<std::size_t>(n));
  for (int r = 1; r <= n; ++r) {
    t.classCells.push_back(cells.at(r, classColumn));
    t.classKeys.push_back(ClassKey(t.classCells.back()));
  }
  for (int column : fieldColumns) {
    std::vector<double>& scores = t.scores.emplace_back();
    scores.reserve(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r) scores.push_back(CleanScore(cells.at(r, column)));
  }
  t.order = SortStudents(t);
  return t;
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
