// The score table and the counts the reports show, on hand-computed cases
// and without any host: ties, blanks, text scores, a class of one, planned
// sizes larger and smaller than the class.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "reports/compute/score_statistics.h"
#include "reports/compute/score_table.h"
#include "reports/compute/teacher_runs.h"

namespace tavo::testing {
namespace {

using host::Value;
using namespace reports;

const double B = kBlank;

// A table: header, then rows of class, total, 语文, 数学.
host::Grid Table(const std::vector<std::vector<Value>>& rows) {
  host::Grid g(static_cast<int>(rows.size()) + 1, 4);
  const Value header[] = {"班级", "总分", "语文", "数学"};
  for (int c = 0; c < 4; ++c) g.at(0, c) = header[c];
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) g.at(static_cast<int>(r) + 1, static_cast<int>(c)) = rows[r][c];
  return g;
}

TEST(ScoreTableTest, ScoresAndClassesAreCleanedAsTheReportsCountThem) {
  EXPECT_EQ(CleanScore(Value(87.5)), 87.5);
  EXPECT_EQ(CleanScore(Value("95")), 95) << "numeric text is its number";
  EXPECT_EQ(CleanScore(Value(" 95 ")), 95);
  EXPECT_EQ(CleanScore(Value("缺考")), 0) << "an absence mark counts 0";
  EXPECT_EQ(CleanScore(Value(host::ErrorKind::NA)), 0);
  EXPECT_EQ(CleanScore(Value(true)), 0);
  EXPECT_TRUE(IsBlank(CleanScore(Value()))) << "an empty cell stays blank";

  EXPECT_EQ(ClassKey(Value("5")), Value(5)) << "5 and \"5\" are one class";
  EXPECT_EQ(ClassKey(Value("05")), Value("05")) << "a name that would show otherwise stays";
  EXPECT_EQ(ClassKey(Value("5.0")), Value("5.0"));
  EXPECT_EQ(ClassKey(Value("1班")), Value("1班"));
}

TEST(ScoreTableTest, TotalsAddNumbersAndNumericTextAndKeepTheFirstError) {
  const host::Grid g = Table({{"1班", Value(), 90, 80},
                              {"1班", Value(), "缺考", "70"},
                              {"1班", Value(), Value(), Value()},
                              {"1班", Value(), Value(host::ErrorKind::Div0), 5}});
  const auto totals = SumOfSubjects(g, {2, 3});
  ASSERT_EQ(totals.size(), 4u);
  EXPECT_EQ(totals[0], Value(170));
  EXPECT_EQ(totals[1], Value(70)) << "the mark adds nothing, \"70\" adds 70";
  EXPECT_EQ(totals[2], Value(0));
  EXPECT_EQ(totals[3], Value(host::ErrorKind::Div0));
  EXPECT_EQ(SumOfSubjects(g, {2, 2})[0], Value(180)) << "a subject listed twice counts twice";
}

TEST(ScoreTableTest, StudentsStandByClassThenTotalThenSubjectsFromTheLast) {
  // Rows 0..5. Classes: numbers before text, letter case aside.
  const ScoreTable t = BuildScoreTable(Table({{"2班", 500, 90, 80},
                                              {"1班", 480, 90, 70},
                                              {"1班", 480, 85, 75},
                                              {"1班", 480, 85, 75},
                                              {5, 300, 60, 60},
                                              {"1班", Value(), 80, 80}}),
                                       4, {1, 2, 3}, 0);
  // 1班: 480 x3 (数学 75 before 70; the two equal rows in data order), then the blank total.
  EXPECT_EQ(t.order, (std::vector<int>{4, 2, 3, 1, 5, 0}));
  EXPECT_TRUE(IsBlank(t.scores[0][5]));

  const auto classes = StudentsByClass(t);
  EXPECT_EQ(classes.at(ClassMatchKey("1班")), (std::vector<int>{2, 3, 1, 5}));
  EXPECT_EQ(classes.at(ClassMatchKey("5")), (std::vector<int>{4}));
  EXPECT_EQ(ClassMatchKey("A1班"), ClassMatchKey("a1班")) << "a search ignores letter case";
}

// The order by its definition, one comparison chain over the whole table,
// on schools with ties everywhere, letter case apart, numbers beside text.
TEST(ScoreTableTest, StudentOrderIsTheClassTotalSubjectChainWithDataOrderLast) {
  const Value classes[] = {Value("1班"), Value("A班"), Value("a班"), Value(3), Value(12), Value("10班"), Value("b")};
  std::uint64_t state = 11;
  auto next = [&] { return (state = state * 6364136223846793005ull + 1442695040888963407ull) >> 33; };
  for (int round = 0; round < 40; ++round) {
    ScoreTable t;
    const int students = 1 + static_cast<int>(next() % 250), fields = 1 + static_cast<int>(next() % 4);
    t.scores.assign(static_cast<std::size_t>(fields), {});
    for (int s = 0; s < students; ++s) {
      t.addStudent(classes[next() % 7]);
      // Whole points in even rounds; tenths, which the students' ranking sorts by their bits, in odd ones.
      for (auto& field : t.scores)
        field.push_back(next() % 7 == 0 ? kBlank : static_cast<double>(next() % 5) / (round % 2 ? 10 : 1));
    }
    auto bestFirst = [](double a, double b) {
      if (IsBlank(a) || IsBlank(b)) return IsBlank(a) == IsBlank(b) ? 0 : (IsBlank(a) ? 1 : -1);
      return a > b ? -1 : (a < b ? 1 : 0);
    };
    std::vector<int> expected(static_cast<std::size_t>(students));
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
      if (int c = host::compareInSortOrder(t.classKey(ua), t.classKey(ub))) return c < 0;
      if (int c = bestFirst(t.scores[0][ua], t.scores[0][ub])) return c < 0;
      for (std::size_t f = t.scores.size(); f-- > 1;)
        if (int c = bestFirst(t.scores[f][ua], t.scores[f][ub])) return c < 0;
      return false;
    });
    EXPECT_EQ(SortStudents(t), expected) << "round " << round;
  }
}

TEST(ScoreStatisticsTest, BestFirstNthBestAndMaximaWithTiesAndBlanks) {
  const std::vector<double> field = {70, B, 90, 70, 85};
  const auto best = BestFirst(field, {0, 1, 2, 3, 4});
  ASSERT_EQ(best.size(), 5u);
  EXPECT_EQ(best[0], 90);
  EXPECT_EQ(best[1], 85);
  EXPECT_EQ(best[3], 70);
  EXPECT_TRUE(IsBlank(best[4])) << "blanks last";
  EXPECT_EQ(NthBest(best, 3), 70);
  EXPECT_EQ(NthBest(best, 5), 0) << "the n-th is blank";
  EXPECT_EQ(NthBest(best, 6), 0) << "fewer students than the head count";
  EXPECT_EQ(BestOf(field, {1}), 0) << "a class of one blank";
  EXPECT_EQ(BestOf(field, {3}), 70) << "a class of one";
  EXPECT_EQ(BestOf({-4, -2}, {0, 1}), -2);
}

// Best first by its definition on scores of every sign, blanks last, -0
// kept where it stood among the zeros.
TEST(ScoreStatisticsTest, BestFirstIsTheStableDescendingOrder) {
  const double values[] = {-2.5, -0.0, 0.0, 0.5, 3, 3, 149.5, 1e-300, -1e9};
  std::uint64_t state = 5;
  auto next = [&] { return (state = state * 6364136223846793005ull + 1442695040888963407ull) >> 33; };
  for (int round = 0; round < 30; ++round) {
    std::vector<double> field(1 + next() % 400);
    for (double& f : field) f = next() % 8 == 0 ? B : values[next() % 9];
    if (round % 2 == 0)  // no -0 in these rounds: the fast path
      for (double& f : field)
        if (f == 0) f = 0.0;
    std::vector<int> everyone(field.size());
    std::iota(everyone.begin(), everyone.end(), 0);
    std::vector<double> expected = field;
    std::stable_sort(expected.begin(), expected.end(), [](double a, double b) {
      if (IsBlank(a) || IsBlank(b)) return !IsBlank(a) && IsBlank(b);
      return a > b;
    });
    const std::vector<double> got = BestFirst(field, everyone);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(IsBlank(got[i]), IsBlank(expected[i])) << "round " << round << " at " << i;
      if (!IsBlank(expected[i])) {
        EXPECT_TRUE(got[i] == expected[i] && std::signbit(got[i]) == std::signbit(expected[i]))
            << "round " << round << " at " << i;
      }
    }
  }
}

TEST(ScoreStatisticsTest, CountsAtOrAboveALine) {
  const std::vector<double> field = {70, B, 90, 70, 0};
  EXPECT_EQ(CountAtOrAbove(field, 70), 3) << "a tie on the line counts";
  EXPECT_EQ(CountAtOrAbove(field, 70.5), 1);
  EXPECT_EQ(CountAtOrAbove(field, 0), 5) << "a blank is 0 against a line";
  EXPECT_EQ(CountAtOrAbove(field, {0, 1}, 0), 2);
  const std::vector<double> total = {400, 500, 380, 420, 300};
  EXPECT_EQ(CountBothAtOrAbove(total, field, {0, 1, 2, 3, 4}, 400, 70), 2) << "students 0 and 3";
  EXPECT_EQ(CountBothAtOrAbove(total, field, {0, 1, 2, 3, 4}, 400, 0), 3);
}

TEST(ScoreStatisticsTest, AveragesOfTheBestOverPlannedSizes) {
  const std::vector<double> best = {90, 80, B, 70};
  EXPECT_EQ(AverageOfFirst(best, 2), 85);
  EXPECT_EQ(AverageOfFirst(best, 3), 85) << "a blank is no number";
  EXPECT_EQ(AverageOfFirst(best, 4), 80);
  EXPECT_EQ(AverageOfFirst(best, 9), 80) << "a planned size larger than the class";
  EXPECT_EQ(AverageOfFirst({B, B}, 2), 0) << "no number at all";
  EXPECT_EQ(AverageOfFirst(best, 0), 0);
  // The spreadsheet's AVERAGE adds in order: the same double, not a rounder one.
  const std::vector<double> thirds = {0.1, 0.2, 0.3};
  EXPECT_EQ(AverageOfFirst(thirds, 3), ((0.1 + 0.2) + 0.3) / 3);
}

TEST(ScoreStatisticsTest, BandsCountDownFromTheBestAndEndAtTheLastBound) {
  // Bands from 95, 90, 85 and 80 up to the bound above.
  const auto counts = BandCounts({97, 95, 91, 86, 70}, {95, 90, 85, 80});
  ASSERT_EQ(counts.size(), 4u);
  EXPECT_EQ(counts[0], 2);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(counts[2], 1);
  EXPECT_EQ(counts[3], 0) << "70 is below every band";
  const auto empty = BandCounts({97}, {95, 90, 85});
  EXPECT_EQ(empty[0], 1);
  EXPECT_FALSE(empty[1].has_value()) << "bands below the lowest score stay empty";
  EXPECT_EQ(BandCounts({B}, {5, 0})[1], 1) << "a blank is in the band from 0";
}

TEST(ScoreStatisticsTest, RanksShareTheBestPlaceAndMissNothing) {
  const auto ranks = Ranks({80, 95, B, 80, 60});
  ASSERT_EQ(ranks.size(), 5u);
  EXPECT_EQ(ranks[1], 1);
  EXPECT_EQ(ranks[0], 2);
  EXPECT_EQ(ranks[3], 2);
  EXPECT_EQ(ranks[4], 4) << "two share 2, the next is 4";
  EXPECT_TRUE(std::isnan(ranks[2])) << "a blank ranks as 0, which is not among them: #N/A";
  EXPECT_EQ(Ranks({0, 5, B})[2], 2) << "a blank ranks as 0";
}

// RANK by its definition, counted: 1 + the numbers above, #N/A (NaN) when
// the score (a blank as 0) is not among the numbers.
TEST(ScoreStatisticsTest, RanksAreCountsOfTheNumbersAbove) {
  std::uint64_t state = 7;
  auto next = [&] { return (state = state * 6364136223846793005ull + 1442695040888963407ull) >> 33; };
  for (int round = 0; round < 100; ++round) {
    std::vector<double> scores(1 + next() % 300);
    // Half points in even rounds, tenths (which no table of eighths holds) in odd ones.
    const double steps = round % 2 ? 10 : 2;
    for (double& s : scores) s = next() % 9 == 0 ? B : static_cast<double>(next() % 40) / steps;
    const std::vector<double> ranks = Ranks(scores);
    for (std::size_t i = 0; i < scores.size(); ++i) {
      const double x = IsBlank(scores[i]) ? 0 : scores[i];
      bool among = false;
      int above = 0;
      for (double t : scores)
        if (!IsBlank(t)) {
          among = among || t == x;
          above += t > x;
        }
      if (among) EXPECT_EQ(ranks[i], above + 1) << "round " << round << " score " << i;
      else EXPECT_TRUE(std::isnan(ranks[i])) << "round " << round << " score " << i;
    }

    // Ranked within classes at once, each student as if its class stood alone.
    const int classes = 1 + static_cast<int>(next() % 6);
    std::vector<int> classOf(scores.size());
    for (int& c : classOf) c = static_cast<int>(next() % static_cast<std::uint64_t>(classes + 1)) - 1;
    const GroupedRanks grouped = Ranks(scores, classOf, classes);
    EXPECT_EQ(std::memcmp(grouped.overall.data(), ranks.data(), ranks.size() * sizeof(double)), 0)
        << "round " << round << ": the grade's ranks do not depend on the classes";
    const std::vector<double>& inClass = grouped.inGroup;
    for (int c = -1; c < classes; ++c) {
      std::vector<double> own;
      std::vector<std::size_t> where;
      for (std::size_t i = 0; i < scores.size(); ++i)
        if (classOf[i] == c) {
          own.push_back(scores[i]);
          where.push_back(i);
        }
      const std::vector<double> alone = Ranks(own);
      for (std::size_t k = 0; k < where.size(); ++k) {
        const double got = inClass[where[k]];
        if (c < 0 || std::isnan(alone[k])) EXPECT_TRUE(std::isnan(got)) << "round " << round << " class " << c;
        else EXPECT_EQ(got, alone[k]) << "round " << round << " class " << c << " score " << where[k];
      }
    }
  }
}

TEST(TeacherRunsTest, EachTeachersClassesFollowTheFirstAndRunsJoinNeighbours) {
  const std::vector<Value> abacb = {AsEntered("A"), AsEntered("B"), AsEntered("A"), AsEntered("C"), AsEntered("B")};
  EXPECT_EQ(OrderByTeacher(abacb), (std::vector<int>{0, 2, 1, 4, 3}));
  std::vector<Value> ordered;
  for (int i : OrderByTeacher(abacb)) ordered.push_back(abacb[static_cast<std::size_t>(i)]);
  const auto runs = TeacherRuns(ordered);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].first, 2);
  EXPECT_EQ(runs[1].size, 2);
  EXPECT_EQ(runs[2].size, 1);
  EXPECT_EQ(TeacherRuns(abacb).size(), 5u) << "without ordering only neighbours join";

  // Two empty cells are one teacher; a number is a number however typed.
  EXPECT_EQ(TeacherRuns({AsEntered(""), AsEntered(""), AsEntered("101"), AsEntered("101.0")}).size(), 2u);
  EXPECT_EQ(AsEntered(""), Value());
}

}  // namespace
}  // namespace tavo::testing
