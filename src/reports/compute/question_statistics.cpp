#include "reports/compute/question_statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <regex>

#include "reports/compute/distribution.h"
#include "reports/compute/score_table.h"

namespace tavo::reports {

namespace {

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string NumberText(double x) {
  std::string s = host::toText(host::Value(x));
  return s;
}

}  // namespace

std::optional<QuestionHeader> ParseQuestionHeader(const host::Value& header,
                                                  const std::vector<std::string>& subjects) {
  QuestionHeader q;
  if (header.isNumber()) {
    const double n = header.number();
    if (!(n > 0 && n < 1000)) return std::nullopt;
    q.label = NumberText(n);
    q.number = n;
    return q;
  }
  if (!header.isText()) return std::nullopt;
  std::string rest = Trimmed(header.text());
  static const std::regex kMark(R"((?:\(|（)\s*([0-9]+(?:\.[0-9]+)?)\s*分\s*(?:\)|）)$)");
  std::smatch m;
  if (std::regex_search(rest, m, kMark)) {
    q.fullMark = std::stod(m[1].str());
    rest = Trimmed(rest.substr(0, static_cast<std::size_t>(m.position(0))));
  }
  q.label = rest;
  // The longest subject the header starts with: "数学A" before "数学".
  std::string subject;
  for (const std::string& s : subjects)
    if (!s.empty() && rest.starts_with(s) && s.size() > subject.size()) subject = s;
  if (!subject.empty()) {
    q.subject = subject;
    rest = rest.substr(subject.size());
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '_' || rest[0] == ' ')) rest = rest.substr(1);
  }
  static const std::regex kNumber(R"(^(?:第|题|Q|q|T|t)?\s*([0-9]+)(?:[.\-_]([0-9]+))?\s*(?:题)?$)");
  if (!std::regex_match(rest, m, kNumber)) return std::nullopt;
  q.number = std::stod(m[1].str());
  if (m[2].matched) q.number += std::stod(m[2].str()) / std::pow(10.0, static_cast<double>(m[2].length()));
  if (!(q.number > 0 && q.number < 1000)) return std::nullopt;
  return q;
}

std::vector<std::vector<QuestionColumn>> FindQuestionGroups(std::span<const host::Value> header,
                                                            const std::vector<std::string>& subjects,
                                                            const std::vector<int>& skipped) {
  std::vector<std::vector<QuestionColumn>> groups;
  bool open = false;
  for (int c = 0; c < static_cast<int>(header.size()); ++c) {
    std::optional<QuestionHeader> q;
    if (std::find(skipped.begin(), skipped.end(), c) == skipped.end())
      q = ParseQuestionHeader(header[static_cast<std::size_t>(c)], subjects);
    if (!q) {
      open = false;
      continue;
    }
    const bool restarts = open && (q->number <= groups.back().back().header.number ||
                                   q->subject != groups.back().back().header.subject);
    if (!open || restarts) groups.emplace_back();
    groups.back().push_back({c, *q});
    open = true;
  }
  return groups;
}

int SubjectOfGroup(const std::vector<std::vector<double>>& questionScores,
                   const std::vector<std::vector<double>>& subjectScores) {
  if (questionScores.empty()) return -1;
  const std::size_t students = questionScores[0].size();
  std::vector<double> sums(students, 0);
  std::vector<bool> any(students, false);
  for (const auto& q : questionScores)
    for (std::size_t s = 0; s < students; ++s) {
      sums[s] += ScoreOrZero(q[s]);
      if (!IsBlank(q[s])) any[s] = true;
    }
  int best = -1;
  double bestShare = 0;
  for (std::size_t f = 0; f < subjectScores.size(); ++f) {
    int both = 0, equal = 0;
    for (std::size_t s = 0; s < students; ++s) {
      if (!any[s] || IsBlank(subjectScores[f][s])) continue;
      ++both;
      if (std::fabs(sums[s] - subjectScores[f][s]) < 1e-6) ++equal;
    }
    const double share = both ? static_cast<double>(equal) / both : 0;
    if (share >= 0.9 && share > bestShare) {
      best = static_cast<int>(f);
      bestShare = share;
    }
  }
  return best;
}

QuestionAnalysis AnalyseQuestions(const std::string& subject, const std::vector<double>& total,
                                  const std::vector<std::vector<double>>& questionScores,
                                  const std::vector<QuestionHeader>& headers,
                                  const std::vector<ClassStudents>& classes) {
  QuestionAnalysis out;
  out.subject = subject;
  std::vector<int> sat;
  for (int s = 0; s < static_cast<int>(total.size()); ++s)
    if (!IsBlank(total[static_cast<std::size_t>(s)])) sat.push_back(s);
  const std::size_t n = sat.size();
  std::vector<double> totals(n);
  for (std::size_t i = 0; i < n; ++i) totals[i] = total[static_cast<std::size_t>(sat[i])];

  // The best and worst 27 % by the test's total; equal totals keep the data's order.
  std::vector<std::size_t> byTotal(n);
  std::iota(byTotal.begin(), byTotal.end(), 0);
  std::stable_sort(byTotal.begin(), byTotal.end(), [&](auto a, auto b) { return totals[a] > totals[b]; });
  const std::size_t group = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kGroupShare * n)));

  std::vector<std::vector<double>> points(questionScores.size(), std::vector<double>(n));
  for (std::size_t q = 0; q < questionScores.size(); ++q) {
    const QuestionHeader& h = headers[q];
    QuestionResult r;
    r.label = h.label;
    auto& x = points[q];
    for (std::size_t i = 0; i < n; ++i) {
      const double v = questionScores[q][static_cast<std::size_t>(sat[i])];
      if (IsBlank(v)) ++out.blanksCounted;
      x[i] = ScoreOrZero(v);
    }
    r.students = static_cast<int>(n);
    r.fullMark = h.fullMark.value_or(n ? *std::max_element(x.begin(), x.end()) : 0);
    r.fullMarkObserved = !h.fullMark;
    r.mean = Mean(x);
    r.sd = PopulationSd(x);
    r.rate = r.fullMark > 0 ? r.mean / r.fullMark : std::nan("");
    if (n >= 2 && r.fullMark > 0) {
      double top = 0, bottom = 0;
      for (std::size_t i = 0; i < group; ++i) {
        top += x[byTotal[i]];
        bottom += x[byTotal[n - 1 - i]];
      }
      r.discrimination = (top - bottom) / static_cast<double>(group) / r.fullMark;
    } else {
      r.discrimination = std::nan("");
    }
    std::vector<double> rest(n);
    for (std::size_t i = 0; i < n; ++i) rest[i] = totals[i] - x[i];
    r.correlation = Pearson(x, rest);
    std::vector<std::string> hints;
    if (r.rate < kHardRate) hints.push_back("偏难");
    if (r.rate > kEasyRate) hints.push_back("偏易");
    if (r.discrimination < kLowDiscrimination) hints.push_back("区分度低");
    if (r.correlation < 0) hints.push_back("负相关");
    for (const std::string& hint : hints) r.hints += (r.hints.empty() ? "" : "、") + hint;
    out.questions.push_back(std::move(r));
  }

  TestSummary& t = out.summary;
  t.students = static_cast<int>(n);
  t.mean = Mean(totals);
  t.median = Median(totals);
  t.sd = PopulationSd(totals);
  t.skewness = Skewness(totals);
  t.kurtosis = Kurtosis(totals);
  std::vector<std::vector<double>> complete(questionScores.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto s = static_cast<std::size_t>(sat[i]);
    if (std::any_of(questionScores.begin(), questionScores.end(), [&](const auto& q) { return IsBlank(q[s]); }))
      continue;
    ++t.alphaStudents;
    for (std::size_t q = 0; q < questionScores.size(); ++q) complete[q].push_back(questionScores[q][s]);
  }
  t.alpha = CronbachAlpha(complete);
  t.standardError = t.sd * std::sqrt(1 - t.alpha);

  for (const ClassStudents& c : classes) {
    ClassQuestionRates rates{c.name, 0, std::vector<double>(questionScores.size(), 0)};
    for (int s : c.students) {
      if (IsBlank(total[static_cast<std::size_t>(s)])) continue;
      ++rates.students;
      for (std::size_t q = 0; q < questionScores.size(); ++q)
        rates.rates[q] += ScoreOrZero(questionScores[q][static_cast<std::size_t>(s)]);
    }
    for (std::size_t q = 0; q < questionScores.size(); ++q) {
      const double full = out.questions[q].fullMark;
      rates.rates[q] = rates.students && full > 0 ? rates.rates[q] / rates.students / full : std::nan("");
    }
    out.classes.push_back(std::move(rates));
  }
  return out;
}

}  // namespace tavo::reports
