// The few checks the Windows test programs need (no test framework is built
// for the cross toolchain): each failure is printed, and the program's exit
// status counts them.
#pragma once

#include <iostream>
#include <string>

namespace tavo::testing {

inline int& Failures() {
  static int failures = 0;
  return failures;
}

inline void Check(bool ok, const std::string& what, const std::string& detail = "") {
  if (ok) return;
  ++Failures();
  std::cout << "FAILED: " << what << (detail.empty() ? "" : ": " + detail) << std::endl;
}

template <class A, class B>
void CheckEqual(const A& actual, const B& expected, const std::string& what) {
  if (actual == expected) return;
  ++Failures();
  std::cout << "FAILED: " << what << ": got [" << actual << "], expected [" << expected << "]" << std::endl;
}

}  // namespace tavo::testing
