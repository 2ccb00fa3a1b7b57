// %i: the text of an index or glossary marker.
#pragma once

namespace pendra::output {

void indexTextProc();

}  // namespace pendra::output
