#include "mif/tree.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "common/huge_pages.h"
#include "mif/fatal.h"
#include "mif/writer.h"

namespace pendra::mif {

namespace {

constexpr const char* kBadCall = "bad call to MIF output function";
// A freed node keeps a text buffer up to this size: most strings of running text fit in it.
constexpr std::size_t kKeptTextCapacity = 2 * kStringPieceLength;

bool isGroup(const MifNode* node) {
  return opKind(node->op) == 'P';
}

// Puts a node and its descendants on `freed`, children first (an iterative walk: a deep tree must
// not exhaust the stack), and the spills of the stand-ins among them on `standIns`: their nodes
// are written by now, or never will be.
void collectFreed(MifNode* node, std::vector<MifNode*>& walk, std::vector<MifNode*>& freed,
                  std::vector<Spill*>& standIns) {
  walk.clear();
  walk.push_back(node);
  for (std::size_t i = 0; i < walk.size(); ++i) {
    if (!isGroup(walk[i])) continue;
    for (MifNode* child = walk[i]->child; child; child = child->last ? nullptr : child->next)
      walk.push_back(child);
  }
  for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
    MifNode* gone = *it;
    if (gone->spill) standIns.push_back(gone->spill);
    // The node is cleared when it is taken again; a long text is given back now, a short one's
    // buffer is kept for the next String node.
    if (gone->text.capacity() > kKeptTextCapacity) std::string().swap(gone->text);
    gone->op = kSentinelOp;
    gone->child = nullptr;
    freed.push_back(gone);
  }
}

// Releases the packed nodes of spills whose stand-ins are released and keeps the spills for reuse.
void recycleSpills(std::vector<Spill*>& standIns);

// Writes the batches of complete siblings out (packs them into their spills) as they come, on
// the thread that builds the tree, and gives the written nodes back to the pool. (A second thread
// doing this did not pay: it counted as many instructions, its hand-over of nodes between threads
// cost what it saved, and it shared the nodes themselves.)
class SpillWriter {
 public:
  void post(Spill* spill, MifNode* first, MifNode* last, std::vector<MifNode*>& pool) {
    for (MifNode* node = first;;) {
      MifNode* following = node->next;
      bool end = node == last;
      spillNode(*spill, node);
      collectFreed(node, walk_, pool, standIns_);
      if (end) break;
      node = following;
    }
    // A stand-in in a batch is complete, and every batch of its own came before: its packed
    // nodes have moved into the batch.
    recycleSpills(standIns_);
  }

 private:
  std::vector<MifNode*> walk_;  // the work lists, kept to spare an allocation per batch
  std::vector<Spill*> standIns_;
};

// The packed nodes' memory is mapped this much at a time: one huge page.
constexpr std::size_t kPackedChunk = memory::kHugePage;

// Chunks of memory handed out front to back and given back all at once.
class PackedMemory {
 public:
  PackedMemory() = default;
  PackedMemory(const PackedMemory&) = delete;
  PackedMemory& operator=(const PackedMemory&) = delete;
  ~PackedMemory() { release(); }

  char* take(std::size_t n) {
    if (memory::addressSpaceLimited()) {
      // Under a limit on the address space each block comes from the heap on its own, within
      // the room the heap has reserved: a chunk mapped apart would take room a thread needs.
      chunks_.reserve(chunks_.size() + 1);
      chunks_.push_back({{new char[n], false}, n});
      return chunks_.back().memory.base;
    }
    if (n > left_) {
      // The rest of the current chunk is left unused: a block is at most a small part of one.
      std::size_t size =
          n <= kPackedChunk ? kPackedChunk : (n + kPackedChunk - 1) & ~(kPackedChunk - 1);
      chunks_.reserve(chunks_.size() + 1);  // so that a chunk taken is always recorded
      memory::HugeMemory chunk = memory::takeHuge(size);
      chunks_.push_back({chunk, size});
      next_ = chunk.base;
      left_ = size;
    }
    char* p = next_;
    next_ += n;
    left_ -= n;
    return p;
  }

  void release() {
    for (const Chunk& c : chunks_) memory::giveBackHuge(c.memory, c.size);
    chunks_.clear();
    next_ = nullptr;
    left_ = 0;
  }

 private:
  struct Chunk {
    memory::HugeMemory memory;
    std::size_t size;
  };

  std::vector<Chunk> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

// The nodes made in a translation, in chunks that live until it ends. A long document keeps some
// thousands of nodes at once, and every small page of them costs a fault the first time it is
// written: past a first chunk from the heap, enough for a short document, each chunk is a huge
// page.
class NodePool {
 public:
  NodePool() = default;
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;
  ~NodePool() { clear(); }

  // Out of line: most nodes come from the free list, and the caller is on every node's path.
  [[gnu::noinline]] MifNode* make() {
    if (chunks_.empty() || chunks_.back().made == chunks_.back().room) grow();
    Chunk& chunk = chunks_.back();
    MifNode* node = std::construct_at(chunk.nodes + chunk.made);
    ++chunk.made;
    ++count_;
    return node;
  }

  // Nodes made since the last clear.
  std::size_t size() const { return count_; }

  void clear() {
    for (const Chunk& c : chunks_) {
      std::destroy_n(c.nodes, c.made);
      memory::giveBackHuge(c.memory, c.bytes);
    }
    chunks_.clear();
    count_ = 0;
  }

 private:
  static constexpr std::size_t kFirstChunkNodes = 1024;
  static constexpr std::size_t kHugeChunkNodes = memory::kHugePage / sizeof(MifNode);

  struct Chunk {
    memory::HugeMemory memory;
    std::size_t bytes;
    MifNode* nodes;
    std::size_t room;  // nodes the chunk holds
    std::size_t made;  // nodes made in it
  };

  void grow() {
    chunks_.reserve(chunks_.size() + 1);  // so that a chunk taken is always recorded
    // Under a limit on the address space every chunk comes from the heap, within the room it has
    // reserved (see PackedMemory).
    bool huge = !chunks_.empty() && !memory::addressSpaceLimited();
    std::size_t room = huge ? kHugeChunkNodes : kFirstChunkNodes;
    std::size_t bytes = huge ? memory::kHugePage : room * sizeof(MifNode);
    memory::HugeMemory got =
        huge ? memory::takeHuge(bytes) : memory::HugeMemory{new char[bytes], false};
    chunks_.push_back({got, bytes, reinterpret_cast<MifNode*>(got.base), room, 0});
  }

  std::vector<Chunk> chunks_;
  std::size_t count_ = 0;
};

struct MifState {
  // Nodes and trees live in pools for one translation; freed nodes go back to the free list.
  NodePool nodes;
  std::vector<MifNode*> freeNodes;
  std::deque<MifTree> trees;
  std::deque<Spill> spills;
  std::vector<Spill*> freeSpills;  // spills whose stand-ins were released, to be taken again
  std::vector<MifNode*> walk;      // freeNode's work list, kept to spare an allocation per call
  std::vector<Spill*> standIns;    // the stand-ins among the nodes freeNode releases
  MifTree* current = nullptr;
  char piece[kStringPieceLength + 1] = {};
  std::size_t fill = 0;
  std::size_t total = 0;
  std::int32_t nextObjectId = 1;
  std::string version;
  bool streaming = true;
  SpillWriter writer;  // writes the batches of complete siblings out
  PackedMemory packed;
};

MifState mif;

MifNode* makeNode(Op op) {
  MifNode* node;
  if (!mif.freeNodes.empty()) {
    node = mif.freeNodes.back();
    mif.freeNodes.pop_back();
    // As new, but the text keeps whatever small buffer it has.
    node->last = true;
    node->next = nullptr;
    node->child = nullptr;
    node->number[0] = node->number[1] = node->number[2] = node->number[3] = 0;
    node->integer = 0;
    node->ref = nullptr;
    node->text.clear();
    node->hasText = false;
    node->spill = nullptr;
  } else {
    node = mif.nodes.make();
  }
  node->op = op;
  return node;
}

void insertNode(MifNode* node);

void closeSpills() {
  mif.spills.clear();
  mif.freeSpills.clear();
  mif.packed.release();
}

// A spill for a new stand-in: every row and frame has one, so they are reused rather than kept.
Spill* newSpill() {
  if (mif.freeSpills.empty()) return &mif.spills.emplace_back();
  Spill* spill = mif.freeSpills.back();
  mif.freeSpills.pop_back();
  *spill = Spill{};
  return spill;
}

void recycleSpills(std::vector<Spill*>& standIns) {
  for (Spill* spill : standIns) {
    std::vector<PackedBlock>().swap(spill->blocks);
    mif.freeSpills.push_back(spill);
  }
  standIns.clear();
}

// Puts a stand-in for the children of `parent` (none: the top level) at the build position.
void insertStandIn(MifTree* tree, MifNode* parent) {
  Spill* spill = newSpill();
  spill->parent = parent;
  spill->outer = tree->spillMarker;
  MifNode* marker = makeNode(kRawTextOp);
  marker->spill = spill;
  insertNode(marker);
  tree->spillMarker = marker;
}

// The siblings after the stand-in up to `done` are complete: they are handed over to be written
// out and released. The stand-in is then followed by nothing; the caller links the next node in.
void spillSiblings(MifNode* marker, MifNode* done) {
  Spill& spill = *marker->spill;
  for (MifNode* node = marker->next;; node = node->next) {
    ++spill.nodes;
    if (node == done) break;
  }
  mif.writer.post(&spill, marker->next, done, mif.freeNodes);
}

// Links a node in at the build position of the current tree and makes it the cursor.
void insertNode(MifNode* node) {
  MifTree* tree = mif.current;
  MifNode* cursor = tree->cursor;
  MifNode* marker = tree->spillMarker;
  if (marker && cursor && cursor->last && cursor->next == marker->spill->parent &&
      !(isGroup(cursor) && !cursor->child)) {
    // A new sibling at the streamed level: every sibling before it is complete. Once enough of
    // them wait after the stand-in, they go out, and the new node follows the stand-in.
    Spill& spill = *marker->spill;
    if (cursor != marker && spill.pending >= kSpillBatch) {
      spillSiblings(marker, cursor);
      node->next = spill.parent;
      node->last = true;
      marker->next = node;
      marker->last = false;
      tree->cursor = node;
      spill.pending = 1;
      return;
    }
    ++spill.pending;
  }
  if (!cursor) {
    node->last = true;
    node->next = nullptr;
    tree->first = node;
  } else if (isGroup(cursor) && !cursor->child) {
    cursor->child = node;
    node->next = cursor;
    node->last = true;
  } else {
    node->next = cursor->next;
    node->last = cursor->last;
    cursor->next = node;
    cursor->last = false;
  }
  tree->cursor = node;
}

MifNode* newLeaf(Op op, char kind) {
  if (!mif.current || opKind(op) != kind) fatal("%s", kBadCall);
  MifNode* node = makeNode(op);
  insertNode(node);
  return node;
}

}  // namespace

void initMif(const char* versionText) {
  releaseMif();
  mif.nextObjectId = 1;
  mif.version = versionText ? versionText : "";
}

const char* mifVersionText() {
  return mif.version.c_str();
}

void releaseMif() {
  closeSpills();
  mif.nodes.clear();
  mif.freeNodes.clear();
  mif.trees.clear();
  mif.current = nullptr;
  mif.fill = 0;
  mif.total = 0;
}

MifTree* newMifTree() {
  return &mif.trees.emplace_back();
}

MifTree* setCurrentTree(MifTree* tree) {
  if (!tree) fatal("%s", kBadCall);
  MifTree* previous = mif.current;
  mif.current = tree;
  return previous;
}

MifTree* currentTree() {
  return mif.current;
}

MifNode* cursorNode() {
  return mif.current ? mif.current->cursor : nullptr;
}

void beginGroup(Op op) {
  newLeaf(op, 'P');
  if (op == Op::ParaLine) newLeaf(kPlaceholderOp, 's')->ref = "";
}

void endGroup(Op op) {
  MifNode* cursor = cursorNode();
  // A stand-in that nothing has followed leaves its group as empty as it was before streaming.
  if (cursor && cursor->spill && cursor->spill->nodes == 0 && cursor->last &&
      cursor->next == cursor->spill->parent && cursor->next && cursor->next->child == cursor)
    cursor = cursor->next;
  if (!cursor || !cursor->last || !cursor->next) fatal("%s", kBadCall);
  // An empty group at the cursor is itself the innermost open group: closing it is an error even
  // when its parent happens to carry the same operator.
  if (cursor->op == op && isGroup(cursor) && !cursor->child) fatal("empty %s grouping", opName(op));
  MifNode* open = cursor->next;
  if (open->op != op) fatal("mismatched MIF: %s with %s\n", opName(open->op), opName(op));
  mif.current->cursor = open;
  // A nested streamed group that closes hands streaming back to the group around it.
  MifNode* marker = mif.current->spillMarker;
  if (marker && marker->spill->outer && marker->spill->parent == open)
    mif.current->spillMarker = marker->spill->outer;
}

void addLeaf(Op op) {
  char kind = opKind(op);
  if (kind != 'O' && kind != 'P') fatal("%s", kBadCall);
  newLeaf(op, kind);
}

void addLeaf(Op op, std::int32_t value) {
  newLeaf(op, 'N')->integer = value;
}

void addLeaf(Op op, float value) {
  if (opKind(op) != 'D' && opKind(op) != 'F') fatal("%s", kBadCall);
  newLeaf(op, opKind(op))->number[0] = value;
}

void addLeaf(Op op, float x, float y) {
  MifNode* node = newLeaf(op, 'C');
  node->number[0] = x;
  node->number[1] = y;
}

void addLeaf(Op op, float a, float b, float c, float d) {
  MifNode* node = newLeaf(op, 'Q');
  node->number[0] = a;
  node->number[1] = b;
  node->number[2] = c;
  node->number[3] = d;
}

void addLeaf(Op op, const char* text) {
  char kind = opKind(op);
  if (kind != 'T' && kind != 's' && kind != 'S') fatal("%s", kBadCall);
  MifNode* node = newLeaf(op, kind);
  if (kind == 'S') {
    if (text) {
      node->text = text;
      node->hasText = true;
    }
  } else {
    node->ref = text;
  }
}

void beginString(Op op) {
  newLeaf(op, 'S');
  mif.fill = 0;
  mif.total = 0;
}

void addStringChar(int c) {
  mif.piece[mif.fill++] = static_cast<char>(c);
  if (mif.fill == kStringPieceLength) flushString();
}

void addStringText(const char* text, std::size_t n) {
  while (n > 0) {
    std::size_t take = std::min(n, kStringPieceLength - mif.fill);
    std::memcpy(mif.piece + mif.fill, text, take);
    mif.fill += take;
    text += take;
    n -= take;
    if (mif.fill == kStringPieceLength) flushString();
  }
}

void flushString() {
  MifNode* cursor = cursorNode();
  if (!cursor || opKind(cursor->op) != 'S') fatal("%s", kBadCall);
  if (mif.fill > 0) {
    cursor->text.append(mif.piece, mif.fill);
    cursor->hasText = true;
  }
  mif.total += mif.fill;
  mif.fill = 0;
}

void addRawText(const char* text) {
  if (!mif.current) fatal("%s", kBadCall);
  MifNode* node = makeNode(kRawTextOp);
  node->text = text ? text : "";
  node->hasText = true;
  insertNode(node);
}

void setStreaming(bool on) {
  mif.streaming = on;
}

void streamTree(MifTree* tree) {
  if (!tree || tree != mif.current || tree->spillMarker) fatal("%s", kBadCall);
  if (!mif.streaming) return;
  // The open, empty group at the cursor has its children streamed; an empty tree its top level.
  MifNode* parent = nullptr;
  if (tree->first) {
    parent = tree->cursor;
    if (!parent || !isGroup(parent) || parent->child) fatal("%s", kBadCall);
  }
  insertStandIn(tree, parent);
}

void streamGroup() {
  MifTree* tree = mif.current;
  if (!tree || !tree->spillMarker) return;
  MifNode* group = tree->cursor;
  if (!group || !isGroup(group) || group->child) fatal("%s", kBadCall);
  insertStandIn(tree, group);
}

namespace {

// Empties `tree` and hands each of its top-level nodes, in order, to `take`.
template <typename Take>
void takeNodes(MifTree* tree, Take take) {
  MifNode* node = tree->first;
  tree->first = nullptr;
  tree->cursor = nullptr;
  tree->spillMarker = nullptr;
  while (node) {
    MifNode* following = node->last ? nullptr : node->next;
    take(node);
    node = following;
  }
}

}  // namespace

void spliceTree(MifTree* tree) {
  if (!mif.current || !tree || tree == mif.current) fatal("%s", kBadCall);
  takeNodes(tree, insertNode);
}

void discardTree(MifTree* tree) {
  if (!tree) return;
  takeNodes(tree, freeNode);
}

Op currentGroupOp() {
  MifNode* cursor = cursorNode();
  if (!cursor) return kSentinelOp;
  if (isGroup(cursor) && !cursor->child) return cursor->op;
  MifNode* parent = parentOf(cursor);
  return parent ? parent->op : kSentinelOp;
}

MifNode* parentOf(MifNode* node) {
  while (node && !node->last) node = node->next;
  return node ? node->next : nullptr;
}

std::int32_t newObjectId() {
  return mif.nextObjectId++;
}

void freeNode(MifNode* node) {
  if (!node) return;
  mif.standIns.clear();
  collectFreed(node, mif.walk, mif.freeNodes, mif.standIns);
  recycleSpills(mif.standIns);
}

char* packedMemory(std::size_t n) {
  return mif.packed.take(n);
}

void releaseSpills() {
  closeSpills();
}

std::size_t liveNodeCount() {
  return mif.nodes.size() - mif.freeNodes.size();
}

std::size_t spillCount() {
  return mif.spills.size();
}

std::size_t childCount(const MifNode* group) {
  std::size_t count = 0;
  if (!group || opKind(group->op) != 'P') return count;
  for (const MifNode* child = group->child; child; child = child->last ? nullptr : child->next)
    ++count;
  return count;
}

}  // namespace pendra::mif
