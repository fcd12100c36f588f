// The user's guide, "帮助.doc" beside the system workbook.
#pragma once

#include "host/application.h"

namespace tavo::engine {

// Shows the guide in the platform's document viewer; a missing guide raises
// a host error naming the file.
void OpenHelpDocument(host::Application&);

}  // namespace tavo::engine
