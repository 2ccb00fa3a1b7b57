// Handlers whose codes belong to other parts of the converter (lists, diversions, references,
// footnotes, floats, boxes, tables, pictures, math). Each does the least that keeps the output
// well formed, usually skipping its arguments, until its own part replaces it.
#pragma once

namespace pendra::output {

void BufferProc(const char* operation);  // %B: diversion buffers
void XRefProc(const char* kind);         // %X(c): labels, references, citations
void footnoteProc();                     // %W: \footnote, \footnotetext
void captionProc();                      // %C: \caption
void listItemProc(const char* levels);   // %I: \item and its relatives
void newTheoremProc();                   // %t: \newtheorem
void boxProc(const char* kind);          // %P outside a picture: \makebox, \fbox, \parbox...
void saveBoxProc(const char* kind);      // %S: \savebox, \sbox
void ruleProc();                         // %r: \rule
void specialProc();                      // %u: \special
void tableCommand(const char* kind);     // %T(c) inside a table, %& there
// The interpreters of math, picture and put modes, and the body handlers of verbatim, alltt,
// floats, minipage, tabular and pictures.
void mathInterpreter(const char* tmpl);
// The text interpreter with the math codes ignored, and with the picture codes ignored: what
// the math and picture interpreters run until they are built.
void mathStandInDispatcher(const char* tmpl);
void pictureStandInDispatcher(const char* tmpl);
void pictureInterpreter(const char* tmpl);
void putInterpreter(const char* tmpl);
void verbatimBody(int ending);
void floatBody(int ending);
void allttBody(int ending);
void minipageBody(int ending);
void tabularBody(int ending);
void pictureBody(int ending);

}  // namespace pendra::output
