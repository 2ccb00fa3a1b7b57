// The tokenizer: characters in, references to command records out.
#pragma once

#include "reader/symbols.h"

namespace pendra::reader {

// Reads the next token; its text is left in tokenText() (input.h).
CommandRecord* nextToken();

// From now on a '"' is read as a German quote command ("`, "', "a and the rest), as the german
// class option asks.
void useGermanQuotes();

}  // namespace pendra::reader
