// Handlers that BaseDispatcher and the interpreters reach for codes of other parts: \special of
// the picture part, and the stand-in of the math interpreter.
#pragma once

// The document-structure handlers have headers of their own; included here for the code that
// reaches them through this header.
#include "output/diversions.h"
#include "output/footnotes.h"
#include "output/lists.h"
#include "output/xref.h"
#include "picture/picture.h"

namespace pendra::output {

using picture::specialProc;  // %u: \special
// The text interpreter with the math codes ignored: what the math interpreter runs until it is
// built.
void mathStandInDispatcher(const char* tmpl);

}  // namespace pendra::output
