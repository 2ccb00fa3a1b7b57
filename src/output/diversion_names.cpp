// The names of the diversion buffers, as messages give them.
#include "output/diversions.h"

namespace pendra::output {

const char* const kDiversionBufferNames[kDiversionBufferCount] = {
    "buffer0",
    "title or address",
    "author or signature",
    "letter text",
    "date",
    "buffer5",
    "buffer6",
    "text (inside a table cell)",
    "text (inside a picture element)",
    "floating figures/tables",
};

}  // namespace pendra::output
