// The MLP-to-MIF stage's messages: every one ends the translation. The stage reports through here
// alone, never through the LaTeX reader's reporter, so its messages carry the MLP line and no
// LaTeX file name.
#pragma once

#include <cstddef>

namespace pendra::mif {

// Bytes of a message; a longer one is cut.
constexpr std::size_t kFatalMessageSize = 256;

// Thrown by fatal() and abandon(); translateMlp catches it and abandons the translation.
struct TranslationAbort {};

// The line counter whose value prefixes every message (nullptr: no prefix): the MLP reader's
// while a translation runs.
void setMessageLine(const int* lineCounter);

// Prints "line: message\n" and abandons the translation.
[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Abandons the translation without a message.
[[noreturn]] void abandon();

}  // namespace pendra::mif
