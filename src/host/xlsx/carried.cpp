#include "host/xlsx/carried.h"

#include <algorithm>
#include <regex>
#include <sstream>

#include "host/xlsx/writer_parts.h"
#include "host/xlsx/xml_text.h"

namespace tavo::xlsx {

namespace {

constexpr const char* kRelationsNs[] = {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
                                        "http://purl.oclc.org/ooxml/officeDocument/relationships"};
constexpr const char* kCommentsType = "/comments";  // how the comments relationship's type ends
constexpr const char* kRelationMark = "@tavo-rel-";

struct Kind {
  const char* element;
  Place place;
  const char* what;
  bool anchoredToCells;
};
// In the order the format gives within each place.
constexpr Kind kKinds[] = {
    {"sheetProtection", Place::AfterCells, "工作表保护", false},
    {"protectedRanges", Place::AfterCells, "工作表保护", false},
    {"autoFilter", Place::AfterCells, "自动筛选", false},
    {"conditionalFormatting", Place::AfterMerges, "条件格式", false},
    {"hyperlinks", Place::AfterValidations, "超链接", true},
    {"colBreaks", Place::AfterPage, "分页符", false},
    {"ignoredErrors", Place::AfterPage, "错误检查选项", false},
    {"legacyDrawing", Place::AfterDrawing, "批注", true},
    {"legacyDrawingHF", Place::AfterDrawing, "页眉页脚中的图片", false},
    {"picture", Place::AfterDrawing, "工作表背景图片", false},
    {"tableParts", Place::AfterDrawing, "表格", true},
    {"extLst", Place::AfterDrawing, "扩展内容", false},
};

// Extensions whose content stands on its own: conditional formats and
// validations of the newer kind, sparklines. Others (slicers, timelines)
// point into parts of the workbook's that are not carried.
bool CarriedExtension(const std::string& uri) {
  static const std::set<std::string> known = {"{78C0D931-6437-407d-A8EE-F0AAD7539E65}",
                                              "{CCE6A557-97BC-4b89-ADB6-D9C93CAAB3DF}",
                                              "{05C60535-1F16-4fd2-B633-F4F36F0B64E0}"};
  return known.count(uri) > 0;
}

std::string RelationsPrefix(const pugi::xml_node& root) {
  for (auto a : root.attributes()) {
    const std::string name = a.name();
    if (name.rfind("xmlns:", 0) != 0) continue;
    for (const char* ns : kRelationsNs)
      if (std::string(a.value()) == ns) return name.substr(6);
  }
  return "r";
}

std::string BaseName(const std::string& part) { return part.substr(part.rfind('/') + 1); }

const CarriedSheet* CarriedOf(const model::Sheet& sheet) {
  return dynamic_cast<const CarriedSheet*>(sheet.carried().get());
}

// What `sheet` or `book` carries; nothing carried reads as an empty one.
const CarriedSheet& SheetCarried(const model::Sheet& sheet) {
  static const CarriedSheet none;
  const CarriedSheet* carried = CarriedOf(sheet);
  return carried ? *carried : none;
}
const CarriedWorkbook& BookCarried(const model::Workbook& book) {
  static const CarriedWorkbook none;
  const auto* carried = dynamic_cast<const CarriedWorkbook*>(book.carried().get());
  return carried ? *carried : none;
}

// The relations an element's text names, in order.
std::vector<int> NamedRelations(const std::string& xml) {
  std::vector<int> out;
  const std::string mark = kRelationMark;
  for (std::size_t at = xml.find(mark); at != std::string::npos; at = xml.find(mark, at + 1))
    out.push_back(std::atoi(xml.c_str() + at + mark.size()));
  return out;
}

// `root` and every element below it, depth first.
template <class Visit>
void EachElement(pugi::xml_node root, Visit visit) {
  for (pugi::xml_node n = root; n;) {
    if (n.type() == pugi::node_element) visit(n);
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != root && !n.next_sibling()) n = n.parent();
    if (n == root) break;
    n = n.next_sibling();
  }
}

// The kinds of part that travel with what points to them: drawings,
// charts with their styles and pictures, comments, tables. Others belong to
// the workbook as a whole (pivot caches, connections, external links).
bool TravelsAlong(const std::string& type) {
  static const char* kinds[] = {"/drawing",        "/chart",          "/chartUserShapes",  "/image",
                                "/vmlDrawing",     "/comments",       "/table",            "/chartStyle",
                                "/chartColorStyle", "/themeOverride", "/package",          "/diagramData",
                                "/diagramLayout",  "/diagramQuickStyle", "/diagramColors", "/diagramDrawing",
                                "/vbaProjectSignature", "/vbaProjectSignatureAgile", "/vbaProjectSignatureV3",
                                "/pivotTable",     "/pivotCacheRecords", "/threadedComment"};
  return std::any_of(std::begin(kinds), std::end(kinds), [&](const char* k) { return type.ends_with(k); });
}


// The sheets a formula names ("'成绩 表'!$A$1", "数据表!B2"); "[" in the
// result when it names another workbook.
std::vector<std::string> SheetsNamedIn(const std::string& formula) {
  static const std::regex quoted("'((?:[^']|'')+)'!"), plain("(?:^|[^A-Za-z0-9_.'\\]])([^\\s'!(),=+\\-*/&^<>:;\"{}\\[\\]]+)!");
  std::vector<std::string> out;
  if (formula.find('[') != std::string::npos) out.push_back("[");
  for (std::sregex_iterator it(formula.begin(), formula.end(), quoted), end; it != end; ++it) {
    std::string sheet = (*it)[1];
    for (std::size_t at = sheet.find("''"); at != std::string::npos; at = sheet.find("''", at + 1)) sheet.erase(at, 1);
    if (!sheet.starts_with('[')) out.push_back(sheet);  // '[1]成绩'!: another workbook's
  }
  // "[1]成绩!": another workbook's sheet, taken out whole.
  static const std::regex external("\\[[^\\]]*\\][^\\s'!(),=+\\-*/&^<>:;\"{}]*!");
  const std::string rest = std::regex_replace(std::regex_replace(formula, quoted, ""), external, "");
  for (std::sregex_iterator it(rest.begin(), rest.end(), plain), end; it != end; ++it) out.push_back((*it)[1]);
  return out;
}

// Whether the sheets named are all there; "[" (another workbook) is, when
// the workbook's links travel with it.
bool AllThere(const model::Workbook& book, const std::vector<std::string>& sheets) {
  const bool linksKept = !BookCarried(book).externalLinks.empty();
  return std::all_of(sheets.begin(), sheets.end(),
                     [&](const std::string& s) { return s == "[" ? linksKept : book.findModelSheet(s) != nullptr; });
}

// A relationship's target: `to` as seen from the folder of part `from`.
std::string Relative(const std::string& from, const std::string& to) {
  std::size_t common = 0;
  for (std::size_t i = 0; i < from.size() && i < to.size() && from[i] == to[i]; ++i)
    if (from[i] == '/') common = i + 1;
  std::string up;
  for (std::size_t i = common; i < from.size(); ++i)
    if (from[i] == '/') up += "../";
  return up + to.substr(common);
}

// A <Relationship>: to `relation`'s address when it is external, else to
// `target`, the part's name as seen from where the relationship stands.
std::string RelationshipXml(const std::string& id, const CarriedRelation& relation, const std::string& target) {
  std::string x = "<Relationship Id=\"" + Escaped(id) + "\" Type=\"" + Escaped(relation.type) + "\" Target=\"";
  if (relation.external)
    return x + Escaped(relation.target) + (relation.markedExternal ? "\" TargetMode=\"External\"/>" : "\"/>");
  return x + Escaped(target) + "\"/>";
}

}  // namespace

bool CarryTree(const std::string& part, const CarrySource& source, CarriedParts& parts) {
  if (parts.count(part)) return true;
  if (!source.has(part)) return false;
  CarriedPart& carried = parts[part];
  carried.contentType = source.contentType(part);
  carried.bytes = source.text(part);
  carried.relations = source.relations(part);
  for (auto& [id, relation] : carried.relations) {
    if (relation.external) continue;
    // A part of the workbook's own is written once, where the workbook
    // writes it; carried parts stand two folders below xl/.
    if (const std::string own = source.ownPart ? source.ownPart(relation.target) : ""; !own.empty()) {
      relation = {relation.type, "../../" + own.substr(3), true, false};
      continue;
    }
    if (!TravelsAlong(relation.type) || !CarryTree(relation.target, source, parts)) {
      parts.erase(part);  // so that nothing else takes it as carried
      return false;
    }
  }
  return true;
}

void CarryWorkbookParts(const pugi::xml_node& wb, const std::string& workbookPart, const CarrySource& source,
                        CarriedWorkbook& book, std::map<std::string, std::string>& ownParts) {
  const auto relations = source.relations(workbookPart);
  auto carried = [&](const CarriedRelation& relation) {
    return !relation.external && CarryTree(relation.target, source, book.parts);
  };
  for (const auto& [id, relation] : relations)
    if (relation.type.ends_with("/vbaProject") && carried(relation)) book.macrosPart = relation.target;
    else if (relation.type.ends_with("/connections") && carried(relation)) book.connectionsPart = relation.target;
    else if (relation.type.ends_with("/person") && carried(relation)) book.personsPart = relation.target;
  for (auto cache : wb.child("pivotCaches").children("pivotCache")) {
    auto found = relations.find(cache.attribute("r:id").value());
    if (found == relations.end() || found->second.external) continue;
    const std::string part = found->second.target;
    ownParts[part] = PivotCachePart(book.pivotCaches.size());
    if (!carried(found->second)) {
      ownParts.erase(part);
      continue;
    }
    book.pivotCaches.emplace_back(cache.attribute("cacheId").value(), part);
  }
  for (auto link : wb.child("externalReferences").children("externalReference")) {
    auto found = relations.find(link.attribute("r:id").value());
    // One that cannot travel leaves the numbers of those after it wrong:
    // none of them does, and the part is named as not carried.
    if (found == relations.end() || !carried(found->second)) {
      for (const std::string& part : book.externalLinks) book.parts.erase(part);
      book.externalLinks.clear();
      break;
    }
    book.externalLinks.push_back(found->second.target);
  }
  book.codeName = wb.child("workbookPr").attribute("codeName").value();
}

std::string RawXml(const pugi::xml_node& node) {
  std::ostringstream text;
  node.print(text, "", pugi::format_raw | pugi::format_no_declaration);
  return text.str();
}

namespace {

// The sheets the charts among `parts` take their data from.
std::vector<std::string> SheetsChartsRead(const CarriedParts& parts) {
  static const std::regex reference("<([A-Za-z0-9_]+:)?f>([^<]*)</([A-Za-z0-9_]+:)?f>");
  std::vector<std::string> out;
  for (const auto& [name, part] : parts) {
    if (!part.contentType.ends_with("drawingml.chart+xml")) continue;
    for (std::sregex_iterator it(part.bytes.begin(), part.bytes.end(), reference), end; it != end; ++it)
      for (const std::string& sheet : SheetsNamedIn(UnescapeText((*it)[2].str())))
        if (std::find(out.begin(), out.end(), sheet) == out.end()) out.push_back(sheet);
  }
  return out;
}

}  // namespace

std::shared_ptr<CarriedChartSheet> CarryChartSheet(const std::string& part, const CarrySource& source) {
  auto carried = std::make_shared<CarriedChartSheet>();
  carried->part = part;
  if (!CarryTree(part, source, carried->parts)) return nullptr;
  carried->sheetsNamed = SheetsChartsRead(carried->parts);
  return carried;
}

bool CarryDrawing(model::Sheet& sheet, const std::string& sheetPart, const std::string& id, const CarrySource& source) {
  const auto relations = source.relations(sheetPart);
  const auto found = relations.find(id);
  if (found == relations.end() || found->second.external) return false;
  const CarriedSheet* before = CarriedOf(sheet);
  auto carried = before ? std::make_shared<CarriedSheet>(*before) : std::make_shared<CarriedSheet>();
  CarriedParts drawingParts;
  if (!CarryTree(found->second.target, source, drawingParts)) return false;
  carried->parts.insert(drawingParts.begin(), drawingParts.end());
  carried->relations.push_back(found->second);
  CarriedElement element{Place::AtDrawing,
                         "<drawing r:id=\"" + std::string(kRelationMark) +
                             std::to_string(carried->relations.size() - 1) + "@\"/>",
                         "图表与图片", false, {}, true, SheetsChartsRead(drawingParts)};
  carried->elements.push_back(std::move(element));
  sheet.setCarried(std::move(carried));
  return true;
}

std::shared_ptr<CarriedSheet> CarrySheet(const pugi::xml_node& ws, const std::string& sheetPart,
                                         const CarrySource& source, std::set<std::string>& notCarried) {
  auto carried = std::make_shared<CarriedSheet>();
  carried->codeName = ws.child("sheetPr").attribute("codeName").value();
  // Attributes that set how the sheet shows and prints and point nowhere.
  static const std::map<std::string, std::set<std::string>> settings = {
      {"sheetView",
       {"view", "showRowColHeaders", "rightToLeft", "showRuler", "showOutlineSymbols", "showFormulas", "showWhiteSpace",
        "windowProtection", "defaultGridColor", "colorId", "zoomScaleNormal", "zoomScalePageLayoutView",
        "zoomScaleSheetLayoutView"}},
      {"pageSetup",
       {"pageOrder", "firstPageNumber", "useFirstPageNumber", "blackAndWhite", "draft", "cellComments", "errors",
        "horizontalDpi", "verticalDpi", "copies", "paperHeight", "paperWidth", "usePrinterDefaults"}},
      {"printOptions", {"verticalCentered", "headings", "gridLinesSet"}},
      {"headerFooter", {"differentOddEven", "differentFirst", "scaleWithDoc", "alignWithMargins"}}};
  for (const auto& [element, names] : settings) {
    const pugi::xml_node node = element == "sheetView" ? ws.child("sheetViews").child("sheetView") : ws.child(element.c_str());
    std::string& out = carried->attributes[element];
    for (pugi::xml_attribute a : node.attributes())
      if (names.count(a.name())) out += std::string(" ") + a.name() + "=\"" + Escaped(a.value()) + "\"";
    if (out.empty()) carried->attributes.erase(element);
  }
  for (const char* part : {"evenHeader", "evenFooter", "firstHeader", "firstFooter"})
    if (pugi::xml_node n = ws.child("headerFooter").child(part)) carried->otherHeadersFooters += RawXml(n);
  const std::string prefix = RelationsPrefix(ws);
  const std::map<std::string, CarriedRelation> relations = source.relations(sheetPart);
  std::map<std::string, int> numbered;  // relationship id in the file -> index

  // The relation `id` names, carried with its part and what that leads
  // to: -1 when it cannot be (missing, or leading to what does not travel).
  auto carryRelation = [&](const std::string& id) -> int {
    if (auto it = numbered.find(id); it != numbered.end()) return it->second;
    auto found = relations.find(id);
    if (found == relations.end()) return -1;
    const CarriedRelation& relation = found->second;
    if (!relation.external && (!TravelsAlong(relation.type) || !CarryTree(relation.target, source, carried->parts)))
      return -1;
    carried->relations.push_back(relation);
    return numbered[id] = static_cast<int>(carried->relations.size()) - 1;
  };

  for (const Kind& kind : kKinds) {
    for (pugi::xml_node element : ws.children(kind.element)) {
      pugi::xml_document copy;
      pugi::xml_node node = copy.append_copy(element);
      if (std::string(kind.element) == "extLst") {
        for (pugi::xml_node ext = node.first_child(); ext;) {
          pugi::xml_node next = ext.next_sibling();
          if (!CarriedExtension(ext.attribute("uri").value())) {
            notCarried.insert("扩展内容");
            node.remove_child(ext);
          }
          ext = next;
        }
        if (!node.first_child()) continue;
      }
      // The namespaces the element uses that the file declared on its root,
      // declared again on it; the writer's root declares "r" itself.
      std::set<std::string> used;
      EachElement(node, [&](pugi::xml_node n) {
        auto note = [&](const std::string& name) {
          if (const auto colon = name.find(':'); colon != std::string::npos) used.insert(name.substr(0, colon));
        };
        note(n.name());
        for (auto a : n.attributes()) note(a.name());
      });
      for (auto a : ws.attributes()) {
        const std::string name = a.name();
        if (name.rfind("xmlns:", 0) != 0 || !used.count(name.substr(6)) || node.attribute(name.c_str())) continue;
        if (name == "xmlns:r" && std::string(a.value()) == kRelationsNs[0]) continue;
        node.append_attribute(name.c_str()) = a.value();
      }
      bool whole = true;
      CarriedElement out{kind.place, "", kind.what, kind.anchoredToCells, {}, false, {}};
      EachElement(node, [&](pugi::xml_node n) {
        for (pugi::xml_attribute a : n.attributes()) {
          const std::string name = a.name();
          if (!whole || name.rfind(prefix + ":", 0) != 0) continue;
          const int index = carryRelation(a.value());
          if (index < 0) whole = false;
          else a.set_value((kRelationMark + std::to_string(index) + "@").c_str());
        }
      });
      // The comments themselves hang off the sheet, not off its element.
      if (whole && std::string(kind.element) == "legacyDrawing")
        for (const auto& [id, relation] : relations)
          if (relation.type.ends_with(kCommentsType)) {
            const int index = carryRelation(id);
            if (index < 0) whole = false;
            else out.relations.push_back(index);
          }
      if (!whole) {
        notCarried.insert(kind.what);
        continue;
      }
      out.xml = RawXml(node);
      carried->elements.push_back(std::move(out));
    }
  }
  // Pivot tables and threaded comments hang off the sheet with no element
  // of it naming them.
  for (const auto& [id, relation] : relations) {
    const char* what = relation.type.ends_with("/pivotTable")        ? "数据透视表"
                       : relation.type.ends_with("/threadedComment") ? "批注"
                                                                     : nullptr;
    if (!what) continue;
    const int index = carryRelation(id);
    if (index < 0) notCarried.insert(what);
    else carried->elements.push_back({Place::AfterDrawing, "", what, true, {index}, false, {}});
  }
  if (carried->elements.empty() && carried->codeName.empty() && carried->attributes.empty() &&
      carried->otherHeadersFooters.empty())
    return nullptr;
  return carried;
}

std::set<std::string> PartsCarried(const model::Workbook& book) {
  std::set<std::string> out;
  for (int i = 1; i <= book.sheetCount(); ++i) {
    const model::Carried* carried = book.modelSheet(i).carried().get();
    const CarriedParts* parts = nullptr;
    if (const auto* sheet = dynamic_cast<const CarriedSheet*>(carried)) parts = &sheet->parts;
    if (const auto* chart = dynamic_cast<const CarriedChartSheet*>(carried)) parts = &chart->parts;
    if (parts)
      for (const auto& [name, _] : *parts) out.insert(name);
  }
  for (const auto& [name, _] : BookCarried(book).parts) out.insert(name);
  return out;
}

std::vector<const CarriedElement*> KeptElements(const model::Sheet& sheet) {
  std::vector<const CarriedElement*> kept;
  const CarriedSheet* carried = CarriedOf(sheet);
  // Rows or columns inserted or removed: every reference may be off.
  if (!carried || sheet.shifts() > 0) return kept;
  for (const CarriedElement& e : carried->elements) {
    if (e.anchoredToCells && sheet.sorts() > 0) continue;
    if (e.drawing && (!sheet.charts().empty() || !AllThere(sheet.model(), e.sheetsNamed))) continue;
    kept.push_back(&e);
  }
  return kept;
}

std::string CarriedXml(const model::Sheet& sheet, Place place) {
  std::string x;
  for (const CarriedElement* e : KeptElements(sheet)) {
    if (e->place != place) continue;
    std::string text = e->xml;
    const std::string mark = kRelationMark;
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
      const std::size_t end = text.find('@', at + mark.size());
      text.replace(at, end + 1 - at, "rIdT" + text.substr(at + mark.size(), end - at - mark.size()));
    }
    x += text;
  }
  return x;
}

namespace {

// The parts reachable from `roots`, each given a name under `folder`, and
// written with its own relationships pointing at the others' new names.
void AddParts(const CarriedParts& parts, const std::vector<std::string>& roots, const std::string& folder,
              std::map<std::string, std::string>& names, CarriedOutput& out) {
  std::vector<std::string> todo = roots;
  std::set<std::string> taken;
  for (const auto& [_, name] : names) taken.insert(BaseName(name));
  while (!todo.empty()) {
    const std::string part = todo.back();
    todo.pop_back();
    if (names.count(part)) continue;
    std::string base = BaseName(part);
    for (int n = 2; taken.count(base); ++n) base = std::to_string(n) + "-" + BaseName(part);
    taken.insert(base);
    names[part] = folder + base;
    for (const auto& [id, relation] : parts.at(part).relations)
      if (!relation.external) todo.push_back(relation.target);
  }
  for (const auto& [part, name] : names) {
    const CarriedPart& carried = parts.at(part);
    std::string rels;
    for (const auto& [id, relation] : carried.relations)
      rels += RelationshipXml(id, relation, relation.external ? "" : Relative(name, names.at(relation.target)));
    out.parts.push_back({name, &carried, rels.empty() ? "" : std::string(kXmlHead) + "<Relationships xmlns=\"" +
                                                             kPkgRelNs + "\">" + rels + "</Relationships>"});
  }
}

}  // namespace

CarriedOutput CarriedPartsOf(const model::Sheet& sheet, int number) {
  CarriedOutput out;
  const std::string folder = "xl/carried/sheet" + std::to_string(number) + "/";
  std::map<std::string, std::string> names;
  if (const CarriedChartSheet* chart = KeptChartSheet(sheet)) {
    names[chart->part] = "xl/chartsheets/sheet" + std::to_string(number) + ".xml";
    std::vector<std::string> roots;
    for (const auto& [id, relation] : chart->parts.at(chart->part).relations)
      if (!relation.external) roots.push_back(relation.target);
    AddParts(chart->parts, roots, folder, names, out);
    return out;
  }
  const CarriedSheet* carried = CarriedOf(sheet);
  if (!carried) return out;
  std::set<int> used;
  for (const CarriedElement* e : KeptElements(sheet)) {
    for (int r : NamedRelations(e->xml)) used.insert(r);
    used.insert(e->relations.begin(), e->relations.end());
  }
  std::vector<std::string> roots;
  for (int r : used)
    if (!carried->relations[static_cast<std::size_t>(r)].external)
      roots.push_back(carried->relations[static_cast<std::size_t>(r)].target);
  AddParts(carried->parts, roots, folder, names, out);
  const std::string sheetPart = "xl/worksheets/sheet" + std::to_string(number) + ".xml";
  for (int r : used) {
    const CarriedRelation& relation = carried->relations[static_cast<std::size_t>(r)];
    out.relationships += RelationshipXml("rIdT" + std::to_string(r), relation,
                                         relation.external ? "" : Relative(sheetPart, names.at(relation.target)));
  }
  return out;
}

const CarriedChartSheet* KeptChartSheet(const model::Sheet& sheet) {
  const auto* chart = dynamic_cast<const CarriedChartSheet*>(sheet.carried().get());
  if (!chart || !sheet.charts().empty() || !AllThere(sheet.model(), chart->sheetsNamed)) return nullptr;
  const host::Rect used = sheet.usedRange();
  if (used.rowCount() > 1 || used.colCount() > 1 || !sheet.value(used.topLeft()).isEmpty()) return nullptr;
  return chart;
}

namespace {

// Whether every sheet a name's formula refers to is still there: the
// formula is kept as written, so a sheet renamed or gone makes it wrong.
bool NameStillTrue(const model::Workbook& book, const CarriedName& name) {
  if (!name.localSheet.empty() && !book.findModelSheet(name.localSheet)) return false;
  return AllThere(book, SheetsNamedIn(name.formula));
}

}  // namespace

std::string CarriedNamesXml(const model::Workbook& book) {
  std::string x;
  for (const CarriedName& name : BookCarried(book).names) {
    if (!NameStillTrue(book, name)) continue;
    x += "<definedName name=\"" + Escaped(name.name) + "\"";
    if (!name.localSheet.empty())
      x += " localSheetId=\"" + std::to_string(book.indexOf(*book.findModelSheet(name.localSheet)) - 1) + "\"";
    x += name.attributes + ">" + Escaped(name.formula) + "</definedName>";
  }
  return x;
}

std::string CarriedDxfs(const model::Workbook& book) { return BookCarried(book).dxfs; }

std::string CarriedAttributes(const model::Sheet& sheet, const std::string& element) {
  const auto& attributes = SheetCarried(sheet).attributes;
  auto it = attributes.find(element);
  return it == attributes.end() ? "" : it->second;
}

std::string OtherHeadersFooters(const model::Sheet& sheet) { return SheetCarried(sheet).otherHeadersFooters; }

std::string CodeName(const model::Sheet& sheet) { return SheetCarried(sheet).codeName; }

std::string CodeName(const model::Workbook& book) { return BookCarried(book).codeName; }

CarriedOutput CarriedWorkbookParts(const model::Workbook& book, FileKind kind) {
  CarriedOutput out;
  const CarriedWorkbook* carried = &BookCarried(book);
  // The workbook's relationship to a part of its own, named `name` under xl/.
  std::map<std::string, std::string> names;
  auto root = [&](const std::string& part, const std::string& id, const std::string& type, const std::string& name) {
    names[part] = "xl/" + name;
    out.relationships += "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + name + "\"/>";
  };
  if (!carried->macrosPart.empty() && kind == FileKind::MacroEnabled)
    root(carried->macrosPart, "rIdVba", "http://schemas.microsoft.com/office/2006/relationships/vbaProject",
         "vbaProject.bin");
  if (!carried->personsPart.empty())
    root(carried->personsPart, "rIdPe", "http://schemas.microsoft.com/office/2017/10/relationships/person",
         "persons/person.xml");
  if (!carried->connectionsPart.empty())
    root(carried->connectionsPart, "rIdC", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/connections",
         "connections.xml");
  for (std::size_t i = 0; i < carried->pivotCaches.size(); ++i)
    root(carried->pivotCaches[i].second, "rIdP" + std::to_string(i + 1),
         "http://schemas.openxmlformats.org/officeDocument/2006/relationships/pivotCacheDefinition",
         PivotCachePart(i).substr(3));
  for (std::size_t i = 0; i < carried->externalLinks.size(); ++i)
    root(carried->externalLinks[i], "rIdX" + std::to_string(i + 1),
         "http://schemas.openxmlformats.org/officeDocument/2006/relationships/externalLink",
         "externalLinks/externalLink" + std::to_string(i + 1) + ".xml");
  std::vector<std::string> roots;
  for (const auto& [part, _] : names)
    for (const auto& [id, relation] : carried->parts.at(part).relations)
      if (!relation.external) roots.push_back(relation.target);
  AddParts(carried->parts, roots, "xl/carried/", names, out);
  return out;
}

std::string PivotCachePart(std::size_t index) {
  return "xl/pivotCache/pivotCacheDefinition" + std::to_string(index + 1) + ".xml";
}

std::string PivotCachesXml(const model::Workbook& book) {
  const CarriedWorkbook* carried = &BookCarried(book);
  if (carried->pivotCaches.empty()) return "";
  std::string x = "<pivotCaches>";
  for (std::size_t i = 0; i < carried->pivotCaches.size(); ++i)
    x += "<pivotCache cacheId=\"" + Escaped(carried->pivotCaches[i].first) + "\" r:id=\"rIdP" + std::to_string(i + 1) +
         "\"/>";
  return x + "</pivotCaches>";
}

std::string ExternalReferencesXml(const model::Workbook& book) {
  const CarriedWorkbook* carried = &BookCarried(book);
  if (carried->externalLinks.empty()) return "";
  std::string x = "<externalReferences>";
  for (std::size_t i = 0; i < carried->externalLinks.size(); ++i)
    x += "<externalReference r:id=\"rIdX" + std::to_string(i + 1) + "\"/>";
  return x + "</externalReferences>";
}

std::string CarriedTheme(const model::Workbook& book) { return BookCarried(book).theme; }

std::string CarriedProtection(const model::Workbook& book) { return BookCarried(book).protection; }

bool VeryHidden(const model::Sheet& sheet) {
  return !sheet.visible() && BookCarried(sheet.model()).veryHidden.count(sheet.name());
}

std::vector<std::string> DroppedOnSave(const model::Workbook& book, FileKind kind) {
  std::set<std::string> dropped;
  for (int i = 1; i <= book.sheetCount(); ++i) {
    const model::Sheet& sheet = book.modelSheet(i);
    if (dynamic_cast<const CarriedChartSheet*>(sheet.carried().get()) && !KeptChartSheet(sheet))
      dropped.insert("图表工作表 " + sheet.name());
    const CarriedSheet* carried = CarriedOf(sheet);
    if (!carried) continue;
    const auto kept = KeptElements(sheet);
    for (const CarriedElement& e : carried->elements)
      if (std::find(kept.begin(), kept.end(), &e) == kept.end()) dropped.insert(sheet.name() + " 的" + e.what);
  }
  const CarriedWorkbook& carried = BookCarried(book);
  for (const CarriedName& name : carried.names)
    if (!NameStillTrue(book, name)) dropped.insert("名称 " + name.name);
  if (!carried.macrosPart.empty() && kind != FileKind::MacroEnabled) dropped.insert("宏（xlsx 文件不能含有宏）");
  return {dropped.begin(), dropped.end()};
}

}  // namespace tavo::xlsx
