// What the page shows of a workbook: its sheets' names, and a sheet as an
// HTML table the way a spreadsheet draws it (the text as its number format
// shows it, merged cells, fills, fonts, borders, alignment, widths and
// heights, frozen header rows), with its line charts as data for the page
// to draw. Called from the page's worker through the exports below.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "cli/desk.h"
#include "host/constants.h"
#include "host/model/chart.h"
#include "host/model/number_format.h"
#include "host/model/recording_platform.h"
#include "host/model/sheet.h"
#include "host/model/workbook.h"
#include "host/xlsx/file_error.h"
#include "host/xlsx/xml_text.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"

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
  namespace xl = tavo::host::xl;
  std::string css = "font-size:" + std::to_string(static_cast<int>(f.font.size * 4 / 3 + 0.5)) + "px;";
  if (f.font.bold) css += "font-weight:bold;";
  if (f.font.italic) css += "font-style:italic;";
  if (f.font.underline != xl::kNone) css += "text-decoration:underline;";
  if (f.font.colorIndex != 1 && book.colors().has(f.font.colorIndex)) css += "color:" + Colour(book, f.font.colorIndex) + ";";
  if (f.fillColorIndex >= 1 && book.colors().has(f.fillColorIndex))
    css += "background:" + Colour(book, f.fillColorIndex) + ";";
  if (f.horizontalAlignment == xl::kCenter) css += "text-align:center;";
  else if (f.horizontalAlignment == xl::kRight) css += "text-align:right;";
  else if (f.horizontalAlignment == xl::kLeft) css += "text-align:left;";
  if (f.verticalAlignment == xl::kCenter) css += "vertical-align:middle;";
  else if (f.verticalAlignment == -4160) css += "vertical-align:top;";
  const char* sides[] = {"left", "right", "top", "bottom"};
  const bool edges = !f.edges[0].style.empty() || !f.edges[1].style.empty() || !f.edges[2].style.empty() ||
                     !f.edges[3].style.empty();
  for (int e = 0; e < 4; ++e) {
    std::string line = edges ? Edge(book, f.edges[static_cast<std::size_t>(e)])
                       : f.borderLineStyle == xl::kNone ? ""
                                                        : "1px solid #000";
    if (!line.empty()) css += std::string("border-") + sides[e] + ":" + line + ";";
  }
  return css;
}

std::string SheetJson(const tavo::model::Sheet& sheet) {
  const tavo::model::Workbook& book = sheet.model();
  Rect used = sheet.usedRange();
  // Room to type beyond what the sheet holds, as a spreadsheet shows it.
  used.bottom = std::min(used.bottom + 5, tavo::host::kMaxRow);
  used.right = std::min(std::max(used.right, 8), tavo::host::kMaxCol);
  std::string html = "<table class=\"sheet\"><colgroup><col class=\"rowhead\">";
  for (int c = used.left; c <= used.right; ++c)
    html += "<col style=\"width:" + std::to_string(static_cast<int>(sheet.columnWidth(c) * 8 + 5)) + "px\">";
  html += "</colgroup><tr class=\"colhead\"><th></th>";
  for (int c = used.left; c <= used.right; ++c) html += "<th>" + tavo::host::columnLetters(c) + "</th>";
  html += "</tr>";
  const int frozen = sheet.view().freezePanes ? sheet.view().splitRow : 0;
  std::set<std::pair<int, int>> covered;  // cells under a merged area's first
  for (int r = used.top; r <= used.bottom; ++r) {
    const double height = sheet.rowHeight(r);
    if (height == 0) continue;
    html += std::string("<tr") + (r <= frozen ? " class=\"frozen\"" : "") + " style=\"height:" +
            std::to_string(static_cast<int>(height * 4 / 3 + 0.5)) + "px\"><th>" + std::to_string(r) + "</th>";
    for (int c = used.left; c <= used.right; ++c) {
      if (covered.count({r, c})) continue;
      const Rect area = sheet.mergeArea({r, c});
      std::string span;
      if (area.rowCount() > 1 || area.colCount() > 1) {
        for (int rr = area.top; rr <= area.bottom; ++rr)
          for (int cc = area.left; cc <= area.right; ++cc) covered.insert({rr, cc});
        if (area.rowCount() > 1) span += " rowspan=\"" + std::to_string(area.rowCount()) + "\"";
        if (area.colCount() > 1) span += " colspan=\"" + std::to_string(area.colCount()) + "\"";
      }
      const tavo::host::Format f = sheet.format({r, c});
      const std::string shown = tavo::model::formatForDisplay(sheet.value({r, c}), f.numberFormat);
      html += "<td data-r=\"" + std::to_string(r) + "\" data-c=\"" + std::to_string(c) + "\"" + span + " style=\"" +
              CellStyle(book, f) + "\">" + Html(shown) + "</td>";
    }
    html += "</tr>";
  }
  html += "</table>";

  std::string charts = "[";
  for (const auto& chart : sheet.charts()) {
    const tavo::model::ChartData& c = chart->data;
    if (charts.size() > 1) charts += ",";
    charts += "{\"title\":" + Json(c.title) + ",\"left\":" + std::to_string(c.left) + ",\"top\":" +
              std::to_string(c.top) + ",\"width\":" + std::to_string(c.width) + ",\"height\":" +
              std::to_string(c.height) + ",\"categories\":[";
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
  charts += "]";
  return "{\"html\":" + Json(html) + ",\"charts\":" + charts + "}";
}

char* Result(const std::string& json) {
  char* out = static_cast<char*>(std::malloc(json.size() + 1));
  std::memcpy(out, json.c_str(), json.size() + 1);
  return out;
}

}  // namespace

extern "C" {

// {"sheets":[names...]} or {"error":reason}; the caller frees the text.
EMSCRIPTEN_KEEPALIVE char* tavo_sheet_names(const char* path) {
  try {
    tavo::model::RecordingPlatform platform;
    tavo::model::Application app(platform);
    auto loaded = tavo::cli::LoadAnyWorkbook(app, path);
    std::string json = "{\"sheets\":[";
    for (int s = 1; s <= loaded.book->sheetCount(); ++s)
      json += (s > 1 ? "," : "") + Json(loaded.book->modelSheet(s).name());
    return Result(json + "]}");
  } catch (const std::exception& e) {
    return Result("{\"error\":" + Json(e.what()) + "}");
  }
}

// {"html":table,"charts":[...]} of one sheet, or {"error":reason}.
EMSCRIPTEN_KEEPALIVE char* tavo_sheet_preview(const char* path, const char* sheetName) {
  try {
    tavo::model::RecordingPlatform platform;
    tavo::model::Application app(platform);
    auto loaded = tavo::cli::LoadAnyWorkbook(app, path);
    const tavo::model::Sheet* sheet = loaded.book->findModelSheet(sheetName);
    if (!sheet) return Result("{\"error\":" + Json(std::string("没有工作表 ") + sheetName) + "}");
    return Result(SheetJson(*sheet));
  } catch (const std::exception& e) {
    return Result("{\"error\":" + Json(e.what()) + "}");
  }
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
    return Result("{\"ok\":true}");
  } catch (const std::exception& e) {
    return Result("{\"error\":" + Json(e.what()) + "}");
  }
}

}  // extern "C"
