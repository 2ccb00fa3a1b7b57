// Package command tables: a package's commands exist once the document loads it, whatever the
// form of the loading command, and a document's own definition of such a name is left alone when
// the package is not loaded.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

std::string convert(const TempDir& dir, const std::string& preamble, const std::string& body) {
  std::ofstream(dir.path / "doc.tex") << "\\documentclass{article}\n"
                                      << preamble << "\\begin{document}\n"
                                      << body << "\n\\end{document}\n";
  CommandResult r = runPendra("-q -o out.mif doc.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  return slurp(dir.path / "out.mif");
}

TEST(Packages, CommandsExistOnceTheirPackageIsLoaded) {
  TempDir dir("packages");
  const std::string body = "\\setlist{nosep}\\setitemize[1]{label=-}See text.";
  // Not loaded: the names are unknown and written, so that the user sees them.
  std::string mif = convert(dir, "", body);
  EXPECT_NE(mif.find("setlist"), std::string::npos);
  // Options, a list with blanks and a comment, a version date, \RequirePackage.
  for (const char* preamble :
       {"\\usepackage{enumitem}\n", "\\usepackage[shortlabels]{amsmath, % maths\n  enumitem}\n",
        "\\usepackage{enumitem}[2016/01/01]\n", "\\RequirePackage{enumitem}\n"}) {
    mif = convert(dir, preamble, body);
    EXPECT_NE(mif.find("<String `See text. '>"), std::string::npos) << preamble;
    EXPECT_EQ(mif.find("set"), std::string::npos) << preamble;
  }
}

TEST(Packages, ADocumentsOwnDefinitionStandsWhenThePackageIsNotLoaded) {
  TempDir dir("packages");
  std::string mif = convert(dir, "\\newcommand{\\setlist}[2]{[#1:#2]}\n", "A \\setlist{x}{y}.");
  EXPECT_NE(mif.find("<String `A [x:y]. '>"), std::string::npos);
  // Defined first and then loaded: the document's definition is kept.
  mif = convert(dir, "\\newcommand{\\setlist}[2]{[#1:#2]}\n\\usepackage{enumitem}\n",
                "A \\setlist{x}{y}.");
  EXPECT_NE(mif.find("<String `A [x:y]. '>"), std::string::npos);
}

TEST(Packages, AMalformedLoadingCommandLosesNoText) {
  TempDir dir("packages");
  std::string mif = convert(dir, "\\usepackage\n", "Kept text.");
  EXPECT_NE(mif.find("Kept text."), std::string::npos);
  mif = convert(dir, "\\usepackage[unclosed]{enumitem\n\n", "Kept text.");
  EXPECT_NE(mif.find("Kept text."), std::string::npos);
}

TEST(Packages, TheDocumentationClassesGiveMetavariablesAndCommandNames) {
  TempDir dir("packages-doc");
  const std::string body =
      "\\begin{document}\nUse \\cs{foo}\\marg{text}\\oarg{opt} "
      "\\meta{name}.\n\\end{document}\n";
  for (const char* cls : {"ltxdoc", "l3doc"}) {
    std::ofstream(dir.path / "doc.tex") << "\\documentclass{" << cls << "}\n" << body;
    CommandResult r = runPendra("-q -o out.mif doc.tex", dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("Unknown commands"), std::string::npos) << cls << r.err;
    std::string mif = slurp(dir.path / "out.mif");
    // The command name with its backslash, then the argument's braces in typewriter type around
    // the Symbol font's angle brackets and the italic name.
    EXPECT_NE(mif.find("<String `\\\\foo{'>"), std::string::npos) << cls;
    std::size_t text = mif.find("<String `text'>");
    ASSERT_NE(text, std::string::npos) << cls;
    EXPECT_NE(mif.rfind("<FItalic Yes>", text), std::string::npos);
    EXPECT_NE(mif.rfind("<String `\\xe1 '>", text), std::string::npos);
    EXPECT_NE(mif.find("<String `\\xf1 '>", text), std::string::npos);
    EXPECT_NE(mif.find("<String `}['>", text), std::string::npos);
  }
  // In an article, without the doc package, the names stay unknown and visible.
  std::string mif = convert(dir, "", "\\meta{name}");
  EXPECT_NE(mif.find("\\\\meta"), std::string::npos);
  mif = convert(dir, "\\usepackage{doc}\n", "\\meta{name}");
  EXPECT_EQ(mif.find("\\\\meta"), std::string::npos);
}

TEST(Packages, InlineListingsAreVerbatimInDelimitersOrBalancedBraces) {
  TempDir dir("packages-lstinline");
  std::string mif = convert(dir, "\\usepackage{listings}\n",
                            "Call \\lstinline[style=x]|f( a, b)| or \\lstinline{g {x} } or "
                            "\\lstinline{}, then \\lstinline!\\emph{}! end.");
  // The spaces after a delimiter are the code's (fixed spaces, as in \verb); nested braces are
  // balanced; empty code is empty.
  EXPECT_NE(mif.find("<String `f(\x11 a,\x11 b)'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String `g\x11 {x}\x11 '>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String ` or , then '>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String `\\\\emph{}'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String ` end. '>"), std::string::npos) << mif;
  // Called at the end of a macro's body, the code is the text after the body.
  mif = convert(dir,
                "\\usepackage{listings}\n\\newcommand\\vi{\\lstinline[style=x]}\n"
                "\\newcommand\\vb{\\verb}\n",
                "A \\vi|\\par| b \\vb!\\x! c.");
  EXPECT_NE(mif.find("<String `\\\\par'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String `\\\\x'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<String ` c. '>"), std::string::npos) << mif;
  // Code left open runs to the end, as \verb's does, and is reported; nothing after it is lost.
  std::ofstream(dir.path / "doc.tex") << "\\documentclass{article}\\usepackage{listings}\n"
                                         "\\begin{document}\nA \\lstinline{open\n\\end{document}\n";
  CommandResult r = runPendra("-q -o out.mif doc.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("unterminated \\verb construct"), std::string::npos) << r.err;
}

TEST(Packages, FrenchQuotesPutHardSpacesInsideTheGuillemets) {
  TempDir dir("packages-babel");
  std::string mif = convert(dir, "\\usepackage[french]{babel}\n", "Le \\og texmf \\fg{} x.");
  // The blanks of the source inside the quotes give way to FrameMaker's hard spaces.
  const std::string expected =
      "<String `Le \\xc7 '>\n\t  <Char HardSpace>\n\t  <String `texmf'>\n\t  <Char HardSpace>\n"
      "\t  <String `\\xc8  x. '>";
  EXPECT_NE(mif.find(expected), std::string::npos) << mif;
  // Without babel the names are unknown, and the kernel's guillemets stand anywhere.
  mif = convert(dir, "", "\\og \\guillemotleft a\\guillemotright");
  EXPECT_NE(mif.find("\\\\og"), std::string::npos) << mif;
  EXPECT_NE(mif.find("\\xc7  a\\xc8 "), std::string::npos) << mif;
}

TEST(Packages, XspaceAddsASpaceOnlyBeforeAWord) {
  TempDir dir("packages-xspace");
  std::string mif = convert(dir, "\\usepackage{xspace}\n\\newcommand{\\pp}{pendra\\xspace}\n",
                            "\\pp is, \\pp. (\\pp) \\pp{} x \\pp\nend.");
  EXPECT_NE(mif.find("<String `pendra is, pendra. (pendra) pendra x pendra end. '>"),
            std::string::npos)
      << mif;
}

TEST(Packages, ApaciteCitationsAreCrossReferences) {
  TempDir dir("packages-apacite");
  std::string mif = convert(dir, "\\usepackage{apacite}\n",
                            "See \\citeA{k1} and \\fullciteNP[p.~3]{k2}.\n"
                            "\\begin{thebibliography}{9}\\bibitem{k1} One.\\bibitem{k2} Two."
                            "\\end{thebibliography}");
  EXPECT_NE(mif.find("<XRefSrcText `Ref:k1'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<XRefSrcText `Ref:k2'>"), std::string::npos) << mif;
  EXPECT_EQ(mif.find("citeA"), std::string::npos) << mif;
}

}  // namespace
}  // namespace pendra::testing
