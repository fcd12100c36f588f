#include "workbooks/starting_workbooks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "host/constants.h"
#include "params/settings_sheet.h"
#include "sheetutil/layout_store.h"

namespace tavo::workbooks {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

void Put(host::Worksheet& s, int r, int c, const Value& v) { s.setValue(Rect::of(Cell{r, c}), v); }

// splitmix64: the same numbers from every standard library.
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
  int below(int n) { return static_cast<int>(uniform() * n); }
  double normal(double mean, double sd) {
    double u = std::max(uniform(), 1e-12), v = uniform();
    return mean + sd * std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
};

const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄",
                           "周", "吴", "徐", "孙", "胡", "朱", "高", "林"};
const char* kGiven[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋",   "艳",   "勇",   "军",   "杰",   "娟",
                        "涛", "明", "超", "霞", "平", "刚", "桂英", "子涵", "浩然", "雨桐", "一诺", "欣怡"};

struct SubjectShape {
  const char* name;
  double full, mean, sd;
};
// The mathematics paper as the marking system splits it: sixteen items of 5
// points (choice and fill-in, easiest first), then five worked problems.
const double kQuestionMarks[] = {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 12, 12, 12, 12, 22};
constexpr int kShortItems = 16;
constexpr double kShortMark = 5, kLongTotal = 70;

// A score split into the paper's questions, summing to it exactly; a
// worked problem scored 0 is sometimes left blank. Draws from its own
// generator, so the rest of the school stays as it was.
std::vector<double> SplitIntoQuestions(double score, std::uint64_t seed) {
  Random random{seed};
  std::vector<double> points(std::size(kQuestionMarks), 0);
  if (std::isnan(score)) return std::vector<double>(points.size(), std::nan(""));
  const double full = kShortItems * kShortMark + kLongTotal;
  const int lowest = std::max(0, static_cast<int>(std::ceil((score - kLongTotal) / kShortMark)));
  const int highest = std::min(kShortItems, static_cast<int>(std::floor(score / kShortMark)));
  const int right = std::clamp(static_cast<int>(std::lround(kShortItems * score / full + random.normal(0, 1.5))),
                               lowest, highest);
  // The easier items (earlier ones) are more often right.
  std::vector<std::pair<double, int>> ease;
  for (int i = 0; i < kShortItems; ++i) ease.emplace_back(-i * 0.25 + random.normal(0, 1.5), i);
  std::sort(ease.rbegin(), ease.rend());
  for (int k = 0; k < right; ++k) points[static_cast<std::size_t>(ease[static_cast<std::size_t>(k)].second)] = kShortMark;
  // The rest over the worked problems in half points, by their weight.
  double rest = score - right * kShortMark;
  for (std::size_t q = kShortItems; q < points.size() && rest > 0; ++q) {
    const double share = std::round(rest * kQuestionMarks[q] / kLongTotal * (0.8 + 0.4 * random.uniform()) * 2) / 2;
    points[q] = std::clamp(share, 0.0, kQuestionMarks[q]);
  }
  double left = score - right * kShortMark;
  for (std::size_t q = kShortItems; q < points.size(); ++q) left -= points[q];
  // Put right what rounding left over, half a point at a time.
  for (std::size_t guard = 0; std::fabs(left) > 1e-9 && guard < 1000; ++guard) {
    const std::size_t q = kShortItems + static_cast<std::size_t>(random.below(5));
    const double step = left > 0 ? 0.5 : -0.5;
    if (points[q] + step < 0 || points[q] + step > kQuestionMarks[q]) continue;
    points[q] += step;
    left -= step;
  }
  for (std::size_t q = kShortItems; q < points.size(); ++q)
    if (points[q] == 0 && random.uniform() < 0.3) points[q] = std::nan("");
  return points;
}

const SubjectShape kSubjects[] = {{"语文", 150, 102, 14}, {"数学", 150, 95, 24}, {"英语", 150, 100, 20},
                                  {"物理", 100, 64, 16},  {"化学", 100, 68, 14}, {"生物", 100, 70, 13}};

}  // namespace

std::unique_ptr<model::Workbook> NewSystemWorkbook(model::Application& app, const std::string& folder) {
  auto book = std::make_unique<model::Workbook>(app, kSystemWorkbookName, folder);
  FillSystemWorkbook(*book);
  return book;
}

void FillSystemWorkbook(host::Workbook& book) {
  // A new workbook of the spreadsheet may start with more than one sheet.
  while (book.sheetCount() > 1) book.deleteSheet(book.sheet(book.sheetCount()));
  book.sheet(1).setName("三线版");
  for (const char* name : {"双线版", "四率版", "赋分版", "图表版", "分析版"}) book.addSheet(nullptr).setName(name);
  host::Worksheet& store = book.addSheet(nullptr);
  store.setName(std::string(sheetutil::kLayoutStoreSheet));
  for (int row = 1; row <= static_cast<int>(sheetutil::kLayoutRowSheets.size()); ++row)
    sheetutil::WriteDefaultLayoutRow(store, static_cast<sheetutil::LayoutRow>(row));
  // The templates the score sheet pastes onto scores above lines 1 and 2.
  Put(store, 1, sheetutil::kTemplateColumn, "一线");
  Put(store, 2, sheetutil::kTemplateColumn, "二线");
  host::FormatPatch first, second;
  first.fontColorIndex = 3;
  first.bold = true;
  second.fontColorIndex = 5;
  store.applyFormat(Rect::of(Cell{1, sheetutil::kTemplateColumn}), first);
  store.applyFormat(Rect::of(Cell{2, sheetutil::kTemplateColumn}), second);
  store.setVisible(false);
  book.sheet(1).activate();
}

void TypeSampleSettings(model::Workbook& system) {
  using namespace params;
  const char* grades[] = {"一部", "一部", "一部", "一部", "二部", "二部", "二部", "二部"};
  const Value planned[] = {45, Value(), 44, 46, 42, Value(), 48, 45};
  const char* heads[] = {"周明", "吴静", "郑华", "王芳", "冯涛", "陈杰", "褚敏", "卫东"};
  const char* teachers[6][8] = {{"蒋雯", "蒋雯", "沈岚", "沈岚", "韩梅", "韩梅", "杨柳", "杨柳"},
                                {"朱峰", "秦川", "朱峰", "秦川", "尤勇", "许亮", "尤勇", "许亮"},
                                {"何琳", "何琳", "吕娜", "吕娜", "施雪", "施雪", "张蕾", "张蕾"},
                                {"孔军", "孔军", "孔军", "曹宇", "曹宇", "曹宇", "严刚", "严刚"},
                                {"华丽", "华丽", "金鑫", "金鑫", "魏然", "魏然", "陶然", "陶然"},
                                {"姜红", "姜红", "姜红", "姜红", "戚平", "戚平", "戚平", "戚平"}};
  for (const char* sheetName : {"三线版", "双线版", "四率版", "赋分版", "图表版", "分析版"}) {
    model::Sheet* s = system.findModelSheet(sheetName);
    if (!s) continue;
    const bool analysis = std::string(sheetName) == "分析版";
    const bool three = std::string(sheetName) == "三线版";
    const bool keepsGrade = three || std::string(sheetName) == "双线版";
    // The upper lines by head count (the best 40, 120, ...), the lowest by score.
    const int lines = analysis ? 0 : three ? 3 : 2;
    const double counts[] = {40, 120};
    const double scores[] = {450, 90, 90, 90, 60, 60, 60};
    for (int k = 0; k < lines; ++k) {
      const int row = kFirstLineRow + k;
      const bool byScore = k == lines - 1;
      Put(*s, row, kLineModeColumn, byScore ? "按分数" : "按人数");
      // Only the lines by head count read a count: the last line is by score.
      const double count = byScore ? 0 : counts[three ? k : 1];
      Put(*s, row, kLineTotalColumn, byScore ? scores[0] : count);
      for (int j = 0; j < 6; ++j) Put(*s, row, kFirstSubjectColumn + j, byScore ? scores[j + 1] : count);
    }
    if (keepsGrade) Put(*s, kClassHeaderRow, kGradeColumn, "级部");
    Put(*s, kClassHeaderRow, kClassColumn, "班级");
    Put(*s, kClassHeaderRow, kPlannedSizeColumn, "人数");
    Put(*s, kClassHeaderRow, kHeadTeacherColumn, "班主任");
    for (int j = 0; j < 6; ++j) Put(*s, kClassHeaderRow, kFirstSubjectColumn + j, kSubjects[j].name);
    for (int c = 0; c < 8; ++c) {
      const int row = kFirstClassRow + c;
      if (keepsGrade) Put(*s, row, kGradeColumn, grades[c]);
      Put(*s, row, kClassColumn, std::to_string(c + 1) + "班");
      if (!planned[c].isEmpty()) Put(*s, row, kPlannedSizeColumn, planned[c]);
      Put(*s, row, kHeadTeacherColumn, heads[c]);
      for (int j = 0; j < 6; ++j) Put(*s, row, kFirstSubjectColumn + j, teachers[j][c]);
    }
    // Switches and weights of row 13.
    if (analysis) {
      Put(*s, kSettingsRow, 2, "五等级");
      Put(*s, kSettingsRow, 3, kEarlierSampleScoresName);
    } else if (three) {
      const Value row13[] = {"是", "是", "是", "单上线", "单上线", "双上线", "双上线", 1, 2, 1.5, 1};
      for (int c = 0; c < 11; ++c) Put(*s, kSettingsRow, 2 + c, row13[c]);
    } else if (std::string(sheetName) == "图表版") {
      const Value row13[] = {"否", "是", "是", "单上线", "双上线"};
      for (int c = 0; c < 5; ++c) Put(*s, kSettingsRow, 2 + c, row13[c]);
    } else {
      const bool assigned = std::string(sheetName) == "赋分版";
      const Value row13[] = {"是",
                             "是",
                             "是",
                             "双上线",
                             assigned ? 30 : 1,
                             assigned ? 20 : 2,
                             assigned ? 20 : 1,
                             assigned ? 15 : 1.5,
                             assigned ? 15 : 1};
      for (int c = 0; c < 9; ++c) Put(*s, kSettingsRow, 2 + c, row13[c]);
    }
  }
}

SampleScores GenerateSampleScores() {
  SampleScores out;
  for (const auto& s : kSubjects) out.subjects.push_back(s.name);
  out.questionsOf = kSubjects[1].name;
  for (std::size_t q = 0; q < std::size(kQuestionMarks); ++q)
    out.questionHeaders.push_back(std::to_string(q + 1) + "(" + host::numberToText(kQuestionMarks[q]) + "分)");
  Random random{20261208};
  const int sizes[] = {46, 44, 45, 47, 41, 43, 48, 44};
  int number = 1;
  for (int c = 0; c < 8; ++c) {
    std::string className = std::to_string(c + 1) + "班";
    out.classes.push_back(className);
    const double classShift = random.normal(0, 4);
    for (int i = 0; i < sizes[c]; ++i) {
      SampleStudent st;
      char id[16];
      std::snprintf(id, sizeof id, "2026%04d", number++);
      st.id = id;
      // Two statements: the order of two draws in one expression is the
      // compiler's choice, and every build must make the same school (the
      // given name first, as the demo has always been made).
      const char* given = kGiven[random.below(24)];
      st.name = std::string(kSurnames[random.below(16)]) + given;
      st.className = className;
      const double ability = random.normal(0, 1);
      for (const auto& subject : kSubjects) {
        double x = subject.mean + classShift * subject.full / 150 + ability * subject.sd * 0.7 +
                   random.normal(0, subject.sd * 0.7);
        x = std::clamp(std::round(x * 2) / 2, 0.0, subject.full);  // half points are common
        bool absent = random.uniform() < 0.006;
        st.scores.push_back(absent ? std::nan("") : x);
        std::string typed = absent ? "缺考" : host::numberToText(x);
        if (!absent && random.uniform() < 0.01) typed = " " + typed;  // a stray space from copying
        st.entered.push_back(typed);
      }
      st.questions = SplitIntoQuestions(st.scores[1], 0xC0FFEE + number);
      out.students.push_back(st);
    }
  }
  // Students sit in the file by number, not by class, as exports list them.
  std::vector<SampleStudent> mixed;
  for (std::size_t k = 0; k < out.students.size(); ++k) {
    std::size_t j = static_cast<std::size_t>(random.below(static_cast<int>(k) + 1));
    mixed.insert(mixed.begin() + static_cast<std::ptrdiff_t>(j), out.students[k]);
  }
  out.students = std::move(mixed);
  return out;
}

SampleScores EarlierSampleScores(const SampleScores& now) {
  SampleScores out = now;
  out.questionsOf.clear();
  out.questionHeaders.clear();
  if (out.students.size() > 2) out.students.resize(out.students.size() - 2);
  Random random{0xEA471E5};
  for (SampleStudent& st : out.students) {
    st.questions.clear();
    for (std::size_t j = 0; j < st.scores.size(); ++j) {
      double& x = st.scores[j];
      if (std::isnan(x)) continue;
      x = std::clamp(std::round((x + random.normal(0, kSubjects[j].sd * 0.4)) * 2) / 2, 0.0, kSubjects[j].full);
      st.entered[j] = host::numberToText(x);
    }
  }
  return out;
}

std::unique_ptr<model::Workbook> SampleScoreWorkbook(model::Application& app, const std::string& folder,
                                                     const SampleScores& scores, const std::string& name) {
  auto book = std::make_unique<model::Workbook>(app, name, folder);
  model::Sheet& s = book->modelSheet(1);
  s.setName("数据表");
  Put(s, 1, 1, "考号");
  Put(s, 1, 2, "姓名");
  Put(s, 1, 3, "班级");
  for (std::size_t j = 0; j < scores.subjects.size(); ++j) Put(s, 1, 4 + static_cast<int>(j), scores.subjects[j]);
  const int firstQuestion = 4 + static_cast<int>(scores.subjects.size());
  for (std::size_t q = 0; q < scores.questionHeaders.size(); ++q)
    Put(s, 1, firstQuestion + static_cast<int>(q), scores.questionHeaders[q]);
  int row = 2;
  for (const SampleStudent& st : scores.students) {
    s.setTextWithRuns({row, 1}, st.id, {});
    Put(s, row, 2, st.name);
    Put(s, row, 3, st.className);
    for (std::size_t j = 0; j < st.entered.size(); ++j) {
      const std::string& typed = st.entered[j];
      // Exported files carry absences and stray spaces as text.
      if (typed == "缺考" || typed.front() == ' ')
        s.setTextWithRuns({row, 4 + static_cast<int>(j)}, typed, {});
      else
        Put(s, row, 4 + static_cast<int>(j), st.scores[j]);
    }
    for (std::size_t q = 0; q < st.questions.size(); ++q)
      if (!std::isnan(st.questions[q])) Put(s, row, firstQuestion + static_cast<int>(q), st.questions[q]);
    ++row;
  }
  return book;
}

}  // namespace tavo::workbooks
