// Handlers whose codes belong to the picture part of the converter. Each does the least that keeps
// the output well formed, usually skipping its arguments, until that part replaces it.
#pragma once

// The document-structure handlers have headers of their own; included here for the code that
// reaches them through this header.
#include "output/diversions.h"
#include "output/footnotes.h"
#include "output/lists.h"
#include "output/xref.h"

namespace pendra::output {

void specialProc();  // %u: \special
// The interpreters of picture and put modes, and the body handler of pictures.
// The text interpreter with the math codes ignored, and with the picture codes ignored: what
// the math and picture interpreters run until they are built.
void mathStandInDispatcher(const char* tmpl);
void pictureStandInDispatcher(const char* tmpl);
void pictureInterpreter(const char* tmpl);
void putInterpreter(const char* tmpl);
void pictureBody(int ending);

}  // namespace pendra::output
