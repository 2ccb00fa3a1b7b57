// Stand-ins for the handlers of lists, diversions, references, footnotes, floats, boxes, tables,
// pictures and math: each reads what its command would read and writes as little as keeps the
// body well formed.
#include "output/later_codes.h"

#include <string_view>

#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"

namespace pendra::output {

void BufferProc(const char*) {}

void XRefProc(const char* kind) {
  switch (kind[0]) {
    case 'B':  // \bibitem[label]{key}
    case 'C':  // \cite[note]{key}
      runInCurrentMode("%o%x");
      break;
    case 'L':  // \label, \ref, \pageref, \symbol
    case 'R':
    case 'P':
    default:
      runInCurrentMode("%x");
      break;
  }
}

void footnoteProc() {
  runInCurrentMode("%o%x");
}

void captionProc() {
  const char* name = reader::currentEnvironment().name;
  bool figure = std::string_view(name) == "figure" || std::string_view(name) == "figure*";
  runInCurrentMode(figure ? "%g(Figure)%p" : "%g(Table)%p");
}

void listItemProc(const char*) {
  runInCurrentMode("%o");
}

void newTheoremProc() {
  runInCurrentMode("%x%o%x%o");
}

void boxProc(const char* kind) {
  switch (kind[0]) {
    case 'f':  // \fbox, \frame
      runInCurrentMode("%p");
      break;
    case 'M':  // \makebox, \framebox
    case 'F':
      runInCurrentMode("%o%o%p");
      break;
    case 'P':  // \parbox
      runInCurrentMode("%o%x%p");
      break;
    case 'S':  // \shortstack
      runInCurrentMode("%o%p");
      break;
    case 'm':  // \minipage
      runInCurrentMode("%o%x");
      break;
    default:  // picture objects outside a picture
      break;
  }
}

void saveBoxProc(const char* kind) {
  runInCurrentMode(kind[0] == 'a' ? "%x%o%o%x" : "%x%x");
}

void ruleProc() {
  runInCurrentMode("%o%x%x");
}

void specialProc() {
  runInCurrentMode("%x");
}

void tableCommand(const char*) {}

void mathInterpreter(const char* tmpl) {
  mathStandInDispatcher(tmpl);
}

void pictureInterpreter(const char* tmpl) {
  pictureStandInDispatcher(tmpl);
}

void putInterpreter(const char* tmpl) {
  pictureStandInDispatcher(tmpl);
}

// Reads the content as text and takes the closing name, as the verbatim body must.
void verbatimBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
  reader::readWord();
  reader::skipToLineEnd();
}

void floatBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

void allttBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

void minipageBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

void tabularBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

void pictureBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

}  // namespace pendra::output
