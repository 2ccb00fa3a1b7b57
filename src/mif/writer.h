// Writes the current MIF tree as a MIF 4.00 file.
#pragma once

#include "fdk/fdk.h"
#include "mif/tree.h"

namespace pendra::mif {

// Writes the current tree to the channel. With `final` the header goes first, every top-level
// node is released once written and the tree is left empty.
void writeMif(ChannelT channel, bool final);

// Writes one node and its descendants at an indentation level; true when writing must stop (a
// missing node or one of a kind that cannot be written).
bool writeNode(const MifNode* node, int level);

// Writes a node of a streamed tree out early into its spill, packed (a nested stand-in's packed
// nodes move into it).
void spillNode(Spill& spill, const MifNode* node);

// True when the channel refused bytes during the last writeMif; writing stopped there.
bool mifWriteFailed();

}  // namespace pendra::mif
