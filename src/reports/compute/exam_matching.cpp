#include "reports/compute/exam_matching.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tavo::reports {

namespace {

bool AllNumbered(const std::vector<StudentKey>& students) {
  return !students.empty() &&
         std::all_of(students.begin(), students.end(), [](const StudentKey& k) { return !k.number.empty(); });
}

// A student of either exam in the one list both are matched in.
struct Entry {
  std::uint64_t hash;  // of the key the student is matched by
  int student;
  bool earlier;
};

std::uint64_t HashOf(const StudentKey& k, bool byNumber) {
  const std::hash<std::string_view> hash;
  if (byNumber) return hash(k.number);
  return hash(k.className) * 0x9E3779B97F4A7C15ULL ^ hash(k.name);
}

// The order of keys, the hash first: equal keys end up side by side.
int CompareKeys(const StudentKey& a, const StudentKey& b, bool byNumber) {
  if (byNumber) return a.number.compare(b.number);
  if (const int c = a.className.compare(b.className)) return c;
  return a.name.compare(b.name);
}

}  // namespace

const char* ReasonText(UnmatchedReason r) {
  switch (r) {
    case UnmatchedReason::OnlyInThisExam: return "仅本次考试有";
    case UnmatchedReason::OnlyInEarlierExam: return "仅上次考试有";
    case UnmatchedReason::SharedKey: return "编号或姓名重复，无法对应";
  }
  return "";
}

ExamMatch MatchStudents(const std::vector<StudentKey>& current, const std::vector<StudentKey>& earlier) {
  ExamMatch m;
  m.byNumber = AllNumbered(current) && AllNumbered(earlier);
  // One sort of both exams' keys rather than a map of each: a province's
  // million keys are hashed once and compared where their hashes meet.
  auto keyOf = [&](const Entry& e) -> const StudentKey& {
    return (e.earlier ? earlier : current)[static_cast<std::size_t>(e.student)];
  };
  std::vector<Entry> entries;
  entries.reserve(current.size() + earlier.size());
  for (int s = 0; s < static_cast<int>(current.size()); ++s)
    entries.push_back({HashOf(current[static_cast<std::size_t>(s)], m.byNumber), s, false});
  for (int e = 0; e < static_cast<int>(earlier.size()); ++e)
    entries.push_back({HashOf(earlier[static_cast<std::size_t>(e)], m.byNumber), e, true});
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (a.hash != b.hash) return a.hash < b.hash;
    return CompareKeys(keyOf(a), keyOf(b), m.byNumber) < 0;
  });

  m.earlierOf.assign(current.size(), -1);
  std::vector<std::optional<UnmatchedReason>> nowReason(current.size()), beforeReason(earlier.size());
  for (std::size_t first = 0, last; first < entries.size(); first = last) {
    int now = 0, before = 0;
    for (last = first; last < entries.size() && entries[last].hash == entries[first].hash &&
                       CompareKeys(keyOf(entries[last]), keyOf(entries[first]), m.byNumber) == 0;
         ++last)
      (entries[last].earlier ? before : now) += 1;
    const bool shared = now > 1 || before > 1;
    for (std::size_t i = first; i < last; ++i) {
      const Entry& e = entries[i];
      if (now == 1 && before == 1) {
        if (!e.earlier) m.earlierOf[static_cast<std::size_t>(e.student)] = entries[first + (i == first)].student;
        continue;
      }
      const UnmatchedReason r = shared      ? UnmatchedReason::SharedKey
                                : e.earlier ? UnmatchedReason::OnlyInEarlierExam
                                            : UnmatchedReason::OnlyInThisExam;
      (e.earlier ? beforeReason : nowReason)[static_cast<std::size_t>(e.student)] = r;
    }
  }
  for (int s = 0; s < static_cast<int>(current.size()); ++s)
    if (const auto r = nowReason[static_cast<std::size_t>(s)]) m.unmatched.push_back({false, s, *r});
  for (int e = 0; e < static_cast<int>(earlier.size()); ++e)
    if (const auto r = beforeReason[static_cast<std::size_t>(e)]) m.unmatched.push_back({true, e, *r});
  return m;
}

}  // namespace tavo::reports
