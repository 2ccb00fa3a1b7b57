#include "mif/tree.h"

#include <deque>
#include <vector>

#include "mif/fatal.h"

namespace pendra::mif {

namespace {

constexpr const char* kBadCall = "bad call to MIF output function";

struct MifState {
  // Nodes and trees live in pools for one translation; freed nodes go back to the free list.
  std::deque<MifNode> nodes;
  std::vector<MifNode*> freeNodes;
  std::deque<MifTree> trees;
  MifTree* current = nullptr;
  char piece[kStringPieceLength + 1] = {};
  std::size_t fill = 0;
  std::size_t total = 0;
  std::int32_t nextObjectId = 1;
  std::string version;
};

MifState mif;

bool isGroup(const MifNode* node) {
  return opKind(node->op) == 'P';
}

MifNode* makeNode(Op op) {
  MifNode* node;
  if (!mif.freeNodes.empty()) {
    node = mif.freeNodes.back();
    mif.freeNodes.pop_back();
    *node = MifNode{};
  } else {
    node = &mif.nodes.emplace_back();
  }
  node->op = op;
  return node;
}

// Links a node in at the build position of the current tree and makes it the cursor.
void insertNode(MifNode* node) {
  MifTree* tree = mif.current;
  MifNode* cursor = tree->cursor;
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
  mif.nodes.clear();
  mif.freeNodes.clear();
  mif.trees.clear();
  mif.current = nullptr;
  mif.fill = 0;
  mif.total = 0;
  mif.nextObjectId = 1;
  mif.version = versionText ? versionText : "";
  for (std::size_t code = 0; code + 1 < kMifOperatorCount; ++code) {
    if (kMifOperators[code].code != code)
      fatal("MIF Operator Table inconsistent (%s)", kMifOperators[code].name);
  }
}

const char* mifVersionText() {
  return mif.version.c_str();
}

void releaseMif() {
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
  if (!cursor || !cursor->last || !cursor->next) fatal("%s", kBadCall);
  // An empty group at the cursor is itself the innermost open group: closing it is an error even
  // when its parent happens to carry the same operator.
  if (cursor->op == op && isGroup(cursor) && !cursor->child) fatal("empty %s grouping", opName(op));
  MifNode* open = cursor->next;
  if (open->op != op) fatal("mismatched MIF: %s with %s\n", opName(open->op), opName(op));
  mif.current->cursor = open;
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

void spliceTree(MifTree* tree) {
  if (!mif.current || !tree || tree == mif.current) fatal("%s", kBadCall);
  MifNode* node = tree->first;
  tree->first = nullptr;
  tree->cursor = nullptr;
  while (node) {
    MifNode* following = node->last ? nullptr : node->next;
    insertNode(node);
    node = following;
  }
}

void discardTree(MifTree* tree) {
  if (!tree) return;
  MifNode* node = tree->first;
  tree->first = nullptr;
  tree->cursor = nullptr;
  while (node) {
    MifNode* following = node->last ? nullptr : node->next;
    freeNode(node);
    node = following;
  }
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
  // Iterative walk: a deep tree must not exhaust the stack while it is released.
  std::vector<MifNode*> order{node};
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (!isGroup(order[i])) continue;
    for (MifNode* child = order[i]->child; child; child = child->last ? nullptr : child->next)
      order.push_back(child);
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    MifNode* freed = *it;
    *freed = MifNode{};
    freed->op = kSentinelOp;
    mif.freeNodes.push_back(freed);
  }
}

std::size_t childCount(const MifNode* group) {
  std::size_t count = 0;
  if (!group || opKind(group->op) != 'P') return count;
  for (const MifNode* child = group->child; child; child = child->last ? nullptr : child->next)
    ++count;
  return count;
}

}  // namespace pendra::mif
