// FrameMath output: the worked example, every kind, annotations, escaping, the template writer,
// matrices, and the simplicity test.
#include "math/framemath.h"

#include <string>

#include "math/layout.h"
#include "math_fixture.h"

namespace pendra::math {
namespace {

using testing::MathFixture;

constexpr WriterSizes kTenPoint{{6, 7, 8, 9, 10, 11, 12, 14, 16, 18}, 4};

class FrameMathTest : public MathFixture {
 protected:
  static std::string text(NodePtr tree) {
    std::string out;
    writeExpression(out, std::move(tree), kTenPoint);
    return out;
  }
  // x^2 + \frac{a}{b} as the parser and layout leave it.
  static NodePtr workedExample() {
    NodePtr sup = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
    sup->limits[0] = chr('x');
    sup->limits[2] = str("2");
    NodePtr over = op(NodeKind::Infix, OperatorTable::TwoOperand, "over");
    over->operands[0] = chr('a');
    over->operands[1] = chr('b');
    NodePtr plus = op(NodeKind::Nary, OperatorTable::Nary, "plus");
    setOperand(plus.get(), 0, std::move(sup));
    setOperand(plus.get(), 1, std::move(over));
    return plus;
  }
};

TEST_F(FrameMathTest, WorkedExampleExpression) {
  EXPECT_EQ(text(workedExample()),
            "plus[(*n*)indexes[(*n*)1,0,char[(*nf\"Times\"fB\"Italic\"BU0U*)x],"
            "string[(*nU0U*)\"2\"]],over[(*n*)char[(*nB\"Italic\"BU0U*)a],char[b]]]");
  EXPECT_EQ(messages(), "");
}

TEST_F(FrameMathTest, WorkedExampleFromTheFlatChain) {
  NodePtr sup = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  sup->limits[0] = chr('x');
  sup->limits[2] = str("2");
  NodePtr over = op(NodeKind::Infix, OperatorTable::TwoOperand, "over");
  over->operands[0] = chr('a');
  over->operands[1] = chr('b');
  NodePtr tree = layout(chain(std::move(sup), str("+"), std::move(over)));
  EXPECT_EQ(simplicity(tree.get()), 0);
  std::string out;
  writeFrameMath(out, 'I', std::move(tree), kTenPoint);
  EXPECT_EQ(out,
            "<!FrameMath I 0.0 0.0 0.0 0.0\"\n"
            "plus[(*n*)indexes[(*n*)1,0,char[(*nf\"Times\"fB\"Italic\"BU0U*)x],"
            "string[(*nU0U*)\"2\"]],over[(*n*)char[(*nB\"Italic\"BU0U*)a],char[b]]]\n>");
}

TEST_F(FrameMathTest, DisplayStatementAndAnnotationReset) {
  std::string out;
  writeFrameMath(out, 'D', chr('a'), kTenPoint);
  writeFrameMath(out, 'D', chr('a'), kTenPoint);
  const std::string one =
      "<!FrameMath D 0.0 0.0 0.0 0.0\"\nchar[(*nf\"Times\"fB\"Italic\"BU0U*)a]\n>\n";
  EXPECT_EQ(out, one + one);
  out.clear();
  writeFrameMath(out, 'I', nullptr, kTenPoint);
  EXPECT_EQ(out, "<!FrameMath I 0.0 0.0 0.0 0.0\"\nstring[(*n*)\" \"]\n>");
}

TEST_F(FrameMathTest, RowStartingWithEqualSign) {
  EXPECT_EQ(text(layout(flat("= y"))),
            "equal[(*n*)string[(*n*)\" \"],char[(*nf\"Times\"fB\"Italic\"BU0U*)y]]");
}

TEST_F(FrameMathTest, NaryElements) {
  NodePtr one = op(NodeKind::Nary, OperatorTable::Nary, "comma");
  setOperand(one.get(), 0, str("1"));
  EXPECT_EQ(text(std::move(one)), "comma[(*n*)string[(*nf\"Times\"f*)\"1\"],string[(*n*)\" \"]]");
  // An empty element in the middle does not end the list.
  NodePtr gap = op(NodeKind::Nary, OperatorTable::Nary, "plus");
  setOperand(gap.get(), 0, chr('a'));
  setOperand(gap.get(), 3, chr('d'));
  EXPECT_EQ(text(std::move(gap)),
            "plus[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],string[(*n*)\" \"],"
            "string[(*n*)\" \"],char[d]]");
}

TEST_F(FrameMathTest, BareSignsDrawTheirSeparators) {
  EXPECT_EQ(text(op(NodeKind::Nary, OperatorTable::Nary, "plus")), "string[(*n*)\"+\"]");
  EXPECT_EQ(text(op(NodeKind::Nary, OperatorTable::Nary, "leq")),
            "string[(*nf\"Symbol\"f*)\"\xA3\"]");
  EXPECT_EQ(text(op(NodeKind::Nary, OperatorTable::Nary, "atop")), "string[(*n*)\" \"]");
  EXPECT_EQ(messages(), "");
}

TEST_F(FrameMathTest, ListChainCarriesSpacing) {
  // The second node is spacing: a list, with the spacing on the next literal.
  NodePtr list = chain(chr('a'), space(4), chr('b'));
  EXPECT_EQ(text(std::move(list)),
            "list[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],char[(*nl10ptl*)b]]");
  // Outside list mode the spacing goes on the next operator.
  NodePtr sin = op(NodeKind::Prefix, OperatorTable::Unary, "sin");
  sin->operands[0] = chr('x');
  NodePtr times = chain(chr('a'), chr('b'), space(2), std::move(sin));
  EXPECT_EQ(text(std::move(times)),
            "times[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],char[b],"
            "sin[(*nl5ptl*)char[x]]]");
  // Trailing spacing leaves a blank rather than a dangling comma.
  EXPECT_EQ(text(chain(chr('a'), space(4))),
            "list[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],string[(*n*)\" \"]]");
}

TEST_F(FrameMathTest, FontAnnotationsWriteOnlyWhatChanged) {
  MathFont bold{output::Family::kHelvetica, 6, output::kBold | output::kUnderline};
  NodePtr c = chain(str("a", bold), str("b", bold), str("c", kRoman));
  EXPECT_EQ(text(std::move(c)),
            "times[(*n*)string[(*nf\"Helvetica\"fU1UW\"Bold\"Ws12s*)\"a\"],string[\"b\"],"
            "string[(*nf\"Times\"fU0Us10s*)\"c\"]]");
  // A character that is not a letter is written as a one-byte string.
  EXPECT_EQ(text(chr('1', kRoman)), "string[(*nf\"Times\"f*)\"1\"]");
}

TEST_F(FrameMathTest, Escaping) {
  std::string out;
  escapeMathText(out, "a\"b\xB0\\c");
  EXPECT_EQ(out, "a\"\"b\\xb0 \\\\c");
  EXPECT_EQ(text(str("say \"hi\"", kAnnotationStart)), "string[\"say \"\"hi\"\"\"]");
}

TEST_F(FrameMathTest, TemplateOperators) {
  NodePtr hbar = op(NodeKind::Nullary, OperatorTable::Nullary, "*hbar");
  EXPECT_EQ(text(std::move(hbar)), "atop[(*n*)string[(*y917500y*)\"-\"],char[h]]");
  NodePtr circ = op(NodeKind::Infix, OperatorTable::TwoOperand, "*circ");
  circ->operands[0] = chr('f');
  circ->operands[1] = chr('g');
  EXPECT_EQ(text(std::move(circ)),
            "times[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)f],"
            "string[(*nf\"Symbol\"f*)\"\\xb0 \"],char[g]]");
  NodePtr uplus = op(NodeKind::Infix, OperatorTable::TwoOperand, "*uplus");
  uplus->operands[1] = chr('b');
  EXPECT_EQ(text(std::move(uplus)),
            "times[(*n*)atop[(*n*)string[(*y943718ys7.00s*)\"+\"],"
            "string[(*nf\"Symbol\"f*)\"\\xc8 \"]],char[(*nf\"Times\"fB\"Italic\"BU0U*)b]]");
  EXPECT_EQ(messages(), "");
}

TEST_F(FrameMathTest, OperatorKinds) {
  NodePtr big = op(NodeKind::BigOp, OperatorTable::BigOperator, "sum");
  big->limits[0] = chr('x');
  big->limits[2] = chr('n');
  EXPECT_EQ(text(std::move(big)), "sum[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)x],,char[n]]");
  NodePtr hat = op(NodeKind::Diacritical, OperatorTable::Unary, "diacritical");
  hat->accentCodes = {'0', '1', '0', '0', 0};
  hat->accent = chr('a');
  EXPECT_EQ(text(std::move(hat)),
            "diacritical[(*n*)0,1,0,0,0,char[(*nf\"Times\"fB\"Italic\"BU0U*)a]]");
  EXPECT_EQ(text(op(NodeKind::Nullary, OperatorTable::Nullary, "alpha")), "char[(*n*)alpha]");
  NodePtr sub = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  sub->limits[0] = chr('x');
  sub->limits[1] = chr('i');
  sub->limits[2] = chr('n');
  EXPECT_EQ(text(std::move(sub)),
            "indexes[(*n*)1,1,char[(*nf\"Times\"fB\"Italic\"BU0U*)x],char[i],char[n]]");
}

TEST_F(FrameMathTest, BracketsAndMatrices) {
  EXPECT_EQ(text(layout(flat("[ a ]"))), "id[(*ni1i*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a]]");
  EXPECT_EQ(text(layout(flat("( a )"))), "id[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a]]");
  NodePtr open = makeNode(NodeKind::Id, specialRow(SpecialRow::Id), kRoman);
  open->bracket = chr('a');
  EXPECT_EQ(text(std::move(open)), "char[(*nf\"Times\"fB\"Italic\"BU0U*)a]");
  EXPECT_EQ(text(makeMatrix(flat("a \\& b"), 2)),
            "matrix[(*i1i*)1,2,char[(*nf\"Times\"fB\"Italic\"BU0U*)a],char[b]]");
  NodePtr braced = makeNode(NodeKind::Id, specialRow(SpecialRow::Id), kRoman);
  braced->bracketFormat = {'i', '2'};
  braced->bracket = makeMatrix(flat("a"), 1);
  EXPECT_EQ(text(std::move(braced)),
            "id[(*i2i*)matrix[(*i1i*)1,1,char[(*nf\"Times\"fB\"Italic\"BU0U*)a]]]");
  NodePtr square = makeNode(NodeKind::Id, specialRow(SpecialRow::Id), kRoman);
  square->bracketFormat = {'i', '1'};
  square->bracket = makeMatrix(nullptr, 1);
  EXPECT_EQ(text(std::move(square)), "id[(*ni1i*)string[(*n*)\" \"]]");
}

TEST_F(FrameMathTest, FaultyNodesStillGiveWellFormedText) {
  NodePtr bare = std::make_unique<MathNode>();
  EXPECT_EQ(text(chain(chr('a'), std::move(bare), chr('b'))),
            "times[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],string[(*n*)\" \"],char[b]]");
  NodePtr root = op(NodeKind::Root, OperatorTable::Root, "sqrt");
  EXPECT_EQ(text(std::move(root)), "string[(*n*)\" \"]");
  EXPECT_EQ(messages(), "Internal error outputting frame math\n");
}

TEST_F(FrameMathTest, DeepTreesAreCut) {
  NodePtr deep = chr('x');
  for (int i = 0; i < 10000; ++i) {
    NodePtr f = op(NodeKind::Postfix, OperatorTable::Unary, "fact");
    f->operands[0] = std::move(deep);
    deep = std::move(f);
  }
  EXPECT_EQ(simplicity(deep.get()), 0);
  std::string out = text(std::move(deep));
  EXPECT_EQ(messages(), "Excessive nesting of equations\n");
  EXPECT_EQ(std::count(out.begin(), out.end(), '['), std::count(out.begin(), out.end(), ']'));
}

TEST_F(FrameMathTest, SimplicityTest) {
  // x^2 + y can be text with a superscript.
  NodePtr sup = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  sup->limits[0] = chr('x');
  sup->limits[2] = str("2");
  NodePtr tree = layout(chain(std::move(sup), flat("+ y")));
  EXPECT_EQ(simplicity(tree.get()), 2);
  EXPECT_EQ(simplicity(layout(flat("a + b")).get()), 1);
  EXPECT_EQ(simplicity(nullptr), 1);
  // Both scripts on one base, or a script that has scripts, need FrameMath.
  NodePtr both = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  both->limits[0] = chr('x');
  both->limits[1] = chr('i');
  both->limits[2] = chr('n');
  EXPECT_EQ(simplicity(both.get()), 0);
  NodePtr outer = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  outer->limits[0] = chr('x');
  outer->limits[2] = std::move(tree);
  EXPECT_EQ(simplicity(outer.get()), 0);
  EXPECT_EQ(simplicity(op(NodeKind::Nullary, OperatorTable::Nullary, "*hbar").get()), 0);
  EXPECT_EQ(simplicity(op(NodeKind::Nullary, OperatorTable::Nullary, "wp").get()), 0);
  // A fourth element that cannot be text is not overlooked.
  NodePtr many = layout(flat("a + b + c + d"));
  setOperand(many.get(), 3, op(NodeKind::Infix, OperatorTable::TwoOperand, "over"));
  EXPECT_EQ(simplicity(many.get()), 0);
}

}  // namespace
}  // namespace pendra::math
