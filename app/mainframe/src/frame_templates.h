// The application's document templates as the frame's handlers find them.
#pragma once

#include "platform/doc_view.h"

namespace mainframe {

// The template made for a row of the application's table ("source",
// "assembly", "mixed"), null when its classes are not there.
CDocTemplate* TemplateOf(const char* name);

}  // namespace mainframe
