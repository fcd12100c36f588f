// What the page shows of a workbook: its sheets' names, a sheet's layout
// (widths, heights, frozen rows, its line charts as data for the page to
// draw where the sheet places them) and its rows as HTML table rows, a
// window at a time. Called from the page's worker through the exports below.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "cli/desk.h"
#include "cli/last_run.h"
#include "cli/run_log.h"
#include "engine/zupo.h"
#include "host/constants.h"
#include "host/file_error.h"
#include "host/model/cell_band.h"
#include "host/model/chart.h"
#include "host/model/number_format.h"
#include "host/model/recording_platform.h"
#include "host/model/sheet.h"
#include "host/model/workbook.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "host/xlsx/xml_text.h"

namespace {

using tavo::host::Cell;
using tavo::host::Rect;

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\n': out += "<br>"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
    else if (c == '\n') out += "\\n";
    else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string Colour(const tavo::model::Workbook& book, int index) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(book.colors().at(index)));
  return buffer;
}

std::string Edge(const tavo::model::Workbook& book, const tavo::host::BorderEdge& edge) {
  if (edge.style.empty()) return "";
  const bool thick = edge.style.find("medium") != std::string::npos || edge.style == "thick";
  const char* line = edge.style == "double" ? "double" : edge.style.find("dash") != std::string::npos ? "dashed"
                     : edge.style == "dotted" || edge.style == "hair"                          ? "dotted"
                                                                                               : "solid";
  return std::string(thick ? "2px " : "1px ") + line + " " + (edge.colorIndex ? Colour(book, edge.colorIndex) : "#000");
}

std::string CellStyle(const tavo::model::Workbook& book, const tavo::host::Format& f) {
  using tavo::host::BorderLine;
  using tavo::host::HorizontalAlignment;
  using tavo::host::VerticalAlignment;
  std::string css = "font-size:" + std::to_string(static_cast<int>(f.font.size * 4 / 3 + 0.5)) + "px;";
  if (f.font.bold) css += "font-weight:bold;";
  if (f.font.italic) css += "font-style:italic;";
  if (f.font.underline != tavo::host::Underline::None) css += "text-decoration:underline;";
  if (f.font.colorIndex != 1 && book.colors().has(f.font.colorIndex)) css += "color:" + Colour(book, f.font.colorIndex) + ";";
  if (f.fill.colorIndex >= 1 && book.colors().has(f.fill.colorIndex))
    css += "background:" + Colour(book, f.fill.colorIndex) + ";";
  switch (f.horizontalAlignment) {
    case HorizontalAlignment::Center:
    case HorizontalAlignment::CenterAcrossSelection: css += "text-align:center;"; break;
    case HorizontalAlignment::Right: css += "text-align:right;"; break;
    case HorizontalAlignment::Left: css += "text-align:left;"; break;
    case HorizontalAlignment::Justify:
    case HorizontalAlignment::Distributed: css += "text-align:justify;"; break;
    default: break;
  }
  if (f.verticalAlignment == VerticalAlignment::Center) css += "vertical-align:middle;";
  else if (f.verticalAlignment == VerticalAlignment::Top) css += "vertical-align:top;";
  const char* sides[] = {"left", "right", "top", "bottom"};
  const bool edges = !f.edges[0].style.empty() || !f.edges[1].style.empty() || !f.edges[2].style.empty() ||
                     !f.edges[3].style.empty();
  const char* drawn = f.border == BorderLine::None       ? ""
                      : f.border == BorderLine::Dashed   ? "1px dashed #000"
                      : f.border == BorderLine::Dotted   ? "1px dotted #000"
                      : f.border == BorderLine::Double   ? "3px double #000"
                                                         : "1px solid #000";
  for (int e = 0; e < 4; ++e) {
    std::string line = edges ? Edge(book, f.edges[static_cast<std::size_t>(e)]) : drawn;
    if (!line.empty()) css += std::string("border-") + sides[e] + ":" + line + ";";
  }
  return css;
}

// The part of a sheet the page lays out: from A1, as a spreadsheet shows
// it, to what the sheet holds and its charts cover, with room to type.
Rect Extent(const tavo::model::Sheet& sheet) {
  const Rect used = sheet.usedRange();
  Rect extent{1, 1, std::max(used.bottom, 1), std::max(used.right, 8)};
  for (const auto& chart : sheet.charts()) {
    const tavo::model::ChartData& c = chart->data;
    double right = 0, bottom = 0;
    int col = 1, row = 1;
    while (col < tavo::host::kMaxCol && (right += tavo::xlsx::ColumnPoints(sheet, col)) < c.left + c.width) ++col;
    while (row < tavo::host::kMaxRow && (bottom += sheet.rowHeight(row)) < c.top + c.height) ++row;
    extent.right = std::max(extent.right, col);
    extent.bottom = std::max(extent.bottom, row);
  }
  extent.bottom = std::min(extent.bottom + 5, tavo::host::kMaxRow);
  return extent;
}

int ColumnPixels(const tavo::model::Sheet& sheet, int col) { return static_cast<int>(sheet.columnWidth(col) * 8 + 5); }
int RowPixels(const tavo::model::Sheet& sheet, int row) { return static_cast<int>(sheet.rowHeight(row) * 4 / 3 + 0.5); }

// A distance in points from the sheet's left (top) edge, as the page's
// pixels: the same cell and the same share of it, the page's columns being
// wider than the desktop spreadsheet's for its Chinese font.
double PagePixels(double points, int last, const std::function<double(int)>& pointsOf,
                  const std::function<int(int)>& pixelsOf) {
  double pixels = 0;
  for (int i = 1; i <= last; ++i) {
    const double size = pointsOf(i);
    if (points <= size || i == last) return pixels + (size > 0 ? std::min(points / size, 1.0) * pixelsOf(i) : 0);
    points -= size;
    pixels += pixelsOf(i);
  }
  return pixels;
}

std::string ChartsJson(const tavo::model::Sheet& sheet, const Rect& extent) {
  const auto columnPoints = [&sheet](int c) { return tavo::xlsx::ColumnPoints(sheet, c); };
  const auto columnPixels = [&sheet](int c) { return ColumnPixels(sheet, c); };
  const auto rowPoints = [&sheet](int r) { return sheet.rowHeight(r); };
  const auto rowPixels = [&sheet](int r) { return RowPixels(sheet, r); };
  std::string charts = "[";
  for (const auto& chart : sheet.charts()) {
    const tavo::model::ChartData& c = chart->data;
    if (charts.size() > 1) charts += ",";
    charts += "{\"title\":" + Json(c.title) + ",\"x\":" +
              std::to_string(static_cast<int>(PagePixels(c.left, extent.right, columnPoints, columnPixels))) +
              ",\"y\":" + std::to_string(static_cast<int>(PagePixels(c.top, extent.bottom, rowPoints, rowPixels))) +
              ",\"width\":" + std::to_string(c.width) + ",\"height\":" + std::to_string(c.height) +
              ",\"categories\":[";
    const Rect cats = c.categories;
    bool first = true;
    for (int rr = cats.top; rr <= cats.bottom && c.categorySheet; ++rr)
      for (int cc = cats.left; cc <= cats.right; ++cc) {
        charts += (first ? "" : ",") + Json(tavo::host::displayText(c.categorySheet->value({rr, cc})));
        first = false;
      }
    charts += "],\"values\":[";
    first = true;
    const Rect vals = c.source;
    for (int rr = vals.top; rr <= vals.bottom && c.sourceSheet; ++rr)
      for (int cc = vals.left; cc <= vals.right; ++cc) {
        const tavo::host::Value v = c.sourceSheet->value({rr, cc});
        charts += (first ? "" : ",") + (v.isNumber() ? tavo::xlsx::NumberText(v.number()) : std::string("null"));
        first = false;
      }
    charts += "]}";
  }
  return charts + "]";
}

// How a sheet is laid out, without its cells: the columns' and the rows'
// sizes in pixels (0 for a hidden row), the rows frozen at the top, the
// column headings and the charts where the sheet places them. A school's
// score sheet has tens of thousands of rows; the page asks for the rows in
// view as it scrolls.
std::string LayoutJson(const tavo::model::Sheet& sheet) {
  const Rect extent = Extent(sheet);
  std::string json = "{\"rows\":" + std::to_string(extent.bottom) + ",\"columns\":[";
  for (int c = 1; c <= extent.right; ++c)
    json += (c > 1 ? "," : "") + std::string("{\"name\":\"") + tavo::host::columnLetters(c) +
            "\",\"width\":" + std::to_string(ColumnPixels(sheet, c)) + "}";
  json += "],\"heights\":[";
  for (int r = 1; r <= extent.bottom; ++r) json += (r > 1 ? "," : "") + std::to_string(RowPixels(sheet, r));
  const int frozen = sheet.view().freezePanes ? std::min(sheet.view().splitRow, extent.bottom) : 0;
  return json + "],\"frozen\":" + std::to_string(frozen) + ",\"charts\":" + ChartsJson(sheet, extent) + "}";
}

// Rows `first` to `last` of a sheet as table rows, the way a spreadsheet
// draws them (the text as its number format shows it, merged cells, fills,
// fonts, borders, alignment). The range grows to take in whole merged
// areas, so that no area is cut at its edge: {"first","last","html"}.
std::string RowsJson(const tavo::model::Sheet& sheet, int first, int last) {
  const tavo::model::Workbook& book = sheet.model();
  const Rect extent = Extent(sheet);
  first = std::clamp(first, 1, extent.bottom);
  last = std::clamp(last, first, extent.bottom);
  for (bool grew = true; grew;) {
    grew = false;
    for (int c = 1; c <= extent.right; ++c) {
      const Rect top = sheet.mergeArea({first, c}), bottom = sheet.mergeArea({last, c});
      if (top.top < first) first = top.top, grew = true;
      if (bottom.bottom > last && bottom.bottom <= extent.bottom) last = bottom.bottom, grew = true;
    }
  }
  // Read through a band: rows a report keeps as their source (a province's
  // table) are made for the window alone, not entered whole.
  const tavo::model::CellBand band(sheet, first, last);
  std::string html;
  std::set<std::pair<int, int>> covered;  // cells under a merged area's first
  for (int r = first; r <= last; ++r) {
    const int height = RowPixels(sheet, r);
    if (height == 0) continue;
    html += "<tr data-row=\"" + std::to_string(r) + "\" style=\"height:" + std::to_string(height) + "px\"><th>" +
            std::to_string(r) + "</th>";
    for (int c = 1; c <= extent.right; ++c) {
      if (covered.count({r, c})) continue;
      const Rect area = sheet.mergeArea({r, c});
      std::string span;
      if (area.rowCount() > 1 || area.colCount() > 1) {
        for (int rr = area.top; rr <= area.bottom; ++rr)
          for (int cc = area.left; cc <= area.right; ++cc) covered.insert({rr, cc});
        if (area.rowCount() > 1) span += " rowspan=\"" + std::to_string(area.rowCount()) + "\"";
        if (area.colCount() > 1) span += " colspan=\"" + std::to_string(area.colCount()) + "\"";
      }
      const tavo::host::Format f = book.styles().get(band.style({r, c}));
      const tavo::model::Slot* slot = band.get(r, c);
      const tavo::host::Value value = !slot               ? tavo::host::Value{}
                                      : slot->isFormula() ? sheet.value({r, c})
                                                          : slot->constant();
      const std::string shown = tavo::model::formatForDisplay(value, f.numberFormat);
      html += "<td data-r=\"" + std::to_string(r) + "\" data-c=\"" + std::to_string(c) + "\"" + span +
              " style=\"" + CellStyle(book, f) + "\">" + Html(shown) + "</td>";
    }
    html += "</tr>";
  }
  return "{\"first\":" + std::to_string(first) + ",\"last\":" + std::to_string(last) + ",\"html\":" + Json(html) +
         "}";
}

// The workbook the page last looked at, read once (or as the last run left
// it) and held until the worker says the page's files changed: scrolling
// through a sheet, or going from tab to tab, reads nothing again.
struct OpenedWorkbook {
  std::string path;
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app{platform};
  tavo::xlsx::LoadedWorkbook loaded;
};
std::unique_ptr<OpenedWorkbook> opened;

const tavo::model::Workbook& Opened(const std::string& path) {
  // What a report just wrote is in memory still, as saved.
  if (const tavo::model::Workbook* saved = tavo::cli::SavedByLastRun(path)) return *saved;
  if (!opened || opened->path != path) {
    opened.reset();
    auto book = std::make_unique<OpenedWorkbook>();
    book->loaded = tavo::cli::LoadAnyWorkbook(book->app, path);
    book->path = path;
    opened = std::move(book);
  }
  return *opened->loaded.book;
}

std::string Error(const std::string& reason) { return "{\"error\":" + Json(reason) + "}"; }

char* Result(const std::string& json) {
  char* out = static_cast<char*>(std::malloc(json.size() + 1));
  std::memcpy(out, json.c_str(), json.size() + 1);
  return out;
}

}  // namespace

extern "C" {

// What the last run of the program said and wrote:
// {"said":[{"kind":"box"|"note"|"backup"|"unsaved","title","text"}...],
//  "commands":[{"name","written":[{"file","sheets":[...]}...]}...]}.
EMSCRIPTEN_KEEPALIVE char* tavo_last_run() {
  using tavo::cli::RunLog;
  const RunLog& log = tavo::cli::CurrentRunLog();
  std::string json = "{\"said\":[";
  for (std::size_t i = 0; i < log.said.size(); ++i) {
    const RunLog::Said& s = log.said[i];
    const char* kind = s.kind == RunLog::Kind::Box      ? "box"
                       : s.kind == RunLog::Kind::Backup  ? "backup"
                       : s.kind == RunLog::Kind::Unsaved ? "unsaved"
                                                         : "note";
    json += std::string(i ? "," : "") + "{\"kind\":\"" + kind + "\",\"title\":" + Json(s.title) +
            ",\"text\":" + Json(s.text) + "}";
  }
  json += "],\"commands\":[";
  for (std::size_t i = 0; i < log.commands.size(); ++i) {
    json += std::string(i ? "," : "") + "{\"name\":" + Json(log.commands[i].name) + ",\"written\":[";
    for (std::size_t w = 0; w < log.commands[i].written.size(); ++w) {
      const RunLog::Written& written = log.commands[i].written[w];
      json += std::string(w ? "," : "") + "{\"file\":" + Json(written.file) + ",\"sheets\":[";
      for (std::size_t k = 0; k < written.sheets.size(); ++k) json += (k ? "," : "") + Json(written.sheets[k]);
      json += "]}";
    }
    json += "]}";
  }
  return Result(json + "]}");
}

// The command table: {"commands":[{"name","kind","settingsSheet","caption"}...]},
// from which the page labels its buttons as the dialog and the ribbon do.
EMSCRIPTEN_KEEPALIVE char* tavo_commands() {
  std::string json = "{\"commands\":[";
  bool first = true;
  for (const tavo::engine::CommandInfo& c : tavo::engine::zupo::Commands()) {
    const char* kind = c.kind == tavo::engine::CommandKind::Layout   ? "layout"
                       : c.kind == tavo::engine::CommandKind::Report ? "report"
                                                                     : "dialog";
    json += std::string(first ? "" : ",") + "{\"name\":" + Json(c.name) + ",\"kind\":\"" + kind +
            "\",\"settingsSheet\":" + Json(c.settingsSheet) + ",\"caption\":" + Json(c.caption) + "}";
    first = false;
  }
  return Result(json + "]}");
}

// {"sheets":[names...]} or {"error":reason}; the caller frees the text.
EMSCRIPTEN_KEEPALIVE char* tavo_sheet_names(const char* path) {
  try {
    const tavo::model::Workbook& book = Opened(path);
    std::string json = "{\"sheets\":[";
    for (int s = 1; s <= book.sheetCount(); ++s) json += (s > 1 ? "," : "") + Json(book.modelSheet(s).name());
    return Result(json + "]}");
  } catch (const std::exception& e) {
    return Result(Error(e.what()));
  }
}

// The layout of one sheet (see LayoutJson), or {"error":reason}.
EMSCRIPTEN_KEEPALIVE char* tavo_sheet_layout(const char* path, const char* sheetName) {
  try {
    const tavo::model::Sheet* sheet = Opened(path).findModelSheet(sheetName);
    if (!sheet) return Result(Error(std::string("没有工作表 ") + sheetName));
    return Result(LayoutJson(*sheet));
  } catch (const std::exception& e) {
    return Result(Error(e.what()));
  }
}

// Rows of one sheet as table rows (see RowsJson), or {"error":reason}.
EMSCRIPTEN_KEEPALIVE char* tavo_sheet_rows(const char* path, const char* sheetName, int first, int last) {
  try {
    const tavo::model::Sheet* sheet = Opened(path).findModelSheet(sheetName);
    if (!sheet) return Result(Error(std::string("没有工作表 ") + sheetName));
    return Result(RowsJson(*sheet, first, last));
  } catch (const std::exception& e) {
    return Result(Error(e.what()));
  }
}

// The page's files changed: what was read is read again when next asked.
EMSCRIPTEN_KEEPALIVE void tavo_forget_opened() {
  opened.reset();
  tavo::cli::ForgetLastRun();
}

// Types `text` into a cell as a teacher would (numbers become numbers) and
// saves the workbook: {"ok":true} or {"error":reason}.
EMSCRIPTEN_KEEPALIVE char* tavo_set_cell(const char* path, const char* sheetName, int row, int col, const char* text) {
  try {
    tavo::model::RecordingPlatform platform;
    tavo::model::Application app(platform);
    auto loaded = tavo::xlsx::LoadWorkbook(app, path);
    tavo::model::Sheet* sheet = loaded.book->findModelSheet(sheetName);
    if (!sheet) return Result("{\"error\":" + Json(std::string("没有工作表 ") + sheetName) + "}");
    if (row < 1 || row > tavo::host::kMaxRow || col < 1 || col > tavo::host::kMaxCol)
      return Result("{\"error\":\"单元格位置无效\"}");
    tavo::host::Grid cell(1, 1);
    if (*text) cell.at(0, 0) = tavo::host::Value(std::string(text));
    sheet->setValues({row, col}, cell);
    tavo::xlsx::SaveWorkbook(*loaded.book, path);
    opened.reset();
    return Result("{\"ok\":true}");
  } catch (const std::exception& e) {
    return Result("{\"error\":" + Json(e.what()) + "}");
  }
}

}  // extern "C"
