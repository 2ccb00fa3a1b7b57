// The tokenizer: characters in, references to command records out.
#pragma once

#include <cstddef>

#include "reader/symbols.h"

namespace pendra::reader {

// Reads the next token; its text is left in tokenText() (input.h).
CommandRecord* nextToken();

// From now on a '"' is read as a German quote command ("`, "', "a and the rest), as the german
// class option asks.
void useGermanQuotes();

// A stretch of running text ahead of the reader whose every byte nextToken would read as a text
// token of its own text (a letter, a digit, a space, or punctuation that no command is bound
// to): the current character, then `restLength` bytes from `rest` in the file's block or in the
// string being read. It ends before a line end, the end of the block or string, a byte above 127
// and anything else that makes a token of another kind.
// `whole`, when not null, holds the current character and the rest in one piece.
struct PlainText {
  char first = 0;
  const char* rest = nullptr;
  std::size_t restLength = 0;
  const char* whole = nullptr;
};
// Finds the plain text ahead; false when the current character does not begin any.
bool plainTextAhead(PlainText& text);
// Moves the reader past the text plainTextAhead found (nothing read since), to the character
// after it, as nextToken would have.
void skipPlainText(const PlainText& text);

}  // namespace pendra::reader
