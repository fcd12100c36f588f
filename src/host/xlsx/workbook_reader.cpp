// Reading the package: which parts there are, the workbook, the sheets.
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "host/address.h"
#include "host/constants.h"
#include "host/file_error.h"
#include "host/xlsx/shared_formula.h"
#include "host/xlsx/carried.h"
#include "host/xlsx/chart_reader.h"
#include "host/xlsx/color_index.h"
#include "host/xlsx/style_sheet.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xml_text.h"
#include "host/xlsx/deflate_stream.h"
#include "host/xlsx/zip_archive.h"

namespace tavo::xlsx {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// A fault in the file, reported with the file's name by LoadWorkbook.
struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0, n = s.size();
  while (i < n) {
    auto c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2) || i + static_cast<std::size_t>(extra) >= n + (extra == 0)) return false;
    std::uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

// Whether comments, CDATA or processing instructions ("<!", "<?") stand in
// `xml`. The rare '!' and '?' are sought, not the '<' that opens every tag.
bool HasMarkupOtherThanElements(std::string_view xml) {
  for (char mark : {'!', '?'})
    for (std::size_t at = xml.find(mark); at != std::string_view::npos; at = xml.find(mark, at + 1))
      if (at > 0 && xml[at - 1] == '<') return true;
  return false;
}

class Package {
 public:
  // Part names are matched without regard to letter case, as the format
  // says: a relationship to "sheet1.xml" finds "Sheet1.xml".
  explicit Package(std::map<std::string, ZipPart> parts) : parts_(std::move(parts)) {
    for (const auto& [name, _] : parts_) byFoldedName_.emplace(Folded(name), name);
  }

  bool has(const std::string& name) const { return find(name) != parts_.end(); }
  const std::map<std::string, ZipPart>& parts() const { return parts_; }
  std::uint64_t size(const std::string& name) const {
    auto it = find(name);
    return it == parts_.end() ? 0 : it->second.deferred ? it->second.size : it->second.text.size();
  }

  // A part as an XML document; the part must be UTF-8 and well formed.
  // Document type declarations are not read, so no entity is ever expanded.
  pugi::xml_document xml(const std::string& name) const { return parse(name, text(name)); }

  // A part's text, checked to be UTF-8 (once: a city's sheet is 70 MB).
  const std::string& text(const std::string& name) const {
    auto it = find(name);
    if (it == parts_.end()) throw Fault("缺少部件 " + name);
    ZipPart& part = it->second;
    if (const auto result = InflatePart(part); result != InflatedText::Result::Ended) Refuse(name, result);
    if (!checked_.count(it->first)) {
      if (!ValidUtf8(part.text)) throw Fault("部件 " + name + " 含有无效的 UTF-8 文本");
      checked_.insert(it->first);
    }
    return part.text;
  }

  // A part's bytes as stored, whatever they hold.
  const std::string& bytes(const std::string& name) const {
    auto it = find(name);
    if (it == parts_.end()) throw Fault("缺少部件 " + name);
    if (const auto result = InflatePart(it->second); result != InflatedText::Result::Ended) Refuse(name, result);
    return it->second.text;
  }

  [[noreturn]] static void Refuse(const std::string& name, InflatedText::Result why) {
    throw Fault("部件 " + name + (why == InflatedText::Result::Mismatch ? " 校验失败" : " 已损坏或被截断"));
  }

  // Text of spaces alone is text: a cell may hold just that.
  static constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

  // `at`: where the parsed text starts in the part.
  static void ThrowUnlessParsed(const std::string& name, const pugi::xml_parse_result& result, std::size_t at = 0) {
    if (!result)
      throw Fault("部件 " + name + " 不是有效的 XML（" + result.description() + "，位置 " +
                  std::to_string(at + static_cast<std::size_t>(result.offset)) + "）");
  }

  static pugi::xml_document parse(const std::string& name, const std::string& text) {
    pugi::xml_document doc;
    ThrowUnlessParsed(name, doc.load_buffer(text.data(), text.size(), kParseOptions | pugi::parse_doctype,
                                            pugi::encoding_utf8));
    // The format forbids document type declarations; what one would add
    // to the text would not survive a save.
    for (auto node : doc.children())
      if (node.type() == pugi::node_doctype) throw Fault("部件 " + name + " 含有文档类型声明（DTD），xlsx 文件不允许");
    DropPrefix(doc, MainPrefix(doc.document_element()));
    return doc;
  }

  // "x:" when the part's root names the sheet namespace with a prefix, as
  // some writers do ("<x:worksheet xmlns:x=...>"); "" otherwise.
  static std::string MainPrefix(const pugi::xml_node& root) {
    const std::string name = root.name();
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) return "";
    const std::string prefix = name.substr(0, colon);
    const std::string ns = root.attribute(("xmlns:" + prefix).c_str()).value();
    if (ns != "http://schemas.openxmlformats.org/spreadsheetml/2006/main" &&
        ns != "http://purl.oclc.org/ooxml/spreadsheetml/main")
      return "";
    return prefix + ":";
  }

  // The elements of the sheet namespace read by their plain names.
  static void DropPrefix(pugi::xml_node node, const std::string& prefix) {
    if (prefix.empty()) return;
    for (pugi::xml_node n = node; n;) {
      if (n.type() == pugi::node_element && std::string_view(n.name()).starts_with(prefix)) {
        const std::string plain = n.name() + prefix.size();  // the name may be rewritten in place
        n.set_name(plain.c_str());
      }
      if (n.first_child()) {
        n = n.first_child();
        continue;
      }
      while (n && n != node && !n.next_sibling()) n = n.parent();
      if (!n || n == node) break;
      n = n.next_sibling();
    }
  }

  // A worksheet part read in pieces: the part up to its rows as one
  // document (`head` gets it), then the rows a megabyte at a time (`rows`
  // gets each piece), so that a sheet of millions of cells never stands in
  // memory as one document tree, and a packed one is inflated as it is
  // read; then the part without its rows (`tail`). Parts whose elements
  // carry a prefix are read whole.
  template <class Head, class Rows, class Tail, class Parsed>
  void readSheet(const std::string& name, Head&& head, Rows&& rows, Tail&& tail, Parsed&& parsed) const {
    auto it = find(name);
    if (it == parts_.end()) throw Fault("缺少部件 " + name);
    const ZipPart& part = it->second;
    if (part.deferred) {
      InflatedText in(part.packed, part.size, part.crc);
      if (readSheetInPieces(name, in, head, rows, tail, parsed)) return;
    } else {
      WholeText in(part.text);
      if (readSheetInPieces(name, in, head, rows, tail, parsed)) return;
    }
    auto doc = parse(name, text(name));
    auto ws = doc.child("worksheet");
    head(ws);
    rows(ws.child("sheetData"));
    tail(ws);
  }

  // A part's text already in memory, read as an InflatedText is.
  class WholeText {
   public:
    explicit WholeText(std::string_view text) : text_(text) {}
    InflatedText::Result more(std::size_t) { return InflatedText::Result::Ended; }
    std::string_view text() const { return text_.substr(dropped_); }
    void drop(std::size_t bytes) { dropped_ += bytes; }
    std::uint64_t dropped() const { return dropped_; }

   private:
    std::string_view text_;
    std::size_t dropped_ = 0;
  };

  // readSheet from `in`, its text checked a piece at a time; false, with
  // nothing read, where the part is not laid out for pieces.
  template <class Text, class Head, class Rows, class Tail, class Parsed>
  bool readSheetInPieces(const std::string& name, Text& in, Head& head, Rows& rows, Tail& tail,
                         Parsed& parsed) const {
    constexpr std::size_t kPiece = 1 << 20;
    InflatedText::Result state = InflatedText::Result::More;
    auto more = [&] {
      if (state == InflatedText::Result::More) state = in.more(kPiece);
      if (state != InflatedText::Result::More && state != InflatedText::Result::Ended) Refuse(name, state);
      return state == InflatedText::Result::More;
    };
    auto utf8 = [&](std::string_view piece) {
      if (!ValidUtf8(piece)) throw Fault("部件 " + name + " 含有无效的 UTF-8 文本");
    };

    // The part up to its rows, as a document of its own.
    std::size_t open = std::string_view::npos, openEnd = open;
    for (bool going = true; going; going = more()) {
      open = in.text().find("<sheetData");
      openEnd = open == std::string_view::npos ? open : in.text().find('>', open);
      if (openEnd != std::string_view::npos) break;
    }
    if (openEnd == std::string_view::npos || in.text()[openEnd - 1] == '/') return false;
    const std::string front(in.text().substr(0, openEnd + 1));
    utf8(front);
    pugi::xml_document frontDoc;
    if (!frontDoc.load_string((front + "</sheetData></worksheet>").c_str(), kParseOptions) ||
        !frontDoc.child("worksheet"))
      return false;
    head(frontDoc.child("worksheet"));
    in.drop(openEnd + 1);

    // Rows a piece at a time, each ending with a row, while no comment,
    // CDATA or processing instruction (which may hold "</row>") stands in
    // them; the last piece, or what follows such markup, in one.
    auto parseRows = [&](std::string_view piece) {
      utf8(piece);
      pugi::xml_document doc;
      ThrowUnlessParsed(name,
                        doc.load_buffer(piece.data(), piece.size(), kParseOptions | pugi::parse_fragment,
                                        pugi::encoding_utf8),
                        static_cast<std::size_t>(in.dropped()));
      rows(doc);
    };
    for (;;) {
      while (in.text().size() < 2 * kPiece && more()) {
      }
      const std::size_t rowEnd = in.text().find("</row>", kPiece);
      if (rowEnd == std::string_view::npos) break;
      const std::string_view piece = in.text().substr(0, rowEnd + 6);
      if (HasMarkupOtherThanElements(piece)) break;
      parseRows(piece);
      parsed(static_cast<std::size_t>(in.dropped()) + piece.size());
      in.drop(piece.size());
    }
    while (more()) {
    }
    const std::string_view rest = in.text();
    const std::size_t close = rest.rfind("</sheetData>");
    if (close == std::string_view::npos) throw Fault("部件 " + name + " 不是有效的 XML（工作表数据未结束）");
    parseRows(rest.substr(0, close));
    parsed(static_cast<std::size_t>(in.dropped()) + close);
    utf8(rest.substr(close));
    auto doc = parse(name, front + std::string(rest.substr(close)));
    tail(doc.child("worksheet"));
    return true;
  }

  // Frees a part that is read.
  void release(const std::string& name) {
    if (auto it = find(name); it != parts_.end()) {
      std::string().swap(it->second.text);
      std::string().swap(it->second.packed);
      it->second.deferred = false;
    }
  }

  // Every relationship of a part, external ones too, by id; targets of
  // parts resolved to part names.
  std::map<std::string, CarriedRelation> allRelationships(const std::string& part) const {
    std::string folder = part.substr(0, part.rfind('/') + 1);
    std::string relsName = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    std::map<std::string, CarriedRelation> out;
    if (!has(relsName)) return out;
    auto doc = xml(relsName);
    for (auto r : doc.child("Relationships").children("Relationship")) {
      const bool marked = std::string(r.attribute("TargetMode").value()) == "External";
      const std::string type = r.attribute("Type").value(), target = r.attribute("Target").value();
      // A link to a place in the workbook ("#表!A1") is no part either.
      const bool external = marked || type.ends_with("/hyperlink");
      out[r.attribute("Id").value()] = {type, external ? target : Resolve(folder, target), external, marked};
    }
    return out;
  }

  // A part's content type, as [Content_Types].xml gives it.
  std::string contentType(const std::string& part) const {
    if (!typesRead_) {
      typesRead_ = true;
      if (has("[Content_Types].xml")) {
        auto doc = xml("[Content_Types].xml");
        for (auto o : doc.child("Types").children("Override")) {
          std::string name = o.attribute("PartName").value();
          overrides_[Folded(name.starts_with("/") ? name.substr(1) : name)] = o.attribute("ContentType").value();
        }
        for (auto d : doc.child("Types").children("Default"))
          defaults_[Folded(d.attribute("Extension").value())] = d.attribute("ContentType").value();
      }
    }
    if (auto it = overrides_.find(Folded(part)); it != overrides_.end()) return it->second;
    const std::size_t dot = part.rfind('.');
    if (auto it = defaults_.find(Folded(dot == std::string::npos ? "" : part.substr(dot + 1))); it != defaults_.end())
      return it->second;
    return "application/octet-stream";
  }

  // Relationship targets of a part by id, resolved to part names.
  std::map<std::string, std::string> relationships(const std::string& part) const {
    std::map<std::string, std::string> out;
    for (const auto& [id, relation] : allRelationships(part))
      if (!relation.external) out[id] = relation.target;
    return out;
  }

 private:
  static std::string Resolve(const std::string& folder, const std::string& target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
      std::string piece = path.substr(start, end - start);
      if (piece == "..") {
        if (!pieces.empty()) pieces.pop_back();
      } else if (!piece.empty() && piece != ".") {
        pieces.push_back(piece);
      }
      start = end + 1;
    }
    std::string out;
    for (const auto& p : pieces) out += (out.empty() ? "" : "/") + p;
    return out;
  }

  static std::string Folded(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }
  // The name a part is stored under.
  const std::string& stored(const std::string& name) const {
    if (parts_.count(name)) return name;
    auto folded = byFoldedName_.find(Folded(name));
    return folded == byFoldedName_.end() ? name : folded->second;
  }
  std::map<std::string, ZipPart>::iterator find(const std::string& name) const { return parts_.find(stored(name)); }

  // A packed part is inflated when its whole text is first asked for.
  mutable std::map<std::string, ZipPart> parts_;
  mutable std::set<std::string> checked_;  // parts found to be UTF-8
  mutable bool typesRead_ = false;
  mutable std::map<std::string, std::string> overrides_, defaults_;  // content types by folded name, extension
  std::map<std::string, std::string> byFoldedName_;  // lower case -> the name as stored
};

Cell ParseCellRef(std::string_view ref) {
  // "AB123", as every writer writes a cell's place, read directly.
  std::size_t i = 0;
  int col = 0, row = 0;
  while (i < ref.size() && i < 3 && ref[i] >= 'A' && ref[i] <= 'Z') col = col * 26 + (ref[i++] - 'A' + 1);
  const std::size_t digitsFrom = i;
  while (i < ref.size() && i - digitsFrom < 7 && ref[i] >= '0' && ref[i] <= '9') row = row * 10 + (ref[i++] - '0');
  if (i == ref.size() && digitsFrom > 0 && i > digitsFrom && ref[digitsFrom] != '0' && col <= host::kMaxCol &&
      row <= host::kMaxRow)
    return {row, col};
  Rect r = host::parseRect(ref);
  if (r.rowCount() != 1 || r.colCount() != 1) throw Fault("单元格地址无效: " + std::string(ref));
  return r.topLeft();
}

Rect ParseRange(std::string_view ref) {
  try {
    return host::parseRect(ref);
  } catch (const host::HostError&) {
    throw Fault("区域地址无效: " + std::string(ref));
  }
}

double ParseNumber(const char* text) {
  double x = 0;
  std::string_view s(text);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), x);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(x)) throw Fault("数值无效: " + std::string(text));
  return x;
}

double Tidy(double x) { return std::round(x * 1e6) / 1e6; }

// Column widths in the file count the padding; the host's width does not.
// A page footer's left, centre and right sections ("&Lx&Cy&Rz"); text
// before any section code is the centre's, as the host shows it.
struct FooterSections {
  std::string left, center, right;
};
FooterSections SplitFooter(const std::string& footer) {
  FooterSections out;
  std::string* section = &out.center;
  for (std::size_t i = 0; i < footer.size(); ++i) {
    if (footer[i] == '&' && i + 1 < footer.size()) {
      const char code = footer[i + 1];
      if (code == 'L' || code == 'C' || code == 'R') {
        section = code == 'L' ? &out.left : code == 'C' ? &out.center : &out.right;
        ++i;
        continue;
      }
      *section += footer.substr(i, 2);  // other codes (&P, &&, fonts) stay
      ++i;
      continue;
    }
    *section += footer[i];
  }
  return out;
}


struct RichText {
  std::string text;
  struct Run {
    int start, length;
    std::optional<double> size;
    std::string font;
    // Kept where it differs from the cell's own font, which is known
    // when the cell is placed.
    std::optional<bool> bold = {}, italic = {}, strike = {};
    std::optional<host::Underline> underline = {};
    std::optional<host::Rgb> color = {};
    int raised = 0;
  };
  std::vector<Run> runs;
};

std::string TextOf(const pugi::xml_node& t) { return UnescapeText(t.text().get()); }

// `colors` and `theme` resolve the runs' colours.
RichText ReadRichText(const pugi::xml_node& si, host::ColorTable& colors, const ThemeColors& theme) {
  RichText out;
  if (auto t = si.child("t")) out.text = TextOf(t);
  int position = 1;
  for (auto r : si.children("r")) {
    std::string piece = TextOf(r.child("t"));
    int length = host::characterCount(piece);
    if (auto rPr = r.child("rPr")) {
      RichText::Run run{position, length, std::nullopt, rPr.child("rFont").attribute("val").value()};
      if (auto sz = rPr.child("sz")) run.size = sz.attribute("val").as_double();
      auto flag = [&](const char* element) -> std::optional<bool> {
        auto n = rPr.child(element);
        if (!n) return std::nullopt;
        return n.attribute("val").as_bool(true);
      };
      run.bold = flag("b");
      run.italic = flag("i");
      run.strike = flag("strike");
      if (auto u = rPr.child("u")) {
        const std::string kind = u.attribute("val").as_string("single");
        run.underline = UnderlineFromName(kind);
      }
      if (const int c = ColorIndexOf(rPr.child("color"), colors, theme)) run.color = colors.at(c);
      const std::string vertical = rPr.child("vertAlign").attribute("val").as_string("baseline");
      run.raised = vertical == "superscript" ? 1 : vertical == "subscript" ? -1 : 0;
      if (length > 0) out.runs.push_back(run);
    }
    out.text += piece;
    position += length;
  }
  return out;
}

class SheetReader {
 public:
  SheetReader(model::Sheet& sheet, const std::vector<RichText>& strings, std::vector<model::Slot>& stringCells,
              const StyleSheetContent& styles, std::vector<model::StyleId>& styleIds,
              std::set<std::string>& notCarried, std::size_t partBytes)
      : sheet_(sheet), strings_(strings), stringCells_(stringCells), styles_(styles), styleIds_(styleIds),
        notCarried_(notCarried), partBytes_(partBytes) {}

  // Overlapping areas are no layout any program makes; joining them would
  // erase the cells between them, so the file is refused.
  void readMerges(const pugi::xml_node& merges) {
    std::vector<Rect> areas;
    for (auto m : merges.children("mergeCell")) areas.push_back(ParseRange(m.attribute("ref").value()));
    std::vector<Rect> byTop = areas;
    std::sort(byTop.begin(), byTop.end(), [](const Rect& a, const Rect& b) { return a.top < b.top; });
    std::vector<Rect> open;  // areas reaching down to the current top
    for (const Rect& r : byTop) {
      std::erase_if(open, [&](const Rect& o) { return o.bottom < r.top; });
      for (const Rect& o : open)
        if (o.intersects(r)) throw Fault("合并区域 " + host::a1(o) + " 与 " + host::a1(r) + " 重叠");
      open.push_back(r);
    }
    for (const Rect& r : areas) sheet_.merge(r);
  }

  // Before the rows: tab colour, defaults, columns.
  void readHead(const pugi::xml_node& ws) {
    if (int tab = ColorIndexOf(ws.child("sheetPr").child("tabColor"), sheet_.model().colors(), styles_.theme)) sheet_.setTabColorIndex(tab);
    // Empty cells show the file's first format, as every program shows them.
    if (!styles_.cellFormats.empty() && !(styles_.cellFormats[0] == host::Format{}))
      sheet_.applyFormat(Rect::sheet(), host::FormatPatch::whole(styles_.cellFormats[0]));
    readFormat(ws.child("sheetFormatPr"));
    for (auto col : ws.child("cols").children("col")) readColumn(col);
    reserveByDimension(ws.child("dimension").attribute("ref").value());
  }

  void readRows(const pugi::xml_node& parent) {
    for (auto row : parent.children("row")) readRow(row);
  }

  // After the rows: merged areas, validation, page set-up, view.
  void readTail(const pugi::xml_node& ws) {
    readMerges(ws.child("mergeCells"));
    for (auto v : ws.child("dataValidations").children("dataValidation")) readValidation(v);
    readPage(ws);
    readView(ws.child("sheetViews").child("sheetView"));
    // What the model does not hold is carried beside it (CarrySheet);
    // scenarios are neither.
    if (ws.child("scenarios")) notCarried_.insert("方案");
  }

 private:
  model::StyleId styleOf(int xf) {
    if (xf < 0 || xf >= static_cast<int>(styles_.cellFormats.size())) return 0;
    auto& id = styleIds_[static_cast<std::size_t>(xf)];
    if (!id) id = sheet_.model().styles().intern(styles_.cellFormats[static_cast<std::size_t>(xf)]);
    return id;
  }

  void readFormat(const pugi::xml_node& fmt) {
    if (!fmt) return;
    if (fmt.attribute("customHeight").as_bool() || fmt.attribute("zeroHeight").as_bool()) {
      double h = fmt.attribute("zeroHeight").as_bool() ? 0 : fmt.attribute("defaultRowHeight").as_double(14.25);
      sheet_.setRowHeight(1, host::kMaxRow, std::clamp(h, 0.0, 409.0));
    }
    if (auto w = fmt.attribute("defaultColWidth")) {
      sheet_.setColumnWidth(1, host::kMaxCol, std::min(255.0, WidthFromFile(w.as_double())));
    } else if (auto base = fmt.attribute("baseColWidth"); base && base.as_int(8) != 8) {
      // Characters of the base width, and the padding a column adds to
      // them (8 characters show as 8.38).
      sheet_.setColumnWidth(1, host::kMaxCol, std::clamp(base.as_int(8) + 0.38, 0.0, 255.0));
    }
  }

  void readColumn(const pugi::xml_node& col) {
    int first = col.attribute("min").as_int(), last = col.attribute("max").as_int();
    if (first < 1 || last < first || last > host::kMaxCol) throw Fault("列范围无效");
    if (auto s = col.attribute("style")) {
      int xf = s.as_int();
      if (xf > 0 && xf < static_cast<int>(styles_.cellFormats.size())) sheet_.setColumnStyle(first, last, styleOf(xf));
    }
    if (int level = col.attribute("outlineLevel").as_int()) sheet_.setOutlineLevel(false, first, last, level);
    if (auto w = col.attribute("width")) {
      // Some writers leave out customWidth; a width other than the default
      // is the user's all the same.
      double chars = std::min(255.0, WidthFromFile(w.as_double()));
      if (chars > 0 && (col.attribute("customWidth").as_bool() || std::abs(chars - sheet_.defaultColumnWidth()) > 0.005))
        sheet_.setColumnWidth(first, last, chars);
    }
    if (col.attribute("hidden").as_bool()) sheet_.setColumnWidth(first, last, 0);
  }

  void readRow(const pugi::xml_node& row) {
    int r = row.attribute("r").as_int(lastRow_ + 1);
    if (r < 1 || r > host::kMaxRow) throw Fault("行号超出范围: " + std::to_string(r));
    lastRow_ = r;
    if (row.attribute("customFormat").as_bool()) {
      int xf = row.attribute("s").as_int();
      if (xf > 0 && xf < static_cast<int>(styles_.cellFormats.size())) sheet_.setRowStyle(r, r, styleOf(xf));
    }
    if (int level = row.attribute("outlineLevel").as_int()) sheet_.setOutlineLevel(true, r, r, level);
    if (row.attribute("hidden").as_bool()) sheet_.setRowHeight(r, r, 0);
    else if (auto ht = row.attribute("ht"); ht && row.attribute("customHeight").as_bool())
      sheet_.setRowHeight(r, r, std::clamp(ht.as_double(), 0.0, 409.0));
    int col = 0;
    for (auto c : row.children("c")) {
      const CellXml x(c);
      Cell at = x.ref ? ParseCellRef(x.ref) : Cell{r, col + 1};
      if (at.row != r) throw Fault("单元格 " + host::a1(at) + " 不在第 " + std::to_string(r) + " 行");
      col = at.col;
      readCell(x, at);
    }
  }

  // What a <c> element holds, found in one pass over its attributes and
  // one over its children (the first of each name, as a look-up by name
  // finds): a city's sheet has millions.
  struct CellXml {
    const char* ref = nullptr;  // "r"
    std::string_view type;      // "t"
    int xf = 0;                 // "s"; a cell without one has the file's first format
    pugi::xml_node v, f, is;
    explicit CellXml(const pugi::xml_node& c) {
      bool typed = false, styled = false;
      for (auto a = c.first_attribute(); a; a = a.next_attribute()) {
        const char* n = a.name();
        if (n[0] == '\0' || n[1] != '\0') continue;
        if (n[0] == 'r' && !ref) ref = a.value();
        else if (n[0] == 't' && !typed) typed = true, type = a.value();
        else if (n[0] == 's' && !styled) styled = true, xf = a.as_int(0);
      }
      for (auto k = c.first_child(); k; k = k.next_sibling()) {
        const std::string_view n = k.name();
        if (n == "v" && !v) v = k;
        else if (n == "f" && !f) f = k;
        else if (n == "is" && !is) is = k;
      }
    }
  };

  // The cell's value; for text, `rich` is set to the text with its runs.
  Value cachedValue(const CellXml& c, RichText& inlineText, const RichText*& rich) {
    const std::string_view type = c.type;
    const pugi::xml_node& v = c.v;
    if (type == "s") {
      if (!v) return {};
      long long i = v.text().as_llong(-1);
      if (i < 0 || i >= static_cast<long long>(strings_.size())) {
        // As other readers do: the one cell is read blank, and said so.
        notCarried_.insert("无效的共享字符串编号（该单元格按空白读入）");
        return {};
      }
      rich = &strings_[static_cast<std::size_t>(i)];
      return rich->text;
    }
    if (type == "inlineStr") {
      host::ColorTable colors = styles_.colors;
      inlineText = ReadRichText(c.is, colors, styles_.theme);
      rich = &inlineText;
      return inlineText.text;
    }
    if (!v) return {};
    if (type == "str" || type == "d") return std::string(TextOf(v));
    if (*v.text().get() == '\0') return {};  // some writers leave a formula's value empty
    if (type == "b") return std::string(v.text().get()) == "1" || std::string(v.text().get()) == "true";
    if (type == "e") {
      auto e = host::errorFromText(v.text().get());
      return e ? Value(*e) : Value(host::ErrorKind::NA);
    }
    // Earlier versions of tavo wrote a number that was none as "nan".
    const std::string_view number = v.text().get();
    if (number == "nan" || number == "-nan" || number == "inf" || number == "-inf") return Value(host::ErrorKind::Num);
    return ParseNumber(v.text().get());
  }

  void readCell(const CellXml& c, Cell at) {
    RichText inlineText;
    const RichText* rich = nullptr;
    Value v = cachedValue(c, inlineText, rich);
    const int xf = c.xf;
    model::StyleId style = styleOf(xf);
    if (auto f = c.f) {
      std::string kind = f.attribute("t").value();
      std::string text = UnescapeText(f.text().get());
      if (kind == "shared") {
        int si = f.attribute("si").as_int(-1);
        if (!text.empty()) {
          sheet_.setFormulaA1(at, "=" + text, v);
          shared_[si] = {text, at};
        } else if (auto it = shared_.find(si); it != shared_.end()) {
          const auto& [master, from] = it->second;
          sheet_.setFormulaA1(at, "=" + ShiftedFormula(master, at.row - from.row, at.col - from.col), v);
        } else {
          placeValue(at, v, rich, xf);
        }
      } else if (kind == "array" && !text.empty()) {
        sheet_.setArrayFormulaA1(at, "=" + text, v, f.attribute("ref").as_string(host::a1(at).c_str()));
      } else if (!text.empty()) {
        sheet_.setFormulaA1(at, "=" + text, v);
      } else {
        placeValue(at, v, rich, xf);
      }
    } else {
      placeValue(at, v, rich, xf);
    }
    if (style) sheet_.setOwnStyle(at, style);
  }

  void placeValue(Cell at, const Value& v, const RichText* rich, int xf) {
    const bool sharedString = rich && rich >= strings_.data() && rich < strings_.data() + strings_.size();
    if (sharedString && rich->runs.empty()) {
      model::Slot& text = stringCells_[static_cast<std::size_t>(rich - strings_.data())];
      if (!text.hasContent()) text.setConstant(v);
      sheet_.shareConstant(at, text);
    } else if (v.isText()) {
      std::vector<host::TextRun> runs;
      if (rich) {
        // A run keeps what sets it apart from the cell's own font.
        const host::Font cellFont = xf >= 0 && xf < static_cast<int>(styles_.cellFormats.size())
                                        ? styles_.cellFormats[static_cast<std::size_t>(xf)].font
                                        : host::Font{};
        const host::ColorTable& colors = sheet_.model().colors();
        for (const auto& r : rich->runs) {
          auto differs = [](const auto& given, const auto& own) {
            return given && *given != own ? given : std::nullopt;
          };
          host::TextRun run{r.start, r.length, differs(r.size, cellFont.size),
                            r.font.empty() || r.font == cellFont.name ? std::nullopt : std::optional(r.font),
                            differs(r.bold, cellFont.bold), differs(r.italic, cellFont.italic),
                            differs(r.strike, cellFont.strikethrough), differs(r.underline, cellFont.underline),
                            differs(r.color, colors.at(cellFont.colorIndex)), r.raised};
          if (run != host::TextRun{.start = r.start, .length = r.length}) runs.push_back(run);
        }
      }
      sheet_.setTextWithRuns(at, v.text(), std::move(runs));
    } else if (!v.isEmpty()) {
      sheet_.setValue(Rect::of(at), v);
    }
  }

  void readValidation(const pugi::xml_node& v) {
    std::string type = v.attribute("type").value();
    host::Validation rule;
    rule.type = type == "list" ? host::code::kValidateList : type == "decimal" ? host::code::kValidateDecimal
                : type == "whole" ? 1 : type == "textLength" ? 6 : host::code::kValidateInputOnly;
    std::string style = v.attribute("errorStyle").value();
    rule.alertStyle = style == "warning" ? 2 : style == "information" ? 3 : host::code::kAlertStop;
    static const std::map<std::string, int> ops = {{"between", 1}, {"notBetween", 2}, {"equal", 3},
                                                    {"notEqual", 4}, {"greaterThan", 5}, {"lessThan", 6},
                                                    {"greaterThanOrEqual", 7}, {"lessThanOrEqual", 8}};
    auto op = ops.find(v.attribute("operator").value());
    rule.op = op != ops.end() ? op->second : 1;
    rule.ignoreBlank = v.attribute("allowBlank").as_bool();
    rule.inputMessage = UnescapeText(v.attribute("prompt").value());
    if (type == "date" || type == "time" || type == "custom" || v.child("formula2") || v.attribute("promptTitle") ||
        v.attribute("errorTitle") || v.attribute("error"))
      notCarried_.insert("数据有效性的日期与自定义规则、第二个界限、标题与出错信息");
    std::string f = UnescapeText(v.child("formula1").text().get());
    if (rule.type == host::code::kValidateList && f.size() >= 2 && f.front() == '"' && f.back() == '"')
      rule.formula1 = f.substr(1, f.size() - 2);
    else if (!f.empty() && rule.type == host::code::kValidateList)
      rule.formula1 = "=" + f;
    else
      rule.formula1 = f;
    std::string sqref = v.attribute("sqref").value();
    std::size_t start = 0;
    while (start < sqref.size()) {
      std::size_t end = sqref.find(' ', start);
      if (end == std::string::npos) end = sqref.size();
      if (end > start) {
        Rect r = ParseRange(std::string_view(sqref).substr(start, end - start));
        sheet_.deleteValidation(r);
        sheet_.addValidation(r, rule);
      }
      start = end + 1;
    }
  }

  void readPage(const pugi::xml_node& ws) {
    host::PageSetup& page = sheet_.pageSetup();
    auto set = [&](host::PageField field, const Value& v) {
      try {
        page.set(field, v);
      } catch (const host::HostError&) {
        // A setting the host would refuse keeps its default.
      }
    };
    if (auto m = ws.child("pageMargins")) {
      auto points = [&](const char* a) { return Value(Tidy(m.attribute(a).as_double() * 72)); };
      set(host::PageField::LeftMargin, points("left"));
      set(host::PageField::RightMargin, points("right"));
      set(host::PageField::TopMargin, points("top"));
      set(host::PageField::BottomMargin, points("bottom"));
      set(host::PageField::HeaderMargin, points("header"));
      set(host::PageField::FooterMargin, points("footer"));
    }
    model::PageSettings& kept = sheet_.pageSettings();
    kept.paperSizeGiven = false;
    if (auto p = ws.child("pageSetup")) {
      if (auto a = p.attribute("paperSize")) set(host::PageField::PaperSize, a.as_int());
      kept.fitToWidth = std::clamp(p.attribute("fitToWidth").as_int(1), 0, 32767);
      kept.fitToHeight = std::clamp(p.attribute("fitToHeight").as_int(1), 0, 32767);
      if (auto a = p.attribute("scale")) set(host::PageField::Zoom, a.as_int());
      if (auto a = p.attribute("orientation"))
        set(host::PageField::Orientation, std::string(a.value()) == "landscape" ? 2 : 1);
    }
    kept.fitToPage = ws.child("sheetPr").child("pageSetUpPr").attribute("fitToPage").as_bool();
    if (ws.child("printOptions").attribute("horizontalCentered").as_bool())
      set(host::PageField::CenterHorizontally, true);
    kept.printGridlines = ws.child("printOptions").attribute("gridLines").as_bool();
    auto headerFooter = ws.child("headerFooter");
    kept.header = UnescapeText(headerFooter.child("oddHeader").text().get());
    const FooterSections footer = SplitFooter(UnescapeText(headerFooter.child("oddFooter").text().get()));
    kept.leftFooter = footer.left;
    kept.rightFooter = footer.right;
    if (!footer.center.empty()) set(host::PageField::CenterFooter, footer.center);
    for (auto brk : ws.child("rowBreaks").children("brk")) {
      int row = brk.attribute("id").as_int() + 1;
      if (row >= 2 && row <= host::kMaxRow) sheet_.addPageBreakAbove(row);
    }
  }

  void readView(const pugi::xml_node& view) {
    if (!view) return;
    model::SheetView& v = sheet_.view();
    v.zoomScale = std::clamp(view.attribute("zoomScale").as_int(100), 10, 400);
    v.showGridLines = view.attribute("showGridLines").as_bool(true);
    v.showZeros = view.attribute("showZeros").as_bool(true);
    if (auto tl = view.attribute("topLeftCell")) {
      Cell c = ParseCellRef(tl.value());
      v.scrollRow = c.row;
      v.scrollColumn = c.col;
    }
    auto pane = view.child("pane");
    std::string state = pane.attribute("state").value();
    if (pane && (state == "frozen" || state == "frozenSplit")) {
      v.splitRow = std::clamp(pane.attribute("ySplit").as_int(), 0, host::kMaxRow);
      v.splitColumn = std::clamp(pane.attribute("xSplit").as_int(), 0, host::kMaxCol);
      v.freezePanes = true;
    }
    for (auto sel : view.children("selection")) {
      std::string sqref = sel.attribute("sqref").value();
      if (sqref.empty()) continue;
      v.selection = ParseRange(sqref.substr(0, sqref.find(' ')));
    }
  }

  // Room for the rows the file says it holds, so that columns are not grown
  // (and doubled) row by row; never more than a dense sheet of the part's
  // size would take, whatever a hostile dimension says.
  void reserveByDimension(const std::string& ref) {
    Rect r;
    try {
      r = ParseRange(ref);
    } catch (const std::exception&) {
      return;
    }
    const double slots = static_cast<double>(r.bottom) * r.colCount();
    if (r.bottom > 1 && slots * sizeof(model::Slot) <= 2.0 * static_cast<double>(partBytes_))
      for (int c = r.left; c <= r.right; ++c) sheet_.reserveRows(c, r.bottom);
  }

  model::Sheet& sheet_;
  const std::vector<RichText>& strings_;
  // For each plain shared string, the one text its cells share, made when
  // a cell first names it: a class's name is held once, not once a student.
  std::vector<model::Slot>& stringCells_;
  const StyleSheetContent& styles_;
  std::vector<model::StyleId>& styleIds_;
  std::set<std::string>& notCarried_;
  std::map<int, std::pair<std::string, Cell>> shared_;  // shared formula index -> its A1 text and first cell
  int lastRow_ = 0;
  std::size_t partBytes_;
};

// Parts by what they hold; those not carried are named.
void NoteParts(const Package& package, const std::set<std::string>& carried, std::set<std::string>& notCarried) {
  static const std::pair<const char*, const char*> kinds[] = {
      {"xl/media/", "图片"},           {"xl/threadedComments", "批注"},
      {"xl/pivotTables/", "数据透视表"}, {"xl/pivotCache/", "数据透视表"}, {"xl/vbaProject.bin", "宏"},
      {"xl/externalLinks/", "外部链接"},
      {"xl/embeddings/", "嵌入对象"},   {"xl/ctrlProps/", "控件"},
      {"xl/slicers/", "切片器"},       {"xl/activeX/", "控件"},
      {"xl/connections.xml", "数据连接"}, {"xl/queryTables/", "查询表"}};
  for (const auto& [name, _] : package.parts())
    for (const auto& [prefix, what] : kinds)
      if (name.rfind(prefix, 0) == 0 && !carried.count(name) && name.find("/_rels/") == std::string::npos)
        notCarried.insert(what);
}

// The areas a defined name lists ("'表'!$A$1:$H$20,'表'!$1:$2"), each as its
// address without the sheet and as an area; what is no area is passed over.
std::vector<std::pair<std::string, Rect>> AreasOfName(const std::string& refs) {
  std::vector<std::pair<std::string, Rect>> out;
  for (std::size_t start = 0; start < refs.size();) {
    std::size_t end = refs.find(',', start);
    if (end == std::string::npos) end = refs.size();
    const std::string ref = refs.substr(start, end - start);
    const std::string address = ref.substr(ref.rfind('!') == std::string::npos ? 0 : ref.rfind('!') + 1);
    try {
      out.emplace_back(address, host::parseRect(address));
    } catch (const host::HostError&) {
    }
    start = end + 1;
  }
  return out;
}

// The strings a megabyte of <si> at a time, as a sheet's rows are read: a
// province's million names as one document tree took 200 MB and a second.
// A part laid out otherwise (a prefix, a comment, CDATA) is read whole.
std::vector<RichText> ReadSharedStrings(const Package& package, const std::string& part, const StyleSheetContent& styles) {
  std::vector<RichText> out;
  if (part.empty() || !package.has(part)) return out;
  host::ColorTable colors = styles.colors;
  auto readStrings = [&](const pugi::xml_node& parent) {
    for (auto si : parent.children("si")) out.push_back(ReadRichText(si, colors, styles.theme));
  };
  const std::string_view text = package.text(part);
  const std::size_t open = text.find("<sst"), openEnd = text.find('>', open);
  const std::size_t close = text.rfind("</sst>");
  const bool inPieces = openEnd != std::string_view::npos && close != std::string_view::npos && openEnd < close &&
                        text.substr(0, open).find("<!") == std::string_view::npos &&
                        !HasMarkupOtherThanElements(text.substr(openEnd + 1)) &&
                        text.find_first_not_of(" \t\r\n", close + 6) == std::string_view::npos;
  if (!inPieces) {
    readStrings(package.xml(part).child("sst"));
    return out;
  }
  pugi::xml_document front;
  Package::ThrowUnlessParsed(
      part, front.load_string((std::string(text.substr(0, openEnd + 1)) + "</sst>").c_str(), Package::kParseOptions));
  if (!front.child("sst")) {
    readStrings(package.xml(part).child("sst"));
    return out;
  }
  constexpr std::size_t kPiece = 1 << 20;
  for (std::size_t at = openEnd + 1; at < close;) {
    std::size_t end = at + kPiece < close ? text.find("</si>", at + kPiece) : std::string_view::npos;
    end = end == std::string_view::npos || end > close ? close : end + 5;
    pugi::xml_document piece;
    Package::ThrowUnlessParsed(part,
                               piece.load_buffer(text.data() + at, end - at,
                                                 Package::kParseOptions | pugi::parse_fragment, pugi::encoding_utf8),
                               at);
    readStrings(piece);
    at = end;
  }
  return out;
}

LoadedWorkbook Load(model::Application& app, const std::string& path, const Progress& progress) {
  // Parts of more than a few megabytes (a city's sheet) stay packed until read.
  Package package(ReadZipParts(path, ZipLimits{}, 8u << 20));
  std::string workbookPart = "xl/workbook.xml";
  for (const auto& entry : package.relationships("")) {
    const std::string& target = entry.second;
    if (target.size() >= 12 && target.compare(target.size() - 12, 12, "workbook.xml") == 0) workbookPart = target;
  }
  if (!package.has(workbookPart)) throw Fault("缺少工作簿部件 " + workbookPart + "，不是 xlsx 工作簿");
  auto workbookDoc = package.xml(workbookPart);
  pugi::xml_node wb = workbookDoc.child("workbook");
  auto rels = package.relationships(workbookPart);

  std::string stylesPart, stringsPart, themePart;
  for (const auto& entry : rels) {
    if (entry.second.find("styles.xml") != std::string::npos) stylesPart = entry.second;
    if (entry.second.find("sharedStrings.xml") != std::string::npos) stringsPart = entry.second;
    if (entry.second.find("theme/") != std::string::npos) themePart = entry.second;
  }
  ThemeColors theme = DefaultThemeColors();
  auto carriedBook = std::make_shared<CarriedWorkbook>();
  if (!themePart.empty() && package.has(themePart)) {
    theme = ReadThemeColors(package.xml(themePart).child("a:theme"));
    carriedBook->theme = package.bytes(themePart);
  }
  pugi::xml_document stylesDoc;
  if (!stylesPart.empty() && package.has(stylesPart)) stylesDoc = package.xml(stylesPart);
  const StyleSheetContent styles = ReadStyleSheet(stylesDoc.child("styleSheet"), theme);
  std::vector<RichText> strings = ReadSharedStrings(package, stringsPart, styles);
  if (!stringsPart.empty()) package.release(stringsPart);

  namespace fs = std::filesystem;
  fs::path file(path);
  auto book = std::make_unique<model::Workbook>(app, file.filename().string(),
                                                file.has_parent_path() ? file.parent_path().string() : ".");
  book->colors() = styles.colors;
  book->setDates1904(wb.child("workbookPr").attribute("date1904").as_bool());

  if (auto dxfs = stylesDoc.child("styleSheet").child("dxfs"); dxfs && dxfs.first_child())
    carriedBook->dxfs = RawXml(dxfs);

  struct SheetEntry {
    model::Sheet* sheet;
    std::string part;
  };
  std::vector<SheetEntry> entries;
  std::vector<model::Sheet*> hidden;
  std::set<std::string> notCarried(styles.notCarried.begin(), styles.notCarried.end());
  for (auto s : wb.child("sheets").children("sheet")) {
    std::string name = UnescapeText(s.attribute("name").value());
    std::string rid = s.attribute("r:id").value();
    auto target = rels.find(rid);
    if (target == rels.end() || !package.has(target->second)) throw Fault("工作表 " + name + " 的部件缺失");
    model::Sheet* sheet = nullptr;
    if (host::characterCount(name) > 31) {
      // Longer than a sheet's name may be: cut as the desktop spreadsheet
      // repairs such a file, and said so.
      name.resize(host::characterBytes(name, 31));
      notCarried.insert("过长的工作表名称（截为 31 个字符）");
    }
    try {
      sheet = entries.empty() ? &book->modelSheet(1) : &book->appendSheet("tavo-" + std::to_string(entries.size()));
      sheet->setName(name);
    } catch (const host::HostError& e) {
      throw Fault(e.description);  // an invalid name, or one another sheet has in other letter case
    }
    entries.push_back({sheet, target->second});
    std::string state = s.attribute("state").value();
    if (state == "hidden" || state == "veryHidden") hidden.push_back(sheet);
    if (state == "veryHidden") carriedBook->veryHidden.insert(name);
  }
  if (entries.empty()) throw Fault("工作簿中没有工作表");
  // Hidden once all are there: a hidden first sheet is no last visible one.
  for (model::Sheet* sheet : hidden) {
    try {
      sheet->setVisible(false);
    } catch (const host::HostError&) {
      throw Fault("工作簿中没有可见的工作表");
    }
  }

  std::map<std::string, std::string> ownParts;  // the workbook's own parts carried, by name read -> written
  const CarrySource carrySource{[&](const std::string& part) { return package.has(part); },
                                [&](const std::string& part) -> const std::string& { return package.bytes(part); },
                                [&](const std::string& part) { return package.contentType(part); },
                                [&](const std::string& part) { return package.allRelationships(part); },
                                [&](const std::string& part) {
                                  auto it = ownParts.find(part);
                                  return it == ownParts.end() ? std::string() : it->second;
                                }};

  // Before the sheets: their pivot tables point at the workbook's caches.
  CarryWorkbookParts(wb, workbookPart, carrySource, *carriedBook, ownParts);

  std::vector<model::StyleId> styleIds(styles.cellFormats.size(), 0);
  std::vector<model::Slot> stringCells(strings.size());
  struct Drawing {
    model::Sheet* sheet;
    std::string sheetPart, id, part;
  };
  std::vector<Drawing> drawings;
  std::map<std::string, int> readsLeft;  // a part two sheets name is freed after the second
  for (const SheetEntry& e : entries) ++readsLeft[e.part];
  // The share read is the share of the sheets' text parsed.
  double sheetBytes = 1, bytesBefore = 0;
  for (const SheetEntry& e : entries) sheetBytes += static_cast<double>(package.size(e.part));
  for (const SheetEntry& e : entries) {
    const double partBytes = static_cast<double>(package.size(e.part));
    // A chart sheet: the model holds an empty sheet of its name, and the
    // chart with all it points to travels beside it.
    if (package.contentType(e.part).ends_with("spreadsheetml.chartsheet+xml")) {
      auto chart = CarryChartSheet(e.part, carrySource);
      if (chart) e.sheet->setCarried(std::move(chart));
      else notCarried.insert("图表工作表");
      bytesBefore += partBytes;
      continue;
    }
    SheetReader reader(*e.sheet, strings, stringCells, styles, styleIds, notCarried,
                       static_cast<std::size_t>(package.size(e.part)));
    package.readSheet(
        e.part, [&](const pugi::xml_node& ws) { reader.readHead(ws); },
        [&](const pugi::xml_node& rows) { reader.readRows(rows); },
        [&](const pugi::xml_node& ws) {
          reader.readTail(ws);
          e.sheet->setCarried(CarrySheet(ws, e.part, carrySource, notCarried));
          if (auto drawing = ws.child("drawing")) {
            auto sheetRels = package.relationships(e.part);
            const std::string id = drawing.attribute("r:id").value();
            auto target = sheetRels.find(id);
            if (target != sheetRels.end() && package.has(target->second))
              drawings.push_back({e.sheet, e.part, id, target->second});
          }
        },
        [&](std::size_t parsed) {
          if (progress) progress((bytesBefore + static_cast<double>(parsed)) / sheetBytes);
        });
    bytesBefore += partBytes;
    if (progress) progress(bytesBefore / sheetBytes);
    if (--readsLeft[e.part] == 0) package.release(e.part);
  }
  // Charts last: their data may stand on any sheet.
  for (const Drawing& d : drawings) {
    auto doc = package.xml(d.part);
    auto drawingRels = package.relationships(d.part);
    DrawingSource source{
        [&](const std::string& rid) {
          auto it = drawingRels.find(rid);
          if (it == drawingRels.end() || !package.has(it->second)) throw Fault("图表部件缺失: " + rid);
          return it->second;
        },
        [&](const std::string& name) { return package.xml(name); },
        [&](const std::string& name) { return book->findModelSheet(name); }};
    // Pictures, shapes or charts of other kinds: the drawing travels whole.
    if (!ModelHoldsAll(doc.document_element(), source) && CarryDrawing(*d.sheet, d.sheetPart, d.id, carrySource))
      continue;
    ReadCharts(*d.sheet, doc.child("xdr:wsDr"), source, notCarried);
  }

  for (auto dn : wb.child("definedNames").children("definedName")) {
    std::string name = dn.attribute("name").value();
    const int local = dn.attribute("localSheetId").as_int(-1);
    const bool ofSheet = local >= 0 && local < static_cast<int>(entries.size());
    if (name == "_xlnm.Print_Titles") {
      // "'成绩表'!$A:$A,'成绩表'!$1:$2": the rows part.
      for (const auto& [address, area] : AreasOfName(dn.text().get())) {
        if (!ofSheet || !area.wholeRows()) continue;
        try {
          entries[static_cast<std::size_t>(local)].sheet->pageSetup().set(host::PageField::PrintTitleRows, address);
        } catch (const host::HostError&) {
          // rows the host would refuse stay unset
        }
      }
    } else if (name == "_xlnm.Print_Area") {
      // "'成绩表'!$A$1:$H$20,'成绩表'!$J$1:$K$2": the areas without the sheet.
      std::string areas;
      for (const auto& [address, _] : AreasOfName(dn.text().get())) areas += (areas.empty() ? "" : ",") + address;
      if (ofSheet) entries[static_cast<std::size_t>(local)].sheet->pageSettings().printArea = areas;
    } else {
      // Carried as written, with its sheet by name (sheets may be added).
      CarriedName carriedName{name, ofSheet ? entries[static_cast<std::size_t>(local)].sheet->name() : "", "",
                              dn.text().get()};
      if (local >= 0 && !ofSheet) continue;  // a name of a sheet the file does not have
      for (auto a : dn.attributes()) {
        const std::string attribute = a.name();
        if (attribute != "name" && attribute != "localSheetId")
          carriedName.attributes += " " + attribute + "=\"" + Escaped(a.value()) + "\"";
      }
      carriedBook->names.push_back(std::move(carriedName));
    }
  }
  if (auto protection = wb.child("workbookProtection")) carriedBook->protection = RawXml(protection);

  if (auto view = wb.child("bookViews").child("workbookView")) {
    int tab = view.attribute("activeTab").as_int(0);
    if (tab >= 0 && tab < static_cast<int>(entries.size()) && entries[static_cast<std::size_t>(tab)].sheet->visible())
      book->setActiveSheet(*entries[static_cast<std::size_t>(tab)].sheet);
    if (auto ratio = view.attribute("tabRatio"))
      book->window().setTabRatio(std::clamp(ratio.as_double() / 1000, 0.0, 1.0));
  }
  if (!carriedBook->dxfs.empty() || !carriedBook->names.empty() || !carriedBook->protection.empty() ||
      !carriedBook->veryHidden.empty() || !carriedBook->theme.empty() || !carriedBook->parts.empty() ||
      !carriedBook->codeName.empty())
    book->setCarried(std::move(carriedBook));
  NoteParts(package, PartsCarried(*book), notCarried);
  LoadedWorkbook out;
  out.book = std::move(book);
  out.notCarried.assign(notCarried.begin(), notCarried.end());
  return out;
}

}  // namespace

LoadedWorkbook LoadWorkbook(model::Application& app, const std::string& path, const Progress& progress) {
  try {
    return Load(app, path, progress);
  } catch (const Fault& e) {
    throw host::FileError(path, e.what());
  } catch (const host::HostError& e) {
    throw host::FileError(path, e.description);
  } catch (const std::bad_alloc&) {
    throw host::FileError(path, "文件过大，内存不足");
  }
}

}  // namespace tavo::xlsx
