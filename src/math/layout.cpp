// Layout of math chains: operator strings, blanks, brackets, grouping by spacing, collapse by
// priority, and matrices.
#include "math/layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "reader/report.h"

namespace pendra::math {

namespace {

constexpr const char* kTooDeep = "Excessive nesting of equations";

// One layout's walk: the depth limit is reported once.
struct Walk {
  bool reported = false;
  bool tooDeep(int depth) {
    if (depth < kMaxTreeDepth) return false;
    if (!reported) reader::report("%s", kTooDeep);
    reported = true;
    return true;
  }
};

bool named(const MathNode* node, const char* name) {
  return node && node->op && node->op->name && std::strcmp(node->op->name, name) == 0;
}

bool stops(const MathNode* node, int priority) {
  return node->op && priorityOf(*node->op) >= priority;
}

int splitPriority(const MathNode* node) {
  return node->op ? priorityOf(*node->op) : std::numeric_limits<int>::min();
}

// Takes the chain from `head` up to `prev` out, leaving `prev`'s successor as the new head.
NodePtr cutBefore(NodePtr& head, MathNode* prev) {
  NodePtr self = std::move(prev->next);
  NodePtr left = std::move(head);
  head = std::move(self);
  return left;
}

NodePtr collapseAt(NodePtr head, int depth, Walk& walk);

bool isBareMinus(const MathNode* node) {
  return node->kind == NodeKind::Prefix && !node->operands[0] && named(node, "minus");
}

// The operand of a minus between two operands ends at the next sum or at the next such minus, so
// that a - b - c is (a - b) - c and not a - (b - c).
NodePtr splitMinusOperand(MathNode* first, int priority) {
  for (MathNode* n = first; n->next; n = n->next.get()) {
    if (stops(n->next.get(), priority) || isBareMinus(n->next.get())) return std::move(n->next);
  }
  return nullptr;
}

// \frac{\partial f}{\partial x}: over(partial(f), partial(x)) becomes function(oppartial(x), f).
void rewritePartial(MathNode* node) {
  if (node->kind != NodeKind::Infix || !named(node, "over")) return;
  MathNode* num = node->operands[0].get();
  MathNode* den = node->operands[1].get();
  for (MathNode* part : {num, den}) {
    if (!part || part->kind != NodeKind::Prefix || !named(part, "partial") || part->next) return;
  }
  NodePtr numerator = std::move(node->operands[0]);
  NodePtr denominator = std::move(node->operands[1]);
  node->op = specialRow(SpecialRow::Function);
  NodePtr d = makeNode(NodeKind::Prefix, specialRow(SpecialRow::OpPartial), denominator->font);
  d->operands[0] = std::move(denominator->operands[0]);
  node->operands[0] = std::move(d);
  node->operands[1] = std::move(numerator->operands[0]);
}

// Fills the operands of a Nary from the nodes after it, one element per stretch up to the next
// node of its priority; a following bare sign of the same operator continues the list.
void gatherNary(MathNode* node, int depth, Walk& walk) {
  std::size_t count = node->list.size();
  if (count > 2 || (count == 2 && node->list[1])) return;
  int index = count == 2 ? 1 : static_cast<int>(count);
  for (;;) {
    NodePtr rest = split(node, splitPriority(node));
    setOperand(node, index++, collapseAt(std::move(node->next), depth + 1, walk));
    // A sign that already holds elements of its own is left to stand on its own, so that nothing
    // it holds is lost.
    if (rest && rest->op == node->op && rest->kind == NodeKind::Nary && rest->list.empty()) {
      node->next = std::move(rest->next);
      continue;
    }
    node->next = std::move(rest);
    return;
  }
}

// Collapses the operand that runs from the node after `node` up to its priority.
NodePtr operandAfter(MathNode* node, int depth, Walk& walk) {
  if (!node->next) return nullptr;
  NodePtr rest = split(node->next.get(), splitPriority(node));
  NodePtr operand = collapseAt(std::move(node->next), depth + 1, walk);
  node->next = std::move(rest);
  return operand;
}

NodePtr collapseAt(NodePtr head, int depth, Walk& walk) {
  if (!head || walk.tooDeep(depth)) return head;
  while (head->kind == NodeKind::Spacing && head->next) head = std::move(head->next);
  MathNode* prev = nullptr;
  MathNode* cur = head.get();
  while (cur) {
    switch (cur->kind) {
      case NodeKind::Nullary:
      case NodeKind::StrLiteral:
      case NodeKind::CharLiteral:
      case NodeKind::Diacritical:
      case NodeKind::SubSupScript:
      case NodeKind::UndefArity:
        break;
      case NodeKind::Spacing:
        if (prev) {
          NodePtr gone = std::move(prev->next);
          prev->next = std::move(gone->next);
          cur = prev->next.get();
          continue;
        }
        break;
      case NodeKind::Prefix:
        if (cur->operands[0]) break;
        if (prev && isBareMinus(cur)) {
          // a - b: the minus becomes plus(a, minus(b)).
          const MathOperator* plus = findOperator(OperatorTable::Nary, "plus");
          NodePtr minus = moveContent(*cur);
          cur->op = plus;
          cur->kind = NodeKind::Nary;
          NodePtr left = cutBefore(head, prev);
          setOperand(cur, 0, collapseAt(std::move(left), depth + 1, walk));
          NodePtr rest =
              cur->next ? splitMinusOperand(cur->next.get(), splitPriority(cur)) : nullptr;
          minus->operands[0] = collapseAt(std::move(cur->next), depth + 1, walk);
          setOperand(cur, 1, std::move(minus));
          cur->next = std::move(rest);
          break;
        }
        cur->operands[0] = operandAfter(cur, depth, walk);
        break;
      case NodeKind::Postfix:
        if (cur->operands[0] || !prev) break;
        cur->operands[0] = collapseAt(cutBefore(head, prev), depth + 1, walk);
        break;
      case NodeKind::Id:
        cur->bracket = collapseAt(std::move(cur->bracket), depth + 1, walk);
        break;
      case NodeKind::Infix:
        if (!cur->operands[0] && prev)
          cur->operands[0] = collapseAt(cutBefore(head, prev), depth + 1, walk);
        if (!cur->operands[1]) cur->operands[1] = operandAfter(cur, depth, walk);
        break;
      case NodeKind::Nary:
        if (!peekOperand(cur, 0)) {
          NodePtr left = prev ? collapseAt(cutBefore(head, prev), depth + 1, walk) : nullptr;
          setOperand(cur, 0, std::move(left));
        }
        gatherNary(cur, depth, walk);
        break;
      case NodeKind::BigOp:
        if (!cur->limits[0]) cur->limits[0] = operandAfter(cur, depth, walk);
        break;
      default:
        reader::report("Internal error: %s", "collapse");
        break;
    }
    prev = cur;
    cur = cur->next.get();
  }
  for (MathNode* n = head.get(); n; n = n->next.get()) rewritePartial(n);
  return head;
}

// Step 1: one-byte strings that are operators become operator nodes.
void makeOperatorStrings(MathNode* chain) {
  struct OperatorString {
    char byte;
    NodeKind kind;
    OperatorTable table;
    const char* name;
  };
  static constexpr OperatorString kOperatorStrings[] = {
      {'!', NodeKind::Postfix, OperatorTable::Unary, "fact"},
      {'+', NodeKind::Nary, OperatorTable::Nary, "plus"},
      {',', NodeKind::Nary, OperatorTable::Nary, "comma"},
      {'<', NodeKind::Nary, OperatorTable::Nary, "lessthan"},
      {'=', NodeKind::Nary, OperatorTable::Nary, "equal"},
      {'>', NodeKind::Nary, OperatorTable::Nary, "greaterthan"},
      {'-', NodeKind::Prefix, OperatorTable::Unary, "minus"},
      {'/', NodeKind::Infix, OperatorTable::TwoOperand, "fract"},
  };
  for (MathNode* n = chain; n; n = n->next.get()) {
    if (n->kind != NodeKind::StrLiteral || n->string.size() != 1) continue;
    for (const OperatorString& s : kOperatorStrings) {
      if (n->string[0] != s.byte) continue;
      const MathOperator* row = findOperator(s.table, s.name);
      if (!row) break;
      n->op = row;
      n->kind = s.kind;
      n->string.clear();
      break;
    }
  }
}

int blanksFrom(MathNode* node) {
  if (!node || node->kind != NodeKind::Spacing || node->spaces < kUnitsPerEm) return 0;
  int k = std::min(node->spaces / kUnitsPerEm, kMaxSpacingBlanks);
  node->spaces -= kUnitsPerEm * k;
  return k;
}

// Step 2: an em or more of spacing beside a string (not the first node) becomes blanks in it.
void makeBlanks(MathNode* chain) {
  MathNode* before = chain;
  for (MathNode* n = chain->next.get(); n; before = n, n = n->next.get()) {
    if (n->kind != NodeKind::StrLiteral) continue;
    if (!n->next) break;
    n->string.insert(0, static_cast<std::size_t>(blanksFrom(before)), ' ');
    n->string.append(static_cast<std::size_t>(blanksFrom(n->next.get())), ' ');
  }
}

// The bracket type (0 parentheses, 1 square brackets, 2 braces) of a one-byte literal that is
// one of `brackets`, or -1.
int bracketOf(const MathNode* node, const char* brackets) {
  char c;
  if (node->kind == NodeKind::CharLiteral)
    c = node->character;
  else if (node->kind == NodeKind::StrLiteral && node->string.size() == 1)
    c = node->string[0];
  else
    return -1;
  const char* hit = c ? std::strchr(brackets, c) : nullptr;
  return hit ? static_cast<int>(hit - brackets) : -1;
}

// Step 3: bracket pairs become Id nodes around what they enclose. Inner pairs are found first: an
// opening bracket takes the nearest closing bracket of its type that no bracket after it has
// taken. Done from the right with one stack of closing brackets per type, so that deep nesting
// costs neither stack nor quadratic time.
NodePtr matchBrackets(NodePtr head) {
  // Without a closing bracket no pair is made and the chain stays as it is.
  bool closing = false;
  for (const MathNode* n = head.get(); n && !closing; n = n->next.get())
    closing = bracketOf(n, ")]}") >= 0;
  if (!closing) return head;
  std::vector<NodePtr> items;
  while (head) {
    NodePtr next = std::move(head->next);
    items.push_back(std::move(head));
    head = std::move(next);
  }
  std::vector<std::size_t> skip(items.size());  // index of the next node in the chain
  for (std::size_t i = 0; i < items.size(); ++i) skip[i] = i + 1;
  std::array<std::vector<std::size_t>, 3> closes;
  for (std::size_t i = items.size(); i-- > 0;) {
    if (int t = bracketOf(items[i].get(), ")]}"); t >= 0) {
      closes[static_cast<std::size_t>(t)].push_back(i);
      continue;
    }
    int t = bracketOf(items[i].get(), "([{");
    if (t < 0 || closes[static_cast<std::size_t>(t)].empty()) continue;
    std::size_t j = closes[static_cast<std::size_t>(t)].back();
    closes[static_cast<std::size_t>(t)].pop_back();
    for (auto& other : closes) {
      while (!other.empty() && other.back() < j) other.pop_back();
    }
    NodePtr content;
    MathNode* tail = nullptr;
    for (std::size_t k = i + 1; k < j; k = skip[k]) {
      MathNode* raw = items[k].get();
      if (tail)
        tail->next = std::move(items[k]);
      else
        content = std::move(items[k]);
      tail = raw;
    }
    items[j].reset();
    skip[i] = skip[j];
    MathNode& open = *items[i];
    open.op = specialRow(SpecialRow::Id);
    open.kind = NodeKind::Id;
    open.string.clear();
    open.bracketFormat = {'i', static_cast<char>('0' + t)};
    open.bracket = std::move(content);
  }
  NodePtr result;
  MathNode* tail = nullptr;
  for (std::size_t k = 0; k < items.size(); k = skip[k]) {
    MathNode* raw = items[k].get();
    if (tail)
      tail->next = std::move(items[k]);
    else
      result = std::move(items[k]);
    tail = raw;
  }
  return result;
}

// Takes the nodes from the first Spacing node on out of `chain`.
NodePtr cutAtSpacing(NodePtr& chain) {
  if (!chain) return nullptr;
  if (chain->kind == NodeKind::Spacing) return std::move(chain);
  for (MathNode* n = chain.get(); n->next; n = n->next.get()) {
    if (n->next->kind == NodeKind::Spacing) return std::move(n->next);
  }
  return nullptr;
}

// Step 5: pieces separated by small spaces are built before larger spaces join them.
NodePtr groupBySpacing(NodePtr chain, Walk& walk) {
  // Without spacing there is one piece: collapsed, and collapsed again as the loop below does.
  bool spaced = false;
  for (const MathNode* n = chain.get(); n && !spaced; n = n->next.get())
    spaced = n->kind == NodeKind::Spacing;
  if (!spaced) return collapseAt(collapseAt(std::move(chain), 0, walk), 0, walk);
  struct Entry {
    NodePtr separator;
    int units = 0;
    NodePtr chain;
  };
  std::array<Entry, kSpacingStackSize> stack;
  stack[0].units = kSentinelUnits;
  stack[0].chain = std::move(chain);
  int depth = 0;
  for (;;) {
    Entry& top = stack[static_cast<std::size_t>(depth)];
    NodePtr separator = cutAtSpacing(top.chain);
    top.chain = collapseAt(std::move(top.chain), 0, walk);
    int w = separator ? separator->spaces : kEndUnits;
    while (depth > 0 && w > stack[static_cast<std::size_t>(depth)].units) {
      Entry& inner = stack[static_cast<std::size_t>(depth)];
      Entry& outer = stack[static_cast<std::size_t>(depth - 1)];
      outer.chain = join(std::move(outer.chain), std::move(inner.chain));
      inner.separator.reset();
      --depth;
      outer.chain = collapseAt(std::move(outer.chain), 0, walk);
    }
    if (!separator) break;
    NodePtr rest = std::move(separator->next);
    if (depth + 1 == kSpacingStackSize) {
      // No room for another level: the rest stays in this piece rather than being lost.
      reader::report("spacing stack overflow");
      Entry& last = stack[static_cast<std::size_t>(depth)];
      last.chain = join(std::move(last.chain), std::move(rest));
      break;
    }
    ++depth;
    Entry& entry = stack[static_cast<std::size_t>(depth)];
    entry.units = separator->spaces;
    entry.separator = std::move(separator);
    entry.chain = std::move(rest);
  }
  // Pieces still on the stack (after an overflow, or after spacing wider than the end) are joined
  // in, so that the result holds everything.
  for (; depth > 0; --depth) {
    Entry& outer = stack[static_cast<std::size_t>(depth - 1)];
    outer.chain =
        join(std::move(outer.chain), std::move(stack[static_cast<std::size_t>(depth)].chain));
  }
  return collapseAt(std::move(stack[0].chain), 0, walk);
}

}  // namespace

NodePtr split(MathNode* first, int priority) {
  for (MathNode* n = first; n && n->next; n = n->next.get()) {
    if (stops(n->next.get(), priority)) return std::move(n->next);
  }
  return nullptr;
}

NodePtr join(NodePtr a, NodePtr b) {
  if (!a) {
    reader::report("Bad argument to join");
    return b;
  }
  lastNode(a.get())->next = std::move(b);
  return a;
}

NodePtr collapse(NodePtr chain) {
  Walk walk;
  return collapseAt(std::move(chain), 0, walk);
}

NodePtr layout(NodePtr chain) {
  if (!chain) return nullptr;
  makeOperatorStrings(chain.get());
  makeBlanks(chain.get());
  chain = matchBrackets(std::move(chain));
  while (chain && chain->kind == NodeKind::Spacing) chain = std::move(chain->next);
  if (!chain) return nullptr;
  Walk walk;
  return groupBySpacing(std::move(chain), walk);
}

NodePtr makeMatrix(NodePtr chain, int columns) {
  if (!chain || !chain->op) return layout(std::move(chain));
  columns = std::clamp(columns, 1, kMaxMatrixCells);
  std::vector<NodePtr> rowChains;
  if (named(chain.get(), "atop") && chain->kind == NodeKind::Nary) {
    for (NodePtr& row : chain->list) rowChains.push_back(std::move(row));
    // Nodes after the row list belong to its last row.
    if (chain->next) {
      if (rowChains.empty()) rowChains.emplace_back();
      NodePtr& last = rowChains.back();
      NodePtr after = std::move(chain->next);
      last = last ? join(std::move(last), std::move(after)) : std::move(after);
    }
  } else {
    rowChains.push_back(std::move(chain));
  }
  std::size_t rows = rowChains.size();
  std::size_t maxRows = static_cast<std::size_t>(kMaxMatrixCells / columns);
  if (rows > maxRows) {
    reader::report("Array too large for FrameMath");
    rows = maxRows;
  }
  NodePtr matrix = makeNode(NodeKind::UndefArity, specialRow(SpecialRow::Matrix), {});
  matrix->rows = static_cast<std::int16_t>(rows);
  matrix->columns = static_cast<std::int16_t>(columns);
  matrix->cells.resize(rows * static_cast<std::size_t>(columns));
  for (std::size_t r = 0; r < rows; ++r) {
    NodePtr rest = std::move(rowChains[r]);
    for (int c = 0; c < columns && rest; ++c) {
      NodePtr cell;
      if (c + 1 == columns) {
        // The last cell keeps whatever follows, extra separators included.
        cell = std::move(rest);
      } else {
        cell = std::move(rest);
        MathNode* prev = nullptr;
        for (MathNode* n = cell.get(); n; prev = n, n = n->next.get()) {
          if (n->kind == NodeKind::Spacing && n->spaces >= kColumnSeparatorUnits) {
            NodePtr separator = prev ? std::move(prev->next) : std::move(cell);
            rest = std::move(separator->next);
            break;
          }
        }
      }
      matrix->cells[r * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c)] =
          layout(std::move(cell));
    }
  }
  return matrix;
}

}  // namespace pendra::math
