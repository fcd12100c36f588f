// Students of two exams matched by number or by name within the class,
// never guessed.
#include <gtest/gtest.h>

#include <cmath>

#include "reports/compute/borderline.h"
#include "reports/compute/exam_matching.h"
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
  EXPECT_EQ(p.rankChange[0], -4) << "a fall of four places";
  EXPECT_EQ(p.rankChange[3], 2);
  EXPECT_TRUE(std::isnan(p.rankChange[4])) << "not in the earlier exam";
  EXPECT_EQ(p.marked, (std::vector<int>{-1, 0, 0, 1, 0}));
  EXPECT_NEAR(p.tBefore[0], 50 + 10 * (90 - 75) / std::sqrt(125.0), 1e-12);
  // A class of one.
  const ClassProgress one = ProgressOfClass(p, {3});
  EXPECT_EQ(one.compared, 1);
  EXPECT_EQ(one.rose, 1);
  EXPECT_DOUBLE_EQ(one.meanRankChange, 2);
  // Ties at the edge are all marked; a student absent now is not compared.
  const FieldProgress tied = CompareExams({50, 50, blank}, {60, 60, 70}, {0, 1, 2}, 1);
  EXPECT_EQ(tied.rankChange[0], 1);
  EXPECT_EQ(tied.rankChange[1], 1);
  EXPECT_EQ(tied.marked, (std::vector<int>{1, 1, 0}));
  const ClassProgress all = ProgressOfClass(tied, {0, 1, 2});
  EXPECT_EQ(all.compared, 2);
  EXPECT_EQ(all.fell, 0);
}

TEST(BorderlineTest, ByPointsAndByPlacesWithTiesAtTheMargin) {
  const double blank = std::nan("");
  //                              0   1   2   3   4   5      6   7
  const std::vector<double> x = {95, 88, 85, 85, 79, blank, 76, 70};
  // Line 86, 10 points: below 76..86 closest first, above 86..96.
  const Borderline points = FindBorderline(x, 86, {false, 10});
  EXPECT_EQ(points.below, (std::vector<int>{2, 3, 4, 6}));
  EXPECT_EQ(points.above, (std::vector<int>{1, 0}));
  // Two places under the line: 2 and 3 tie at 85, so the tie stays whole.
  const Borderline places = FindBorderline(x, 86, {true, 1});
  EXPECT_EQ(places.below, (std::vector<int>{2, 3}));
  EXPECT_EQ(places.above, (std::vector<int>{1}));
  // Nobody reaches a line above the best.
  const Borderline none = FindBorderline(x, 100, {true, 2});
  EXPECT_TRUE(none.above.empty());
  EXPECT_EQ(none.below, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace tavo::reports
