#include "host/xlsx/carried.h"

#include <algorithm>
#include <regex>
#include <sstream>

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
    {"ignoredErrors", Place::AfterPage, "错误检查选项", false},
    {"legacyDrawing", Place::AfterDrawing, "批注", true},
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

}  // namespace

std::shared_ptr<CarriedSheet> CarrySheet(const pugi::xml_node& ws, const std::string& sheetPart,
                                         const CarrySource& source, std::set<std::string>& notCarried) {
  auto carried = std::make_shared<CarriedSheet>();
  const std::string prefix = RelationsPrefix(ws);
  const std::map<std::string, CarriedRelation> relations = source.relations(sheetPart);
  std::map<std::string, int> numbered;  // relationship id in the file -> index

  // The relation `id` names, carried with its part: -1 when it cannot be
  // (missing, or a part that points further on).
  auto carryRelation = [&](const std::string& id) -> int {
    if (auto it = numbered.find(id); it != numbered.end()) return it->second;
    auto found = relations.find(id);
    if (found == relations.end()) return -1;
    const CarriedRelation& relation = found->second;
    if (!relation.external) {
      if (!source.has(relation.target) || !source.relations(relation.target).empty()) return -1;
      carried->parts[relation.target] = {source.contentType(relation.target), source.text(relation.target)};
    }
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
      CarriedElement out{kind.place, "", kind.what, kind.anchoredToCells, {}};
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
          if (relation.type.size() >= 9 && relation.type.ends_with(kCommentsType)) {
            const int index = carryRelation(id);
            if (index < 0) whole = false;
            else out.relations.push_back(index);
          }
      if (!whole) {
        notCarried.insert(kind.what);
        continue;
      }
      std::ostringstream text;
      node.print(text, "", pugi::format_raw | pugi::format_no_declaration);
      out.xml = text.str();
      carried->elements.push_back(std::move(out));
    }
  }
  if (carried->elements.empty()) return nullptr;
  return carried;
}

std::vector<const CarriedElement*> KeptElements(const model::Sheet& sheet) {
  std::vector<const CarriedElement*> kept;
  const CarriedSheet* carried = CarriedOf(sheet);
  // Rows or columns inserted or removed: every reference may be off.
  if (!carried || sheet.shifts() > 0) return kept;
  for (const CarriedElement& e : carried->elements)
    if (!(e.anchoredToCells && sheet.sorts() > 0)) kept.push_back(&e);
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

CarriedOutput CarriedPartsOf(const model::Sheet& sheet, int number) {
  CarriedOutput out;
  const CarriedSheet* carried = CarriedOf(sheet);
  if (!carried) return out;
  std::set<int> used;
  for (const CarriedElement* e : KeptElements(sheet)) {
    for (int r : NamedRelations(e->xml)) used.insert(r);
    used.insert(e->relations.begin(), e->relations.end());
  }
  const std::string folder = "carried/sheet" + std::to_string(number) + "/";
  std::set<std::string> names;
  for (int r : used) {
    const CarriedRelation& relation = carried->relations[static_cast<std::size_t>(r)];
    out.relationships += "<Relationship Id=\"rIdT" + std::to_string(r) + "\" Type=\"" + Escaped(relation.type) + "\"";
    if (relation.external) {
      out.relationships += " Target=\"" + Escaped(relation.target) + "\" TargetMode=\"External\"/>";
      continue;
    }
    std::string name = BaseName(relation.target);
    if (!names.insert(name).second) name = std::to_string(r) + "-" + name;
    out.relationships += " Target=\"../" + Escaped(folder + name) + "\"/>";
    out.parts.emplace_back("xl/" + folder + name, &carried->parts.at(relation.target));
  }
  return out;
}

namespace {

const CarriedWorkbook* CarriedOf(const model::Workbook& book) {
  return dynamic_cast<const CarriedWorkbook*>(book.carried().get());
}

// Whether every sheet a name's formula refers to is still there: the
// formula is kept as written, so a sheet renamed or gone makes it wrong.
bool NameStillTrue(const model::Workbook& book, const CarriedName& name) {
  if (!name.localSheet.empty() && !book.findModelSheet(name.localSheet)) return false;
  if (name.formula.find('[') != std::string::npos) return false;  // another workbook, whose link is not carried
  static const std::regex quoted("'((?:[^']|'')+)'!"), plain("(?:^|[^A-Za-z0-9_.'\\]])([^\\s'!(),=+\\-*/&^<>:;\"{}]+)!");
  std::string formula = name.formula;
  for (std::sregex_iterator it(formula.begin(), formula.end(), quoted), end; it != end; ++it) {
    std::string sheet = (*it)[1];
    for (std::size_t at = sheet.find("''"); at != std::string::npos; at = sheet.find("''", at + 1)) sheet.erase(at, 1);
    if (!book.findModelSheet(sheet)) return false;
  }
  formula = std::regex_replace(formula, quoted, "");
  for (std::sregex_iterator it(formula.begin(), formula.end(), plain), end; it != end; ++it)
    if (!book.findModelSheet((*it)[1].str())) return false;
  return true;
}

}  // namespace

std::string CarriedNamesXml(const model::Workbook& book) {
  const CarriedWorkbook* carried = CarriedOf(book);
  if (!carried) return "";
  std::string x;
  for (const CarriedName& name : carried->names) {
    if (!NameStillTrue(book, name)) continue;
    x += "<definedName name=\"" + Escaped(name.name) + "\"";
    if (!name.localSheet.empty())
      x += " localSheetId=\"" + std::to_string(book.indexOf(*book.findModelSheet(name.localSheet)) - 1) + "\"";
    x += name.attributes + ">" + Escaped(name.formula) + "</definedName>";
  }
  return x;
}

std::string CarriedDxfs(const model::Workbook& book) {
  const CarriedWorkbook* carried = CarriedOf(book);
  return carried ? carried->dxfs : "";
}

std::vector<std::string> DroppedOnSave(const model::Workbook& book) {
  std::set<std::string> dropped;
  for (int i = 1; i <= book.sheetCount(); ++i) {
    const model::Sheet& sheet = book.modelSheet(i);
    const CarriedSheet* carried = CarriedOf(sheet);
    if (!carried) continue;
    const auto kept = KeptElements(sheet);
    for (const CarriedElement& e : carried->elements)
      if (std::find(kept.begin(), kept.end(), &e) == kept.end()) dropped.insert(sheet.name() + " 的" + e.what);
  }
  if (const CarriedWorkbook* carried = CarriedOf(book))
    for (const CarriedName& name : carried->names)
      if (!NameStillTrue(book, name)) dropped.insert("名称 " + name.name);
  return {dropped.begin(), dropped.end()};
}

}  // namespace tavo::xlsx
