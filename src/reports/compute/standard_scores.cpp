#include "reports/compute/standard_scores.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "host/radix_sort.h"
#include "reports/compute/distribution.h"
#include "reports/compute/score_table.h"

namespace tavo::reports {

namespace {

// The index of a score that was sat among `steps`, best first.
std::size_t StepOf(const std::vector<double>& steps, double score) {
  return static_cast<std::size_t>(std::lower_bound(steps.begin(), steps.end(), score, std::greater<>()) -
                                  steps.begin());
}

// The place (1 + the scores above) of each of `bestFirst` in turn: f(s, place).
template <class F>
void ForEachPlace(const std::vector<double>& scores, const std::vector<int>& bestFirst, F&& f) {
  double previous = 0, at = 0;
  for (std::size_t i = 0; i < bestFirst.size(); ++i) {
    const auto s = static_cast<std::size_t>(bestFirst[i]);
    if (i == 0 || scores[s] != previous) at = static_cast<double>(i + 1);
    f(s, at);
    previous = scores[s];
  }
}

// Each student's step, the index of the score among the distinct scores
// best first (-1: blank), and how many steps there are.
struct Steps {
  std::vector<int> of;
  std::size_t count = 0;
};

// Marks are whole or half points: in eighths, over a span no wider than a
// small table, a score's step is read from the table. Multiplying by 8 is
// exact, so two scores never share an entry; -0 and 0 do, as they compare.
bool StepsFromTable(const std::vector<double>& scores, Steps& out) {
  constexpr double kEighths = 8, kLargest = 1 << 30;
  double low = kLargest, high = -kLargest;
  for (double x : scores) {
    if (IsBlank(x)) continue;
    const double e = x * kEighths;
    if (!(std::abs(e) <= kLargest) || e != std::floor(e)) return false;
    low = std::min(low, e);
    high = std::max(high, e);
  }
  const double span = high >= low ? high - low + 1 : 0;
  if (span > static_cast<double>(std::max<std::size_t>(scores.size(), 1 << 16))) return false;
  auto entry = [&](double x) { return static_cast<std::size_t>(x * kEighths - low); };
  std::vector<int> step(static_cast<std::size_t>(span), -1);
  for (double x : scores)
    if (!IsBlank(x)) step[entry(x)] = 0;
  for (std::size_t e = step.size(); e-- > 0;)
    if (step[e] == 0) step[e] = static_cast<int>(out.count++);
  out.of.resize(scores.size());
  for (std::size_t s = 0; s < scores.size(); ++s) out.of[s] = IsBlank(scores[s]) ? -1 : step[entry(scores[s])];
  return true;
}

// Any other scores: sorted by their bits, a byte at a time, which keeps
// equal scores in data order.
std::vector<int> SortedBestFirst(const std::vector<double>& scores) {
  struct Student {
    std::uint64_t key;  // descending as unsigned: the best first
    int index;
  };
  std::vector<Student> students;
  for (std::size_t s = 0; s < scores.size(); ++s)
    if (!IsBlank(scores[s])) students.push_back({~host::OrderedBits(scores[s]), static_cast<int>(s)});
  host::RadixSort<8>(students,
                     [](const Student& x, int b) { return static_cast<std::size_t>((x.key >> (8 * b)) & 0xFF); });
  std::vector<int> bestFirst;
  bestFirst.reserve(students.size());
  for (const Student& x : students) bestFirst.push_back(x.index);
  return bestFirst;
}

}  // namespace

std::vector<int> StudentsBestFirst(const std::vector<double>& scores) {
  // Scores take few values: each student is counted into the place of the
  // score, in data order, rather than sorted. A sort through a province's
  // students would miss the cache at every step.
  Steps steps;
  if (!StepsFromTable(scores, steps)) return SortedBestFirst(scores);
  std::vector<int> first(steps.count + 1, 0);  // where each step's students start
  for (int step : steps.of)
    if (step >= 0) ++first[static_cast<std::size_t>(step) + 1];
  for (std::size_t i = 1; i < first.size(); ++i) first[i] += first[i - 1];
  std::vector<int> bestFirst(static_cast<std::size_t>(first.back()));
  for (std::size_t s = 0; s < scores.size(); ++s)
    if (const int step = steps.of[s]; step >= 0)
      bestFirst[static_cast<std::size_t>(first[static_cast<std::size_t>(step)]++)] = static_cast<int>(s);
  return bestFirst;
}

StandardScores StandardiseScores(const std::vector<double>& scores) {
  StandardScores out;
  std::vector<double> sat;
  for (double x : scores)
    if (!IsBlank(x)) sat.push_back(x);
  out.students = static_cast<int>(sat.size());
  out.mean = sat.empty() ? 0 : Mean(sat);
  out.sd = sat.empty() ? 0 : PopulationSd(sat);
  ForEachPlace(scores, StudentsBestFirst(scores), [&](std::size_t s, double place) {
    if (out.stepPlace.empty() || place != out.stepPlace.back()) {
      out.steps.push_back(scores[s]);
      out.stepPlace.push_back(place);
    }
  });
  return out;
}

double StandardScores::placeOf(double score) const { return stepPlace[StepOf(steps, score)]; }

int ConvertedScores::gradeOf(double score) const { return stepGrade[StepOf(steps, score)]; }

double ConvertedScores::convertedOf(double score) const { return stepConverted[StepOf(steps, score)]; }

ConvertedScores ConvertGrades(const std::vector<double>& scores, const params::GradeScheme& scheme) {
  ConvertedScores out;
  out.grade.assign(scores.size(), -1);
  out.converted.assign(scores.size(), std::nan(""));
  out.audit.assign(scheme.grades.size(), {});
  const std::vector<int> bestFirst = StudentsBestFirst(scores);
  const double n = static_cast<double>(bestFirst.size());
  if (bestFirst.empty()) return out;
  // Cumulative head counts; a tiny slack so that 15 % of 20 is 3, not 2.999.
  std::vector<double> reach;
  double share = 0;
  for (const params::GradeBand& g : scheme.grades) {
    share += g.share;
    reach.push_back(share / 100 * n + 1e-9);
  }
  reach.back() = n;
  ForEachPlace(scores, bestFirst, [&](std::size_t s, double place) {
    std::size_t g = 0;
    while (g + 1 < reach.size() && place > reach[g]) ++g;
    out.grade[s] = static_cast<int>(g);
    GradeAudit& a = out.audit[g];
    a.y1 = a.students ? std::min(a.y1, scores[s]) : scores[s];
    a.y2 = a.students ? std::max(a.y2, scores[s]) : scores[s];
    ++a.students;
  });
  for (GradeAudit& a : out.audit) a.share = 100.0 * a.students / n;
  for (const int student : bestFirst) {
    const auto s = static_cast<std::size_t>(student);
    const auto g = static_cast<std::size_t>(out.grade[s]);
    const GradeAudit& a = out.audit[g];
    const params::GradeBand& band = scheme.grades[g];
    const double t = a.y2 > a.y1 ? band.low + (band.high - band.low) * (scores[s] - a.y1) / (a.y2 - a.y1) : band.high;
    out.converted[s] = RoundHalfUp(t);
    if (out.steps.empty() || scores[s] != out.steps.back()) {
      out.steps.push_back(scores[s]);
      out.stepGrade.push_back(out.grade[s]);
      out.stepConverted.push_back(out.converted[s]);
    }
  }
  return out;
}

}  // namespace tavo::reports
