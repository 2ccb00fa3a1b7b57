// Stand-ins for the handlers of pictures and \special: each reads what its command would read and
// writes as little as keeps the body well formed, until the handler itself is built.
#include "output/later_codes.h"
#include "output/template.h"
#include "reader/environments.h"

namespace pendra::output {

void specialProc() {
  runInCurrentMode("%x");
}

void pictureInterpreter(const char* tmpl) {
  pictureStandInDispatcher(tmpl);
}

void putInterpreter(const char* tmpl) {
  pictureStandInDispatcher(tmpl);
}

void pictureBody(int ending) {
  reader::genericBody(reader::currentEnvironment(), ending);
}

}  // namespace pendra::output
