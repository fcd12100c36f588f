// How each question of a test worked, from one column per question: the
// questions found by their headers, each question's mean, rate, spread,
// discrimination and correlation with the rest of the test, the test's own
// summary and reliability, and each class's rate per question.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/value.h"

namespace tavo::reports {

// A header read as a question: "1", 1, "题1", "第1题", "Q1", "1(5分)",
// "数学3", "数学-3", "13.2"; the full mark from "(5分)" / "（5分）"; the
// subject when the header starts with one of `subjects`.
struct QuestionHeader {
  std::string label = {};  // the header without its mark
  double number = 0;       // 13.2 for "13.2"
  std::optional<double> fullMark = {};
  std::string subject = {};
};
std::optional<QuestionHeader> ParseQuestionHeader(const host::Value& header, const std::vector<std::string>& subjects);

// A question column of the data and the subject it belongs to ("" until
// assigned).
struct QuestionColumn {
  int column = 0;  // 0-based in the data
  QuestionHeader header;
};

// Every column but the `skipped` whose header reads as a question,
// in groups: a group ends where the numbering starts again or the named
// subject changes.
std::vector<std::vector<QuestionColumn>> FindQuestionGroups(std::span<const host::Value> header,
                                                            const std::vector<std::string>& subjects,
                                                            const std::vector<int>& skipped);

// The subject whose scores are the group's sums (blanks 0) for at least
// nine in ten of the students who have both; -1 when none is.
int SubjectOfGroup(const std::vector<std::vector<double>>& questionScores,
                   const std::vector<std::vector<double>>& subjectScores);

inline constexpr double kEasyRate = 0.9, kHardRate = 0.3, kLowDiscrimination = 0.2;
inline constexpr double kGroupShare = 0.27;  // the top and bottom groups

struct QuestionResult {
  std::string label;
  double fullMark = 0;
  bool fullMarkObserved = false;  // neither typed nor in the header: the best score
  int students = 0;
  double mean = 0, rate = 0, sd = 0;
  double discrimination = 0;  // NaN with fewer than two students
  double correlation = 0;     // with the rest of the test; NaN without spread
  std::string hints;          // "偏难", "偏易", "区分度低", "负相关", joined by "、"
};

struct TestSummary {
  int students = 0;
  double mean = 0, median = 0, sd = 0, skewness = 0, kurtosis = 0;
  double alpha = 0, standardError = 0;  // NaN when alpha cannot be had
  int alphaStudents = 0;                // those who answered every question
};

struct ClassQuestionRates {
  std::string name;
  int students = 0;
  std::vector<double> rates;  // per question; NaN without students
};

struct QuestionAnalysis {
  std::string subject;
  std::vector<QuestionResult> questions;
  TestSummary summary;
  std::vector<ClassQuestionRates> classes;
  int blanksCounted = 0;  // question cells left blank by students who sat
};

// One test: `total` per student (blank: did not sit), each question's
// cleaned scores per student (blank: left blank), the full marks given
// (nullopt: none), and the classes' students. A blank question of a
// student who sat counts 0.
struct ClassStudents {
  std::string name;
  std::vector<int> students;
};
QuestionAnalysis AnalyseQuestions(const std::string& subject, const std::vector<double>& total,
                                  const std::vector<std::vector<double>>& questionScores,
                                  const std::vector<QuestionHeader>& headers,
                                  const std::vector<ClassStudents>& classes);

}  // namespace tavo::reports
