// A model host with one workbook, for tests.
#pragma once

#include <gtest/gtest.h>

#include "host/model/application.h"
#include "host/model/recording_platform.h"

namespace tavo::testing {

struct ModelFixture : ::testing::Test {
  model::RecordingPlatform platform;
  model::Application app{platform};
  model::Workbook& book = app.createWorkbook("book.xlsx", "/data");
  model::Sheet& sheet = book.modelSheet(1);

  using Cell = host::Cell;
  using Rect = host::Rect;
  using Value = host::Value;

  static Cell at(int r, int c) { return {r, c}; }
  static Rect rect(int t, int l, int b, int r) { return {t, l, b, r}; }
  void put(int r, int c, const Value& v) { sheet.setValue(Rect::of(Cell{r, c}), v); }
  void formula(int r, int c, const std::string& f) { sheet.setFormulaR1C1(Rect::of(Cell{r, c}), f); }
  Value get(int r, int c) const { return sheet.value({r, c}); }
  double num(int r, int c) const { return sheet.value({r, c}).number(); }
  std::string r1c1(int r, int c) const { return sheet.formulaR1C1({r, c}); }
  std::string a1(int r, int c) const { return sheet.formulaA1({r, c}); }
  // Fills a column from row `top` with numbers.
  void column(int c, int top, std::initializer_list<Value> vs) {
    int r = top;
    for (const auto& v : vs) put(r++, c, v);
  }
};

}  // namespace tavo::testing
