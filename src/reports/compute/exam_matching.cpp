#include "reports/compute/exam_matching.h"

#include <algorithm>
#include <unordered_map>

namespace tavo::reports {

namespace {

bool AllNumbered(const std::vector<StudentKey>& students) {
  return !students.empty() &&
         std::all_of(students.begin(), students.end(), [](const StudentKey& k) { return !k.number.empty(); });
}

// The key a student is matched by; the separator cannot occur in a name.
std::string KeyOf(const StudentKey& k, bool byNumber) {
  return byNumber ? k.number : k.className + '\x1f' + k.name;
}

// Each key's one student, or -1 when two or more share it.
std::unordered_map<std::string, int> IndexByKey(const std::vector<StudentKey>& students, bool byNumber) {
  std::unordered_map<std::string, int> index;
  for (int s = 0; s < static_cast<int>(students.size()); ++s) {
    auto [at, fresh] = index.try_emplace(KeyOf(students[static_cast<std::size_t>(s)], byNumber), s);
    if (!fresh) at->second = -1;
  }
  return index;
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
  const auto now = IndexByKey(current, m.byNumber), before = IndexByKey(earlier, m.byNumber);
  m.earlierOf.assign(current.size(), -1);
  std::vector<bool> taken(earlier.size(), false);
  for (int s = 0; s < static_cast<int>(current.size()); ++s) {
    const std::string key = KeyOf(current[static_cast<std::size_t>(s)], m.byNumber);
    const auto there = before.find(key);
    if (now.at(key) < 0 || (there != before.end() && there->second < 0)) {
      m.unmatched.push_back({false, s, UnmatchedReason::SharedKey});
    } else if (there == before.end()) {
      m.unmatched.push_back({false, s, UnmatchedReason::OnlyInThisExam});
    } else {
      m.earlierOf[static_cast<std::size_t>(s)] = there->second;
      taken[static_cast<std::size_t>(there->second)] = true;
    }
  }
  for (int e = 0; e < static_cast<int>(earlier.size()); ++e) {
    if (taken[static_cast<std::size_t>(e)]) continue;
    const std::string key = KeyOf(earlier[static_cast<std::size_t>(e)], m.byNumber);
    const bool shared = before.at(key) < 0 || (now.count(key) && now.at(key) < 0);
    m.unmatched.push_back({true, e, shared ? UnmatchedReason::SharedKey : UnmatchedReason::OnlyInEarlierExam});
  }
  return m;
}

}  // namespace tavo::reports
