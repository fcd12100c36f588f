#include "reports/sheets/cell_text.h"

namespace tavo::reports {

std::string Lines(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : kLf) + p;
  return out;
}

std::string LeftInRow(int at, int column) { return "RC[-" + std::to_string(at - column) + "]"; }

std::string SumInRow(int at, const std::vector<int>& columns) {
  std::string sum = "=";
  for (int column : columns) sum += (sum.size() > 1 ? "+" : "") + LeftInRow(at, column);
  return sum;
}

std::string OverRowsAbove(const char* function, int n) {
  return std::string("=") + function + "(R[-" + std::to_string(n) + "]C:R[-1]C)";
}

std::string FileStem(const std::string& fileName) {
  auto dot = fileName.rfind('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

host::Value NumberOrEmpty(double x) { return x != x ? host::Value() : host::Value(x); }

}  // namespace tavo::reports
