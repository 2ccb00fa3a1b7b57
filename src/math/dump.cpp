// The math tree dump.
#include "math/dump.h"

#include <algorithm>

#include "fdk/fdk.h"
#include "reader/input.h"

namespace pendra::math {

namespace {

constexpr int kMaxDumpIndent = 32;

std::string blanks(int depth) {
  return std::string(static_cast<std::size_t>(std::min(2 * (depth + 1), kMaxDumpIndent)), ' ');
}

void dumpChain(std::string& out, const MathNode* chain, int depth);

void dumpNode(std::string& out, const MathNode* node, int depth) {
  std::string indent = blanks(depth);
  const char* name = node->op ? (node->op->name ? node->op->name : "") : "?";
  const char* tmpl = node->op ? (node->op->tmpl ? node->op->tmpl : "") : "?";
  out += indent + kindName(node->kind) + " (" + name + ", " + tmpl + ")\n";
  switch (node->kind) {
    case NodeKind::Spacing:
      out += indent + "- (Spaces = " + std::to_string(node->spaces) + ")\n";
      break;
    case NodeKind::StrLiteral:
      out += indent + "- (String = " + node->string + ")\n";
      break;
    case NodeKind::CharLiteral:
      out += indent + "- (Char = " + node->character + ")\n";
      break;
    default:
      break;
  }
  if (depth + 1 >= kMaxTreeDepth) return;
  int count = operandCount(node);
  for (int i = 0; i < count; ++i) {
    const MathNode* operand = peekOperand(node, i);
    dumpChain(out, operand, depth + 1);
  }
}

void dumpChain(std::string& out, const MathNode* chain, int depth) {
  if (!chain) out += blanks(depth) + "*null*\n";
  for (; chain; chain = chain->next.get()) dumpNode(out, chain, depth);
}

}  // namespace

void dumpTree(std::string& out, const MathNode* chain) {
  dumpChain(out, chain, 0);
}

void dumpTree(const MathNode* chain, const char* title) {
  if (title) F_Printf(nullptr, "\n\n%d: Math Equation Output (%s)\n", reader::lineNumber(), title);
  std::string out;
  dumpTree(out, chain);
  F_Printf(nullptr, "%s", out.c_str());
}

}  // namespace pendra::math
