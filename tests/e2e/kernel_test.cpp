// The commands and environments of the LaTeX 2e kernel and its common packages, as real documents
// use them, and the summary of what is still unknown at the end of a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

struct Converted {
  CommandResult result;
  std::string mif;
};

// The date every test here converts at, unless it asks for none.
const std::string kEpoch = "SOURCE_DATE_EPOCH=1700000000 ";

Converted convert(const TempDir& dir, const std::string& source,
                  const std::string& prefix = kEpoch) {
  std::ofstream(dir.path / "doc.tex") << source;
  Converted c;
  c.result = runPendra("-q -o out.mif doc.tex", dir.path, prefix);
  c.mif = slurp(dir.path / "out.mif");
  return c;
}

Converted convertBody(const TempDir& dir, const std::string& preamble, const std::string& body) {
  return convert(dir, "\\documentclass{article}\n" + preamble + "\\begin{document}\n" + body +
                          "\n\\end{document}\n");
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Kernel, UnknownNamesAreWrittenAndSummedUpMostFrequentFirst) {
  TempDir dir("kernel-unknown");
  Converted out =
      convertBody(dir, "",
                  "\\zork \\blip{} \\zork\\zork $\\blip$ \\qux\n"
                  "\\begin{odd}x\\end{odd}\\begin{odd}y\\end{odd}\\begin{rare}z\\end{rare}"
                  "\\newenvironment{mine}{}{}\\begin{mine}w\\end{mine}");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  // The name of an unknown command is still written, so that the user sees it in the text.
  EXPECT_TRUE(has(out.mif, "\\\\zork")) << out.mif;
  const std::string& err = out.result.err;
  // With -q: the summary is a result, not progress. Counts first, most frequent first, ties by
  // name; math counts as text does; a defined environment is not unknown.
  std::size_t head = err.find("Unknown commands (6 uses), most frequent first:\n");
  ASSERT_NE(head, std::string::npos) << err;
  EXPECT_TRUE(has(err, "  3 \\zork\n  2 \\blip\n  1 \\qux\n")) << err;
  EXPECT_TRUE(has(err, "Unknown environments (3 uses), most frequent first:\n  2 odd\n  1 rare\n"))
      << err;
  EXPECT_FALSE(has(err, "mine")) << err;

  // A document with nothing unknown has no summary.
  out = convertBody(dir, "", "Plain text.");
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
}

TEST(Kernel, TheSummaryListsAtMostFiftyNamesAndSumsTheRest) {
  TempDir dir("kernel-unknown-many");
  std::string body;
  for (char a = 'a'; a <= 'c'; ++a)
    for (char b = 'a'; b <= 'z'; ++b) body += std::string("\\u") + a + b + " ";
  Converted out = convertBody(dir, "", body);
  const std::string& err = out.result.err;
  EXPECT_TRUE(has(err, "Unknown commands (78 uses)")) << err;
  EXPECT_TRUE(has(err, "  1 \\ubx\n  28 more uses of other commands\n")) << err;
  EXPECT_FALSE(has(err, "\\uby")) << err;
}

// The MIF strings of a conversion, joined: the text as a reader sees it, runs of one paragraph
// split where the font changes.
std::string strings(const std::string& mif) {
  std::string text;
  for (std::size_t at = mif.find("<String `"); at != std::string::npos;
       at = mif.find("<String `", at)) {
    at += 9;
    std::size_t end = mif.find("'>", at);
    if (end == std::string::npos) break;
    text += mif.substr(at, end - at) + "|";
  }
  return text;
}

TEST(Kernel, TheFidelityCaseOfUnknownCommandsLosesNoneOfItsWords) {
  TempDir dir("kernel-r13");
  fs::copy_file(fs::path(PENDRA_SOURCE_DIR) / "tests/e2e/fidelity/r13_unknown_cmds.tex",
                dir.path / "doc.tex");
  CommandResult r = runPendra("-q -o out.mif doc.tex", dir.path, kEpoch);
  EXPECT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "out.mif");
  // No command name of these in the text: the table of contents is FrameMaker's to generate
  // (noted once), \citet is a citation, \today the date.
  for (const char* name : {"tableofcontents", "citet", "today"})
    EXPECT_FALSE(has(mif, name)) << name;
  EXPECT_TRUE(has(r.err, "doc.tex: 4: \\tableofcontents left out")) << r.err;
  EXPECT_TRUE(has(mif, "<XRefSrcText `Ref:knuth'>")) << mif;
  EXPECT_TRUE(has(mif, "<String `Done November 14, 2023. '>")) << mif;
  EXPECT_FALSE(has(r.err, "\\citet")) << r.err;
  // The links are text with a hypertext marker, \eqref a cross-reference in parentheses, the
  // booktabs rules a table's rulings: nothing is left unknown.
  EXPECT_TRUE(has(mif, "<MText `message URL http://x.org/a_b'>")) << mif;
  EXPECT_TRUE(has(mif, "<String `http://x.org/a_b'>")) << mif;
  EXPECT_TRUE(has(mif, "<MText `message URL http://x.org'>")) << mif;
  EXPECT_TRUE(has(mif, "<XRefSrcText `Label:e1'>")) << mif;
  EXPECT_TRUE(has(mif, "<Tbls\n  <Tbl\n")) << mif;
  for (const char* name : {"\\url", "\\href", "eqref", "toprule", "bottomrule"})
    EXPECT_FALSE(has(mif, name)) << name;
  EXPECT_FALSE(has(r.err, "Unknown")) << r.err;
}

TEST(Kernel, TextCommandsGiveTheirCharacters) {
  TempDir dir("kernel-text");
  Converted out = convertBody(dir, "",
                              "a\\textbackslash b\\textbar c\\textless d\\textgreater e "
                              "\\textendash\\textemdash "
                              "\\textquotedblleft q\\textquotedblright{} \\textbullet{} "
                              "x\\ldots y\\dots z\\textellipsis{} \\TeX{} \\LaTeXe.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  std::string text = strings(out.mif);
  // The MIF's own escapes: \\ a backslash, \> and \xNN for the rest.
  for (const char* part : {"a\\\\", "b|", "c<", "d\\>", "\\xd0 ", "\\xd1 ", "\\xd2 ", "\\xd3 ",
                           "\\xa5 ", "x\\xc9 ", "y\\xc9 ", "z\\xc9 "})
    EXPECT_TRUE(has(text, part)) << part << " in " << text;
  // An ellipsis in text no longer underlines the word after it.
  EXPECT_FALSE(has(out.mif, "FSingle")) << text;
  // LaTeX2e: the logo's letters and the epsilon of the Symbol font, lowered.
  EXPECT_TRUE(has(text, "X2|e|")) << text;
}

TEST(Kernel, TodayIsTheSourceDateWhenSetAndTheDateVariableElse) {
  TempDir dir("kernel-today");
  const std::string source =
      "\\documentclass{article}\n\\begin{document}\nOn \\today.\n\\end{document}\n";
  EXPECT_TRUE(has(convert(dir, source, "SOURCE_DATE_EPOCH=0 ").mif, "On January 1, 1970. "));
  Converted out = convert(dir, source, "env -u SOURCE_DATE_EPOCH ");
  EXPECT_TRUE(has(out.mif, "<VariableName `Current Date (Long)'>")) << out.mif;
}

TEST(Kernel, EmphasisNestsAndSwitchesBackToUpright) {
  TempDir dir("kernel-emph");
  Converted out = convertBody(dir, "", "\\emph{out \\emph{in} out} \\textit{i \\emph{up}}");
  std::string mif = out.mif;
  // "in" and "up" are upright: the font statement before each turns italic off.
  for (const char* word : {"<String `in'>", "<String `up '>"}) {
    std::size_t at = mif.find(word);
    ASSERT_NE(at, std::string::npos) << word << mif;
    std::size_t font = mif.rfind("<FItalic ", at);
    ASSERT_NE(font, std::string::npos) << word;
    EXPECT_EQ(mif.compare(font, 12, "<FItalic No>"), 0) << mif.substr(font, 30);
  }
  EXPECT_TRUE(has(mif, "<String ` out'>"));
}

TEST(Kernel, PreambleFurnitureIsReadSilently) {
  TempDir dir("kernel-furniture");
  Converted out = convertBody(
      dir,
      "\\PassOptionsToPackage{hyphens}{url}\n\\usepackage{geometry,listings,caption,siunitx,"
      "xcolor,amsthm}\n\\geometry{margin=1in}\\lstset{basicstyle=\\ttfamily}"
      "\\captionsetup[figure]{font=small}\\sisetup{detect-all}\\colorlet{c}{red}"
      "\\theoremstyle{definition}\\bibliographystyle{plain}\\pagestyle{empty}"
      "\\setcounter{tocdepth}{2}\n",
      "\\thispagestyle{plain}\\markboth{L}{R}Only \\textcolor{red}{this} \\num{3.5} is "
      "text.\\listoffigures\\listoftables\\listoftables");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(strings(out.mif), "Only this 3.5 is text.")) << strings(out.mif);
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  // One note for each generated list, however often it is asked for.
  EXPECT_TRUE(has(out.result.err, "\\listoffigures left out")) << out.result.err;
  std::size_t first = out.result.err.find("\\listoftables left out");
  ASSERT_NE(first, std::string::npos) << out.result.err;
  EXPECT_EQ(out.result.err.find("\\listoftables left out", first + 1), std::string::npos);
}

TEST(Kernel, CitationsOfNatbibAndBiblatexAreCitations) {
  TempDir dir("kernel-cite");
  Converted out = convertBody(dir, "\\usepackage{natbib}\n",
                              "A \\citet{a} B \\citep[p.~5]{b,c} C \\citep[see][ch.~2]{d} "
                              "D \\citet*[e.g.][]{e} E \\citeauthor{f}.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  for (const char* key : {"a", "b", "c", "d", "e", "f"})
    EXPECT_TRUE(has(out.mif, std::string("<XRefSrcText `Ref:") + key + "'>")) << key;
  std::string text = strings(out.mif);
  // One optional note is the post-note; two are the pre- and the post-note; an empty one is none.
  EXPECT_TRUE(has(text, "B [|,|, p.")) << text;
  EXPECT_TRUE(has(text, "C [see |, ch.")) << text;
  EXPECT_TRUE(has(text, "D [e.g. |] E [|].")) << text;

  out = convertBody(dir, "\\usepackage[style=authoryear]{biblatex}\n\\addbibresource{refs.bib}\n",
                    "\\parencite[12]{g} \\textcite{h} \\autocite{i} \\citeauthor{j}"
                    "\\printbibliography");
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  for (const char* key : {"g", "h", "i", "j"})
    EXPECT_TRUE(has(out.mif, std::string("<XRefSrcText `Ref:") + key + "'>")) << key;
  EXPECT_FALSE(has(out.mif, "refs.bib"));

  // Without the package the names are unknown, and written.
  out = convertBody(dir, "", "\\citet{a}");
  EXPECT_TRUE(has(out.result.err, "1 \\citet")) << out.result.err;
}

TEST(Kernel, ReferencesOfCleverefAndHyperrefAreCrossReferences) {
  TempDir dir("kernel-ref");
  Converted out = convertBody(dir, "\\usepackage{hyperref,cleveref}\n",
                              "\\section{S}\\label{s}See \\cref{s,t}, \\Cref*{s}, \\autoref{s}, "
                              "\\nameref{s} and \\hyperref[s]{the section}.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  std::size_t refs = 0;
  for (std::size_t at = out.mif.find("<XRefSrcText `Label:s'>"); at != std::string::npos;
       at = out.mif.find("<XRefSrcText `Label:s'>", at + 1))
    ++refs;
  EXPECT_EQ(refs, 4u);
  EXPECT_TRUE(has(out.mif, "<XRefSrcText `Label:t'>"));
  std::string text = strings(out.mif);
  EXPECT_TRUE(has(text, "See |, |, |, |, | and the section.")) << text;
}

TEST(Kernel, BibliographyReadsTheBblFileBesideTheSource) {
  TempDir dir("kernel-bbl");
  const std::string body = "Text \\cite{k}.\n\\bibliographystyle{plain}\\bibliography{refs}";
  // None there: reported once, for both commands, and the text goes on.
  Converted out = convertBody(dir, "", body + "\\bibliography{refs} After.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  std::size_t note = out.result.err.find("no doc.bbl beside the source");
  ASSERT_NE(note, std::string::npos) << out.result.err;
  EXPECT_EQ(out.result.err.find("no doc.bbl", note + 1), std::string::npos) << out.result.err;
  EXPECT_TRUE(has(out.mif, "After. "));
  // refs.bbl, as a database's name gives it: its thebibliography is read.
  std::ofstream(dir.path / "refs.bbl")
      << "\\begin{thebibliography}{1}\n\\bibitem{k} D. Knuth, \\newblock The Book.\n"
         "\\end{thebibliography}\n";
  out = convertBody(dir, "", body);
  EXPECT_FALSE(has(out.result.err, "bbl")) << out.result.err;
  EXPECT_TRUE(has(out.mif, "D. Knuth, The Book.")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<MText `Ref:k'>")) << out.mif;
  // The main file's own .bbl comes first, as BibTeX names it after the document.
  std::ofstream(dir.path / "doc.bbl")
      << "\\begin{thebibliography}{1}\n\\bibitem{k} Main entry.\n\\end{thebibliography}\n";
  out = convertBody(dir, "", body);
  EXPECT_TRUE(has(out.mif, "Main entry.")) << out.mif;
  EXPECT_FALSE(has(out.mif, "The Book.")) << out.mif;
}

TEST(Kernel, ListOptionsAreReadAndDescriptionLabelsKeepTheirFormatting) {
  TempDir dir("kernel-lists");
  Converted out = convertBody(dir, "\\usepackage{enumitem}\n",
                              "\\begin{enumerate}[label=(\\alph*), noitemsep]\n\\item One\n"
                              "\\end{enumerate}\n\\begin{itemize} [nosep]\\item Two\\end{itemize}\n"
                              "\\begin{description}\\item[\\texttt{key} word] Three\n"
                              "\\end{description}");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  std::string text = strings(out.mif);
  EXPECT_FALSE(has(text, "label")) << text;
  EXPECT_FALSE(has(text, "nosep")) << text;
  EXPECT_TRUE(has(text, "One |")) << text;
  EXPECT_TRUE(has(text, "Two |")) << text;
  // The label's typewriter word stays typewriter, the rest of it bold.
  std::size_t key = out.mif.find("<String `key'>");
  ASSERT_NE(key, std::string::npos) << out.mif;
  std::size_t family = out.mif.rfind("<FFamily ", key);
  ASSERT_NE(family, std::string::npos);
  EXPECT_EQ(out.mif.compare(family, 19, "<FFamily `courier'>"), 0);
  EXPECT_TRUE(has(text, " word|")) << text;
}

TEST(Kernel, ProofsAndUnnumberedTheoremsOfAmsthm) {
  TempDir dir("kernel-amsthm");
  Converted out =
      convertBody(dir,
                  "\\usepackage{amsthm}\n\\theoremstyle{plain}\\newtheorem{thm}{Theorem}\n"
                  "\\newtheorem*{rem}{Remark}\n",
                  "\\begin{thm}T1.\\end{thm}\\begin{rem}R.\\end{rem}\\begin{thm}T2.\\end{thm}\n"
                  "\\begin{proof}Easy.\\end{proof}\n\\begin{proof}[Sketch]Hard.\\end{proof}");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  // The remark's number format has its caption and no counter; the theorems count on.
  EXPECT_TRUE(has(out.mif, "<PgfNumFormat `Z:Remark '>")) << out.mif;
  std::string text = strings(out.mif);
  // The heading in italics, the end mark (a lozenge) after the last word.
  EXPECT_TRUE(has(text, "Proof.| Easy. \\xd7  |")) << text;
  EXPECT_TRUE(has(text, "Sketch.| Hard. \\xd7  |")) << text;

  // amsart has them without loading anything.
  out = convert(dir,
                "\\documentclass{amsart}\n\\newtheorem*{rem}{Remark}\n\\begin{document}\n"
                "\\begin{rem}R.\\end{rem}\\begin{proof}P.\\end{proof}\n\\end{document}\n");
  EXPECT_FALSE(has(out.result.err, "Unknown")) << out.result.err;
  EXPECT_TRUE(has(strings(out.mif), "P. \\xd7  |")) << strings(out.mif);
}

TEST(Kernel, CenteringTagsTheParagraphItBegins) {
  TempDir dir("kernel-center");
  Converted out = convertBody(dir, "",
                              "Before.\n\n{\\centering Middle.\nLine two.\\par}\n\nAfter.\n\n"
                              "\\begin{tabular}{>{\\raggedright}p{2cm}}cell\\end{tabular}");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_FALSE(has(out.result.err, "unknown")) << out.result.err;
  std::size_t middle = out.mif.find("<String `Middle. '>");
  ASSERT_NE(middle, std::string::npos) << out.mif;
  std::size_t tag = out.mif.rfind("<PgfTag `", middle);
  EXPECT_EQ(out.mif.compare(tag, 17, "<PgfTag `center'>"), 0) << out.mif.substr(tag, 30);
  // The paragraph's second source line is still in it.
  std::size_t two = out.mif.find("Line two.");
  ASSERT_NE(two, std::string::npos);
  EXPECT_EQ(out.mif.find("<Para", middle), out.mif.find("<Para", two)) << out.mif;
  std::size_t after = out.mif.find("<String `After. '>");
  ASSERT_NE(after, std::string::npos);
  tag = out.mif.rfind("<PgfTag `", after);
  EXPECT_NE(out.mif.compare(tag, 17, "<PgfTag `center'>"), 0);
}

TEST(Kernel, CharWritesTheCharacterOfEachFormOfItsCode) {
  TempDir dir("kernel-char");
  // Decimal, `\c, 'octal, "hex and `c; a code above 127 is Latin-1 (e acute is FrameRoman 0x8e);
  // one space after the number belongs to it (MIF's "\x8e " ends in a space of its own). A code
  // past 255 is reported and writes nothing.
  Converted out = convertBody(
      dir, "", "A \\char92 x \\char`\\# \\char'134 \\char\"7E \\char`a \\char233 \\char300 end.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.mif, "<String `A \\\\x #\\\\~a\\x8e end. '>")) << out.mif;
  EXPECT_TRUE(has(out.result.err, "\\char must be followed by a character code up to 255"))
      << out.result.err;
  EXPECT_FALSE(has(out.result.err, "Unknown commands")) << out.result.err;
  // In a macro's body the code may be a parameter's first character (\char`#1 prints #1).
  out = convertBody(dir,
                    "\\newcommand{\\pkg}[1]{\\texttt{\\char`#1}}\n"
                    "\\newcommand{\\cmd}[1]{\\texttt{\\char`\\\\#1}}\n",
                    "The \\pkg{siunitx} and \\cmd{nm} end.");
  EXPECT_TRUE(has(out.mif, "<String `siunitx'>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `\\\\nm'>")) << out.mif;
}

TEST(Kernel, AngleBracketsFloorsAndCeilingsAreSymbolCharactersWithOrWithoutLeftAndRight) {
  TempDir dir("kernel-delimiters");
  Converted out = convertBody(dir, "",
                              "$\\langle x \\rangle \\lfloor y \\rfloor \\displaystyle z$\n\n"
                              "\\[ \\lceil a \\rceil = \\left\\langle b \\right\\rangle \\]");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  // In running text: the Symbol font's angle brackets (0xe1, 0xf1) and floors (0xeb, 0xfb).
  EXPECT_TRUE(has(out.mif, "<String `\\xe1 '>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `\\xf1 \\xeb '>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `\\xfb '>")) << out.mif;
  // In a display: the ceilings as Symbol strings; \left\langle stays FrameMath's delimiter.
  EXPECT_TRUE(has(out.mif, "string[(*nf\"Symbol\"f*)\"\\xe9  \"]")) << out.mif;
  EXPECT_TRUE(has(out.mif, "\"\\xf9  \"")) << out.mif;
  EXPECT_FALSE(has(out.result.err, "Unknown commands")) << out.result.err;
}

TEST(Kernel, KernsBoxMovesAndGlueDropTheirDimensionAndKeepTheLetterAfterIt) {
  TempDir dir("kernel-kern");
  // A unit is two letters (or true and two, or fil, fill, filll): the X after em is text.
  Converted out =
      convertBody(dir, "",
                  "T\\kern-.1667em\\lower.5ex\\hbox{E}\\kern-.125emX, "
                  "\\moveright 2cm\\vbox{box} z\\hskip1emW\\hskip 1truein plus 1fillV.\n\n"
                  "$a\\kern1em b \\hskip 2pt c$");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.mif, "<String `TEX, box zWV. '>")) << out.mif;
  // In math too, where the glue used to be read as a delimiter.
  EXPECT_TRUE(has(out.mif, "<String `abc '>")) << out.mif;
  EXPECT_FALSE(has(out.mif, "mod")) << out.mif;
  EXPECT_FALSE(has(out.result.err, "Unknown commands")) << out.result.err;
}

TEST(Kernel, StringWritesTheNextTokenAsText) {
  TempDir dir("kernel-string");
  Converted out = convertBody(dir, "\\newcommand{\\show}[1]{\\texttt{\\string#1}}\n",
                              "Use \\string\\usepackage{} and \\string\\groupID\\ = 3, "
                              "\\string a\\string b, \\show{\\foo}, \\string\\% end.");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  // A command's name with its backslash (the blanks after it passed), or one character.
  EXPECT_TRUE(has(out.mif, "<String `Use \\\\usepackage and \\\\groupID = 3, ab, '>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `\\\\foo'>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `, \\\\% end. '>")) << out.mif;
  EXPECT_FALSE(has(out.result.err, "Unknown commands")) << out.result.err;
}

}  // namespace
}  // namespace pendra::testing
