#include "host/xls/xls_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>

#include "host/xls/biff_records.h"
#include "host/xls/compound_file.h"
#include "host/file_error.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/style_sheet.h"

namespace tavo::xls {

namespace {

using host::Cell;
using host::Rect;
using host::Value;

// What the workbook's first records say about all of its sheets.
struct Globals {
  bool biff8 = true;
  int codePage = 1252;
  bool dates1904 = false;
  struct SheetEntry {
    std::string name;
    std::uint32_t offset;
    bool hidden;
  };
  std::vector<SheetEntry> sheets;
  bool otherSheets = false;  // chart or macro sheets
  std::set<std::string> unread;  // what the workbook holds that is not read, by name
  std::vector<std::string> strings;
  std::map<int, std::string> numberFormats;
  std::vector<host::Font> fonts;
  std::vector<host::Format> formats;  // by XF index
  std::array<host::Rgb, 56> palette = host::classicPalette();
};

// The file's colour indexes: 8-63 are the palette's 1-56, 0-7 the first
// eight fixed colours; anything else is automatic.
int PaletteIndex(int icv) {
  if (icv >= 8 && icv <= 63) return icv - 7;
  if (icv >= 0 && icv <= 7) return icv + 1;
  return 0;
}

const char* LineName(unsigned code) {
  static const char* const kNames[] = {"",       "thin",         "medium",     "dashed",       "dotted",
                                       "thick",  "double",       "hair",       "mediumDashed", "dashDot",
                                       "mediumDashDot", "dashDotDot", "mediumDashDotDot", "slantDashDot"};
  return code < std::size(kNames) ? kNames[code] : "thin";
}

const char* HorizontalName(unsigned code) {
  static const char* const kNames[] = {"general", "left", "center", "right", "fill", "justify", "centerContinuous",
                                       "distributed"};
  return kNames[code & 7];
}

const char* VerticalName(unsigned code) {
  static const char* const kNames[] = {"top", "center", "bottom", "justify", "distributed", "bottom", "bottom", "bottom"};
  return kNames[code & 7];
}

host::Value ErrorValue(int code) {
  switch (code) {
    case 0x07: return host::ErrorKind::Div0;
    case 0x17: return host::ErrorKind::Ref;
    case 0x1D: return host::ErrorKind::Name;
    case 0x24: return host::ErrorKind::Num;
    case 0x2A: return host::ErrorKind::NA;
    case 0x00: return host::ErrorKind::Null;
    default: return host::ErrorKind::Value;
  }
}

double RkNumber(std::uint32_t rk) {
  double v;
  if (rk & 2) {
    v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&v, &bits, 8);
  }
  return rk & 1 ? v / 100 : v;
}

class WorkbookStream {
 public:
  explicit WorkbookStream(std::string stream) : stream_(std::move(stream)) {}

  Globals readGlobals() {
    Globals g;
    RecordReader records(stream_, 0);
    Record r;
    if (!records.next(r) || r.id != record::kBof) {
      if (r.id == 0x0009 || r.id == 0x0209 || r.id == 0x0409) throw std::runtime_error("xls 版本过旧（BIFF2-4），请另存为 xlsx");
      throw std::runtime_error("不是有效的 xls 文件");
    }
    const int version = r.body.u16();
    g.biff8 = version == 0x0600;
    if (!g.biff8 && version != 0x0500) throw std::runtime_error("不支持的 xls 版本");
    if (!g.biff8) g.codePage = 1252;
    std::vector<std::array<std::uint8_t, 20>> xfs;
    while (records.next(r) && r.id != record::kEof) {
      RecordBody& b = r.body;
      switch (r.id) {
        case record::kFilePass: throw std::runtime_error("文件有密码保护");
        case record::kCodePage: g.codePage = b.u16(); break;
        case record::kDateMode: g.dates1904 = b.u16() == 1; break;
        case record::kBoundSheet: {
          const std::uint32_t offset = b.u32();
          const int visibility = b.u8(), type = b.u8();
          std::string name = g.biff8 ? b.unicodeString(true) : b.byteString(true, g.codePage);
          if (type == 0) g.sheets.push_back({std::move(name), offset, visibility != 0});
          else g.otherSheets = true;
          break;
        }
        case record::kSst: {
          b.u32();
          const std::uint32_t unique = b.u32();
          g.strings.reserve(std::min<std::size_t>(unique, b.left() / 3));
          for (std::uint32_t i = 0; i < unique && b.left(); ++i) g.strings.push_back(b.unicodeString(false));
          break;
        }
        case record::kFormat: {
          const int id = b.u16();
          g.numberFormats[id] = g.biff8 ? b.unicodeString(false) : b.byteString(true, g.codePage);
          break;
        }
        case record::kFont: g.fonts.push_back(readFont(b, g)); break;
        case 0x0018: {  // NAME: one the workbook's user gave, or the program's (print area, titles)
          if (b.left() < 16) break;
          const int options = b.u16();
          b.skip(12);  // shortcut, lengths, sheet, lengths of the menu texts
          if (!(options & 0x20)) {
            g.unread.insert("名称");
          } else {
            if (g.biff8) b.u8();  // the name's character width
            const int code = b.u8();
            if (code == 0x06 || code == 0x07) g.unread.insert("打印区域与打印标题");
          }
          break;
        }
        case record::kXf: {
          std::array<std::uint8_t, 20> raw{};
          for (std::size_t i = 0; i < (g.biff8 ? 20u : 16u); ++i) raw[i] = b.u8();
          xfs.push_back(raw);
          break;
        }
        case record::kPalette: {
          const int count = b.u16();
          for (int i = 0; i < count && i < 56; ++i) {
            const int red = b.u8(), green = b.u8(), blue = b.u8();
            b.u8();
            g.palette[static_cast<std::size_t>(i)] = host::rgb(red, green, blue);
          }
          break;
        }
        default: break;
      }
    }
    for (const auto& raw : xfs) g.formats.push_back(formatOf(raw, g));
    return g;
  }

  // The cells and the geometry of the sheet whose BOF is at the offset.
  void readSheet(const Globals& g, std::uint32_t offset, model::Sheet& sheet, std::set<std::string>& notCarried) {
    RecordReader records(stream_, offset);
    Record r;
    if (!records.next(r) || r.id != record::kBof) throw std::runtime_error("工作表 " + sheet.name() + " 的位置无效");
    std::vector<model::StyleId> styles(g.formats.size(), 0);
    auto place = [&](int row, int col, int xf, const Value& v) {
      if (row >= host::kMaxRow || col >= host::kMaxCol) return;
      const Cell at{row + 1, col + 1};
      if (v.isText()) sheet.setTextWithRuns(at, v.text(), {});
      else if (!v.isEmpty()) sheet.setValue(Rect::of(at), v);
      if (xf >= 0 && xf < static_cast<int>(g.formats.size())) {
        auto& id = styles[static_cast<std::size_t>(xf)];
        if (!id && !(g.formats[static_cast<std::size_t>(xf)] == host::Format{}))
          id = sheet.model().styles().intern(g.formats[static_cast<std::size_t>(xf)]);
        if (id) sheet.setOwnStyle(at, id);
      }
    };
    int pendingRow = -1, pendingCol = 0, pendingXf = 0;  // a formula whose text result follows
    std::vector<Rect> merges;
    while (records.next(r) && r.id != record::kEof) {
      RecordBody& b = r.body;
      switch (r.id) {
        case record::kBof:  // an embedded chart
          notCarried.insert("图表");
          skipSubstream(records);
          break;
        case record::kNumber: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          place(row, col, xf, b.f64());
          break;
        }
        case record::kRk: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          place(row, col, xf, RkNumber(b.u32()));
          break;
        }
        case record::kMulRk: {
          const int row = b.u16();
          int col = b.u16();
          while (b.left() >= 8) {
            const int xf = b.u16();
            place(row, col++, xf, RkNumber(b.u32()));
          }
          break;
        }
        case record::kLabelSst: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          const std::uint32_t i = b.u32();
          place(row, col, xf, i < g.strings.size() ? Value(g.strings[i]) : Value());
          break;
        }
        case record::kLabel:
        case record::kRString: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          place(row, col, xf, g.biff8 ? b.unicodeString(false) : b.byteString(false, g.codePage));
          break;
        }
        case record::kBoolErr: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          const int value = b.u8(), isError = b.u8();
          place(row, col, xf, isError ? ErrorValue(value) : Value(value != 0));
          break;
        }
        case record::kBlank: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          place(row, col, xf, Value());
          break;
        }
        case record::kMulBlank: {
          const int row = b.u16();
          int col = b.u16();
          while (b.left() >= 4) place(row, col++, b.u16(), Value());
          break;
        }
        case record::kFormula: {
          const int row = b.u16(), col = b.u16(), xf = b.u16();
          std::uint8_t result[8];
          for (auto& byte : result) byte = b.u8();
          notCarried.insert("xls 文件的公式（只读入计算结果）");
          if (result[6] != 0xFF || result[7] != 0xFF) {
            double v;
            std::memcpy(&v, result, 8);
            place(row, col, xf, std::isfinite(v) ? Value(v) : Value(host::ErrorKind::Num));
          } else if (result[0] == 0) {
            pendingRow = row, pendingCol = col, pendingXf = xf;
          } else {
            // 1 a truth value, 2 an error, 3 the empty text (a cell that is not blank).
            place(row, col, xf,
                  result[0] == 1   ? Value(result[2] != 0)
                  : result[0] == 2 ? ErrorValue(result[2])
                  : result[0] == 3 ? Value(std::string())
                                   : Value());
          }
          break;
        }
        case record::kString:
          if (pendingRow >= 0) {
            place(pendingRow, pendingCol, pendingXf, g.biff8 ? b.unicodeString(false) : b.byteString(false, g.codePage));
            pendingRow = -1;
          }
          break;
        case record::kMergeCells: {
          const int count = b.u16();
          for (int i = 0; i < count && b.left() >= 8; ++i) {
            const int top = b.u16(), bottom = b.u16(), left = b.u16(), right = b.u16();
            if (bottom >= top && right >= left && (bottom > top || right > left) && bottom < host::kMaxRow &&
                right < host::kMaxCol)
              merges.push_back(Rect{top + 1, left + 1, bottom + 1, right + 1});
          }
          break;
        }
        case record::kDefColWidth: {
          // Characters of the columns without a width of their own, as an
          // xlsx file's base width: a column adds its padding to them.
          const int base = b.u16();
          if (base != 8 && base > 0 && base < 255) sheet.setColumnWidth(1, host::kMaxCol, base + 0.38);
          break;
        }
        case record::kColInfo: {
          const int first = b.u16(), last = b.u16(), width = b.u16();
          b.u16();
          const int options = b.u16();
          if (first > last || last >= host::kMaxCol) break;
          if (options & 1) sheet.setColumnWidth(first + 1, last + 1, 0);
          else sheet.setColumnWidth(first + 1, last + 1, std::min(255.0, xlsx::WidthFromFile(width / 256.0)));
          break;
        }
        case record::kRow: {
          const int row = b.u16();
          b.skip(4);
          const int height = b.u16();
          b.skip(4);
          const std::uint32_t flags = b.left() >= 4 ? b.u32() : 0;
          if (row >= host::kMaxRow) break;
          if (flags & 0x20) sheet.setRowHeight(row + 1, row + 1, 0);
          else if (flags & 0x40) sheet.setRowHeight(row + 1, row + 1, std::clamp((height & 0x7FFF) / 20.0, 0.0, 409.0));
          break;
        }
        default:
          if (r.id == 0x00EC || r.id == 0x005D) notCarried.insert("图片与图形");
          if (r.id == 0x00E9) notCarried.insert("工作表背景图片");
          if (r.id == 0x001C) notCarried.insert("批注");
          if (r.id == 0x01B0 || r.id == 0x01B1) notCarried.insert("条件格式");
          if (r.id == 0x01B8) notCarried.insert("超链接");
          if (r.id == 0x01B2 || r.id == 0x01BE) notCarried.insert("数据有效性");
          if (r.id == 0x009D) notCarried.insert("自动筛选");
          break;
      }
    }
    mergeAreas(sheet, merges);
  }

 private:
  host::Font readFont(RecordBody& b, const Globals& g) {
    host::Font f;
    f.size = b.u16() / 20.0;
    const int flags = b.u16();
    f.italic = flags & 0x02;
    f.strikethrough = flags & 0x08;
    f.colorIndex = PaletteIndex(b.u16());
    if (f.colorIndex == 0) f.colorIndex = 1;
    f.bold = b.u16() >= 700;
    b.u16();
    const int underline = b.u8();
    f.underline = underline == 0                          ? host::Underline::None
                  : (underline == 2 || underline == 0x22) ? host::Underline::Double
                                                          : host::Underline::Single;
    b.skip(3);
    f.name = g.biff8 ? b.unicodeString(true) : b.byteString(true, g.codePage);
    return f;
  }

  static host::Format formatOf(const std::array<std::uint8_t, 20>& x, const Globals& g) {
    auto u16 = [&](int at) { return static_cast<unsigned>(x[at] | x[at + 1] << 8); };
    auto u32 = [&](int at) { return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16); };
    host::Format f;
    // Font 4 is never written: the index skips it.
    unsigned font = u16(0);
    if (font > 4) --font;
    if (font < g.fonts.size()) f.font = g.fonts[font];
    const int id = static_cast<int>(u16(2));
    auto code = g.numberFormats.find(id);
    f.numberFormat = code != g.numberFormats.end() ? code->second : xlsx::BuiltInNumberFormat(id);
    if (f.numberFormat == "General") f.numberFormat = host::kGeneralFormat;
    f.horizontalAlignment = xlsx::HorizontalAlignmentFromName(HorizontalName(x[6]));
    f.verticalAlignment = xlsx::VerticalAlignmentFromName(VerticalName(x[6] >> 4));
    f.wrapText = x[6] & 0x08;
    f.locked = u16(4) & 1;
    f.formulaHidden = u16(4) & 2;
    if (g.biff8) {
      f.indent = x[8] & 15;
      f.shrinkToFit = x[8] & 0x10;
    }
    unsigned pattern, fore, back;
    std::array<host::BorderEdge, 4> edges;  // left, right, top, bottom
    auto edge = [](unsigned line, unsigned icv) {
      return line ? host::BorderEdge{LineName(line), PaletteIndex(static_cast<int>(icv))} : host::BorderEdge{};
    };
    if (g.biff8) {
      f.textRotation = x[7];  // as xlsx counts it: 91-180 turn down, 255 stacks
      const std::uint32_t lines = u32(10), more = u32(14);
      edges = {edge(lines & 15, (lines >> 16) & 127), edge((lines >> 4) & 15, (lines >> 23) & 127),
               edge((lines >> 8) & 15, more & 127), edge((lines >> 12) & 15, (more >> 7) & 127)};
      pattern = more >> 26;
      fore = u16(18) & 127;
      back = (u16(18) >> 7) & 127;
    } else {
      const std::uint32_t fill = u32(8), lines = u32(12);
      fore = fill & 127;
      back = (fill >> 7) & 127;
      pattern = (fill >> 16) & 63;
      edges = {edge((lines >> 3) & 7, (lines >> 16) & 127), edge((lines >> 6) & 7, (lines >> 23) & 127),
               edge(lines & 7, (lines >> 9) & 127), edge((fill >> 22) & 7, (fill >> 25) & 127)};
    }
    xlsx::SetBorderEdges(f, edges);
    if (pattern == 1 && PaletteIndex(static_cast<int>(fore))) {
      f.fill = host::Fill::Solid(PaletteIndex(static_cast<int>(fore)));
    } else if (pattern > 1) {
      static const char* const kPatterns[] = {"none",       "solid",        "mediumGray",   "darkGray",
                                              "lightGray",  "darkHorizontal", "darkVertical", "darkDown",
                                              "darkUp",     "darkGrid",     "darkTrellis",  "lightHorizontal",
                                              "lightVertical", "lightDown", "lightUp",      "lightGrid",
                                              "lightTrellis", "gray125",    "gray0625"};
      if (pattern < std::size(kPatterns)) {
        f.fill = {PaletteIndex(static_cast<int>(fore)), kPatterns[pattern], PaletteIndex(static_cast<int>(back))};
      }
    }
    return f;
  }

  static void skipSubstream(RecordReader& records) {
    Record r;
    for (int depth = 1; depth > 0 && records.next(r);) {
      if (r.id == record::kBof) ++depth;
      if (r.id == record::kEof) --depth;
    }
  }

  // Areas that overlap one kept already are left out: the host refuses them.
  static void mergeAreas(model::Sheet& sheet, std::vector<Rect> areas) {
    std::sort(areas.begin(), areas.end(), [](const Rect& a, const Rect& b) { return a.top < b.top; });
    std::vector<Rect> kept;
    for (const Rect& r : areas) {
      if (std::any_of(kept.begin(), kept.end(), [&](const Rect& k) { return k.intersects(r); })) continue;
      kept.push_back(r);
      sheet.merge(r);
    }
  }

  std::string stream_;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw host::FileError(path, "无法打开文件");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

LoadedXls LoadXlsWorkbook(model::Application& app, const std::string& path) {
  const std::string file = FileBytes(path);
  if (!IsCompoundFile(file)) throw host::FileError(path, "不是有效的 xls 文件");
  const std::filesystem::path p(path);
  LoadedXls out;
  try {
    auto stream = ReadCompoundStream(file, "Workbook");
    if (!stream) stream = ReadCompoundStream(file, "Book");
    if (!stream) throw std::runtime_error("不是有效的 xls 文件（没有工作簿）");
    WorkbookStream workbook(std::move(*stream));
    const Globals g = workbook.readGlobals();
    if (g.sheets.empty()) throw std::runtime_error("工作簿中没有工作表");
    out.book = std::make_unique<model::Workbook>(app, p.filename().string(), p.parent_path().string());
    out.book->setDates1904(g.dates1904);
    out.book->colors().palette = g.palette;
    std::set<std::string> notCarried;
    if (g.otherSheets) notCarried.insert("图表工作表与宏表");
    notCarried.insert(g.unread.begin(), g.unread.end());
    std::vector<model::Sheet*> sheets;
    for (const auto& entry : g.sheets) {
      model::Sheet& sheet =
          sheets.empty() ? out.book->modelSheet(1) : out.book->appendSheet("tavo-" + std::to_string(sheets.size()));
      try {
        sheet.setName(entry.name);
      } catch (const host::HostError&) {
        throw std::runtime_error("工作表名称无效: " + entry.name);
      }
      sheets.push_back(&sheet);
      workbook.readSheet(g, entry.offset, sheet, notCarried);
    }
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      if (!g.sheets[i].hidden) continue;
      try {
        sheets[i]->setVisible(false);
      } catch (const host::HostError&) {
        // The last visible sheet stays visible, as the host keeps one.
      }
    }
    out.notCarried.assign(notCarried.begin(), notCarried.end());
  } catch (const host::HostError& e) {
    throw host::FileError(path, e.description);
  } catch (const std::runtime_error& e) {
    throw host::FileError(path, e.what());
  }
  return out;
}

}  // namespace tavo::xls
