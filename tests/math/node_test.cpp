// MathNode creation, operand access by kind, freeing of long chains and deep trees, the dump.
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "math/dump.h"
#include "math_fixture.h"

namespace pendra::math {
namespace {

using testing::MathFixture;

class NodeTest : public MathFixture {};

TEST_F(NodeTest, NewNodesGetTheStartValuesOfTheirKind) {
  MathNode* d =
      newNode(NodeKind::Diacritical, findOperator(OperatorTable::Unary, "diacritical"), kRoman);
  MathNode* id = newNode(NodeKind::Id, specialRow(SpecialRow::Id), kRoman);
  MathNode* s = newNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), kItalic);
  EXPECT_EQ(std::string(d->accentCodes.data(), 5), "00000");
  EXPECT_EQ(id->bracketFormat[0], 'i');
  EXPECT_EQ(id->bracketType(), '-');
  EXPECT_EQ(s->character, ' ');
  EXPECT_EQ(s->font, kItalic);
  // They were appended to the current frame in order.
  EXPECT_EQ(currentFrame().first.get(), d);
  EXPECT_EQ(d->next.get(), id);
  EXPECT_EQ(currentFrame().last, s);
  NodePtr taken = takeCurrentChain();
  EXPECT_EQ(chainLength(taken.get()), 3);
  EXPECT_EQ(currentFrame().first, nullptr);
}

TEST_F(NodeTest, UnknownOperatorBecomesAQuestionMark) {
  MathNode* n = newNode(NodeKind::Prefix, findOperator(OperatorTable::Unary, "grad"), kItalic);
  EXPECT_EQ(messages(), "Missing FrameMath entry for grad\n");
  EXPECT_EQ(n->kind, NodeKind::CharLiteral);
  EXPECT_EQ(n->op, specialRow(SpecialRow::Char));
  EXPECT_EQ(n->character, '?');
  EXPECT_EQ(n->font, kItalic);
}

TEST_F(NodeTest, OperandAccessFollowsTheKind) {
  NodePtr pre = op(NodeKind::Prefix, OperatorTable::Unary, "sin");
  setOperand(pre.get(), 0, chr('x'));
  EXPECT_EQ(getOperand(pre.get(), 0)->character, 'x');
  EXPECT_EQ(messages(), "");
  // A single-operand kind reports an index above 0 but still reads its one field.
  EXPECT_EQ(getOperand(pre.get(), 1)->character, 'x');
  EXPECT_EQ(messages(), "Internal error in FrameMath\n");
  EXPECT_EQ(peekOperand(pre.get(), 1), nullptr);

  NodePtr in = op(NodeKind::Infix, OperatorTable::TwoOperand, "over");
  EXPECT_EQ(getOperand(in.get(), 2), nullptr);
  EXPECT_EQ(messages(), "Internal error in FrameMath\n");

  NodePtr big = op(NodeKind::BigOp, OperatorTable::BigOperator, "sum");
  setOperand(big.get(), 2, chr('n'));
  EXPECT_EQ(big->limits[2]->character, 'n');
  EXPECT_EQ(getOperand(big.get(), 3), nullptr);
  EXPECT_EQ(messages(), "Internal error in FrameMath\n");

  NodePtr lit = chr('a');
  EXPECT_EQ(getOperand(lit.get(), 0), nullptr);
  setOperand(lit.get(), 0, chr('b'));
  setOperand(nullptr, 0, chr('c'));
  EXPECT_EQ(messages(),
            "Internal error in FrameMath\nInternal error in FrameMath\n"
            "Internal error in FrameMath\n");
}

TEST_F(NodeTest, NaryListGrowsToTheIndexWritten) {
  NodePtr n = op(NodeKind::Nary, OperatorTable::Nary, "plus");
  EXPECT_EQ(getOperand(n.get(), 0), nullptr);  // reading past the count is no error
  setOperand(n.get(), 0, chr('a'));
  EXPECT_EQ(operandCount(n.get()), 1);
  NodePtr m = op(NodeKind::Nary, OperatorTable::Nary, "plus");
  setOperand(m.get(), 3, chr('d'));
  EXPECT_EQ(operandCount(m.get()), 4);
  EXPECT_EQ(show(m.get()), "plus(-, -, -, d)");
  EXPECT_EQ(messages(), "");
}

TEST_F(NodeTest, MatrixCellsAreFixed) {
  NodePtr m = makeNode(NodeKind::UndefArity, specialRow(SpecialRow::Matrix), kRoman);
  m->rows = 1;
  m->columns = 2;
  m->cells.resize(2);
  setOperand(m.get(), 1, chr('b'));
  EXPECT_EQ(getOperand(m.get(), 1)->character, 'b');
  EXPECT_EQ(getOperand(m.get(), 2), nullptr);
  EXPECT_EQ(messages(), "");
  setOperand(m.get(), 2, chr('c'));
  EXPECT_EQ(messages(), "Internal error in FrameMath\n");
  EXPECT_EQ(m->cells.size(), 2u);
}

// The content moves to a new node; the node left in the chain is as new, every field of it.
TEST_F(NodeTest, MoveContentKeepsTheChainLink) {
  NodePtr c = chain(chr('a'), chr('b'));
  c->font = kItalic;
  c->string = std::string(100, 's');
  c->list.push_back(chr('l'));
  c->cells.push_back(chr('c'));
  c->limits[2] = chr('u');
  c->accentCodes = {'1', '2', '3', '4', '5'};
  c->bracketFormat = {'i', '1'};
  c->spaces = 3;
  c->rows = 2;
  c->columns = 4;
  NodePtr moved = moveContent(*c);
  EXPECT_EQ(moved->character, 'a');
  EXPECT_EQ(moved->next, nullptr);
  EXPECT_EQ(moved->string, std::string(100, 's'));
  EXPECT_EQ(moved->list.size(), 1u);
  EXPECT_EQ(moved->limits[2]->character, 'u');
  EXPECT_EQ(moved->rows, 2);
  EXPECT_EQ(c->op, nullptr);
  EXPECT_EQ(c->kind, NodeKind::Nullary);
  EXPECT_EQ(c->character, 0);
  EXPECT_TRUE(c->string.empty() && c->list.empty() && c->cells.empty());
  EXPECT_EQ(c->limits[2], nullptr);
  EXPECT_EQ(c->accentCodes, (std::array<char, kAccentCodeCount>{}));
  EXPECT_EQ(c->bracketFormat, (std::array<char, 2>{}));
  EXPECT_EQ(c->spaces, 0);
  EXPECT_EQ(c->rows, 0);
  EXPECT_EQ(c->columns, 0);
  EXPECT_EQ(c->font, MathFont{});
  ASSERT_NE(c->next, nullptr);
  EXPECT_EQ(c->next->character, 'b');
}

TEST_F(NodeTest, LongChainsAndDeepTreesAreFreedWithoutRecursion) {
  NodePtr head = chr('a');
  MathNode* last = head.get();
  for (int i = 0; i < 200000; ++i) {
    last->next = chr('b');
    last = last->next.get();
  }
  head.reset();
  NodePtr deep = chr('x');
  for (int i = 0; i < 200000; ++i) {
    NodePtr f = op(NodeKind::Postfix, OperatorTable::Unary, "fact");
    f->operands[0] = std::move(deep);
    deep = std::move(f);
  }
  deep.reset();
  EXPECT_EQ(messages(), "");
}

// Freed nodes are kept for the next ones: a node made in a freed one's memory starts as new, and
// a kept node is never handed out twice.
TEST_F(NodeTest, NodesMadeAgainStartAsNew) {
  std::vector<MathNode*> first;
  {
    std::vector<NodePtr> nodes;
    for (int i = 0; i < 50; ++i) {
      nodes.push_back(makeNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), kItalic));
      nodes.back()->string = std::string(100, 'x');  // beyond the string's own room
      nodes.back()->list.push_back(chr('y'));
      nodes.back()->operands[1] = chr('z');
      first.push_back(nodes.back().get());
    }
  }
  std::vector<NodePtr> again;
  std::set<MathNode*> seen;
  for (int i = 0; i < 60; ++i) {
    again.push_back(makeNode(NodeKind::Nary, findOperator(OperatorTable::Nary, "plus"), kRoman));
    EXPECT_TRUE(seen.insert(again.back().get()).second) << "a node's memory handed out twice";
    EXPECT_TRUE(again.back()->string.empty());
    EXPECT_TRUE(again.back()->list.empty());
    EXPECT_EQ(again.back()->operands[1], nullptr);
    EXPECT_EQ(again.back()->next, nullptr);
    EXPECT_EQ(again.back()->kind, NodeKind::Nary);
  }
  EXPECT_EQ(messages(), "");
}

// Nodes freed after their thread's kept memory is gone (a conversion stopped with a formula half
// built, whose nodes the static state frees at exit) go back to the heap: a thread's objects are
// destroyed in the reverse order of their making, so a holder made before the first node outlives
// the thread's kept memory. With a heap left whole, the nodes made after it are sound.
TEST_F(NodeTest, NodesFreedAfterTheirThreadsKeptMemoryGoBackToTheHeap) {
  for (int round = 0; round < 20; ++round) {
    std::thread([] {
      struct Holder {
        std::vector<NodePtr> trees;
      };
      thread_local Holder holder;  // made first, destroyed last
      for (int i = 0; i < 3000; ++i) {
        holder.trees.push_back(chain(chr('a'), chr('b')));
        holder.trees.back()->operands[0] = chr('c');
      }
      // Freed and made again: the thread's kept memory holds nodes by now.
      for (int i = 0; i < 2000; ++i) holder.trees.pop_back();
      for (int i = 0; i < 500; ++i) holder.trees.push_back(chr('d'));
    }).join();
    std::vector<NodePtr> after;
    for (int i = 0; i < 1000; ++i) after.push_back(chain(chr('e'), chr('f')));
    for (const NodePtr& node : after) EXPECT_EQ(node->next->character, 'f');
  }
}

TEST_F(NodeTest, DumpShowsKindsOperatorsAndOperands) {
  NodePtr sup = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  sup->limits[0] = chr('x');
  sup->limits[2] = str("2");
  NodePtr c = chain(std::move(sup), space(3));
  std::string out;
  dumpTree(out, c.get());
  EXPECT_EQ(out,
            "  SubSupScript (indexes, %1%_%2%^%3)\n"
            "    CharLiteral (char, %C)\n"
            "    - (Char = x)\n"
            "    *null*\n"
            "    StrLiteral (string, %S)\n"
            "    - (String = 2)\n"
            "  Spacing (, %s)\n"
            "  - (Spaces = 3)\n");
  NodePtr bare = std::make_unique<MathNode>();
  bare->kind = NodeKind::Root;
  out.clear();
  dumpTree(out, bare.get());
  EXPECT_EQ(out, "  UndefArity (?, ?)\n");
}

TEST_F(NodeTest, DumpIndentStopsAtThirtyTwoBlanks) {
  NodePtr deep = chr('x');
  for (int i = 0; i < 20; ++i) {
    NodePtr f = op(NodeKind::Postfix, OperatorTable::Unary, "fact");
    f->operands[0] = std::move(deep);
    deep = std::move(f);
  }
  std::string out;
  dumpTree(out, deep.get());
  EXPECT_NE(out.find(std::string(32, ' ') + "- (Char = x)\n"), std::string::npos);
  EXPECT_EQ(out.find(std::string(33, ' ')), std::string::npos);
}

TEST_F(NodeTest, InitEmptiesEveryFrame) {
  newNode(NodeKind::CharLiteral, specialRow(SpecialRow::Char), kRoman);
  mathState().depth = 3;
  mathState().pendingLabel = "eq:1";
  initMath();
  EXPECT_EQ(mathState().depth, 0);
  EXPECT_EQ(currentFrame().first, nullptr);
  EXPECT_TRUE(mathState().pendingLabel.empty());
}

}  // namespace
}  // namespace pendra::math
