// The first stage's reset: one conversion's state, rebuilt from its defaults.
#pragma once

#include "fdk/fdk.h"
#include "reader/input.h"

namespace pendra::driver {

// Resets every subsystem of the LaTeX stage, each through its own init and in the order they
// build on each other (the symbol table before the lengths and macros the picture layer defines),
// so that a conversion starts from the same state whatever ran before it, a stopped conversion
// included. The MLP body goes to `body`; `sourceDir` stays the caller's. Messages carry the
// reader's line from here on.
void resetLatexStage(const reader::ReadOptions& options, FilePathT sourceDir, ChannelT body);

}  // namespace pendra::driver
