// Handlers that BaseDispatcher and the interpreters reach for codes of other parts.
#pragma once

// The document-structure handlers have headers of their own; included here for the code that
// reaches them through this header.
#include "output/diversions.h"
#include "output/footnotes.h"
#include "output/links.h"
#include "output/lists.h"
#include "output/xref.h"
#include "picture/picture.h"

namespace pendra::output {

using picture::specialProc;  // %u: \special

}  // namespace pendra::output
