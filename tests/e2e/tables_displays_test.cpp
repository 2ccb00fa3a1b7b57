// The tables of longtable, tabularx and booktabs, and the displays of amsmath: converted whole,
// looked at in the MLP the first stage writes and in the MIF document.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/mif_text.h"
#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "fidelity";

struct Converted {
  CommandResult result;
  std::string mlp;  // the body: what follows the prologue
  std::string mif;
};

Converted convert(const TempDir& dir, const std::string& body,
                  const std::string& packages = "amsmath,booktabs,longtable,multirow,tabularx") {
  dir.write("doc.tex", "\\documentclass{article}\n\\usepackage{" + packages +
                           "}\n\\begin{document}\n" + body + "\n\\end{document}\n");
  Converted c;
  c.result = runPendra("-q --mlp doc.mlp -o doc.mif doc.tex", dir.path);
  std::string mlp = slurp(dir.path / "doc.mlp");
  // The prologue ends with the last definition.
  std::size_t last = mlp.rfind("\n<!Define");
  std::size_t body_at = last == std::string::npos ? last : mlp.find("\n>\n", last);
  c.mlp = body_at == std::string::npos ? mlp : mlp.substr(body_at + 3);
  c.mif = slurp(dir.path / "doc.mif");
  return c;
}

// The messages of a run: its lines that name the source file.
std::string messages(const std::string& err) {
  std::string kept;
  for (std::size_t at = 0; at < err.size();) {
    std::size_t end = err.find('\n', at);
    if (end == std::string::npos) end = err.size();
    std::string line = err.substr(at, end - at);
    if (line.find(".tex: ") != std::string::npos) kept += line + "\n";
    at = end + 1;
  }
  return kept;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The paragraph tags of the displays, in order: the tag lines written before each FrameMath.
std::vector<std::string> equationTags(const std::string& mlp) {
  std::vector<std::string> tags;
  std::string tag;
  for (std::size_t at = 0; at < mlp.size();) {
    std::size_t end = mlp.find('\n', at);
    if (end == std::string::npos) end = mlp.size();
    std::string line = mlp.substr(at, end - at);
    if (line.rfind("<Equation", 0) == 0) tag = line;
    if (line.rfind("<!FrameMath D", 0) == 0) tags.push_back(tag);
    at = end + 1;
  }
  return tags;
}

// The order of `texts` in `text`: each must stand after the one before it.
bool inOrder(const std::string& text, const std::vector<std::string>& texts) {
  std::size_t at = 0;
  for (const std::string& t : texts) {
    at = text.find(t, at);
    if (at == std::string::npos) return false;
  }
  return true;
}

TEST(TablesAndDisplays, LongtableAndTabularxAreTables) {
  TempDir dir("tables-r16");
  fs::copy_file(kCases / "r16_longtable.tex", dir.path / "r16.tex");
  CommandResult r = runPendra("-q -o r16.mif r16.tex", dir.path);
  std::string mif = slurp(dir.path / "r16.mif");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(messages(r.err), "");
  EXPECT_EQ(statements(mif, "Tbl"), 2u);
  EXPECT_EQ(count(mif, "<TblNumColumns 2>"), 2u);
  // Two rows and one, with no empty row after the longtable's last \\.
  EXPECT_EQ(statements(mif, "Row"), 3u);
  for (const char* cell : {"`alpha ", "`beta ", "`gamma ", "`delta ", "`one ", "`two "})
    EXPECT_NE(mif.find(cell), std::string::npos) << cell;
  // The preambles and the width are read, not set as text.
  EXPECT_EQ(mif.find("ll alpha"), std::string::npos);
  EXPECT_EQ(mif.find("lX"), std::string::npos);
}

TEST(TablesAndDisplays, AlignWritesAnEquationALine) {
  TempDir dir("tables-r17");
  fs::copy_file(kCases / "r17_align.tex", dir.path / "r17.tex");
  CommandResult r = runPendra("-q -o r17.mif r17.tex", dir.path);
  std::string mif = slurp(dir.path / "r17.mif");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(messages(r.err), "");
  EXPECT_EQ(statements(mif, "Math"), 2u);
  // The lines are equations, not body text.
  EXPECT_EQ(mif.find("<String `a"), std::string::npos);
  EXPECT_EQ(mif.find("<String `d"), std::string::npos);
}

TEST(TablesAndDisplays, BooktabsRulesAndMultirow) {
  TempDir dir("tables-booktabs");
  Converted c = convert(dir,
                        "\\begin{tabular}{lcr}\\toprule[1pt] A & B & C \\\\ \\midrule\n"
                        "\\multirow{2}{*}{tall} & 1 & 2 \\\\ & 3 & 4 \\\\\n"
                        "\\cmidrule(lr){2-3} \\addlinespace[2pt] 5 & 6 & 7 \\\\ "
                        "\\specialrule{1pt}{2pt}{2pt} \\bottomrule\n\\end{tabular}");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(messages(c.result.err), "");
  EXPECT_EQ(count(c.mlp, "<!HorizLine>"), 4u);
  EXPECT_NE(c.mlp.find("<!CLine 2 3>"), std::string::npos);
  for (const char* word : {"rule", "1pt", "2pt", "lr"})
    EXPECT_EQ(c.mlp.find(word), std::string::npos) << word;
  EXPECT_NE(c.mlp.find("<!Straddle 2 1 <Cell>\ntall\n >\n<!Cell <Cell>\n1"), std::string::npos)
      << c.mlp;
  // The row below the \multirow has an empty first cell, which the straddle covers.
  EXPECT_NE(c.mlp.find("<!Row <!Cell  >\n<!Cell <Cell>\n3"), std::string::npos) << c.mlp;
  EXPECT_TRUE(inOrder(c.mif, {"`C ", "<Row", "<Cell\n", "<CellRows 2>\n", "<CellContent", "`tall ",
                              "<Row", "<Cell\n", "<CellContent"}))
      << c.mif;
  EXPECT_EQ(statements(c.mif, "CellRows"), 1u);
  EXPECT_EQ(c.mif.find("<CellColumns"), std::string::npos);

  // Inside a \multicolumn the straddle keeps its columns. After text, or counting below two,
  // \multirow writes its text in the cell alone.
  c = convert(dir,
              "\\begin{tabular}{lll} \\multicolumn{2}{c}{\\multirow[t]{3}{*}{wide}} & a \\\\\n"
              "& & b \\\\ & & c \\\\ x \\multirow{2}{*}{late} & {} \\multirow{-2}{*}{up} & "
              "\\multirow{1}{*}{one} \\\\ \\end{tabular}");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(messages(c.result.err), "");
  EXPECT_NE(c.mlp.find("<!Row <!Straddle 3 2 <Cell>\nwide\n >\n<!Cell <Cell>\na\n"),
            std::string::npos)
      << c.mlp;
  EXPECT_TRUE(inOrder(c.mif, {"<CellColumns 2>\n", "<CellRows 3>\n", "`wide "})) << c.mif;
  EXPECT_EQ(statements(c.mif, "CellRows"), 1u);
  EXPECT_EQ(count(c.mlp, "<!Straddle"), 1u);
  for (const char* text : {"x late", "up", "one"})
    EXPECT_NE(c.mlp.find(text), std::string::npos) << text;

  // A brace group around the \multirow keeps its font in the straddling cell.
  c = convert(dir, "\\begin{tabular}{l} {\\bfseries \\multirow{2}{*}{a}} \\\\ b \\end{tabular}");
  EXPECT_NE(c.mlp.find("<!Row <!Straddle 2 1 <Cell>\n<bf>a<rm>\n >\n >\n<!Row <!Cell <Cell>\nb\n"),
            std::string::npos)
      << c.mlp;

  // A \multirow that reaches past the last row: reported, its text kept.
  c = convert(dir, "\\begin{tabular}{ll} \\multirow{5}{2cm}{deep} & x \\\\ y & z \\end{tabular}");
  EXPECT_EQ(c.result.status, 0);
  EXPECT_NE(c.result.err.find("\\multirow reaches past the end of the table"), std::string::npos);
  EXPECT_NE(c.mlp.find("deep"), std::string::npos);
}

TEST(TablesAndDisplays, LongtableHeadingAndFootingBlocks) {
  TempDir dir("tables-longtable");
  Converted c =
      convert(dir,
              "\\begin{longtable}[c]{|l|p{3cm}|}\n\\hline First & Head \\\\ \\endfirsthead\n"
              "Again & Head \\\\ \\endhead\nMore & Follows \\\\ \\endfoot\n"
              "The & End \\\\ \\endlastfoot\nb1 & b2 \\\\\nb3 & b4 \\\\\n\\end{longtable}\n"
              "After.");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(messages(c.result.err), "");
  // The \endfirsthead rows are the heading, the \endfoot rows the footing; the \endhead and
  // \endlastfoot repeats are dropped.
  EXPECT_TRUE(inOrder(c.mlp, {"<!Table 2\n<!TblHeading\n<!HorizLine>\n<!Row ", "First", "Head",
                              " >\n >\n >\n<!Row ", "b1", "b4", " >\n >\n<!TblFooting\n<!Row ",
                              "More", "Follows", " >\n >\n >\n >\n"}))
      << c.mlp;
  EXPECT_EQ(c.mlp.find("Again"), std::string::npos);
  EXPECT_EQ(c.mlp.find("The\n"), std::string::npos);
  EXPECT_EQ(count(c.mlp, "<!Row "), 4u);
  EXPECT_TRUE(inOrder(c.mif, {"<TblNumColumns 2>", "<TblH\n", "<Row", "`First ", "`Head ",
                              "<TblBody\n", "`b1 ", "`b2 ", "<Row", "`b3 ", "`b4 ", "<TblF\n",
                              "<Row", "`More ", "`Follows ", "# end of Tbl\n"}))
      << c.mif;
  EXPECT_EQ(statements(c.mif, "TblH"), 1u);
  EXPECT_EQ(statements(c.mif, "TblF"), 1u);
  EXPECT_NE(c.mif.find("`After. '"), std::string::npos);

  // \endfirsthead after \endhead still gives the heading; a block without rows is no heading
  // or footing, and a table of blocks alone keeps an empty body row.
  c = convert(dir,
              "\\begin{longtable}{l} Repeat \\\\ \\endhead First \\\\ \\endfirsthead\n"
              "\\hline \\endfoot Last \\\\ \\endlastfoot Body \\\\ \\end{longtable}");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(c.mlp.find("Repeat"), std::string::npos);
  EXPECT_TRUE(inOrder(c.mif, {"<TblH\n", "`First ", "<TblBody\n", "`Body ", "<TblF\n", "`Last "}))
      << c.mif;
  EXPECT_EQ(statements(c.mif, "Row"), 3u);
  c = convert(dir, "\\begin{longtable}{l} Head \\\\ \\endhead \\hline \\endfoot\n\\end{longtable}");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_TRUE(inOrder(c.mif, {"<TblH\n", "`Head ", "<TblBody\n", "<Row", "<String ` '>"})) << c.mif;
  EXPECT_EQ(statements(c.mif, "TblF"), 0u);
  EXPECT_EQ(statements(c.mif, "Row"), 2u);

  // Outside a longtable the block ends are reported.
  c = convert(dir, "\\begin{tabular}{l} a \\\\ \\endhead b \\end{tabular}");
  EXPECT_NE(c.result.err.find("\\endhead is valid only inside longtable"), std::string::npos);
  EXPECT_EQ(count(c.mlp, "<!Row "), 2u);
}

TEST(TablesAndDisplays, EachLineOfAnAlignIsAnEquation) {
  TempDir dir("displays-align");
  Converted c = convert(dir,
                        "\\begin{align}\na &= b \\label{one} \\\\\nc &= d \\notag \\\\\n"
                        "e &= f \\tag{3a} \\label{three} \\\\\nx &= 1 & y &= 2 \\nonumber \\\\\n"
                        "\\intertext{and so}\ng &= h \\\\\n\\end{align}\n"
                        "See \\eqref{one} and \\ref{three}.");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(messages(c.result.err), "");
  std::vector<std::string> expected = {"<Equation>", "<EquationNoNum>", "<EquationNoNum>",
                                       "<EquationNoNum>", "<Equation>"};
  EXPECT_EQ(equationTags(c.mlp), expected);
  // Labels stand after their own lines; \tag's text after its equation.
  EXPECT_TRUE(inOrder(c.mlp, {"char[b]", "Label:one", "char[d]", "char[f]", "(3a)", "Label:three",
                              "<Body>\nand so", "char[h]"}))
      << c.mlp;
  EXPECT_NE(c.mlp.find("See (<!xref\nSectionNumber \"Label:one\">)"), std::string::npos);
  // Two columns of equations: the second & of a pair separates them; none is text.
  EXPECT_EQ(c.mlp.find("&"), std::string::npos);
  EXPECT_EQ(statements(c.mif, "Math"), 5u);
}

TEST(TablesAndDisplays, TheOtherDisplaysAndWhatStandsInside) {
  TempDir dir("displays-other");
  Converted c = convert(dir,
                        "\\begin{gather*} p = q \\\\ r = s \\tag*{star} \\end{gather*}\n"
                        "\\begin{gather} t \\\\ u \\end{gather}\n"
                        "\\begin{multline} a + b \\\\ + c \\end{multline}\n"
                        "\\begin{multline*} a \\\\ b \\end{multline*}\n"
                        "\\begin{alignat}{2} a &= b & c &= d \\end{alignat}\n"
                        "\\begin{flalign*} a &= b \\end{flalign*}\n"
                        "\\begin{equation}\\begin{split} a &= b \\\\ &= c \\end{split}\\label{sp}"
                        "\\end{equation}\n"
                        "\\begin{equation*} f = \\begin{cases} 1 & x > 0 \\\\ 0 & "
                        "\\text{otherwise} \\end{cases} \\end{equation*}\n"
                        "\\[ \\begin{pmatrix} 1 & 2 \\\\ 3 & 4 \\end{pmatrix} \\begin{vmatrix} a "
                        "\\end{vmatrix} \\binom{n}{k} \\dfrac{1}{2} \\operatorname{sgn} x \\]\n"
                        "\\begin{align*} \\begin{aligned} a &= b \\\\ c &= d \\end{aligned} "
                        "\\end{align*}\n");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(messages(c.result.err), "");
  std::vector<std::string> expected = {"<EquationNoNum>", "<EquationNoNum>", "<Equation>",
                                       "<Equation>",      "<Equation>",      "<EquationNoNum>",
                                       "<Equation>",      "<EquationNoNum>", "<Equation>",
                                       "<EquationNoNum>", "<EquationNoNum>", "<EquationNoNum>"};
  EXPECT_EQ(equationTags(c.mlp), expected) << c.mlp;
  // multline and split stack their lines in one equation; the matrices count their columns.
  EXPECT_EQ(count(c.mlp, "atop[(*n*)plus"), 1u);
  EXPECT_NE(c.mlp.find("atop[(*n*)equal"), std::string::npos);
  EXPECT_NE(c.mlp.find("Label:sp"), std::string::npos);
  EXPECT_NE(c.mlp.find("lparen[(*ni2i*)matrix[(*i1i*)2,2,"), std::string::npos);
  EXPECT_NE(c.mlp.find("matrix[(*i1i*)2,2,string[(*nf\"Times\"f*)\"1\"]"), std::string::npos);
  EXPECT_NE(c.mlp.find("abs[(*n*)matrix[(*i1i*)1,1,"), std::string::npos);
  EXPECT_NE(c.mlp.find("id[(*n*)atop[(*n*)char["), std::string::npos);
  EXPECT_NE(c.mlp.find("over[(*n*)string[(*nU0U*)\"1\"],string[\"2\"]]"), std::string::npos);
  EXPECT_NE(c.mlp.find("\"sgn\""), std::string::npos);
  EXPECT_NE(c.mlp.find("star"), std::string::npos);
  EXPECT_EQ(c.mlp.find("(star)"), std::string::npos);
}

TEST(TablesAndDisplays, DeclaredOperatorsAndEqnarrayAsBefore) {
  TempDir dir("displays-eqnarray");
  Converted c = convert(dir,
                        "\\begin{eqnarray} a &=& b \\label{e1} \\\\ c &=& d \\nonumber\n"
                        "\\end{eqnarray}\n\\[ x \\tag{5} \\Tr y \\]",
                        "amsmath}\n\\DeclareMathOperator{\\Tr}{Tr}\n\\usepackage{amssymb");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  // eqnarray stays one equation, its lines stacked; \nonumber and \tag change nothing there.
  EXPECT_EQ(equationTags(c.mlp), (std::vector<std::string>{"<Equation>", "<EquationNoNum>"}));
  EXPECT_NE(c.mlp.find("atop[(*n*)equal"), std::string::npos);
  EXPECT_NE(c.mlp.find("Label:e1"), std::string::npos);
  EXPECT_NE(c.mlp.find("string[\"Tr\"]"), std::string::npos) << c.mlp;
  EXPECT_NE(c.mlp.find("\"5\""), std::string::npos);
}

TEST(TablesAndDisplays, MalformedDisplaysAndTablesAreReportedAndTheTextGoesOn) {
  TempDir dir("displays-malformed");
  // No & and no \\: one line, its equation whole.
  Converted c = convert(dir, "\\begin{align} a = b \\end{align} After one.");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_EQ(equationTags(c.mlp), std::vector<std::string>{"<Equation>"});
  EXPECT_NE(c.mif.find("After one."), std::string::npos);

  // An align left open: the document's end closes it, and its lines are kept.
  c = convert(dir, "Before.\n\\begin{align} a &= b \\\\ c &= d\n");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_NE(c.result.err.find("closing env. name (document) != opening name (align)"),
            std::string::npos)
      << c.result.err;
  EXPECT_EQ(equationTags(c.mlp).size(), 2u) << c.mlp;

  // A longtable left open and a \multirow in a table of one row.
  c = convert(dir, "\\begin{longtable}{ll} a & b \\\\ \\endhead c & \\multirow{3}{*}{d}\n");
  EXPECT_EQ(c.result.status, 0) << c.result.err;
  EXPECT_NE(c.result.err.find("\\multirow reaches past the end of the table"), std::string::npos);
  EXPECT_TRUE(inOrder(c.mlp, {"a\n", "b\n", "c\n", "d\n"})) << c.mlp;
}

}  // namespace
}  // namespace pendra::testing
