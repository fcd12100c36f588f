// What an xlsx file holds that the model does not, carried from the reader
// to the writer: a sheet's conditional formats, filter, hyperlinks,
// comments, tables, protection and newer-kind extensions, with the parts
// they point to; a workbook's defined names and the differential formats
// conditional formats index. Each goes back as the file held it, or, where
// it would now point at cells that moved or a sheet that is gone, is left
// out and named (DroppedOnSave), never written wrong.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/model/carried.h"
#include "host/model/workbook.h"
#include "host/xlsx/xlsx_writer.h"

namespace tavo::xlsx {

// A relationship a carried element holds: to a part carried with it, or to
// an address outside the file.
struct CarriedRelation {
  std::string type;    // the full relationship type
  std::string target;  // the part's name in the file read, or the address
  bool external = false;     // to no part: `target` is written back as read
  bool markedExternal = false;  // and said so (a link within the workbook is not)
};

// A part as the file held it, with its own relationships (by id, targets
// as part names of the file read): its bytes go back unchanged.
struct CarriedPart {
  std::string contentType;
  std::string bytes;
  std::map<std::string, CarriedRelation> relations;
};
using CarriedParts = std::map<std::string, CarriedPart>;  // by name in the file read

// Where in a worksheet part an element stands, by the order the format
// gives: after the cells, after the merged areas, after the validations,
// after the page set-up, in the drawing's place, after the drawing.
enum class Place { AfterCells, AfterMerges, AfterValidations, AfterPage, AtDrawing, AfterDrawing };

// One element as the file held it; each relationship id in it reads
// "@tavo-rel-N@", N its index in the sheet's relations.
struct CarriedElement {
  Place place;
  std::string xml;
  std::string what;  // as a teacher calls it: "批注"
  bool anchoredToCells = false;  // wrong once the sheet's rows are sorted
  std::vector<int> relations;    // besides those in `xml`: a comments part
  // A drawing carried whole: kept only while the model adds no chart of its
  // own to the sheet and every sheet its charts read is still there.
  bool drawing = false;
  std::vector<std::string> sheetsNamed;
};

struct CarriedSheet final : model::Carried {
  std::string codeName;  // the name its macros know it by
  // What the model does not hold of the sheet's view, page set-up, print
  // options and headers (` view="pageLayout"`), by element; and the
  // headers and footers of even and first pages, as written.
  std::map<std::string, std::string> attributes;
  std::string otherHeadersFooters;
  std::vector<CarriedElement> elements;
  std::vector<CarriedRelation> relations;
  CarriedParts parts;
};

// A chart on a sheet of its own: the chart sheet's part and everything it
// points to (drawing, charts, their styles and pictures). The model holds
// the sheet as an empty worksheet of that name.
struct CarriedChartSheet final : model::Carried {
  std::string part;  // the chart sheet's part, a key of `parts`
  CarriedParts parts;
  std::vector<std::string> sheetsNamed;  // the sheets its charts take data from
};

struct CarriedName {
  std::string name;
  std::string localSheet;  // the sheet it belongs to, by name; "" for the workbook
  std::string attributes;  // its other attributes, as written
  std::string formula;
};

struct CarriedWorkbook final : model::Carried {
  std::string dxfs;  // the styles part's <dxfs> element
  std::vector<CarriedName> names;
  std::string protection;  // the <workbookProtection> element
  std::set<std::string> veryHidden;  // sheets only a program may show again, by name
  std::string theme;  // the theme part: the colours and fonts charts and shapes name
  // The workbook's own parts that travel: its macros (the project part,
  // with its signatures) and its links to other workbooks, which formulas
  // name by number ("[1]") in the order the workbook lists them.
  CarriedParts parts;
  std::string macrosPart;                  // a key of `parts`, or ""
  std::string connectionsPart;             // the data connections (of queries, caches): a key, or ""
  std::string personsPart;                 // the authors of threaded comments: a key, or ""
  std::vector<std::string> externalLinks;  // keys of `parts`
  // The pivot tables' caches, by the id the tables name them with, and
  // their parts (keys of `parts`), in the workbook's order.
  std::vector<std::pair<std::string, std::string>> pivotCaches;
  std::string codeName;                    // the name the macros know the workbook by
};

// ---- reading ----

// An element as written, without declaration or indentation.
std::string RawXml(const pugi::xml_node&);

// What the reader gives to carry a sheet's elements: a part's text, its
// content type, and the relationships of a part (id -> relation, external
// ones too; targets resolved to part names).
struct CarrySource {
  std::function<bool(const std::string& part)> has;
  std::function<const std::string&(const std::string& part)> text;
  std::function<std::string(const std::string& part)> contentType;
  std::function<std::map<std::string, CarriedRelation>(const std::string& part)> relations;
  // The name a part of the workbook's own (a pivot cache) is written under,
  // or "": a carried part pointing at one points at it there.
  std::function<std::string(const std::string& part)> ownPart;
};

// A chart sheet's part with what it points to, or nullptr when it points
// at something that cannot travel with it.
std::shared_ptr<CarriedChartSheet> CarryChartSheet(const std::string& part, const CarrySource&);

// The elements of worksheet `ws` (the root of part `sheetPart`) the model
// does not read; what cannot be carried is named in `notCarried`.
std::shared_ptr<CarriedSheet> CarrySheet(const pugi::xml_node& ws, const std::string& sheetPart,
                                         const CarrySource&, std::set<std::string>& notCarried);

// Part `part` (the macro project) and what it points to, into `parts`:
// false when something of it is missing or does not travel.
bool CarryTree(const std::string& part, const CarrySource&, CarriedParts& parts);

// `sheet`'s drawing (relationship `id` of part `sheetPart`) carried whole
// beside what else the sheet carries: false when something it leads to
// cannot travel.
bool CarryDrawing(model::Sheet& sheet, const std::string& sheetPart, const std::string& id, const CarrySource&);

// The workbook's own parts that travel (`CarriedWorkbook::parts`) and its
// code name, from its element `wb` (the root of part `workbookPart`). Each
// pivot cache is entered in `ownParts` (name read -> name written) before
// it is carried, so that the sheets' pivot tables carried later point at it.
void CarryWorkbookParts(const pugi::xml_node& wb, const std::string& workbookPart, const CarrySource&,
                        CarriedWorkbook& book, std::map<std::string, std::string>& ownParts);

// The parts of the file read that travel with `book`'s sheets.
std::set<std::string> PartsCarried(const model::Workbook& book);

// ---- writing ----

// The carried elements of `sheet` still true of it.
std::vector<const CarriedElement*> KeptElements(const model::Sheet&);
// Those elements standing at `place`, with their relationship ids as
// "rIdT<N>" in the sheet's relationships.
std::string CarriedXml(const model::Sheet&, Place);
// The relationships the kept elements need (as <Relationship> elements of
// the sheet's relationships part) and the parts they point to, each with
// its name in the package written (under xl/carried/sheet<sheet>/) and
// the text of its own relationships part ("" for none).
struct OutputPart {
  std::string name;
  const CarriedPart* part;
  std::string relationships;
};
struct CarriedOutput {
  std::string relationships;
  std::vector<OutputPart> parts;
};
CarriedOutput CarriedPartsOf(const model::Sheet&, int sheet);

// The carried chart sheet `sheet` still is (nothing written into it, the
// sheets its charts read still there), or nullptr.
const CarriedChartSheet* KeptChartSheet(const model::Sheet&);

// The workbook's carried names still true of it, as <definedName> elements.
std::string CarriedNamesXml(const model::Workbook&);
// The carried <dxfs>, or "".
std::string CarriedDxfs(const model::Workbook&);
// The attributes of `element` ("sheetView", "pageSetup", "printOptions",
// "headerFooter") the file gave and the model does not hold, as written.
std::string CarriedAttributes(const model::Sheet&, const std::string& element);
// The headers and footers of even and first pages, or "".
std::string OtherHeadersFooters(const model::Sheet&);
// The name a sheet's macros know it by, or "".
std::string CodeName(const model::Sheet&);
// The name the macros know the workbook by, or "".
std::string CodeName(const model::Workbook&);
// The workbook's carried parts a file of kind `kind` holds (the macro
// project only in one that may hold macros), with the workbook's
// relationships to them.
CarriedOutput CarriedWorkbookParts(const model::Workbook&, FileKind kind);
// Where the workbook writes the pivot cache that is part `part` of the
// file read, the `index`th it lists.
std::string PivotCachePart(std::size_t index);
// The workbook's list of its pivot caches, or "".
std::string PivotCachesXml(const model::Workbook&);
// The workbook's list of the other workbooks its formulas link to, or "".
std::string ExternalReferencesXml(const model::Workbook&);

// The carried theme part, or "".
std::string CarriedTheme(const model::Workbook&);
// The carried <workbookProtection>, or "".
std::string CarriedProtection(const model::Workbook&);
// Whether a hidden sheet was hidden so that only a program shows it again.
bool VeryHidden(const model::Sheet&);

// What a save of `book` into a file of kind `kind` would leave out of
// what was carried, by name.
std::vector<std::string> DroppedOnSave(const model::Workbook&, FileKind kind);

}  // namespace tavo::xlsx
