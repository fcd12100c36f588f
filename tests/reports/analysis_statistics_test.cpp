// The analyses' statistics by hand and against a plain reference on random
// data: headers read as questions, item statistics, reliability, standard
// scores and the grade conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "params/grade_schemes.h"
#include "reports/compute/distribution.h"
#include "reports/compute/question_statistics.h"
#include "reports/compute/score_table.h"
#include "reports/compute/standard_scores.h"

namespace tavo::reports {
namespace {

const double kNaN = std::nan("");

TEST(DistributionTest, SpreadsheetFunctionsOnTheirDocumentedExample) {
  // The data and results of the spreadsheet's own SKEW and KURT examples.
  const std::vector<double> skew = {3, 4, 5, 2, 3, 4, 5, 6, 4, 7};
  EXPECT_NEAR(Skewness(skew), 0.359543, 1e-6);
  const std::vector<double> kurt = {3, 4, 5, 2, 3, 4, 5, 6, 4, 7};
  EXPECT_NEAR(Kurtosis(kurt), -0.151799637, 1e-9);
  EXPECT_DOUBLE_EQ(Median({5, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(Median({5, 1, 3}), 3);
  EXPECT_TRUE(std::isnan(Skewness(std::vector<double>{1, 2})));
  EXPECT_TRUE(std::isnan(Kurtosis(std::vector<double>{4, 4, 4, 4, 4})));
  EXPECT_TRUE(std::isnan(Pearson(std::vector<double>{1, 1, 1}, std::vector<double>{1, 2, 3})));
  EXPECT_DOUBLE_EQ(RoundHalfUp(2.5), 3);
  EXPECT_DOUBLE_EQ(RoundHalfUp(79.5), 80);
  EXPECT_DOUBLE_EQ(RoundHalfUp(-2.5), -3);
  EXPECT_DOUBLE_EQ(RoundHalfUp(2.675, 2), 2.68);
}

TEST(DistributionTest, CronbachAlphaOfParallelAndOfUnrelatedItems) {
  // Items that move together perfectly: alpha 1.
  EXPECT_NEAR(CronbachAlpha({{1, 2, 3, 4}, {2, 3, 4, 5}, {0, 1, 2, 3}}), 1.0, 1e-12);
  // Two items, variances 1.25 each, sums {3,3,3,3} with no spread: no alpha.
  EXPECT_TRUE(std::isnan(CronbachAlpha({{1, 2, 3, 4}, {2, 1, 0, -1}})));
  // By hand: items {0,1,1,1} and {0,0,1,1}: variances 3/16 and 1/4, sums
  // {0,1,2,2} with variance 11/16; alpha = 2 (1 - 7/11) = 8/11.
  EXPECT_NEAR(CronbachAlpha({{0, 1, 1, 1}, {0, 0, 1, 1}}), 8.0 / 11, 1e-12);
}

TEST(QuestionHeaderTest, TheWaysMarkingSystemsNameQuestions) {
  const std::vector<std::string> subjects = {"数学", "英语"};
  auto parsed = [&](const host::Value& v) { return ParseQuestionHeader(v, subjects); };
  EXPECT_EQ(parsed(3)->label, "3");
  EXPECT_EQ(parsed("题4")->number, 4);
  EXPECT_EQ(parsed("第12题")->number, 12);
  EXPECT_EQ(parsed("Q7")->number, 7);
  const auto marked = parsed("17（12分）");
  ASSERT_TRUE(marked);
  EXPECT_EQ(marked->label, "17");
  EXPECT_EQ(marked->fullMark, 12.0);
  EXPECT_EQ(parsed("1(5分)")->fullMark, 5.0);
  const auto named = parsed("数学-3");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->subject, "数学");
  EXPECT_EQ(named->number, 3);
  EXPECT_DOUBLE_EQ(parsed("13.2")->number, 13.2);
  for (const char* other : {"语文", "数学", "总分", "考号", "班级", "1班", "第一题", ""})
    EXPECT_FALSE(parsed(other)) << other;
  EXPECT_FALSE(parsed(0));
}

TEST(QuestionHeaderTest, GroupsEndWhereNumberingStartsAgainOrTheSubjectChanges) {
  const std::vector<host::Value> header = {"班级", "数学", 1, 2, 3, "英语", 1, 2, "数学1", "数学2", "英语1"};
  const auto groups = FindQuestionGroups(header, {"数学", "英语"}, {0, 1, 5});
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].size(), 3u);
  EXPECT_EQ(groups[1].front().column, 6);
  EXPECT_EQ(groups[2].front().header.subject, "数学");
  EXPECT_EQ(groups[3].front().header.subject, "英语");
}

TEST(QuestionHeaderTest, AGroupBelongsToTheSubjectItAddsUpTo) {
  const std::vector<std::vector<double>> questions = {{1, 2, kNaN, 3}, {4, 4, 5, kNaN}};
  // 语文 is something else; 数学 is the sums (a blank question is 0).
  EXPECT_EQ(SubjectOfGroup(questions, {{9, 9, 9, 9}, {5, 6, 5, 3}}), 1);
  EXPECT_EQ(SubjectOfGroup(questions, {{9, 9, 9, 9}, {5, 6, 5, 4}}), -1) << "three in four is too few";
}

// Five students, two questions of 4 points and one of 2; the fifth did not
// sit (no total) and the fourth left question 2 blank.
TEST(QuestionAnalysisTest, HandComputedTest) {
  const std::vector<double> total = {10, 8, 5, 3, kNaN};
  const std::vector<std::vector<double>> q = {{4, 4, 3, 2, kNaN}, {4, 2, 0, kNaN, kNaN}, {2, 2, 2, 1, kNaN}};
  std::vector<QuestionHeader> headers(3);
  headers[0].label = "1";
  headers[0].fullMark = 4;
  headers[1].label = "2";
  headers[1].fullMark = 4;
  headers[2].label = "3";  // no full mark: the best score, 2
  const QuestionAnalysis a = AnalyseQuestions("数学", total, q, headers, {{"1班", {0, 1}}, {"2班", {2, 3, 4}}});
  ASSERT_EQ(a.questions.size(), 3u);
  EXPECT_EQ(a.blanksCounted, 1);
  const QuestionResult& first = a.questions[0];
  EXPECT_EQ(first.students, 4);
  EXPECT_DOUBLE_EQ(first.mean, 13.0 / 4);
  EXPECT_DOUBLE_EQ(first.rate, 13.0 / 16);
  // Groups of round(0.27 x 4) = 1: the best (10) scored 4, the worst (3) 2.
  EXPECT_DOUBLE_EQ(first.discrimination, (4 - 2) / 4.0);
  const QuestionResult& second = a.questions[1];
  EXPECT_DOUBLE_EQ(second.mean, 6.0 / 4) << "the blank counts 0";
  EXPECT_DOUBLE_EQ(second.rate, 6.0 / 16);
  const QuestionResult& third = a.questions[2];
  EXPECT_TRUE(third.fullMarkObserved);
  EXPECT_EQ(third.fullMark, 2);
  EXPECT_EQ(third.hints, "") << "a rate of 0.875 is not yet easy";
  EXPECT_DOUBLE_EQ(a.summary.mean, 6.5);
  EXPECT_DOUBLE_EQ(a.summary.median, 6.5);
  EXPECT_EQ(a.summary.alphaStudents, 3) << "the fourth left a question blank";
  ASSERT_EQ(a.classes.size(), 2u);
  EXPECT_EQ(a.classes[1].students, 2) << "the fifth did not sit";
  EXPECT_DOUBLE_EQ(a.classes[1].rates[0], (3 + 2) / 2.0 / 4);
}

TEST(QuestionAnalysisTest, AQuestionEverybodyGotRight) {
  const std::vector<double> total = {9, 7, 5, 4};
  const QuestionAnalysis a =
      AnalyseQuestions("数学", total, {{3, 3, 3, 3}}, {QuestionHeader{"1", 1, 3.0, ""}}, {});
  const QuestionResult& q = a.questions[0];
  EXPECT_DOUBLE_EQ(q.rate, 1);
  EXPECT_DOUBLE_EQ(q.sd, 0);
  EXPECT_DOUBLE_EQ(q.discrimination, 0);
  EXPECT_TRUE(std::isnan(q.correlation)) << "no spread, no correlation";
  EXPECT_EQ(q.hints, "偏易、区分度低");
  EXPECT_TRUE(std::isnan(a.summary.alpha)) << "one question";
}

TEST(StandardScoreTest, HandComputedScores) {
  const StandardScores s = StandardiseScores({90, 80, 80, 70, kNaN});
  EXPECT_EQ(s.students, 4);
  EXPECT_DOUBLE_EQ(s.mean, 80);
  EXPECT_DOUBLE_EQ(s.sd, std::sqrt(50.0));
  EXPECT_DOUBLE_EQ(s.zOf(90), 10 / std::sqrt(50.0));
  EXPECT_DOUBLE_EQ(s.tOf(70), 50 - 100 / std::sqrt(50.0));
  EXPECT_EQ(s.steps, (std::vector<double>{90, 80, 70})) << "the one who did not sit is no step";
  EXPECT_EQ(s.stepPlace, (std::vector<double>{1, 2, 4}));
  EXPECT_EQ(s.placeOf(80), 2);
  EXPECT_DOUBLE_EQ(s.percentileOf(90), 100 - 50.0 / 4);
  EXPECT_DOUBLE_EQ(s.percentileOf(80), 100 - 150.0 / 4);
  const StandardScores constant = StandardiseScores({60, 60, 60});
  EXPECT_EQ(constant.zOf(60), 0);
  EXPECT_EQ(constant.tOf(60), 50);
}

TEST(GradeConversionTest, TiesAtABoundaryShareTheHigherGrade) {
  // Twenty students, five grades: A is the best 3. The 3rd and 4th tie.
  std::vector<double> scores;
  for (int i = 0; i < 20; ++i) scores.push_back(100 - 2 * i);
  scores[3] = scores[2];  // 96, 96
  const params::GradeScheme& five = *params::FindGradeScheme("五等级");
  const ConvertedScores c = ConvertGrades(scores, five);
  EXPECT_EQ(c.grade[2], 0);
  EXPECT_EQ(c.grade[3], 0) << "equal scores share a grade";
  EXPECT_EQ(c.audit[0].students, 4);
  EXPECT_DOUBLE_EQ(c.audit[0].share, 20);
  EXPECT_EQ(c.grade[4], 1);
  // B reaches place 10 (15 % + 35 % of 20): students 5 to 10, scores 92 .. 82.
  EXPECT_EQ(c.audit[1].students, 6);
  EXPECT_DOUBLE_EQ(c.audit[1].y2, 92);
  EXPECT_DOUBLE_EQ(c.audit[1].y1, 82);
  // 88 in B: 71 + (85 - 71)(88 - 82)/(92 - 82) = 79.4 -> 79.
  EXPECT_DOUBLE_EQ(c.converted[6], 79);
  EXPECT_DOUBLE_EQ(c.converted[0], 100) << "the best of A";
  EXPECT_DOUBLE_EQ(c.converted[3], 86) << "the lowest of A";
  // E holds 2 % of 20 = 0.4 students: the last student only by the rest.
  EXPECT_EQ(c.grade[19], 4);
}

TEST(GradeConversionTest, HalfPointsRoundUpAndOneScoreGradesTakeTheTop) {
  const params::GradeScheme scheme{"两级", {{"A", 50, 100, 81}, {"B", 50, 80, 61}}};
  // A: 95 .. 75 (Y2 - Y1 = 20); 85 gives 81 + 19 x 10/20 = 90.5 -> 91.
  const ConvertedScores c = ConvertGrades({95, 85, 75, 60, 60, 60}, scheme);
  EXPECT_DOUBLE_EQ(c.converted[1], 91);
  EXPECT_EQ(c.grade[3], 1);
  EXPECT_DOUBLE_EQ(c.converted[4], 80) << "a grade of one score takes T2";
  EXPECT_EQ(params::SchemeProblem(scheme), "");
  EXPECT_NE(params::SchemeProblem({"坏", {{"A", 60, 100, 81}}}), "");
}

// A straightforward reference: each student's place counted directly, the
// grade by walking the cumulative shares, Y1/Y2 by scanning the grade.
TEST(GradeConversionTest, AgreesWithAReferenceOnRandomSchools) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const int n = 1 + static_cast<int>(random() % 300);
    std::vector<double> scores;
    for (int i = 0; i < n; ++i)
      scores.push_back(random() % 10 == 0 ? kNaN : static_cast<double>(random() % 41) * 2.5);
    const params::GradeScheme& scheme = params::GradeSchemes()[static_cast<std::size_t>(round % 2)];
    const ConvertedScores got = ConvertGrades(scores, scheme);
    const StandardScores standard = StandardiseScores(scores);
    int sat = 0;
    for (double x : scores) sat += !IsBlank(x);
    std::vector<int> grade(static_cast<std::size_t>(n), -1);
    for (int i = 0; i < n; ++i) {
      if (IsBlank(scores[static_cast<std::size_t>(i)])) continue;
      int above = 0;
      for (double y : scores) above += !IsBlank(y) && y > scores[static_cast<std::size_t>(i)];
      const int place = above + 1;
      ASSERT_EQ(standard.placeOf(scores[static_cast<std::size_t>(i)]), place);
      double cumulative = 0;
      int g = 0;
      for (; g < static_cast<int>(scheme.grades.size()) - 1; ++g) {
        cumulative += scheme.grades[static_cast<std::size_t>(g)].share;
        if (place * 100.0 <= cumulative * sat + 1e-6) break;
      }
      grade[static_cast<std::size_t>(i)] = g;
    }
    ASSERT_EQ(got.grade, grade) << "round " << round;
    for (int i = 0; i < n; ++i) {
      const int g = grade[static_cast<std::size_t>(i)];
      if (g < 0) continue;
      double low = 1e9, high = -1e9;
      for (int j = 0; j < n; ++j)
        if (grade[static_cast<std::size_t>(j)] == g) {
          low = std::min(low, scores[static_cast<std::size_t>(j)]);
          high = std::max(high, scores[static_cast<std::size_t>(j)]);
        }
      const params::GradeBand& b = scheme.grades[static_cast<std::size_t>(g)];
      const double t = high > low ? b.low + (b.high - b.low) * (scores[static_cast<std::size_t>(i)] - low) / (high - low)
                                  : b.high;
      ASSERT_DOUBLE_EQ(got.converted[static_cast<std::size_t>(i)], std::floor(t + 0.5 + 1e-9)) << round << " " << i;
    }
    // A score alone tells the rest, bit for bit: the student table is written from it.
    for (int i = 0; i < n; ++i) {
      const auto s = static_cast<std::size_t>(i);
      if (IsBlank(scores[s])) continue;
      ASSERT_EQ(got.gradeOf(scores[s]), got.grade[s]);
      ASSERT_EQ(got.convertedOf(scores[s]), got.converted[s]) << round << " " << i;
    }
  }
}

// Students counted into their scores' places agree with a stable sort: ties
// in data order, blanks left out, -0 the same score as 0. Marks in whole,
// half and quarter points, marks with one far from the rest, and scores
// all but distinct take different ways to the same order.
TEST(StandardScoreTest, BestFirstIsAStableSortOfThoseWhoSat) {
  std::mt19937 random(13);
  for (int round = 0; round < 300; ++round) {
    const int mix = round % 3;  // 0: marks only; 1: and one far away; 2: and near-distinct scores
    std::vector<double> scores;
    for (int i = 0, n = static_cast<int>(random() % 500); i < n; ++i) {
      const int kind = static_cast<int>(random() % 12);
      scores.push_back(kind == 0               ? kNaN
                       : kind == 1             ? -0.0
                       : kind == 2 && mix == 1 ? (i % 2 ? 1e9 : -1e9) + 0.5
                       : kind == 2 && mix == 2 ? std::ldexp(static_cast<double>(random()), -20)
                       : kind == 3             ? static_cast<double>(random() % 40) * 0.25 - 3
                                               : static_cast<double>(random() % 30) * 0.5 - 3);
    }
    std::vector<int> expected;
    for (int s = 0; s < static_cast<int>(scores.size()); ++s)
      if (!IsBlank(scores[static_cast<std::size_t>(s)])) expected.push_back(s);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      return scores[static_cast<std::size_t>(a)] > scores[static_cast<std::size_t>(b)];
    });
    ASSERT_EQ(StudentsBestFirst(scores), expected) << "round " << round;
  }
}

// Discrimination and correlation against their definitions written out.
TEST(QuestionAnalysisTest, AgreesWithAReferenceOnRandomTests) {
  std::mt19937 random(11);
  for (int round = 0; round < 50; ++round) {
    const int n = 4 + static_cast<int>(random() % 200), k = 2 + static_cast<int>(random() % 6);
    std::vector<std::vector<double>> q(static_cast<std::size_t>(k), std::vector<double>(static_cast<std::size_t>(n)));
    std::vector<double> total(static_cast<std::size_t>(n), 0);
    for (int s = 0; s < n; ++s)
      for (int j = 0; j < k; ++j) {
        const double x = static_cast<double>(random() % 6);
        q[static_cast<std::size_t>(j)][static_cast<std::size_t>(s)] = x;
        total[static_cast<std::size_t>(s)] += x;
      }
    std::vector<QuestionHeader> headers(static_cast<std::size_t>(k));
    for (auto& h : headers) h.fullMark = 5;
    const QuestionAnalysis a = AnalyseQuestions("卷", total, q, headers, {});
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int s = 0; s < n; ++s) order[static_cast<std::size_t>(s)] = s;
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
      return total[static_cast<std::size_t>(x)] > total[static_cast<std::size_t>(y)];
    });
    const int g = std::max(1, static_cast<int>(std::lround(0.27 * n)));
    for (int j = 0; j < k; ++j) {
      const auto& x = q[static_cast<std::size_t>(j)];
      double top = 0, bottom = 0;
      for (int i = 0; i < g; ++i) {
        top += x[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
        bottom += x[static_cast<std::size_t>(order[static_cast<std::size_t>(n - 1 - i)])];
      }
      EXPECT_NEAR(a.questions[static_cast<std::size_t>(j)].discrimination, (top - bottom) / g / 5, 1e-12);
      double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
      for (int s = 0; s < n; ++s) {
        const double xv = x[static_cast<std::size_t>(s)], yv = total[static_cast<std::size_t>(s)] - xv;
        sx += xv, sy += yv, sxx += xv * xv, syy += yv * yv, sxy += xv * yv;
      }
      const double r = (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
      EXPECT_NEAR(a.questions[static_cast<std::size_t>(j)].correlation, r, 1e-9);
    }
  }
}

}  // namespace
}  // namespace tavo::reports
