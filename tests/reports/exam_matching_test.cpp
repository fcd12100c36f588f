// Students of two exams matched by number or by name within the class,
// never guessed.
#include "reports/compute/exam_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <random>

#include "reports/compute/borderline.h"
#include "reports/compute/class_balance.h"
#include "reports/compute/progress_statistics.h"

namespace tavo::reports {
namespace {

TEST(ExamMatchingTest, ByNumberWhenBothExamsCarryOne) {
  const std::vector<StudentKey> now = {{"001", "王伟", "1班"}, {"002", "李娜", "1班"}, {"003", "张敏", "2班"}};
  // 李娜 moved class and 张敏 changed her name: the number still finds them.
  const std::vector<StudentKey> before = {{"002", "李娜", "2班"}, {"003", "张小敏", "2班"}, {"004", "赵磊", "1班"}};
  const ExamMatch m = MatchStudents(now, before);
  EXPECT_TRUE(m.byNumber);
  EXPECT_EQ(m.earlierOf, (std::vector<int>{-1, 0, 1}));
  ASSERT_EQ(m.unmatched.size(), 2u);
  EXPECT_FALSE(m.unmatched[0].inEarlierExam);
  EXPECT_EQ(m.unmatched[0].student, 0);
  EXPECT_EQ(m.unmatched[0].reason, UnmatchedReason::OnlyInThisExam);
  EXPECT_TRUE(m.unmatched[1].inEarlierExam);
  EXPECT_EQ(m.unmatched[1].student, 2);
  EXPECT_EQ(m.unmatched[1].reason, UnmatchedReason::OnlyInEarlierExam);
}

TEST(ExamMatchingTest, ByNameWithinTheClassAndNeverAGuessBetweenNamesakes) {
  // One file lacks numbers: names within the class decide.
  const std::vector<StudentKey> now = {{"", "王伟", "1班"}, {"", "王伟", "1班"}, {"", "王伟", "2班"}, {"", "李娜", "2班"}};
  const std::vector<StudentKey> before = {{"9", "王伟", "1班"}, {"8", "王伟", "2班"}, {"7", "李娜", "2班"},
                                          {"6", "李娜", "2班"}};
  const ExamMatch m = MatchStudents(now, before);
  EXPECT_FALSE(m.byNumber);
  // Two 王伟 in 1班 now: neither is matched, nor is the earlier 1班 王伟.
  // 2班's 李娜 twice before: this exam's 李娜 is matched to neither.
  EXPECT_EQ(m.earlierOf, (std::vector<int>{-1, -1, 1, -1}));
  int shared = 0;
  for (const auto& u : m.unmatched) shared += u.reason == UnmatchedReason::SharedKey;
  EXPECT_EQ(shared, 6) << "both 1班 王伟 now, the earlier 1班 王伟, 李娜 now, both earlier 李娜";
  EXPECT_EQ(m.unmatched.size(), 6u);
}

TEST(ExamMatchingTest, AClassOfOneAndAnEmptyEarlierExam) {
  const ExamMatch one = MatchStudents({{"", "周明", "9班"}}, {{"", "周明", "9班"}});
  EXPECT_EQ(one.earlierOf, (std::vector<int>{0}));
  EXPECT_TRUE(one.unmatched.empty());
  const ExamMatch none = MatchStudents({{"1", "周明", "9班"}}, {});
  EXPECT_FALSE(none.byNumber);
  ASSERT_EQ(none.unmatched.size(), 1u);
  EXPECT_EQ(none.unmatched[0].reason, UnmatchedReason::OnlyInThisExam);
}

// Five students now, four before (the fifth is new); ranks by hand.
TEST(ExamProgressTest, RanksAndTScoresInBothExamsAndTheLargestMoves) {
  const double blank = std::nan("");
  const std::vector<double> before = {90, 80, 70, 60};  // ranks 1 2 3 4
  const std::vector<double> now = {60, 85, 88, 90, 99};  // ranks 5 4 3 2 1
  const std::vector<int> earlierOf = {0, 1, 2, 3, -1};
  const FieldProgress p = CompareExams(now, before, earlierOf, 1);
  EXPECT_EQ(p.rankBefore[0], 1);
  EXPECT_EQ(p.rankNow[0], 5);
  EXPECT_EQ(p.rankChange(0), -4) << "a fall of four places";
  EXPECT_EQ(p.rankChange(3), 2);
  EXPECT_TRUE(std::isnan(p.rankChange(4))) << "not in the earlier exam";
  EXPECT_EQ(p.marked, (std::vector<std::int8_t>{-1, 0, 0, 1, 0}));
  EXPECT_NEAR(p.tBefore[0], 50 + 10 * (90 - 75) / std::sqrt(125.0), 1e-12);
  // A class of one.
  const ClassProgress one = ProgressOfClass(p, {3});
  EXPECT_EQ(one.compared, 1);
  EXPECT_EQ(one.rose, 1);
  EXPECT_DOUBLE_EQ(one.meanRankChange, 2);
  // Ties at the edge are all marked; a student absent now is not compared.
  const FieldProgress tied = CompareExams({50, 50, blank}, {60, 60, 70}, {0, 1, 2}, 1);
  EXPECT_EQ(tied.rankChange(0), 1);
  EXPECT_EQ(tied.rankChange(1), 1);
  EXPECT_EQ(tied.marked, (std::vector<std::int8_t>{1, 1, 0}));
  const ClassProgress all = ProgressOfClass(tied, {0, 1, 2});
  EXPECT_EQ(all.compared, 2);
  EXPECT_EQ(all.fell, 0);
}

TEST(BorderlineTest, ByPointsAndByPlacesWithTiesAtTheMargin) {
  const double blank = std::nan("");
  //                              0   1   2   3   4   5      6   7
  const std::vector<double> x = {95, 88, 85, 85, 79, blank, 76, 70};
  // Line 86, 10 points: below 76..86 closest first, above 86..96.
  const Borderline points = FindBorderline(x, StudentsBestFirst(x), 86, {false, 10});
  EXPECT_EQ(points.below, (std::vector<int>{2, 3, 4, 6}));
  EXPECT_EQ(points.above, (std::vector<int>{1, 0}));
  // Two places under the line: 2 and 3 tie at 85, so the tie stays whole.
  const Borderline places = FindBorderline(x, StudentsBestFirst(x), 86, {true, 1});
  EXPECT_EQ(places.below, (std::vector<int>{2, 3}));
  EXPECT_EQ(places.above, (std::vector<int>{1}));
  // Nobody reaches a line above the best.
  const Borderline none = FindBorderline(x, StudentsBestFirst(x), 100, {true, 2});
  EXPECT_TRUE(none.above.empty());
  EXPECT_EQ(none.below, (std::vector<int>{0, 1}));
}

// Random pairs of exams against a reference written from the rules as a
// teacher states them: a key shared inside either exam matches nobody; a
// rank is 1 + the students of that exam with a higher score.
TEST(ExamProgressTest, RandomPairsOfExamsAgreeWithAReference) {
  std::mt19937 random(20261210);
  const double blank = std::nan("");
  for (int round = 0; round < 200; ++round) {
    const bool numbered = round % 2 == 0;
    auto draw = [&](int n) {
      std::vector<StudentKey> keys;
      std::vector<double> scores;
      for (int s = 0; s < n; ++s) {
        // Few names and classes, so that namesakes and shared numbers happen.
        keys.push_back({numbered ? std::to_string(random() % 40) : "", "学生" + std::to_string(random() % 15),
                        std::to_string(random() % 3) + "班"});
        scores.push_back(random() % 10 == 0 ? blank : static_cast<double>(random() % 20));
      }
      return std::pair{keys, scores};
    };
    const auto [now, nowScores] = draw(1 + static_cast<int>(random() % 30));
    const auto [before, beforeScores] = draw(static_cast<int>(random() % 30));
    const ExamMatch m = MatchStudents(now, before);
    ASSERT_EQ(m.byNumber, numbered && !before.empty());

    auto key = [&](const StudentKey& k) { return m.byNumber ? k.number : k.className + "|" + k.name; };
    std::map<std::string, int> inNow, inBefore;
    for (const StudentKey& k : now) ++inNow[key(k)];
    for (const StudentKey& k : before) ++inBefore[key(k)];
    std::map<UnmatchedReason, int> reasons;
    for (std::size_t s = 0; s < now.size(); ++s) {
      const std::string k = key(now[s]);
      int expected = -1;
      if (inNow[k] == 1 && inBefore[k] == 1)
        for (std::size_t e = 0; e < before.size(); ++e)
          if (key(before[e]) == k) expected = static_cast<int>(e);
      ASSERT_EQ(m.earlierOf[s], expected) << "round " << round << ", student " << s;
      if (expected < 0)
        ++reasons[inNow[k] > 1 || inBefore[k] > 1 ? UnmatchedReason::SharedKey : UnmatchedReason::OnlyInThisExam];
    }
    for (const StudentKey& k : before)
      if (!(inNow[key(k)] == 1 && inBefore[key(k)] == 1))
        ++reasons[inNow[key(k)] > 1 || inBefore[key(k)] > 1 ? UnmatchedReason::SharedKey
                                                            : UnmatchedReason::OnlyInEarlierExam];
    std::map<UnmatchedReason, int> found;
    for (const ExamMatch::Unmatched& u : m.unmatched) ++found[u.reason];
    ASSERT_EQ(found, reasons) << "round " << round;
    // Listed as the sheet shows them: this exam's first, each in its data order.
    ASSERT_TRUE(std::is_sorted(m.unmatched.begin(), m.unmatched.end(),
                               [](const auto& a, const auto& b) {
                                 return std::pair{a.inEarlierExam, a.student} < std::pair{b.inEarlierExam, b.student};
                               }))
        << "round " << round;

    const FieldProgress p = CompareExams(nowScores, beforeScores, m.earlierOf, 3);
    auto rank = [](const std::vector<double>& scores, std::size_t s) {
      int above = 0;
      for (double x : scores) above += !std::isnan(x) && x > scores[s];
      return 1.0 + above;
    };
    for (std::size_t s = 0; s < now.size(); ++s) {
      const int e = m.earlierOf[s];
      if (e < 0 || std::isnan(nowScores[s]) || std::isnan(beforeScores[static_cast<std::size_t>(e)])) {
        ASSERT_TRUE(std::isnan(p.rankChange(s)));
        continue;
      }
      ASSERT_EQ(p.rankNow[s], rank(nowScores, s));
      ASSERT_EQ(p.rankBefore[s], rank(beforeScores, static_cast<std::size_t>(e)));
      // Marked: among the three largest rises (or falls), ties at the edge all marked.
      const double change = p.rankChange(s);
      int larger = 0;
      for (std::size_t t = 0; t < p.rankNow.size(); ++t) {
        const double c = p.rankChange(t);
        larger += change > 0 ? c > change : c < change;
      }
      ASSERT_EQ(p.marked[s], change != 0 && larger < 3 ? (change > 0 ? 1 : -1) : 0) << "round " << round;
    }
  }
}

TEST(BorderlineTest, EachLineOverEveryFieldWithMarginsScaledToTheSubjects) {
  const double blank = std::nan("");
  // Total line 600 with 20 points: a subject whose line is 90 gets 3.
  const std::vector<Margin> margins = FieldMargins({false, 20}, {600, 90, 0});
  EXPECT_DOUBLE_EQ(margins[1].amount, 3);
  EXPECT_DOUBLE_EQ(margins[2].amount, 0);
  EXPECT_DOUBLE_EQ(FieldMargins({true, 5}, {600, 90})[1].amount, 5) << "places stay places";
  EXPECT_DOUBLE_EQ(FieldMargins({false, 10}, {0, 90})[1].amount, 10) << "no total line to scale by";

  //                                          0    1    2      3    4
  const std::vector<std::vector<double>> x = {{605, 590, 560, 599.5, 630},  // total, line 600 ± 20
                                              {91, 80, 88, blank, 94}};     // a subject, line 90 ± 3
  const LineBorderline line = FindLineBorderline("重点线", x, {StudentsBestFirst(x[0]), StudentsBestFirst(x[1])},
                                                 {600, 90}, {false, 20}, {4, 0, 3, 1, 2});
  EXPECT_EQ(line.students, (std::vector<int>{0, 3, 1, 2})) << "those borderline in some field, in the given order";
  // gap(place in the list, field): students 0, 3, 1, 2 are listed 0, 1, 2, 3.
  EXPECT_DOUBLE_EQ(line.gap(0, 0), 5);
  EXPECT_DOUBLE_EQ(line.gap(1, 0), -0.5);
  EXPECT_TRUE(std::isnan(line.gap(3, 0))) << "40 points under";
  EXPECT_DOUBLE_EQ(line.gap(3, 1), -2);
  EXPECT_TRUE(std::isnan(line.gap(1, 1))) << "did not sit";
  EXPECT_EQ(std::count(line.students.begin(), line.students.end(), 4), 0) << "30 points over, 94 of 90 + 3";
  const auto counts = CountBorderline(line, {0, 0, 1, 1, -1}, 2);
  EXPECT_EQ(counts[0][0].above, 1);
  EXPECT_EQ(counts[0][0].below, 1);
  EXPECT_EQ(counts[0][1].above, 1);
  EXPECT_EQ(counts[1][0].below, 1);
  EXPECT_EQ(counts[1][0].above, 0);
  EXPECT_EQ(counts[1][1].below, 1);
}

TEST(ClassBalanceTest, MeansSpreadAndTheLayersWithTies) {
  const double blank = std::nan("");
  const std::vector<std::vector<double>> x = {{80, 60, blank, 70, 90, 50}};
  const auto b = BalanceOf(x, {{0, 1, 2}, {3, 4, 5}}, {0, 1, 2, 3, 4, 5});
  EXPECT_EQ(b[0][0].sat, 2);
  EXPECT_DOUBLE_EQ(b[0][0].mean, 70);
  EXPECT_DOUBLE_EQ(b[0][0].sd, 10);
  EXPECT_DOUBLE_EQ(b[0][0].variation, 10.0 / 70);
  EXPECT_DOUBLE_EQ(b[0][0].overMean, 0) << "the grade's mean is 70 too";
  EXPECT_NEAR(b[1][0].sd, std::sqrt(800.0 / 3), 1e-12);
  ASSERT_EQ(b.size(), 3u) << "the grade's row after the classes'";
  EXPECT_EQ(b[2][0].sat, 5);
  EXPECT_DOUBLE_EQ(b[2][0].mean, 70);
  EXPECT_DOUBLE_EQ(b[2][0].overMean, 0);
  const std::vector<std::vector<double>> blanks = {{blank, blank}};
  const auto none = BalanceOf(blanks, {{0, 1}}, {0, 1});
  EXPECT_EQ(none[0][0].sat, 0);
  EXPECT_TRUE(std::isnan(none[0][0].mean) && std::isnan(none[0][0].overMean));

  //                          0   1   2   3      4   5
  const std::vector<double> t = {90, 80, 80, blank, 70, 60};
  const Layers two = LayersOf(t, {0, 1, 2, 3, 4, 5}, 2);
  EXPECT_EQ(two.best, (std::vector<int>{0, 1, 2})) << "the tie at the edge comes along";
  EXPECT_EQ(two.last, (std::vector<int>{5, 4})) << "the last first; who did not sit is in neither";
  const Layers all = LayersOf(t, {1, 2}, 5);
  EXPECT_EQ(all.best, (std::vector<int>{1, 2}));
  EXPECT_EQ(all.last, (std::vector<int>{1, 2})) << "equal scores keep the data's order";
}

// The layers against the rule written out: sort those who sat (stably, in
// the order given), take N and whoever ties the N-th.
TEST(ClassBalanceTest, LayersAgreeWithAStableSortOnRandomClasses) {
  std::mt19937 random(1210);
  auto reference = [](std::vector<int> sat, const std::vector<double>& x, int n, bool best) {
    std::stable_sort(sat.begin(), sat.end(), [&](int a, int b) {
      return best ? x[static_cast<std::size_t>(a)] > x[static_cast<std::size_t>(b)]
                  : x[static_cast<std::size_t>(a)] < x[static_cast<std::size_t>(b)];
    });
    std::vector<int> out;
    for (std::size_t i = 0; i < sat.size(); ++i) {
      const double score = x[static_cast<std::size_t>(sat[i])];
      if (static_cast<int>(i) >= n && !(i > 0 && score == x[static_cast<std::size_t>(sat[i - 1])])) break;
      out.push_back(sat[i]);
    }
    return out;
  };
  for (int round = 0; round < 300; ++round) {
    const int students = static_cast<int>(random() % 80);
    std::vector<double> x;
    for (int s = 0; s < students; ++s)
      x.push_back(random() % 7 == 0 ? std::nan("") : static_cast<double>(random() % (1 + round % 20)));
    std::vector<int> order(static_cast<std::size_t>(students));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    const int n = static_cast<int>(random() % 12);
    std::vector<int> sat;
    for (int s : order)
      if (!std::isnan(x[static_cast<std::size_t>(s)])) sat.push_back(s);
    const Layers got = LayersOf(x, order, n);
    ASSERT_EQ(got.best, reference(sat, x, n, true)) << "round " << round;
    ASSERT_EQ(got.last, reference(sat, x, n, false)) << "round " << round;
  }
}

}  // namespace
}  // namespace tavo::reports
