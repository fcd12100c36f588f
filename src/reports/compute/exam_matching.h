// The students of two exams matched to each other: by their exam or school
// number when both files carry one, otherwise by name within the class. A
// student is never guessed: one found in one exam only, or whose key two
// students share, is listed apart with the reason.
#pragma once

#include <string>
#include <vector>

namespace tavo::reports {

// How a student is known in one exam: the number ("" when the file has
// none), the name and the class as the sheet shows them.
struct StudentKey {
  std::string number;
  std::string name;
  std::string className;
};

enum class UnmatchedReason {
  OnlyInThisExam,     // "仅本次考试有"
  OnlyInEarlierExam,  // "仅上次考试有"
  SharedKey,          // "编号或姓名重复，无法对应"
};
const char* ReasonText(UnmatchedReason);

struct ExamMatch {
  bool byNumber = false;             // matched by number, else by name and class
  std::vector<int> earlierOf;        // [current student]: the earlier exam's student, -1 when none
  struct Unmatched {
    bool inEarlierExam;              // the index is the earlier exam's
    int student;
    UnmatchedReason reason;
  };
  std::vector<Unmatched> unmatched;  // current exam's first, each in its data order
};

// `byNumber` when every student of both exams has a number; a name and
// class that two students of one exam share (or a shared number) matches
// nobody.
ExamMatch MatchStudents(const std::vector<StudentKey>& current, const std::vector<StudentKey>& earlier);

}  // namespace tavo::reports
