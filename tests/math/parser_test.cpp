// The math interpreter on LaTeX text: the trees that frames close with, the limits of the frame
// stack and the messages of bad input.
#include <gtest/gtest.h>

#include <string>

#include "../output/output_fixture.h"
#include "math/frames.h"
#include "math/state.h"
#include "math_fixture.h"
#include "output/xref.h"

namespace pendra::testing {
namespace {

class MathParse : public MathConvertFixture {
 protected:
  // The laid-out tree of `text` read in display math. It is read into a frame above an outer
  // one, so that the close hands the tree back instead of writing it.
  std::string parse(std::string_view text, std::string* messages = nullptr) {
    reader::EnvironmentState& env = reader::environmentState();
    const reader::EnvironmentRecord* saved = env.current;
    env.current = reader::lookupEnvironment("displaymath");
    reader::setCurrentMode(reader::kMathMode);
    math::pushFrame(math::kArgumentFrame);
    math::pushFrame(math::kDisplayFrame);
    ::testing::internal::CaptureStderr();
    feed(text);
    while (reader::readerState().currentChar != reader::kEndOfInput) reader::parseUntil(1);
    math::closeFramesAbove(2);
    math::NodePtr tree = math::closeFrame();
    std::string err = ::testing::internal::GetCapturedStderr();
    if (messages) *messages = err;
    math::closeFrame();
    EXPECT_EQ(math::mathState().depth, 0);
    env.current = saved;
    reader::setCurrentMode(reader::kParaMode);
    return showTree(tree.get());
  }
};

TEST_F(MathParse, TokensBecomeLiterals) {
  // One letter is a character, a word or a number one string; blanks add nothing.
  EXPECT_EQ(parse("x y"), "[x y]");
  EXPECT_EQ(parse("xy 12"), "[\"xy\" \"12\"]");
  EXPECT_EQ(parse("a+b+c"), "plus(a, b, c)");
  EXPECT_EQ(parse("\\alpha"), "alpha");
  // An unknown command is its own text.
  EXPECT_EQ(parse("\\foo"), "\"\\foo\"");
}

TEST_F(MathParse, WordsAreItalicNumbersUpright) {
  reader::EnvironmentState& env = reader::environmentState();
  env.current = reader::lookupEnvironment("displaymath");
  reader::setCurrentMode(reader::kMathMode);
  math::pushFrame(math::kArgumentFrame);
  math::pushFrame(math::kArgumentFrame);
  feed("ab 2");
  while (reader::readerState().currentChar != reader::kEndOfInput) reader::parseUntil(1);
  const math::MathNode* first = math::currentFrame().first.get();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->next, nullptr);
  EXPECT_EQ(first->font.style, output::kItalic);
  EXPECT_EQ(first->next->font.style, 0);
  EXPECT_EQ(output::currentFont().style, 0);  // the italic is for the token only
}

TEST_F(MathParse, Scripts) {
  EXPECT_EQ(parse("x^2"), "indexes(x, -, \"2\")");
  EXPECT_EQ(parse("x_i^2"), "indexes(x, i, \"2\")");
  // The braces are no argument: the script goes to b.
  EXPECT_EQ(parse("{a+b}^2"), "plus(a, indexes(b, -, \"2\"))");
  // A second script of the same kind replaces the first.
  EXPECT_EQ(parse("x^a^b"), "indexes(x, -, b)");
  // With nothing before it the script has an empty spacing as its base.
  std::string err;
  EXPECT_EQ(parse("^2", &err), "indexes(_0, -, \"2\")");
  EXPECT_EQ(err, "");
  // A big operator takes its scripts as limits.
  EXPECT_EQ(parse("\\sum_{i}^{n} x"), "sum(x, i, n)");
}

TEST_F(MathParse, Primes) {
  EXPECT_EQ(parse("'"), "\"'\"");
  EXPECT_EQ(parse("''"), "\"\"\"");
  math::MathState& state = math::mathState();
  (void)state;
  EXPECT_EQ(parse("f'"), "+prime(f)");
  EXPECT_EQ(parse("f''(x)"), "[+prime(f) id.i0(x)]");
}

TEST_F(MathParse, OperatorsAndTheirFormatCodes) {
  EXPECT_EQ(parse("\\frac{a}{b}"), "over(a, b)");
  EXPECT_EQ(parse("\\frac{\\partial f}{\\partial x}"), "function(oppartial(x), f)");
  EXPECT_EQ(parse("\\sqrt{x}"), "sqrt(x)");
  EXPECT_EQ(parse("\\sqrt[3]{x}"), "sqrt(x, \"3\")");
  EXPECT_EQ(parse("\\sqrt [n+1] {x}"), "sqrt(x, plus(n, \"1\"))");
  EXPECT_EQ(parse("\\log x"), "function(\"log\", x)");
  EXPECT_EQ(parse("\\sin x + y"), "plus(sin(x), y)");
  EXPECT_EQ(parse("\\hat{x}"), "diacritical(x)");
  EXPECT_EQ(parse("\\stackrel{a}{=}"), "atop(a, equal(-, -))");
  // \bigtriangledown names an operator that no table holds.
  std::string err;
  EXPECT_EQ(parse("\\bigtriangledown", &err), "?");
  EXPECT_NE(err.find("Missing FrameMath entry for grad"), std::string::npos);
}

TEST_F(MathParse, AccentCodesAndBracketFormats) {
  math::pushFrame(math::kArgumentFrame);
  feed("\\overline{x}");
  reader::setCurrentMode(reader::kMathMode);
  reader::environmentState().current = reader::lookupEnvironment("displaymath");
  while (reader::readerState().currentChar != reader::kEndOfInput) reader::parseUntil(1);
  const math::MathNode* node = math::currentFrame().first.get();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(std::string(node->accentCodes.data(), 5), "00010");
  math::closeFrame();
}

TEST_F(MathParse, Spacing) {
  // Spacing in a row adds up; the writer reads four units as one em.
  EXPECT_EQ(parse("a\\,\\,\\;b"), "[a b]");
  reader::environmentState().current = reader::lookupEnvironment("displaymath");
  reader::setCurrentMode(reader::kMathMode);
  math::pushFrame(math::kArgumentFrame);
  feed("a\\,\\:\\;\\!~b");
  while (reader::readerState().currentChar != reader::kEndOfInput) reader::parseUntil(1);
  const math::MathNode* space = math::currentFrame().first->next.get();
  ASSERT_EQ(space->kind, math::NodeKind::Spacing);
  EXPECT_EQ(space->spaces, 1 + 2 + 4 - 1 + 4);
  math::closeFrame();
}

TEST_F(MathParse, LeftAndRight) {
  EXPECT_EQ(parse("\\left( x \\right]"), "lparen.i0(rparen.i1(x))");
  EXPECT_EQ(parse("\\left( a+b \\right)"), "id.i0(plus(a, b))");
  EXPECT_EQ(parse("\\left. x \\right|"), "id.i-([x |])");
  EXPECT_EQ(parse("\\left| x \\right|"), "abs(x)");
  EXPECT_EQ(parse("\\left\\| x \\right\\|"), "norm(x)");
  EXPECT_EQ(parse("\\left\\langle x \\right|"), "bra(x)");
  EXPECT_EQ(parse("\\left\\lfloor x \\right\\rfloor"), "floor(x)");
  EXPECT_EQ(parse("\\left\\{ x \\right."), "lparen.i2(id.i-(x))");
  EXPECT_EQ(parse("a \\left. \\right. b"), "[a b]");
  // \Updownarrow's letter is A, the mode of arrays: the group is still a \left group.
  EXPECT_EQ(parse("\\left\\Updownarrow x \\right."), "id.i-([\"\xDD\xDF\" x])");
}

TEST_F(MathParse, UnbalancedAndInvalidDelimiters) {
  std::string err;
  // The token after \left is taken as its delimiter, even when it is none.
  EXPECT_EQ(parse("\\left x \\right)", &err), "-");
  EXPECT_NE(err.find("Invalid delimiter after \\left or \\right"), std::string::npos);
  EXPECT_NE(err.find("Unbalanced \\left or \\right"), std::string::npos);
  // A \left without its \right is closed at the end as if \right. had come.
  EXPECT_EQ(parse("\\left( x", &err), "lparen.i0(id.i-(x))");
  EXPECT_NE(err.find("Unbalanced \\left or \\right"), std::string::npos);
  // Inside an argument the group is closed with the argument.
  EXPECT_EQ(parse("\\frac{\\left[ a}{b}", &err), "over(lparen.i1(id.i-(a)), b)");
}

TEST_F(MathParse, ModuloForms) {
  EXPECT_EQ(parse("a \\bmod b"), "[a \" mod \" b]");
  EXPECT_EQ(parse("a \\pmod{n}"), "[a id.i0([\"mod \" n])]");
}

TEST_F(MathParse, MboxTextIsUprightWords) {
  EXPECT_EQ(parse("x \\mbox{for all} y"), "[x \"for \" \"all\" y]");
  // Math inside the box is math of its own, handed to the frame around it.
  EXPECT_EQ(parse("a \\mbox{if $x^2$} b"), "[a \"if \" indexes(x, -, \"2\") b]");
}

TEST_F(MathParse, SkippedArgumentsLeaveNothing) {
  EXPECT_EQ(parse("a \\hyphenation{x+y} b"), "[a b]");
  // A skipped optional argument ends at its "]" although "]" is text in math.
  EXPECT_EQ(parse("a \\\\[2pt] b"), "atop(a, b)");
  EXPECT_EQ(parse("[a]"), "id.i1(a)");
  EXPECT_EQ(parse("[a"), "[\"[\" a]");
}

TEST_F(MathParse, SeventeenNestedArgumentsReportOnceAndClose) {
  std::string text;
  for (int i = 0; i < 17; ++i) text += "\\sqrt{";
  text += "x";
  for (int i = 0; i < 17; ++i) text += "}";
  std::string err;
  std::string tree = parse(text, &err);
  std::size_t first = err.find("Excessive nesting of equations");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(err.find("Excessive nesting of equations", first + 1), std::string::npos);
  // The two outer frames of the test and fourteen arguments fit; the rest stays in the
  // fourteenth argument's chain.
  EXPECT_NE(tree.find("sqrt(x)"), std::string::npos);
  EXPECT_EQ(math::mathState().overflowModes.size(), 0u);
}

TEST_F(MathParse, DeepLeftGroupsAreMatchedPastTheLimit) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "\\left( ";
  text += "x";
  for (int i = 0; i < 40; ++i) text += " \\right)";
  std::string err;
  std::string tree = parse(text, &err);
  EXPECT_NE(err.find("Excessive nesting of equations"), std::string::npos);
  EXPECT_EQ(err.find("Unbalanced"), std::string::npos);
  EXPECT_NE(tree.find("id.i0(x)"), std::string::npos);
}

TEST_F(MathParse, RowsOfDisplaysAndArrays) {
  EXPECT_EQ(parse("a=b \\\\ c=d"), "atop(equal(a, b), equal(c, d))");
  EXPECT_EQ(parse("\\begin{array}{cc} a & b \\\\ c & d \\end{array}"), "matrix(a, b, c, d)");
  EXPECT_EQ(parse("\\begin{array}{ccc} a & b \\end{array}"), "matrix(a, b, -)");
  // An array in a cell of another array keeps the cells in place.
  EXPECT_EQ(parse("\\begin{array}{cc} \\begin{array}{c} x \\end{array} & b \\end{array}"),
            "matrix(matrix(x), b)");
  // A \\ inside an argument is no row; & outside an array is spacing.
  EXPECT_EQ(parse("\\frac{a \\\\ b}{c}"), "over([a b], c)");
  EXPECT_EQ(parse("a & b"), "[a b]");
}

}  // namespace
}  // namespace pendra::testing
