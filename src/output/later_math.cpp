// Stand-ins for the handlers of the math interpreter: each reads what its command would read and
// writes as little as keeps the body well formed, until the handler itself is built.
#include "output/later_codes.h"

namespace pendra::output {

void mathInterpreter(const char* tmpl) {
  mathStandInDispatcher(tmpl);
}

}  // namespace pendra::output
