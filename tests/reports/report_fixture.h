// A school as the reports meet it: the system workbook with "三线版" and the
// layout store, a score file in the data folder selected in the dialog.
#pragma once

#include <string>
#include <vector>

#include "engine/zupo.h"
#include "host_fixture.h"

namespace tavo::testing {

struct ReportFixture : HostFixture {
  engine::zupo engine;
  model::Sheet& settings = system.appendSheet("三线版");

  struct Class {
    std::string grade, name;
    host::Value planned;
    std::vector<std::string> teachers;  // head teacher, then one per subject
  };
  struct Student {
    std::string cls;
    std::vector<host::Value> scores;  // one per subject
    std::vector<host::Value> extra = {};  // under extraHeaders; else the row's number
  };

  std::vector<std::string> subjects = {"语文", "数学"};
  std::vector<Student> students;
  std::vector<std::string> extraHeaders;  // e.g. "名次", after the scores
  std::string fileName = "考试.xlsx";

  ReportFixture() {
    // Row heights of the layout store: title, header, body.
    for (int row : {1, 2}) {
      put(store, row, 1, 30);
      put(store, row, 2, 40);
      put(store, row, 3, 18);
    }
    // Three lines by score, switches on, coefficients 1.
    for (int k = 0; k < 3; ++k) put(settings, 63 + k, 3, "按分数");
    setRow13({"是", "是", "是", "单上线", "单上线", "单上线", "单上线", 1, 1, 1, 1});
  }

  void setRow13(std::vector<host::Value> values) {
    for (std::size_t i = 0; i < values.size(); ++i) put(settings, 13, 2 + static_cast<int>(i), values[i]);
  }
  // Line k (1-based): the total's value, then each subject's.
  void setLine(int k, const std::string& mode, std::vector<host::Value> values) {
    put(settings, 62 + k, 3, mode);
    for (std::size_t i = 0; i < values.size(); ++i) put(settings, 62 + k, 4 + static_cast<int>(i), values[i]);
  }
  void setClasses(const std::vector<Class>& classes) {
    put(settings, 71, 2, "班级参数");  // the title the layout command writes; the table is found below it
    put(settings, 72, 1, "级部");
    put(settings, 72, 2, "班级");
    put(settings, 72, 3, "人数");
    put(settings, 72, 4, "班主任");
    // Row 62 repeats the subject names, as the layout commands copy them.
    for (std::size_t j = 0; j < subjects.size(); ++j) {
      put(settings, 72, 5 + static_cast<int>(j), subjects[j]);
      put(settings, 62, 5 + static_cast<int>(j), subjects[j]);
    }
    int row = 73;
    for (const Class& c : classes) {
      put(settings, row, 1, c.grade);
      put(settings, row, 2, c.name);
      put(settings, row, 3, c.planned);
      for (std::size_t t = 0; t < c.teachers.size(); ++t) put(settings, row, 4 + static_cast<int>(t), c.teachers[t]);
      ++row;
    }
  }

  // Writes the score file, selects it in the dialog and runs the report.
  void runReport(bool select = true, const std::string& command = "cmdSanXianTJ_Click",
                 const std::string& csb = "") {
    openScores(select);
    click(command, csb);
  }

  // Writes the score file and, with `select`, selects it in the dialog.
  void openScores(bool select = true) {
    auto rows = students;
    auto subs = subjects;
    auto extra = extraHeaders;
    addDataFile(fileName, "数据表", [rows, subs, extra](host::Worksheet& s) {
      put(s, 1, 1, "姓名");
      put(s, 1, 2, "班级");
      for (std::size_t j = 0; j < subs.size(); ++j) put(s, 1, 3 + static_cast<int>(j), subs[j]);
      for (std::size_t j = 0; j < extra.size(); ++j) put(s, 1, 3 + static_cast<int>(subs.size() + j), extra[j]);
      int r = 2;
      for (const Student& st : rows) {
        put(s, r, 1, "学生" + std::to_string(r - 1));
        put(s, r, 2, st.cls);
        for (std::size_t j = 0; j < st.scores.size(); ++j) {
          const host::Value& v = st.scores[j];
          // Text goes in as text, as exported files hold it.
          if (v.isText()) dynamic_cast<model::Sheet&>(s).setTextWithRuns({r, 3 + static_cast<int>(j)}, v.text(), {});
          else put(s, r, 3 + static_cast<int>(j), v);
        }
        for (std::size_t j = 0; j < extra.size(); ++j)
          put(s, r, 3 + static_cast<int>(subs.size() + j), j < st.extra.size() ? st.extra[j] : host::Value(r - 1));
        ++r;
      }
    });
    click("UFInitialize");
    if (select) {
      ASSERT_TRUE(dialog.select(fileName));
      click("ltbCJBChange");
    }
  }

  void click(const std::string& name, const std::string& csb = "") { engine.MyFunClick(app, dialog, name, csb); }
  model::Workbook& data() { return dynamic_cast<model::Workbook&>(app.workbook(fileName)); }
  model::Sheet& report(const char* name) {
    model::Sheet* s = data().findModelSheet(name);
    if (!s) throw std::runtime_error(std::string("no sheet ") + name);
    return *s;
  }
  model::Sheet& dataSheet() { return report("数据表"); }
};

}  // namespace tavo::testing
