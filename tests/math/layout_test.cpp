// Layout: operator strings, blanks, brackets, grouping by spacing, collapse and matrices.
#include "math/layout.h"

#include <string>

#include "math_fixture.h"

namespace pendra::math {
namespace {

using testing::MathFixture;

class LayoutTest : public MathFixture {
 protected:
  std::string laid(const std::string& text) { return show(layout(flat(text)).get()); }
};

TEST_F(LayoutTest, SumsDifferencesAndNegation) {
  EXPECT_EQ(laid("a + b + c"), "plus(a, b, c)");
  EXPECT_EQ(laid("a - b"), "plus(a, minus(b))");
  EXPECT_EQ(laid("- a"), "minus(a)");
  // A difference is taken from the left.
  EXPECT_EQ(laid("a - b - c"), "plus(plus(a, minus(b)), minus(c))");
  EXPECT_EQ(laid("- a - b"), "plus(minus(a), minus(b))");
  EXPECT_EQ(laid("a - b + c"), "plus(plus(a, minus(b)), c)");
  EXPECT_EQ(laid("a + b - c"), "plus(a, plus(b, minus(c)))");
  EXPECT_EQ(messages(), "");
}

TEST_F(LayoutTest, InfixPostfixAndRelations) {
  EXPECT_EQ(laid("a / b"), "fract(a, b)");
  EXPECT_EQ(laid("x !"), "fact(x)");
  EXPECT_EQ(laid("x = a + b"), "equal(x, plus(a, b))");
  EXPECT_EQ(laid("a < b , c > d"), "comma(lessthan(a, b), greaterthan(c, d))");
  // A row that starts with the relation keeps an explicit empty left side.
  EXPECT_EQ(laid("= y"), "equal(-, y)");
  // A sign with nothing after it gets an empty element.
  EXPECT_EQ(laid("a +"), "plus(a, -)");
  EXPECT_EQ(laid("a + + b"), "plus(a, -, b)");
}

TEST_F(LayoutTest, OperandsReachUpToTheirPriority) {
  NodePtr sin = op(NodeKind::Prefix, OperatorTable::Unary, "sin");
  EXPECT_EQ(show(layout(chain(std::move(sin), flat("x + y"))).get()), "plus(sin(x), y)");
  NodePtr sum = op(NodeKind::BigOp, OperatorTable::BigOperator, "sum");
  EXPECT_EQ(show(layout(chain(std::move(sum), flat("a = b"))).get()), "sum(equal(a, b), -, -)");
  NodePtr over = op(NodeKind::Infix, OperatorTable::TwoOperand, "over");
  EXPECT_EQ(show(layout(chain(flat("a b"), std::move(over), flat("c = d"))).get()),
            "equal(over([a b], c), d)");
  // The node right after a prefix always belongs to its operand.
  NodePtr root = op(NodeKind::Prefix, OperatorTable::Root, "sqrt");
  EXPECT_EQ(show(layout(chain(std::move(root), flat("x y"))).get()), "[sqrt(x) y]");
}

TEST_F(LayoutTest, BracketsPairInnermostFirst) {
  EXPECT_EQ(laid("( a + b )"), "id.i0(plus(a, b))");
  EXPECT_EQ(laid("( a"), "[\"(\" a]");
  EXPECT_EQ(laid("[ ( a ) ]"), "id.i1(id.i0(a))");
  EXPECT_EQ(laid("( )"), "id.i0(-)");
  // The inner [ takes the ] and the ) inside it, so the ( finds no partner.
  EXPECT_EQ(laid("( [ ) ]"), "[\"(\" id.i1(\")\")]");
  EXPECT_EQ(laid("{ a } ( b )"), "[id.i2(a) id.i0(b)]");
}

TEST_F(LayoutTest, DeepBracketNestingIsBounded) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "( ";
  text += "x";
  for (int i = 0; i < 5000; ++i) text += " )";
  NodePtr tree = layout(flat(text));
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->kind, NodeKind::Id);
  EXPECT_EQ(messages(), "Excessive nesting of equations\n");
}

TEST_F(LayoutTest, PartialDerivativeBecomesAFunction) {
  auto partial = [](char c) {
    NodePtr p = op(NodeKind::Prefix, OperatorTable::Unary, "partial");
    p->operands[0] = chr(c);
    return p;
  };
  NodePtr over = op(NodeKind::Infix, OperatorTable::TwoOperand, "over");
  over->operands[0] = partial('f');
  over->operands[1] = partial('x');
  NodePtr tree = layout(std::move(over));
  EXPECT_EQ(show(tree.get()), "function(oppartial(x), f)");
  EXPECT_EQ(tree->op, specialRow(SpecialRow::Function));
}

TEST_F(LayoutTest, SpacingGroupsPieces) {
  EXPECT_EQ(laid("x = a \\; y = b"), "[equal(x, a) equal(y, b)]");
  EXPECT_EQ(laid("x = a y = b"), "equal(x, [a y], b)");
  // A piece joins the one before it only when the space after it is larger.
  EXPECT_EQ(laid("a + b \\, c \\; d"), "[plus(a, b) c d]");
  EXPECT_EQ(laid("a \\, + b"), "plus(a, b)");
}

TEST_F(LayoutTest, SpacingBesideStringsBecomesBlanks) {
  NodePtr tree = layout(flat("2 \\, ab \\; c"));
  ASSERT_EQ(show(tree.get()), "[\"2\" \"ab \" c]");
  // A string that is the first node, or the last, gets no blanks.
  EXPECT_EQ(laid("ab \\; c"), "[\"ab\" c]");
  EXPECT_EQ(laid("c \\; ab"), "[c \"ab\"]");
  // Ten blanks at most on each side.
  NodePtr wide = chain(chr('c'), space(60), str("ab"), space(8), chr('d'));
  EXPECT_EQ(show(layout(std::move(wide)).get()), "[c \"          ab  \" d]");
}

TEST_F(LayoutTest, EmptyAndSpacingOnlyChainsGiveNone) {
  EXPECT_EQ(layout(nullptr), nullptr);
  EXPECT_EQ(layout(chain(space(4), space(2))), nullptr);
  EXPECT_EQ(show(collapse(chain(space(4), space(2))).get()), "_2");
}

TEST_F(LayoutTest, SpacingStackOverflowKeepsEveryPiece) {
  // Ever smaller spaces push a new level each time.
  NodePtr c = chr('a');
  for (int i = 0; i < 40; ++i) c = join(std::move(c), chain(space(100 - i), chr('b')));
  NodePtr tree = layout(std::move(c));
  EXPECT_EQ(messages(), "spacing stack overflow\n");
  EXPECT_EQ(chainLength(tree.get()), 41);
}

TEST_F(LayoutTest, SplitAndJoin) {
  NodePtr c = chain(flat("a b"), op(NodeKind::Nary, OperatorTable::Nary, "plus"), flat("c"));
  NodePtr rest = split(c.get(), 25);
  EXPECT_EQ(show(c.get()), "[a b]");
  EXPECT_EQ(show(rest.get()), "[plus() c]");
  // Nodes without an operator never stop an operand.
  NodePtr bare = chain(chr('a'), std::make_unique<MathNode>(), chr('b'));
  EXPECT_EQ(split(bare.get(), -1000)->character, 'b');
  NodePtr joined = join(nullptr, chr('z'));
  EXPECT_EQ(messages(), "Bad argument to join\n");
  EXPECT_EQ(show(joined.get()), "z");
}

TEST_F(LayoutTest, CollapseReportsUnknownKinds) {
  NodePtr root = op(NodeKind::Root, OperatorTable::Root, "sqrt");
  NodePtr c = collapse(chain(std::move(root), chr('x')));
  EXPECT_EQ(messages(), "Internal error: collapse\n");
  EXPECT_EQ(chainLength(c.get()), 2);
}

TEST_F(LayoutTest, ArrayRowsBecomeCells) {
  NodePtr m = makeMatrix(flat("a \\& b"), 2);
  ASSERT_EQ(m->kind, NodeKind::UndefArity);
  EXPECT_EQ(show(m.get()), "matrix(a, b)");
  m = makeMatrix(flat("a \\& b"), 3);
  EXPECT_EQ(show(m.get()), "matrix(a, b, -)");
  EXPECT_EQ(m->rows, 1);
  EXPECT_EQ(m->columns, 3);
  // Cells beyond the last column stay in it instead of being dropped.
  m = makeMatrix(flat("a \\& b \\& c"), 2);
  EXPECT_EQ(show(m.get()), "matrix(a, [b c])");
  // Each cell is laid out on its own.
  m = makeMatrix(flat("a + b \\& \\& c"), 3);
  EXPECT_EQ(show(m.get()), "matrix(plus(a, b), -, c)");
}

TEST_F(LayoutTest, AtopRowsMakeAMatrixRowByRow) {
  NodePtr rows = makeNode(NodeKind::Nary, specialRow(SpecialRow::Atop), kRoman);
  setOperand(rows.get(), 0, flat("a \\& b"));
  setOperand(rows.get(), 1, flat("c"));
  setOperand(rows.get(), 2, nullptr);
  NodePtr m = makeMatrix(std::move(rows), 2);
  EXPECT_EQ(m->rows, 3);
  EXPECT_EQ(show(m.get()), "matrix(a, b, c, -, -, -)");
  EXPECT_EQ(makeMatrix(nullptr, 2), nullptr);
  // A chain without operator rows is only laid out.
  NodePtr bare = chain(std::make_unique<MathNode>(), chr('x'));
  EXPECT_EQ(makeMatrix(std::move(bare), 2)->kind, NodeKind::Nullary);
}

TEST_F(LayoutTest, HugeArraysAreCut) {
  NodePtr rows = makeNode(NodeKind::Nary, specialRow(SpecialRow::Atop), kRoman);
  for (int i = 0; i < 20000; ++i) setOperand(rows.get(), i, chr('a'));
  NodePtr m = makeMatrix(std::move(rows), 4);
  EXPECT_EQ(messages(), "Array too large for FrameMath\n");
  EXPECT_EQ(m->rows * m->columns, static_cast<int>(m->cells.size()));
  EXPECT_LE(m->cells.size(), static_cast<std::size_t>(kMaxMatrixCells));
}

}  // namespace
}  // namespace pendra::math
