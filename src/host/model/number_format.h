// How a value shows under a cell's number format: general, "@", and the
// fixed-decimal forms "0", "0.0", "0.00" the reports use.
#pragma once

#include <string>
#include <string_view>

#include "host/value.h"

namespace tavo::model {

std::string formatForDisplay(const host::Value&, const std::string& numberFormat);

// Width of a displayed line in character units: CJK and full-width
// characters count two, others one.
int displayWidth(std::string_view line);

}  // namespace tavo::model
