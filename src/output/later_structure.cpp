// Stand-ins for the handlers of lists, theorems, diversions, cross-references, footnotes, captions,
// save boxes, rules, verbatim text and floats: each reads what its command would read and writes as
// little as keeps the body well formed, until the handler itself is built.
#include <string_view>

#include "output/later_codes.h"
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

void saveBoxProc(const char* kind) {
  runInCurrentMode(kind[0] == 'a' ? "%x%o%o%x" : "%x%x");
}

void ruleProc() {
  runInCurrentMode("%o%x%x");
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

}  // namespace pendra::output
