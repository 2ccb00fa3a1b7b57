// MathNode creation, operand access by kind, and iterative freeing.
#include "math/node.h"

#include <memory>

#include "math/state.h"
#include "reader/report.h"

namespace pendra::math {

namespace {

constexpr const char* kKindNames[] = {
    "Nullary", "Spacing", "StrLiteral", "CharLiteral", "Prefix",       "Postfix",    "Diacritical",
    "Id",      "Infix",   "Nary",       "BigOp",       "SubSupScript", "UndefArity",
};

constexpr const char* kOperandError = "Internal error in FrameMath";

// Moves every node that `node` owns onto `out`.
void detachChildren(MathNode& node, std::vector<NodePtr>& out) {
  auto take = [&out](NodePtr& p) {
    if (p) out.push_back(std::move(p));
  };
  take(node.next);
  for (NodePtr& p : node.operands) take(p);
  take(node.accent);
  take(node.bracket);
  for (NodePtr& p : node.list) take(p);
  node.list.clear();
  for (NodePtr& p : node.limits) take(p);
  for (NodePtr& p : node.cells) take(p);
  node.cells.clear();
}

// The field that operand `index` of `node` lives in, or nullptr. `grow` lets a Nary list grow to
// hold the index; `quiet` suppresses the message for access outside the kind's fields.
NodePtr* operandSlot(MathNode* node, int index, bool grow, bool quiet) {
  auto fail = [quiet]() -> NodePtr* {
    if (!quiet) reader::report("%s", kOperandError);
    return nullptr;
  };
  if (!node || index < 0) return fail();
  switch (node->kind) {
    case NodeKind::Prefix:
    case NodeKind::Postfix:
      if (index > 0 && !quiet) reader::report("%s", kOperandError);
      return &node->operands[0];
    case NodeKind::Diacritical:
      if (index > 0 && !quiet) reader::report("%s", kOperandError);
      return &node->accent;
    case NodeKind::Id:
      if (index > 0 && !quiet) reader::report("%s", kOperandError);
      return &node->bracket;
    case NodeKind::Infix:
      if (index >= 2) return fail();
      return &node->operands[index];
    case NodeKind::Nary:
      if (static_cast<std::size_t>(index) >= node->list.size()) {
        if (!grow) return nullptr;
        node->list.resize(static_cast<std::size_t>(index) + 1);
      }
      return &node->list[static_cast<std::size_t>(index)];
    case NodeKind::BigOp:
    case NodeKind::SubSupScript:
      if (index >= 3) return fail();
      return &node->limits[index];
    case NodeKind::UndefArity:
      if (static_cast<std::size_t>(index) >= node->cells.size()) return grow ? fail() : nullptr;
      return &node->cells[static_cast<std::size_t>(index)];
    default:
      return fail();
  }
}

}  // namespace

const char* kindName(NodeKind kind) {
  int k = static_cast<int>(kind);
  if (k < 0 || k > static_cast<int>(NodeKind::UndefArity))
    k = static_cast<int>(NodeKind::UndefArity);
  return kKindNames[k];
}

namespace {

// Under the address sanitizer every node comes from its allocator, which then sees a node used
// after it was freed.
#if defined(__SANITIZE_ADDRESS__)
#define PENDRA_MATH_NODES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PENDRA_MATH_NODES_FROM_HEAP 1
#endif
#endif

// The most freed nodes kept for reuse, on each thread that makes nodes.
constexpr std::size_t kKeptNodes = 4096;

// What a thread keeps for its nodes: the memory of freed nodes, and the list that the nodes of a
// tree wait in while it is freed (one list, taken once, rather than a list made for every tree).
struct NodeKeep {
  std::vector<void*> memory;  // room for kKeptNodes, made with the first node
  std::vector<NodePtr> toFree;
  NodeKeep() = default;
  NodeKeep(const NodeKeep&) = delete;
  NodeKeep& operator=(const NodeKeep&) = delete;
  ~NodeKeep();
};

thread_local NodeKeep keep;
// Set once the thread's NodeKeep is destroyed: a thread's objects go in the reverse order of
// their making, so nodes held by an object made before it (the state of a conversion stopped in
// the middle of a formula, freed at exit) are freed after it, to the heap and without the list.
// A bool has no destructor: it can be read until the thread ends.
thread_local bool keepGone = false;
thread_local bool freeingNodes = false;

NodeKeep::~NodeKeep() {
  keepGone = true;
  for (void* node : memory) ::operator delete(node);
}

}  // namespace

void* MathNode::operator new(std::size_t size) {
#ifndef PENDRA_MATH_NODES_FROM_HEAP
  if (size == sizeof(MathNode) && !keepGone) {
    std::vector<void*>& kept = keep.memory;
    if (!kept.empty()) {
      void* node = kept.back();
      kept.pop_back();
      return node;
    }
    if (kept.capacity() == 0) kept.reserve(kKeptNodes);
  }
#endif
  return ::operator new(size);
}

void MathNode::operator delete(void* memory, std::size_t size) noexcept {
#ifndef PENDRA_MATH_NODES_FROM_HEAP
  // The room was made beforehand: keeping a node never allocates.
  if (size == sizeof(MathNode) && !keepGone && keep.memory.size() < keep.memory.capacity()) {
    keep.memory.push_back(memory);
    return;
  }
#endif
  ::operator delete(memory, size);
}

namespace {

// Whether the node owns any other node.
bool ownsNodes(const MathNode& node) {
  return node.next || node.operands[0] || node.operands[1] || node.operands[2] || node.accent ||
         node.bracket || !node.list.empty() || node.limits[0] || node.limits[1] || node.limits[2] ||
         !node.cells.empty();
}

}  // namespace

MathNode::~MathNode() {
  // The nodes that the loop below frees own nothing by then: most nodes end here.
  if (!ownsNodes(*this)) return;
  std::vector<NodePtr> own;
  std::vector<NodePtr>& pending = freeingNodes || keepGone ? own : keep.toFree;
  bool outermost = !freeingNodes;
  freeingNodes = true;
  std::size_t base = pending.size();
  detachChildren(*this, pending);
  while (pending.size() > base) {
    NodePtr node = std::move(pending.back());
    pending.pop_back();
    detachChildren(*node, pending);
  }
  if (outermost) freeingNodes = false;
}

NodePtr makeNode(NodeKind kind, const MathOperator* op, const MathFont& font) {
  auto node = std::make_unique<MathNode>();
  if (!op) {
    node->op = specialRow(SpecialRow::Char);
    node->kind = NodeKind::CharLiteral;
    node->character = '?';
    node->font = font;
    return node;
  }
  node->op = op;
  node->kind = kind;
  switch (kind) {
    case NodeKind::StrLiteral:
    case NodeKind::CharLiteral:
      node->character = ' ';
      node->font = font;
      break;
    case NodeKind::Diacritical:
      node->accentCodes = {'0', '0', '0', '0', '0'};
      break;
    case NodeKind::Id:
      node->bracketFormat = {'i', '-'};
      break;
    default:
      break;
  }
  return node;
}

MathNode* newNode(NodeKind kind, const MathOperator* op, const MathFont& font) {
  return appendToCurrentFrame(makeNode(kind, op, font));
}

MathNode* getOperand(MathNode* node, int index) {
  NodePtr* slot = operandSlot(node, index, false, false);
  return slot ? slot->get() : nullptr;
}

void setOperand(MathNode* node, int index, NodePtr value) {
  if (NodePtr* slot = operandSlot(node, index, true, false)) *slot = std::move(value);
}

namespace {

// The place of operand `index` when the node's kind has it, without any message.
NodePtr* exactSlot(const MathNode* node, int index) {
  if (!node) return nullptr;
  switch (node->kind) {
    case NodeKind::Prefix:
    case NodeKind::Postfix:
    case NodeKind::Diacritical:
    case NodeKind::Id:
      if (index > 0) return nullptr;
      break;
    default:
      break;
  }
  return operandSlot(const_cast<MathNode*>(node), index, false, true);
}

}  // namespace

NodePtr takeOperand(MathNode* node, int index) {
  NodePtr* slot = exactSlot(node, index);
  return slot ? std::move(*slot) : nullptr;
}

MathNode* peekOperand(const MathNode* node, int index) {
  NodePtr* slot = exactSlot(node, index);
  return slot ? slot->get() : nullptr;
}

int operandCount(const MathNode* node) {
  if (!node) return 0;
  switch (node->kind) {
    case NodeKind::Prefix:
    case NodeKind::Postfix:
    case NodeKind::Diacritical:
    case NodeKind::Id:
      return 1;
    case NodeKind::Infix:
      return 2;
    case NodeKind::Nary:
      return static_cast<int>(node->list.size());
    case NodeKind::BigOp:
    case NodeKind::SubSupScript:
      return 3;
    case NodeKind::UndefArity:
      return static_cast<int>(node->cells.size());
    default:
      return 0;
  }
}

NodePtr moveContent(MathNode& node) {
  auto moved = std::make_unique<MathNode>(std::move(node));
  NodePtr rest = std::move(moved->next);
  // The moved-from node owns nothing now: it is made again in place, as new.
  std::destroy_at(&node);
  std::construct_at(&node);
  node.next = std::move(rest);
  return moved;
}

MathNode* lastNode(MathNode* chain) {
  while (chain && chain->next) chain = chain->next.get();
  return chain;
}

int chainLength(const MathNode* chain) {
  int n = 0;
  for (; chain; chain = chain->next.get()) ++n;
  return n;
}

}  // namespace pendra::math
