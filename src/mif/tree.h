// The MIF document tree: statements built in memory by the MLP handlers and written out by the
// writer once the translation has succeeded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mif/operator_table.h"

namespace pendra::mif {

// The nodes of a streamed tree that were written out early (see streamTree): they wait in
// memory in a packed form (an operator byte and its values, see writer.cpp), a fraction of the
// size of their nodes or of their MIF text, and are formatted into the file when it is written,
// their line numbers being known only then. The blocks grow in size, so that a short row or
// picture takes a small one; a packed node never straddles two blocks.
struct MifNode;
struct PackedBlock {
  char* bytes = nullptr;     // the block's memory, held by the packed memory (packedMemory)
  std::size_t size = 0;      // bytes packed
  std::size_t capacity = 0;  // bytes allocated
};

// Memory for `n` bytes of packed nodes. It is carved from large chunks that live until the
// spills are released (releaseSpills, releaseMif), mapped with huge pages where the system has
// them: packed nodes are written once and kept, and every fresh small page costs a fault.
char* packedMemory(std::size_t n);
struct Spill {
  std::vector<PackedBlock> blocks;
  MifNode* parent = nullptr;  // the open group whose children are streamed; none at the top level
  MifNode* outer = nullptr;   // the stand-in of the enclosing streamed group, for a nested one
  std::size_t nodes = 0;      // siblings written so far
  std::size_t pending = 0;    // siblings after the stand-in, still in memory
  bool stopped = false;       // a node that cannot be written ended the output there
};

// Complete siblings of a streamed group are written out this many at a time, so that a short
// group (a small table, say) never needs a temporary file.
constexpr std::size_t kSpillBatch = 32;

// Running text is gathered this many characters at a time before a String node's text grows.
constexpr std::size_t kStringPieceLength = 255;

// One MIF statement. Siblings are linked by `next`; the last child of a group (and the last
// top-level node of a tree) has `last` set, and its `next` leads back to the parent group (none at
// the top level), so walking `next` from any child ends at its parent.
struct MifNode {
  Op op = Op::ZZZ;
  bool last = true;
  MifNode* next = nullptr;
  MifNode* child = nullptr;   // P: the first child, none while the group is empty
  float number[4] = {};       // C: x, y; D, F: number[0]; Q: left, top, width, height
  std::int32_t integer = 0;   // N
  const char* ref = nullptr;  // T keyword and s text, held by reference
  std::string text;           // S text and raw MIF text, owned
  bool hasText = false;       // an S node that never received text is written as ** NULL **
  Spill* spill = nullptr;     // the stand-in for the nodes written out early, in their place
};

// Top-level nodes and the build position: the node after which the next node goes, or the open
// empty group that it goes into.
struct MifTree {
  MifNode* first = nullptr;
  MifNode* cursor = nullptr;
  // Set while the tree is streamed: the stand-in of the innermost streamed group; the stand-ins
  // of the groups around it are linked through their spills' `outer`.
  MifNode* spillMarker = nullptr;
};

// Resets the builder for one translation (all nodes and trees of the previous one are released),
// keeps the version text for the file header and checks the operator table.
void initMif(const char* versionText);
const char* mifVersionText();
// Drops every node and tree (after an abandoned translation); there is no current tree after it.
void releaseMif();

MifTree* newMifTree();
// Makes `tree` current and returns the tree that was current before (possibly none).
MifTree* setCurrentTree(MifTree* tree);
MifTree* currentTree();
MifNode* cursorNode();

void beginGroup(Op op);
void endGroup(Op op);

// Leaves, one form per value kind; a form that does not fit the operator's kind is a fatal error.
void addLeaf(Op op);                                      // O, or P as an open empty group
void addLeaf(Op op, std::int32_t value);                  // N
void addLeaf(Op op, float value);                         // D, F
void addLeaf(Op op, float x, float y);                    // C
void addLeaf(Op op, float a, float b, float c, float d);  // Q
void addLeaf(Op op, const char* text);                    // T, s by reference; S copied

void beginString(Op op);
void addStringChar(int c);
// Adds `n` characters at once, as that many addStringChar calls would.
void addStringText(const char* text, std::size_t n);
void flushString();

// Raw MIF text, copied into the file unchanged.
void addRawText(const char* text);

void spliceTree(MifTree* tree);

// Streams a tree that grows long: from now on, whenever a node is added after complete siblings at
// the streamed level (the children of the open, empty group at the cursor, or the top level of an
// empty tree), the siblings before it are written out, a batch at a time, and
// released, so that the tree in memory holds little more than the node being built. The tree must
// be current. The written nodes come back in their place when the tree is written.
void streamTree(MifTree* tree);
// Streams the children of the open, empty group at the cursor as well, inside a streamed tree (a
// table row's cells, a frame's objects), until the group closes;
// nothing when the current tree is not streamed. A stand-in nested in a batch of its enclosing
// group is written out with it.
void streamGroup();
// Trees stream only while streaming is on, as it is by default; a caller that looks at a finished
// tree as a whole turns it off for the translation.
void setStreaming(bool on);
// Closes the temporary files of the streamed trees (once the document has been written).
void releaseSpills();
void discardTree(MifTree* tree);

// The group that the next node would go into; Op::ZZZ at the top level.
Op currentGroupOp();
MifNode* parentOf(MifNode* node);
std::int32_t newObjectId();

// Releases a node and all its descendants, children first.
void freeNode(MifNode* node);

// Nodes in use (made and not yet released) and spills made, in this translation: what the tree
// holds in memory.
std::size_t liveNodeCount();
std::size_t spillCount();

// Number of children of a group node.
std::size_t childCount(const MifNode* group);

}  // namespace pendra::mif
