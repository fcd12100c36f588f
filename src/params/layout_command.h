// Lays out (or refreshes) one settings sheet of the system workbook while
// keeping everything the teacher typed: the settings row, the line table,
// the class table and the line names.
#pragma once

#include "host/application.h"
#include "params/settings_template.h"

namespace tavo::params {

// Host errors are passed over step by step; the only message is the
// missing sheet.
void LayOutSettingsSheet(host::Application&, const SettingsTemplate&);

}  // namespace tavo::params
