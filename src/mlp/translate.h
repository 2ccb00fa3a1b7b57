// The MLP-to-MIF stage: reads an MLP channel and builds the MIF document tree.
#pragma once

#include "fdk/fdk.h"

namespace pendra::mlp {

// Translates the whole MLP text of `channel`, followed by that of `continuation` if there is one,
// into the current MIF tree. False when the translation was abandoned after an error; the tree is
// then not to be written.
bool translateMlp(ChannelT channel, bool verbose, const char* versionText,
                  ChannelT continuation = nullptr);

}  // namespace pendra::mlp
