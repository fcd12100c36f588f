// Text put into a cell through the automation model is entered as if typed:
// the spreadsheet turns "1-2" and "3/4" into dates, "50%" into a number and
// "=..." into a formula unless the cell is formatted as text. The model
// turns only decimal numbers into numbers. A leading apostrophe tells the
// spreadsheet to keep the rest as text (it is not stored with the value).
#pragma once

#include <string>
#include <string_view>

#include "host/com/variant.h"

namespace tavo::com {

enum class Entry {
  Typed,    // as the model enters text: decimal numbers become numbers
  Literal,  // as a paste of values: text stays text
};

// The text to put so that the cell ends as the model would hold it.
std::string EntryText(std::string_view text, Entry);
Variant EntryValue(const host::Value&, Entry);
Variant EntryGrid(const host::Grid&, Entry);

}  // namespace tavo::com
