// Fatal errors of the MLP-to-MIF stage: every one ends the translation.
#pragma once

namespace pendra::mif {

// Reports the message through the shared reporter and abandons the translation (the reporter
// throws at its recovery point; if none is registered the abort is thrown here all the same).
[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Abandons the translation without a message.
[[noreturn]] void abandon();

}  // namespace pendra::mif
