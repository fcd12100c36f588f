// The pieces of the writer, one per kind of part.
#pragma once

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/format.h"
#include "host/model/sheet.h"
#include "host/xlsx/style_sheet.h"

namespace tavo::xlsx {

inline constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

class SharedStrings {
 public:
  explicit SharedStrings(const std::array<host::Rgb, 56>& palette) : palette_(palette) {}
  // Plain text is stored once; text with runs gets an entry of its own,
  // each run carrying the cell's font with the run's size or name.
  int add(const std::string& text, const std::vector<host::TextRun>& runs, const host::Font& cellFont);
  int count() const { return static_cast<int>(entries_.size()); }
  std::string xml() const;

 private:
  std::array<host::Rgb, 56> palette_;
  std::vector<std::string> entries_;  // the <si> contents
  std::unordered_map<std::string, int> plain_;
  int references_ = 0;
};

// "'my sheet'!" or "Sheet1!" as references to another sheet print it.
std::string QuotedSheetName(const std::string& name);

std::string WorksheetXml(const model::Sheet&, bool selected, StyleSheetWriter&, SharedStrings&, bool hasDrawing);

// The drawing part of a sheet with charts and one chart part per chart.
struct DrawingXml {
  std::string drawing;
  std::string drawingRels;
  std::vector<std::string> charts;
};
DrawingXml ChartsXml(const model::Sheet&, int firstChartNumber);

}  // namespace tavo::xlsx
