// The pieces of the writer, one per kind of part.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/format.h"
#include "host/model/cell_band.h"
#include "host/model/sheet.h"
#include "host/xlsx/part_stream.h"
#include "host/xlsx/style_sheet.h"

namespace tavo::xlsx {

inline constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kPkgRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

class SharedStrings {
 public:
  explicit SharedStrings(const host::ColorTable& colors);
  // Plain text is stored once; text with runs gets an entry of its own,
  // each run carrying the cell's font with the run's size or name.
  int add(const std::string& text, const std::vector<host::TextRun>& runs, const host::Font& cellFont);
  // A cell's text: one shared by many cells is looked up once.
  int add(const model::TextPayload&, const host::Font& cellFont);
  int count() const { return count_; }
  std::size_t size() const;       // about the part's
  void write(PartStream&) const;  // the part

 private:
  const host::ColorTable& colors_;
  const std::uint32_t writing_;  // this writing's mark on the texts it filed
  // The <si> elements one after another: a part of 200,000 names is built
  // without an allocation per name.
  std::string items_;
  int count_ = 0;

  // The plain texts seen, by hash: open addressing over slots that carry
  // the hash and where the text lies, so that a look-up costs one or two
  // cache lines where a node-based map costs three on a large workbook.
  struct Seen {
    std::uint64_t at = 0;  // offset of the text in texts_
    std::uint32_t length = 0;
    std::uint32_t hash = 0;
    int entry = -1;  // -1: free
  };
  // The entry of plain `text`, made when new.
  int plainEntry(const std::string& text);
  std::vector<Seen> seen_;
  std::size_t seenCount_ = 0;
  std::string texts_;
  int references_ = 0;
};

// "'my sheet'!" or "Sheet1!" as references to another sheet print it.
std::string QuotedSheetName(const std::string& name);

// The rows from `first` to `last` a worksheet part lists, and the columns
// in use in each: one pass over the columns, so writing costs the cells
// held, not rows x columns.
class RowCells {
 public:
  RowCells(const model::Sheet&, const model::CellBand&);
  static int LastRow(const model::Sheet&);  // the last row any band need reach
  // Rows with cells, a height, a format or an outline level, in order.
  const std::vector<int>& rows() const { return rows_; }
  std::span<const int> of(int row) const;  // columns in use, in order

 private:
  int first_;
  std::vector<std::size_t> start_;  // row first_ + i's columns are cols_[start_[i], start_[i + 1])
  std::vector<int> cols_;
  std::vector<int> rows_;
};

// The worksheet part. Without `strings` the cells are left out: the rest of
// the part, for a digest that takes the cells from the model.
void WriteWorksheet(PartStream&, const model::Sheet&, bool selected, StyleSheetWriter&, SharedStrings* strings,
                    bool hasDrawing);

// The drawing part of a sheet with charts and one chart part per chart.
struct DrawingXml {
  std::string drawing;
  std::string drawingRels;
  std::vector<std::string> charts;
};
DrawingXml ChartsXml(const model::Sheet&, int firstChartNumber);

}  // namespace tavo::xlsx
