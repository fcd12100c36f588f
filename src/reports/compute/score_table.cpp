#include "reports/compute/score_table.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <climits>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <unordered_map>

#include "host/radix_sort.h"
#include "reports/compute/standard_scores.h"

namespace tavo::reports {

using host::Value;

double CleanScore(const Value& v) {
  if (v.isNumber()) return v.number();
  if (v.isEmpty()) return kBlank;
  if (v.isText())
    if (auto number = host::parseDecimal(v.text())) return *number;
  return 0;
}

double ScoreIfSat(const Value& v) {
  if (v.isNumber()) return v.number();
  if (v.isText())
    if (auto number = host::parseDecimal(v.text())) return *number;
  return kBlank;
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

void SubjectTotals::add(std::span<const Value> cells, std::size_t first) {
  for (std::size_t i = 0, s = first; s < sums_.size() && i < cells.size(); ++i, ++s) {
    if (errors_[s] >= 0) continue;  // the first error is the total
    const Value& v = cells[i];
    if (v.isError()) errors_[s] = static_cast<int>(v.error());
    else sums_[s] += ScoreOrZero(CleanScore(v));  // other text counts nothing, as in a SUM
  }
}

std::vector<Value> SubjectTotals::values() const { return values(0, sums_.size()); }

std::vector<Value> SubjectTotals::values(std::size_t first, std::size_t count) const {
  std::vector<Value> out;
  out.reserve(count);
  for (std::size_t s = first; s < sums_.size() && s < first + count; ++s) {
    if (errors_[s] >= 0) out.emplace_back(static_cast<host::ErrorKind>(errors_[s]));
    else out.emplace_back(sums_[s]);
  }
  return out;
}

namespace {

// Rows 1 + first .. of one column of a table whose row 0 is its header.
std::vector<Value> ColumnOf(const host::Grid& table, int column, int first = 0, int count = INT_MAX) {
  std::vector<Value> out;
  for (int r = 1 + first; r < table.rows && r - 1 - first < count; ++r) out.push_back(table.at(r, column));
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
  t.classIds.reserve(n);
  ForEachPiece(students, [&](int first, int count) {
    const std::vector<Value> cells = read(classColumn, first, count);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
      t.addStudent(i < cells.size() ? cells[i] : Value());
  });
  for (int column : fieldColumns) {
    std::vector<double>& scores = t.scores.emplace_back();
    std::vector<int>& marked = t.marked.emplace_back();
    scores.reserve(n);
    ForEachPiece(students, [&](int first, int count) {
      const std::vector<Value> cells = read(column, first, count);
      for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const double x = i < cells.size() ? ScoreIfSat(cells[i]) : kBlank;
        // CleanScore, with the marks noted as they pass.
        if (IsBlank(x) && i < cells.size() && !cells[i].isEmpty()) {
          marked.push_back(first + static_cast<int>(i));
          scores.push_back(0);
        } else {
          scores.push_back(x);
        }
      }
    });
  }
  t.order = SortStudents(t);
  return t;
}

namespace {

// What tells two cells apart exactly: their kind and content.
std::string CellIdentity(const Value& v) {
  std::string name(1, static_cast<char>(v.kind()));
  if (v.isText())
    name += v.text();
  else if (v.isNumber())
    name += std::to_string(std::bit_cast<std::uint64_t>(v.number()));
  else
    name += host::displayText(v);
  return name;
}

}  // namespace

void ScoreTable::addStudent(const Value& classCell) {
  auto [it, fresh] = classIdOfCell.try_emplace(CellIdentity(classCell), static_cast<int>(distinctClassCells.size()));
  if (fresh) {
    distinctClassCells.push_back(classCell);
    distinctClassKeys.push_back(ClassKey(classCell));
  }
  classIds.push_back(it->second);
}

std::vector<double> ScoreTable::scoresIfSat(std::size_t field) const {
  std::vector<double> out = scores[field];
  if (field < marked.size())  // a table put together by hand marks nobody
    for (int s : marked[field]) out[static_cast<std::size_t>(s)] = kBlank;
  return out;
}

ScoreTable BuildScoreTable(const host::Grid& cells, int columns, const std::vector<int>& fieldColumns,
                           int classColumn) {
  std::vector<Value> header;
  for (int c = 0; c < columns && cells.rows > 0; ++c) header.push_back(cells.at(0, c));
  return BuildScoreTable(
      std::move(header), std::max(cells.rows - 1, 0),
      [&](int column, int first, int count) { return ColumnOf(cells, column, first, count); }, fieldColumns,
      classColumn);
}

namespace {

// Best first, blanks after every number.
int CompareBestFirst(double a, double b) {
  if (IsBlank(a) || IsBlank(b)) return IsBlank(a) == IsBlank(b) ? 0 : (IsBlank(a) ? 1 : -1);
  return a > b ? -1 : (a < b ? 1 : 0);
}

}  // namespace

namespace {

// Each student's class as its place among the class keys in the host's
// sort order, keys that compare equal sharing a place: the sort then
// compares integers instead of texts.
std::vector<int> ClassPlaces(const ScoreTable& t) {
  const std::vector<Value>& keys = t.distinctClassKeys;
  std::vector<int> byOrder(keys.size());
  std::iota(byOrder.begin(), byOrder.end(), 0);
  auto keyOf = [&](int id) -> const Value& { return keys[static_cast<std::size_t>(id)]; };
  std::stable_sort(byOrder.begin(), byOrder.end(),
                   [&](int a, int b) { return host::compareInSortOrder(keyOf(a), keyOf(b)) < 0; });
  std::vector<int> placeOfId(keys.size());
  for (std::size_t i = 0, place = 0; i < byOrder.size(); ++i) {
    if (i > 0 && host::compareInSortOrder(keyOf(byOrder[i - 1]), keyOf(byOrder[i])) != 0) ++place;
    placeOfId[static_cast<std::size_t>(byOrder[i])] = static_cast<int>(place);
  }
  std::vector<int> places(t.classIds.size());
  for (std::size_t s = 0; s < places.size(); ++s) places[s] = placeOfId[static_cast<std::size_t>(t.classIds[s])];
  return places;
}

}  // namespace

std::vector<int> SortByClassAndName(const ScoreTable& t, const std::vector<Value>& names) {
  const std::vector<int> places = ClassPlaces(t);
  std::vector<std::string> texts(places.size());
  for (std::size_t s = 0; s < texts.size() && s < names.size(); ++s) texts[s] = host::toText(names[s]);
  std::vector<int> order(places.size());
  for (std::size_t s = 0; s < order.size(); ++s) order[s] = static_cast<int>(s);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    return places[i] != places[j] ? places[i] < places[j] : texts[i] < texts[j];
  });
  return order;
}

std::vector<int> SortStudents(const ScoreTable& t) {
  // The class, the total, then the subjects from the last to the first;
  // students alike in all of them keep the data's order.
  std::vector<const std::vector<double>*> keys;
  if (!t.scores.empty()) keys.push_back(&t.scores.front());
  for (std::size_t f = t.scores.size(); f-- > 1;) keys.push_back(&t.scores[f]);
  const std::vector<int> places = ClassPlaces(t);
  // The class's place and the total's (a blank after every number) make
  // one key a radix sort orders in linear time, equal keys in data order;
  // only students of one class and total, a few at a time, are compared
  // by the subjects.
  std::vector<std::uint32_t> totalPlace(places.size(), 0);
  if (!keys.empty()) {
    const std::vector<double>& total = *keys.front();
    const std::vector<int> bestFirst = StudentsBestFirst(total);
    std::uint32_t place = 0;
    for (std::size_t i = 0; i < bestFirst.size(); ++i) {
      const auto s = static_cast<std::size_t>(bestFirst[i]);
      if (i > 0 && total[s] != total[static_cast<std::size_t>(bestFirst[i - 1])]) ++place;
      totalPlace[s] = place;
    }
    const std::uint32_t blank = bestFirst.empty() ? 0 : place + 1;
    for (std::size_t s = 0; s < total.size(); ++s)
      if (IsBlank(total[s])) totalPlace[s] = blank;
  }
  struct Student {
    std::uint64_t key;
    int index;
  };
  std::vector<Student> students(places.size());
  for (std::size_t s = 0; s < students.size(); ++s)
    students[s] = {static_cast<std::uint64_t>(places[s]) << 32 | totalPlace[s], static_cast<int>(s)};
  host::RadixSort<8>(students,
                     [](const Student& x, int b) { return static_cast<std::size_t>((x.key >> (8 * b)) & 0xFF); });
  auto bySubjects = [&](const Student& a, const Student& b) {
    const auto ua = static_cast<std::size_t>(a.index), ub = static_cast<std::size_t>(b.index);
    for (std::size_t k = 1; k < keys.size(); ++k)
      if (int c = CompareBestFirst((*keys[k])[ua], (*keys[k])[ub])) return c < 0;
    return a.index < b.index;
  };
  for (auto run = students.begin(); run != students.end();) {
    auto end = run + 1;
    while (end != students.end() && end->key == run->key) ++end;
    if (end - run > 1 && keys.size() > 1) std::sort(run, end, bySubjects);
    run = end;
  }
  std::vector<int> order(students.size());
  for (std::size_t i = 0; i < students.size(); ++i) order[i] = students[i].index;
  return order;
}

std::string ClassMatchKey(const std::string& shown) {
  std::string folded = shown;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::unordered_map<std::string, std::vector<int>> StudentsByClass(const ScoreTable& t) {
  // Each class's list found once, then the students placed in the report order.
  std::unordered_map<std::string, std::vector<int>> classes;
  std::vector<std::vector<int>*> listOf;  // [class id]
  for (const Value& key : t.distinctClassKeys) listOf.push_back(&classes[ClassMatchKey(host::displayText(key))]);
  for (int s : t.order) listOf[static_cast<std::size_t>(t.classIds[static_cast<std::size_t>(s)])]->push_back(s);
  return classes;
}

}  // namespace tavo::reports
