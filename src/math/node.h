// MathNode: one node of a math expression, the chains that nodes form, and the small operations
// on nodes that the parser, the layout passes and the writers share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/operator.h"
#include "output/fonts.h"

namespace pendra::math {

// Deepest nesting that any recursive walk over a math tree follows; trees built from input can
// be deeper (x!!!..., ((((...)))), and the walks stop there instead of exhausting the stack.
constexpr int kMaxTreeDepth = 256;

// The font a literal was made in (family, size index, style bits), copied from the current font.
using MathFont = output::Font;

enum class NodeKind : std::int32_t {
  Nullary,
  Spacing,
  StrLiteral,
  CharLiteral,
  Prefix,
  Postfix,
  Diacritical,
  Id,
  Infix,
  Nary,
  BigOp,
  SubSupScript,
  UndefArity,
  // A root operator (\sqrt) between its %k code and its format code s, which makes it Prefix or
  // Infix; nothing else sees this kind.
  Root,
};

// Name printed by the tree dump; kinds above UndefArity print its name.
const char* kindName(NodeKind kind);

struct MathNode;
using NodePtr = std::unique_ptr<MathNode>;

constexpr int kAccentCodeCount = 5;
// Units in one em of the current size.
constexpr int kUnitsPerEm = 4;

// A node owns the rest of its chain (`next`) and every node it holds as an operand. Only the
// fields of its kind are used.
struct MathNode {
  const MathOperator* op = nullptr;
  NodeKind kind = NodeKind::Nullary;
  NodePtr next;
  NodePtr operands[3];  // Prefix and Postfix use the first, Infix the first two
  MathFont font;        // StrLiteral, CharLiteral
  std::string string;   // StrLiteral
  char character = 0;   // CharLiteral
  NodePtr accent;       // Diacritical
  std::array<char, kAccentCodeCount> accentCodes{};
  NodePtr bracket;                      // Id
  std::array<char, 2> bracketFormat{};  // 'i' and the bracket type: 0 () 1 [] 2 {} - none
  std::vector<NodePtr> list;            // Nary; the count is list.size()
  std::int32_t spaces = 0;              // Spacing, in quarter ems
  NodePtr limits[3];  // BigOp body, lower, upper; SubSupScript base, subscript, superscript
  std::vector<NodePtr> cells;  // UndefArity, row by row
  std::int16_t rows = 0;
  std::int16_t columns = 0;

  MathNode() = default;
  MathNode(MathNode&&) = default;
  MathNode& operator=(MathNode&&) = default;
  // Frees what the node owns without recursion, so that long chains and deep trees are safe.
  ~MathNode();

  // A document's formulas make and free nodes by the ten thousand: the memory of freed nodes is
  // kept for the next ones (node.cpp), where the general heap costs several times as much.
  static void* operator new(std::size_t size);
  static void operator delete(void* memory, std::size_t size) noexcept;

  char bracketType() const { return bracketFormat[1]; }
};

// A detached node of `kind` with its kind's start values. A null `op` makes the CharLiteral `char`
// holding '?' instead (the stand-in for an operator missing from its table).
NodePtr makeNode(NodeKind kind, const MathOperator* op, const MathFont& font);

// Makes a node as makeNode does and appends it to the chain of the current math frame.
MathNode* newNode(NodeKind kind, const MathOperator* op, const MathFont& font);

// Operand `index` of `node` by its kind (see MathNode), or nullptr. Access outside the kind's
// fields reports "Internal error in FrameMath".
MathNode* getOperand(MathNode* node, int index);
// Stores `value` as operand `index`, freeing what was there. For a Nary an index at or beyond the
// count grows the list (index = count appends).
void setOperand(MathNode* node, int index, NodePtr value);
// Takes operand `index` out of `node`; the place is left empty.
NodePtr takeOperand(MathNode* node, int index);
// Operand `index` when the kind has that field, else nullptr; reports nothing.
MathNode* peekOperand(const MathNode* node, int index);
// Number of operand places of the node's kind (the list count, the cell count).
int operandCount(const MathNode* node);

// Moves everything but the chain link into a new node; `node` is left as a fresh Nullary node
// without operator that still links to the rest of its chain.
NodePtr moveContent(MathNode& node);

MathNode* lastNode(MathNode* chain);
int chainLength(const MathNode* chain);

}  // namespace pendra::math
