// Equations in the MLP body: inline statements and plain text, displays with their paragraph
// tags, labels, and bad input that must still leave a well-formed body.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "math/parser.h"
#include "math/state.h"
#include "math_fixture.h"
#include "output/xref.h"
#include "support/run_command.h"

namespace pendra::testing {
namespace {

class Equations : public MathConvertFixture {
 protected:
  // The body written for `text` (the channel holds what earlier calls wrote too).
  std::string body(std::string_view text, std::string* err = nullptr) {
    std::string messages;
    std::string out = convert(text, &messages);
    if (err) *err = messages;
    EXPECT_EQ(math::mathState().depth, 0) << text;
    std::string fresh = out.substr(seen_);
    seen_ = out.size();
    return fresh;
  }
  std::size_t seen_ = 0;
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST_F(Equations, WorkedExampleIsAnInlineStatement) {
  std::string err;
  EXPECT_EQ(body("Inline $x^2 + \\frac{a}{b}$ follows.\n", &err),
            "\n<Body>\nInline\n"
            "<!FrameMath I 0.0 0.0 0.0 0.0\"\n"
            "plus[(*n*)indexes[(*n*)1,0,char[(*nf\"Times\"fB\"Italic\"BU0U*)x],string[(*nU0U*)"
            "\"2\"]],over[(*n*)char[(*nB\"Italic\"BU0U*)a],char[b]]]\n"
            "><Comment\n"
            "> follows.\n");
  EXPECT_EQ(err, "");
}

TEST_F(Equations, SimpleInlineMathIsText) {
  EXPECT_EQ(body("$x^2 + y$\n"), "\n<Body>\n<em>x<Plain><Superscript>2<sy>+<em>y\n");
  // Signs of the Symbol font go in as escapes; spacing beside a word as blanks.
  std::string out = body("$a \\leq b$ and $2\\,ab\\;c$\n");
  EXPECT_NE(out.find("<sy>\\xa3 <em>b"), std::string::npos) << out;
  EXPECT_NE(out.find("2<em>ab c"), std::string::npos) << out;
}

TEST_F(Equations, DisplaysTakeTheirEnvironmentsTags) {
  std::string out = body("\\[ a \\]\n\\begin{equation} b \\end{equation}\n$$c$$\n");
  EXPECT_EQ(count(out, "<!FrameMath D"), 3) << out;
  EXPECT_NE(out.find("<EquationNoNum>\n<!FrameMath D 0.0 0.0 0.0 0.0\"\nchar["), std::string::npos);
  EXPECT_NE(out.find("<Equation>\n<!FrameMath D"), std::string::npos) << out;
  EXPECT_EQ(count(out, "\n>\n"), 3) << out;
}

TEST_F(Equations, EqnarrayRowsAreOneRowList) {
  std::string out = body("\\begin{eqnarray}\na &=& b \\\\[3pt]\nc &=& d\n\\end{eqnarray}\nafter\n");
  EXPECT_NE(out.find("atop[(*n*)equal[(*n*)char[(*nf\"Times\"fB\"Italic\"BU0U*)a],char[b]],"
                     "equal[(*n*)char[c],char[d]]]"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("after"), std::string::npos);
}

TEST_F(Equations, ArrayIsAMatrixInMathAndATableInText) {
  std::string out = body("$\\begin{array}{cc} a & b \\end{array}$\n");
  EXPECT_NE(out.find("matrix[(*i1i*)1,2,char[(*nf\"Times\"fB\"Italic\"BU0U*)a],char[b]]"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("<!Table"), std::string::npos) << out;
  out = body("\\begin{equation}\\begin{array}{c} a \\\\ b \\end{array}\\end{equation}\n");
  EXPECT_NE(out.find("matrix[(*i1i*)2,1,"), std::string::npos) << out;
  // In running text the array is the tabular it is set as.
  out = body("\\begin{array}{cc} a & b \\end{array}\n");
  EXPECT_EQ(out.find("matrix["), std::string::npos) << out;
  EXPECT_NE(out.find("<!Table 2\n<!Row <!Cell <Cell>\na\n >\n<!Cell <Cell>\nb\n >\n >\n >\n"),
            std::string::npos)
      << out;
}

TEST_F(Equations, LabelsAreWrittenWithTheirEquation) {
  std::string out = body("\\begin{equation} E \\label{energy} \\end{equation}\nnext\n");
  std::size_t statement = out.find("<!FrameMath D");
  std::size_t marker = out.find("<marker\n<mtype 9> <mtext \"Label:energy\">>\n");
  ASSERT_NE(marker, std::string::npos) << out;
  EXPECT_LT(statement, marker);
  EXPECT_LT(marker, out.find("next"));
  // Inline, the marker follows the equation within the paragraph.
  math::setPendingEquationLabel("k\"ey");
  out = body("$x$ y\n");
  EXPECT_NE(out.find("x<marker\n<mtype 9> <mtext \"Label:key\">><rm> y"), std::string::npos) << out;
}

TEST_F(Equations, StatementsWrittenInsideADisplayStayWhole) {
  // The ">" of the \ref goes out before the array's tag line.
  std::string out =
      body("\\begin{array}{c}\\ref{q}\\begin{eqnarray}x\\end{eqnarray}\\end{array}\n");
  EXPECT_NE(out.find("SectionNumber \"Label:q\">\n"), std::string::npos) << out;
}

TEST_F(Equations, SkippedTextWritesNoEquation) {
  std::string out = body("a\\hyphenation{$x^2+\\frac{1}{2}$}b\n");
  EXPECT_EQ(out.find("FrameMath"), std::string::npos) << out;
}

TEST_F(Equations, ModuloIsTheWordMod) {
  EXPECT_NE(body("$a \\bmod b$\n").find(" mod "), std::string::npos);
}

TEST_F(Equations, BadInputLeavesAWellFormedBody) {
  std::string err;
  // Math that never closes is written at the end of the input.
  std::string out = body("text $x^2 + \\frac{a}{b", &err);
  EXPECT_NE(err.find("construct unclosed"), std::string::npos);
  EXPECT_EQ(count(out, "<!FrameMath I"), 1) << out;
  // Unbalanced groups and scripts with nothing before them.
  out = body("\\[ \\right) ^2 \\left( \\left[ x \\]\n", &err);
  EXPECT_NE(err.find("Unbalanced \\left or \\right"), std::string::npos);
  EXPECT_EQ(count(out, "<!FrameMath D"), 1) << out;
  // Deep nesting of every kind.
  std::string deep = "$";
  for (int i = 0; i < 300; ++i) deep += "\\frac{\\left( {x^";
  deep += "y";
  for (int i = 0; i < 300; ++i) deep += "}\\right)}{2}";
  deep += "$\n";
  out = body(deep, &err);
  EXPECT_NE(err.find("Excessive nesting of equations"), std::string::npos);
  EXPECT_EQ(count(out, "<!FrameMath I"), 1);
  // Forty pieces with equal spacing overflow the grouping stack.
  std::string spaced = "\\[";
  for (int i = 0; i < 40; ++i) spaced += " a\\;";
  spaced += "\\]\n";
  out = body(spaced, &err);
  EXPECT_NE(err.find("spacing stack overflow"), std::string::npos);
  EXPECT_EQ(count(out, "<!FrameMath D"), 1);
}

TEST(EquationsEndToEnd, MathObjectsReachTheImportedDocument) {
  TempDir dir("math-e2e");
  std::filesystem::path tex =
      std::filesystem::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex" / "math.tex";
  std::filesystem::copy_file(tex, dir.path / "math.tex");
  CommandResult r = runPendra("-q -o out.mif math.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "out.mif");
  // Inline, display, equation, eqnarray and array math: five Math objects with their expressions.
  EXPECT_EQ(count(mif, "<Math\n"), 5) << mif;
  EXPECT_EQ(count(mif, "<MathFullForm `"), 5);
  EXPECT_NE(mif.find("<MathFullForm `atop[(*n*)equal["), std::string::npos);
  EXPECT_EQ(r.err.find("rror"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace pendra::testing
