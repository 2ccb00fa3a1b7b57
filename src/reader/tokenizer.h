// The tokenizer: characters in, references to command records out.
#pragma once

#include "reader/symbols.h"

namespace pendra::reader {

// Reads the next token; its text is left in readerState().tokenText.
CommandRecord* nextToken();

}  // namespace pendra::reader
