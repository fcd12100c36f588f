// Hand-made xlsx packages, written the way other programs write them.
#pragma once

#include <map>
#include <string>

#include "host/xlsx/zip_archive.h"

namespace tavo::testing {

inline const char* kNs = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// A package with one sheet "Sheet1" whose <sheetData> (and what follows it)
// is given; shared strings and styles as given.
inline std::map<std::string, std::string> OneSheetPackage(const std::string& sheetBody,
                                                          const std::string& sharedStrings = "",
                                                          const std::string& styles = "") {
  std::map<std::string, std::string> p;
  p["[Content_Types].xml"] =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
  p["_rels/.rels"] =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
      "Target=\"xl/workbook.xml\"/></Relationships>";
  p["xl/workbook.xml"] = std::string("<workbook ") + kNs +
                         "><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  std::string rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
      "Target=\"worksheets/sheet1.xml\"/>";
  if (!sharedStrings.empty()) {
    rels += "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    p["xl/sharedStrings.xml"] = std::string("<sst ") + kNs + ">" + sharedStrings + "</sst>";
  }
  if (!styles.empty()) {
    rels += "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>";
    p["xl/styles.xml"] = std::string("<styleSheet ") + kNs + ">" + styles + "</styleSheet>";
  }
  p["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
  p["xl/worksheets/sheet1.xml"] = std::string("<worksheet ") + kNs + ">" + sheetBody + "</worksheet>";
  return p;
}

}  // namespace tavo::testing
