// Line charts of a drawing part back into the model; other charts are
// named as content the model cannot carry.
#pragma once

#include <pugixml.hpp>

#include <functional>
#include <set>
#include <string>

#include "host/model/sheet.h"

namespace tavo::xlsx {

// The parts a drawing refers to, by relationship id, and a part's XML.
struct DrawingSource {
  std::function<std::string(const std::string& rid)> target;
  std::function<pugi::xml_document(const std::string& part)> xml;
  std::function<model::Sheet*(const std::string& name)> sheetNamed;
};

// Whether every object of `drawing` is a chart the model reads: else the
// drawing is better carried whole than read in part.
bool ModelHoldsAll(const pugi::xml_node& drawing, const DrawingSource&);

void ReadCharts(model::Sheet& sheet, const pugi::xml_node& drawing, const DrawingSource&,
                std::set<std::string>& notCarried);

}  // namespace tavo::xlsx
