// Stand-ins for the handlers of boxes and tables: each reads what its command would read and writes
// as little as keeps the body well formed, until the handler itself is built.
#include "output/later_codes.h"
#include "output/template.h"
#include "reader/environments.h"

namespace pendra::output {

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

void tableCommand(const char*) {}

void minipageBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

void tabularBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

}  // namespace pendra::output
