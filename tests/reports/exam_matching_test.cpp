// Students of two exams matched by number or by name within the class,
// never guessed.
#include <gtest/gtest.h>

#include "reports/compute/exam_matching.h"

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

}  // namespace
}  // namespace tavo::reports
