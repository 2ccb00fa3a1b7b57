// The construct loop's helpers: one argument, a skipped argument, the delimiter code.
#pragma once

namespace pendra::reader {

// Reads one token and runs its template in the current mode; a group it opens is read to its
// closing brace.
void processOneArgument();
// Reads an argument with output suppressed and the font and mode restored afterwards; kind '['
// skips an optional argument (nothing when no '[' follows).
void skipArgument(char kind);
// %q: if a '[' follows the white space, reads the bracketed text as running text.
void processOptionalText();
// %D: sets the delimiter code named by the argument (kNoDelimiter when it names none).
void setDelimiter(const char* argument);

}  // namespace pendra::reader
