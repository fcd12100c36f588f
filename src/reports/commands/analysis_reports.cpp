#include "reports/commands/analysis_reports.h"

#include <algorithm>
#include <map>
#include <memory>
#include <span>
#include <utility>

#include "params/analysis_settings.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/line_statistics.h"
#include "reports/compute/question_statistics.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/balance_plan.h"
#include "reports/sheets/borderline_plan.h"
#include "reports/sheets/plan_writer.h"
#include "reports/sheets/progress_plan.h"
#include "reports/sheets/question_plan.h"
#include "reports/sheets/standard_score_plan.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/messages.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/system_paths.h"

namespace tavo::reports {

namespace {

// The score data as the analyses of 分析版 prepare it, with its settings
// read; without pupil ranks the pupils are listed by class and name.
std::optional<PreparedScores> PrepareAnalysis(host::Application& app, const host::Dialog& dialog,
                                              const std::string& dataWorkbookName, params::AnalysisSettings& settings) {
  auto prepared = PrepareScoreData(app, dialog, AnalysisKind(), dataWorkbookName,
                                   [&](host::Worksheet& sheet) { settings = params::ReadAnalysisSettings(sheet); });
  if (prepared && settings.noRanks) OrderWithoutRanks(prepared->place, prepared->data);
  return prepared;
}

// A data column (0-based) as scores, one per student, read by `score`.
std::vector<double> ReadScores(host::Worksheet& sheet, int column, int students, double (*score)(const host::Value&)) {
  std::vector<double> scores(static_cast<std::size_t>(students), kBlank);
  ForEachPiece(students, [&](int first, int count) {
    const std::vector<host::Value> cells = ReadColumnPiece(sheet, column, first, count);
    for (int s = first; s < first + count; ++s)
      scores[static_cast<std::size_t>(s)] = score(cells[static_cast<std::size_t>(s - first)]);
  });
  return scores;
}

// Each field's scores with those who did not sit (an absence mark) blank.
std::vector<std::vector<double>> ScoresOfThoseWhoSat(const ScoreData& data) {
  std::vector<std::vector<double>> out;
  for (std::size_t f = 0; f < data.fields.size(); ++f) out.push_back(data.table.scoresIfSat(f));
  return out;
}

// The data's 考号, 学号 and 姓名 columns that it has: their headers and cells.
struct IdentityColumns {
  std::vector<std::string> headers;
  std::vector<std::vector<host::Value>> cells;  // [column][student]
};
IdentityColumns ReadIdentity(const ReportPlace& place, const ScoreData& data) {
  IdentityColumns out;
  const int students = data.table.students();
  for (const char* name : {"考号", "学号", "姓名"})
    if (const int column = FindHeader(data.table.header, name); column >= 0) {
      out.headers.push_back(name);
      out.cells.push_back(students ? place.dataSheet->values({2, column + 1, students + 1, column + 1}).cells
                                   : std::vector<host::Value>{});
    }
  return out;
}

// A test to analyse: its questions and, when they belong to a subject of
// the data, that field.
struct Test {
  std::string subject;
  int field = -1;
  std::vector<QuestionColumn> questions;
};

// The questions of the settings, or else those the headers show, grouped
// into tests; the message that stops the command when there are none.
std::vector<Test> FindTests(const params::AnalysisSettings& settings, const ScoreData& data, std::string& problem) {
  const auto& header = data.table.header;
  std::vector<std::string> subjects;
  for (std::size_t f = 1; f < data.fields.size(); ++f) subjects.push_back(data.fields[f].name);
  std::vector<std::vector<QuestionColumn>> groups;
  if (!settings.questions.empty()) {
    std::map<std::string, std::size_t> bySubject;
    std::vector<std::string> missing;
    for (const params::TypedQuestion& typed : settings.questions) {
      const int column = FindHeader(header, typed.header);
      if (column < 0) {
        missing.push_back(typed.header);
        continue;
      }
      QuestionColumn q{column, ParseQuestionHeader(header[static_cast<std::size_t>(column)], subjects)
                                   .value_or(QuestionHeader{typed.header})};
      q.header.label = typed.header;
      if (typed.fullMark) q.header.fullMark = typed.fullMark;
      if (!typed.subject.empty()) q.header.subject = typed.subject;
      auto [at, fresh] = bySubject.try_emplace(q.header.subject, groups.size());
      if (fresh) groups.emplace_back();
      groups[at->second].push_back(q);
    }
    if (!missing.empty()) {
      std::string list;
      for (const std::string& m : missing) list += (list.empty() ? "" : "、") + m;
      problem = "数据表中找不到 分析版 第22行所列的试题列：" + list + "，请检查！";
      return {};
    }
  } else {
    std::vector<int> skipped = {data.classColumn};
    for (const Field& f : data.fields) skipped.push_back(f.column);
    groups = FindQuestionGroups(header, subjects, skipped);
  }
  if (groups.empty()) {
    problem = "数据表中没有试题列（表头为 1、题1、第1题、Q1 或 1(5分) 的列），也可在 分析版 第22行填写试题列的表头。";
    return {};
  }
  std::vector<Test> tests;
  for (auto& group : groups) {
    Test t{group.front().header.subject, -1, std::move(group)};
    for (std::size_t f = 1; f < data.fields.size(); ++f)
      if (data.fields[f].name == t.subject) t.field = static_cast<int>(f);
    tests.push_back(std::move(t));
  }
  return tests;
}

// The identity columns both exams carry: the first of 考号 and 学号 that
// both have, and 姓名.
std::vector<std::string> SharedIdentity(std::span<const host::Value> now, std::span<const host::Value> before) {
  std::vector<std::string> shared;
  for (const char* number : {"考号", "学号"})
    if (FindHeader(now, number) >= 0 && FindHeader(before, number) >= 0) {
      shared.push_back(number);
      break;
    }
  if (FindHeader(now, "姓名") >= 0 && FindHeader(before, "姓名") >= 0) shared.push_back("姓名");
  return shared;
}

// How each student is known in one exam, from its identity columns and
// `classOf(student)`, its class cell.
template <class ClassOf>
std::vector<StudentKey> KeysOf(const std::vector<std::string>& headers,
                               const std::vector<std::vector<host::Value>>& columns, std::size_t students,
                               ClassOf&& classOf) {
  std::vector<StudentKey> keys(students);
  for (std::size_t s = 0; s < students; ++s) {
    keys[s].className = host::toText(classOf(s));
    for (std::size_t k = 0; k < headers.size(); ++k)
      (headers[k] == "姓名" ? keys[s].name : keys[s].number) = host::toText(columns[k][s]);
  }
  return keys;
}

}  // namespace

void QuestionReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  params::AnalysisSettings settings;
  auto prepared = PrepareAnalysis(app, dialog, dataWorkbookName, settings);
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  sheetutil::WriteDefaultLayoutRow(*place.layoutStore, sheetutil::kQuestions, true);
  std::string problem;
  std::vector<Test> tests = FindTests(settings, data, problem);
  if (tests.empty()) {
    sheetutil::Warn(app, problem);
    return;
  }
  const int students = data.table.students();
  std::vector<ClassStudents> classes;
  for (const ClassBlock& c : data.classes) classes.push_back({c.name, c.students});
  const std::vector<std::vector<double>> sat = ScoresOfThoseWhoSat(data);
  std::vector<QuestionAnalysis> analyses;
  int standalone = 0;
  for (Test& t : tests) {
    std::vector<std::vector<double>> scores;
    std::vector<QuestionHeader> headers;
    for (const QuestionColumn& q : t.questions) {
      scores.push_back(ReadScores(*place.dataSheet, q.column, students, &CleanScore));
      headers.push_back(q.header);
    }
    // Questions that name no subject belong to the one whose scores they add up to.
    if (t.field < 0 && t.subject.empty()) {
      std::vector<std::vector<double>> subjectScores;
      for (std::size_t f = 1; f < data.fields.size(); ++f) subjectScores.push_back(sat[f]);
      if (const int f = SubjectOfGroup(scores, subjectScores); f >= 0) {
        t.field = f + 1;
        t.subject = data.fields[static_cast<std::size_t>(t.field)].name;
      }
    }
    std::vector<double> total;
    if (t.field > 0) {
      total = sat[static_cast<std::size_t>(t.field)];
    } else {
      // Questions of no subject: the test's total is their sum, over those who answered any.
      total.assign(static_cast<std::size_t>(students), kBlank);
      for (const auto& q : scores)
        for (std::size_t s = 0; s < q.size(); ++s)
          if (!IsBlank(q[s])) total[s] = ScoreOrZero(total[s]) + q[s];
      if (t.subject.empty()) t.subject = "试题" + (++standalone > 1 ? std::to_string(standalone) : "");
    }
    analyses.push_back(AnalyseQuestions(t.subject, total, scores, headers, classes));
  }
  WriteReportSheet(app, place, QuestionSheetPlan(dataWorkbookName, analyses));
  SoundReportFinished(app);
}

void StandardScoreReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  params::AnalysisSettings settings;
  auto prepared = PrepareAnalysis(app, dialog, dataWorkbookName, settings);
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  if (!settings.schemeProblem.empty() && !settings.convertedSubjects.empty()) {
    sheetutil::Warn(app, "分析版 的赋分方案有误：" + settings.schemeProblem + "，请检查！");
    return;
  }
  sheetutil::WriteDefaultLayoutRow(*place.layoutStore, sheetutil::kStandardScores, true);
  // What the student rows are made from, kept by the sheet until it is written.
  struct Source {
    ScoreData data;
    params::GradeScheme scheme;
    std::vector<FieldStandardScores> fields;
    std::vector<std::vector<host::Value>> identity;
    bool noRanks = false;
  };
  auto source = std::make_shared<Source>();
  source->fields = ComputeStandardScores(data, ScoresOfThoseWhoSat(data), settings.scheme, settings.convertedSubjects);
  IdentityColumns identity = ReadIdentity(place, data);
  const StandardScorePlan plan = PlanStandardScoreSheet(dataWorkbookName, data, settings.scheme, source->fields,
                                                        identity.headers, settings.noRanks);
  const host::Rect rows{plan.firstStudentRow, 1, plan.firstStudentRow + data.table.students() - 1, plan.studentColumns};
  // The rows read each field's scores in their order, not the data's, and
  // work out the rest from the score.
  source->data = std::move(prepared->data);
  std::vector<std::vector<double>>().swap(source->data.table.scores);
  for (FieldStandardScores& f : source->fields) f = ForStudentRows(std::move(f), source->data.table.order);
  source->scheme = settings.scheme;
  source->identity = std::move(identity.cells);
  source->noRanks = settings.noRanks;
  WriteSheetWithRows(app, place, plan.frame, rows, [source](int first, int count) {
    const Source& s = *source;
    return StudentRows(s.data, s.scheme, s.fields, s.identity, s.noRanks, first, count);
  });
  SoundReportFinished(app);
}

void ProgressReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  params::AnalysisSettings settings;
  auto prepared = PrepareAnalysis(app, dialog, dataWorkbookName, settings);
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  if (settings.earlierExam.empty()) {
    sheetutil::Warn(app, "请在 分析版 的 C13 选择上一次考试的成绩文件！");
    return;
  }
  if (settings.earlierExam == dataWorkbookName) {
    sheetutil::Warn(app, "上一次考试的成绩文件不能是本次的 " + dataWorkbookName + "，请检查！");
    return;
  }
  sheetutil::WriteDefaultLayoutRow(*place.layoutStore, sheetutil::kStandardScores, true);

  // The earlier exam is read, never written: its workbook is left as it
  // was, and closed again when this command opened it (a province's exam
  // is a quarter of a gigabyte in memory).
  const bool openedHere = !sheetutil::WorkbookIsOpen(app, settings.earlierExam);
  if (openedHere) {
    const std::vector<std::string> files = app.platform().listFiles(sheetutil::DataFolder(app));
    if (std::find(files.begin(), files.end(), settings.earlierExam) == files.end()) {
      sheetutil::Warn(app, "数据文件夹里没有 " + settings.earlierExam + "，请在 分析版 的 C13 重新选择上一次考试！");
      return;
    }
    app.openWorkbook(sheetutil::DataFolder(app) + settings.earlierExam);
  }
  host::Workbook& earlierBook = app.workbook(settings.earlierExam);
  struct CloseWhenRead {
    host::Workbook* book;
    void close() {
      if (auto* b = std::exchange(book, nullptr)) b->close();
    }
    ~CloseWhenRead() {
      try {
        close();
      } catch (const host::HostError&) {  // left open: nothing of it was changed
      }
    }
  } closeWhenRead{openedHere ? &earlierBook : nullptr};
  place.dataBook->activate();
  if (!sheetutil::SheetExists(earlierBook, kDataSheetName)) {
    sheetutil::Warn(app, settings.earlierExam + " 没有 数据表，请检查！");
    return;
  }
  host::Worksheet& earlier = earlierBook.sheet(kDataSheetName);
  const host::Rect region = earlier.currentRegion({1, 1});
  const int before = region.rowCount() - 1;
  const std::vector<host::Value> header = earlier.values({1, 1, 1, region.right}).cells;
  const int earlierClass = FindHeader(header, kClassField);
  const std::vector<std::string> identity = SharedIdentity(data.table.header, header);
  if (earlierClass < 0 || identity.empty()) {
    sheetutil::Warn(app, "两次考试的数据表都要有 班级 列和 考号、学号 或 姓名 列，请检查！");
    return;
  }
  auto earlierColumn = [&](int column) {
    return before > 0 ? earlier.values({2, column + 1, region.bottom, column + 1}).cells : std::vector<host::Value>{};
  };

  ExamComparison c;
  c.earlierFile = settings.earlierExam;
  c.noRanks = settings.noRanks;
  c.marks = settings.listSize;
  // Everything of the earlier exam first: its keys, and each field's scores
  // (a total the earlier file lacks is the sum of its subjects); then its
  // workbook may close before the comparison takes its memory.
  {
    std::vector<std::vector<host::Value>> earlierIdentity;
    for (const std::string& h : identity) earlierIdentity.push_back(earlierColumn(FindHeader(header, h)));
    const std::vector<host::Value> classes = earlierColumn(earlierClass);
    c.earlierKeys = KeysOf(identity, earlierIdentity, classes.size(),
                           [&](std::size_t s) -> const host::Value& { return classes[s]; });
  }
  std::vector<std::vector<double>> then(data.fields.size(), std::vector<double>(static_cast<std::size_t>(before), kBlank));
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    if (const int column = FindHeader(header, data.fields[f].name); column >= 0) {
      then[f] = ReadScores(earlier, column, before, &ScoreIfSat);
    } else if (f == 0) {
      for (std::size_t g = 1; g < data.fields.size(); ++g)
        if (const int subject = FindHeader(header, data.fields[g].name); subject >= 0) {
          const std::vector<double> scores = ReadScores(earlier, subject, before, &ScoreIfSat);
          for (int s = 0; s < before; ++s)
            if (const double x = scores[static_cast<std::size_t>(s)]; !IsBlank(x))
              then[0][static_cast<std::size_t>(s)] = ScoreOrZero(then[0][static_cast<std::size_t>(s)]) + x;
        }
    }
  closeWhenRead.close();

  const int students = data.table.students();
  for (const std::string& h : identity) {
    c.identityHeaders.push_back(h);
    const int column = FindHeader(data.table.header, h);
    c.identity.push_back(students ? place.dataSheet->values({2, column + 1, students + 1, column + 1}).cells
                                  : std::vector<host::Value>{});
  }
  const ScoreTable& table = data.table;  // a lambda may not name a structured binding everywhere we build
  c.match = MatchStudents(KeysOf(identity, c.identity, static_cast<std::size_t>(students),
                                 [&](std::size_t s) -> const host::Value& { return table.classCell(s); }),
                          c.earlierKeys);
  // A field at a time: a province's scores of both exams are not held twice.
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    c.fields.push_back(CompareExams(data.table.scoresIfSat(f), then[f], c.match.earlierOf, c.marks));
    std::vector<double>().swap(then[f]);
  }

  const ProgressPlan plan = PlanProgressSheet(dataWorkbookName, data, c);
  const host::Rect rows{plan.firstStudentRow, 1, plan.firstStudentRow + students - 1, plan.studentColumns};
  // What the student rows are made from, kept by the sheet until it is
  // written: the comparison's columns in the rows' order. The matching and
  // the earlier keys are in the frame already; the scores are compared.
  c.match = {};
  c.earlierKeys = {};
  std::vector<std::vector<double>>().swap(prepared->data.table.scores);
  auto source = std::make_shared<ProgressTable>(ProgressTableInReportOrder(data, std::move(c)));
  c = {};
  prepared->data = {};
  WriteSheetWithRows(app, place, plan.frame, rows,
                     [source](int first, int count) { return ProgressRows(*source, first, count); });
  SoundReportFinished(app);
}

void BorderlineReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  host::Workbook& system = app.thisWorkbook();
  if (!sheetutil::SheetExists(system, params::kAnalysisSheet)) {
    sheetutil::Warn(app, AnalysisKind().missingSheetMessage);
    return;
  }
  const params::AnalysisSettings settings = params::ReadAnalysisSettings(system.sheet(params::kAnalysisSheet));
  // The lines, classes and fields are those of the chosen line settings.
  const bool twoLines = settings.borderlineLines == "双线版";
  LineSettings lines;
  auto prepared = PrepareScoreData(app, dialog, twoLines ? TwoLineKind() : ThreeLineKind(), dataWorkbookName,
                                   [&](host::Worksheet& version) { lines = ReadLines(version, twoLines ? 2 : 3); });
  if (!prepared) return;
  if (settings.noRanks) OrderWithoutRanks(prepared->place, prepared->data);
  const auto& [place, data] = *prepared;
  const auto lineScores = ComputeLineScores(app, data, lines);
  if (!lineScores) return;
  sheetutil::WriteDefaultLayoutRow(*place.layoutStore, sheetutil::kStandardScores, true);

  IdentityColumns identity = ReadIdentity(place, data);
  BorderlineLists borderline;
  borderline.linesSheet = data.settingsSheet;
  borderline.byPlaces = settings.borderlineByPlaces;
  borderline.identityHeaders = identity.headers;
  borderline.identity = std::move(identity.cells);
  borderline.scores = ScoresOfThoseWhoSat(data);
  // Each field's students ranked once, for every line.
  std::vector<std::vector<int>> ranked;
  for (const std::vector<double>& scores : borderline.scores) ranked.push_back(StudentsBestFirst(scores));
  for (std::size_t k = 0; k < lineScores->size(); ++k) {
    std::string name = k < lines.lineNames.size() && !lines.lineNames[k].empty() ? lines.lineNames[k]
                                                                                 : "线" + std::to_string(k + 1);
    if (name.find("线") == std::string::npos) name += "线";  // "优秀" reads "优秀线", "线1" stays
    borderline.lines.push_back(FindLineBorderline(name, borderline.scores, ranked, (*lineScores)[k],
                                                  {settings.borderlineByPlaces, settings.borderlineMargin},
                                                  data.table.order));
  }
  std::vector<std::vector<int>>().swap(ranked);
  // The layers and balance first, so that the sheet the command is named for is the one shown.
  BalanceReport balance;
  balance.noRanks = settings.noRanks;
  balance.listSize = settings.listSize;
  balance.scores = borderline.scores;
  balance.identityHeaders = identity.headers;
  balance.identity = borderline.identity;
  WriteReportSheet(app, place, PlanBalanceSheet(dataWorkbookName, data, balance));
  BorderlinePlan plan = PlanBorderlineSheet(dataWorkbookName, data, borderline);
  if (plan.firstListRow + static_cast<long long>(plan.entries.size()) - 1 > host::kMaxRow) {
    sheetutil::Warn(app, "临界生名单有 " + std::to_string(plan.entries.size()) +
                             " 行，超出工作表的行数，只写各班的临界人数；请在 分析版 的 E13 减小临界幅度。");
    plan.entries.clear();
  }
  const host::Rect rows{plan.firstListRow, 1, plan.firstListRow + static_cast<int>(plan.entries.size()) - 1,
                        plan.listColumns};
  // What the list is made from, kept by the sheet until it is written.
  struct Source {
    ScoreData data;
    BorderlineLists lists;
    std::vector<std::pair<int, int>> entries;
  };
  auto source =
      std::make_shared<Source>(Source{std::move(prepared->data), std::move(borderline), std::move(plan.entries)});
  WriteSheetWithRows(app, place, plan.frame, rows, [source](int first, int count) {
    return BorderlineRows(source->data, source->lists, source->entries, first, count);
  });

  SoundReportFinished(app);
}

}  // namespace tavo::reports
