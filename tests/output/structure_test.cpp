// Sections, list items, theorems, cross-references, footnotes, floats, rules, save boxes and
// verbatim text, converted in process.
#include <gtest/gtest.h>

#include "output/lists.h"
#include "output/paragraph_formats.h"
#include "output/xref.h"
#include "output_fixture.h"
#include "reader/symbols.h"

namespace pendra::testing {
namespace {

class Structure : public ConvertFixture {};

std::string numberFormat(const char* tag) {
  for (const auto& f : output::formatRegistry().formats)
    if (f.name == tag && f.numberFormat) return *f.numberFormat;
  return "";
}

TEST_F(Structure, StarredSectionHasNoNumberAndFirstBodyFollows) {
  std::string out = convert("\\section*{A}\nText.\n");
  EXPECT_NE(out.find("<1Heading*>\nA\n\n<FirstBody>\nText.\n"), std::string::npos) << out;
  EXPECT_EQ(numberFormat("1Heading*"), "");
}

TEST_F(Structure, EnumerateItemsStartEachListAtItsFirstTag) {
  std::string out = convert(
      "\\begin{enumerate}\n\\item One\n\\item Two\n"
      "\\begin{enumerate}\n\\item a\n\\end{enumerate}\n\\item Three\n"
      "\\begin{enumerate}\n\\item b\n\\item c\n\\end{enumerate}\n\\end{enumerate}\n"
      "\\begin{enumerate}\n\\item Again\n\\end{enumerate}\n");
  EXPECT_NE(out.find("<1Step>\n<Tab>\nOne\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Step>\n<Tab>\nTwo\n"), std::string::npos) << out;
  // Each nested list numbers from 1 again, the second one included.
  EXPECT_NE(out.find("<1StepLev2>\n<Tab>\na\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<1StepLev2>\n<Tab>\nb\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<StepLev2>\n<Tab>\nc\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Step>\n<Tab>\nThree\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<1Step>\n<Tab>\nAgain\n"), std::string::npos) << out;
}

TEST_F(Structure, ItemizeTagsFollowTheDepth) {
  std::string out = convert(
      "\\begin{itemize}\n\\item out\n\\begin{itemize}\n\\item in\n"
      "\\begin{center}\nc\n\\end{center}\nafter\n\\begin{itemize}\n\\item deep\n"
      "\\end{itemize}\n\\end{itemize}\n\\end{itemize}\n");
  EXPECT_NE(out.find("<Bullet>\nout\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Bullet2>\nin\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<CBullet2>\nafter\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Bullet3>\ndeep\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("<Tab>"), std::string::npos) << out;
}

TEST_F(Structure, ItemLabelsAndSubItems) {
  std::string out = convert(
      "\\begin{description}\n\\item[Note] text\n\\subitem one\n\\subsubitem two\n"
      "\\end{description}\n\\item stray\n");
  EXPECT_NE(out.find("<HangIndent>\n<bf>Note<rm><Tab>\ntext\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Tab><Tab>\none\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Tab><Tab><Tab>\ntwo\n"), std::string::npos) << out;
  // Outside a list an item keeps the paragraph's tag and writes no tab.
  EXPECT_NE(out.find("\nstray\n"), std::string::npos) << out;
  EXPECT_EQ(output::itemTagRow("theindex", 2)->firstTag, std::string("Index"));
  EXPECT_EQ(output::itemTagRow("center", 1), nullptr);
}

TEST_F(Structure, TheoremsShareOneNumberingStream) {
  std::string err;
  std::string out = convert(
      "\\newtheorem{thm}{Theorem}\n\\newtheorem{lem}{Lemma}[section]\n"
      "\\newtheorem{cor}[lem]{Corollary}\n\\newtheorem{odd}[section]{Odd}\n"
      "\\begin{cor}[Note] Text.\n\\end{cor}\n",
      &err);
  const std::string idle = "< \\>";
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += idle;
  EXPECT_EQ(numberFormat("Theorem1"), "Z:Theorem +" + eight + " ");
  std::string seven = eight.substr(idle.size());
  EXPECT_EQ(numberFormat("Theorem2"), "Z:Lemma " + idle + "+" + seven + " ");
  EXPECT_EQ(numberFormat("Theorem3"), "Z:Corollary " + idle + "+" + seven + " ");
  // A counter that names no theorem: reported, and the theorem counts on its own.
  EXPECT_NE(err.find("\\newtheorem counter section names no theorem"), std::string::npos) << err;
  EXPECT_EQ(numberFormat("Theorem4"),
            "Z:Odd " + idle + idle + "+" + seven.substr(idle.size()) + " ");
  EXPECT_NE(out.find("<Theorem3>\n(Note) Text.\n"), std::string::npos) << out;
  EXPECT_EQ(output::listState().theoremSlotCount, 3);
}

TEST_F(Structure, MalformedAndSurplusTheorems) {
  std::string err;
  std::string out = convert("\\newtheorem{bad}\n\\begin{bad}\nplain\n\\end{bad}\n", &err);
  EXPECT_NE(err.find("malformed \\newtheorem command"), std::string::npos) << err;
  EXPECT_EQ(err.find("not registered"), std::string::npos) << err;
  EXPECT_EQ(output::listState().theoremCount, 0);
  std::string many;
  for (int i = 0; i <= output::kTheoremCounterPositions; ++i)
    many += "\\newtheorem{t" + std::string(1, static_cast<char>('a' + i)) + "}{T}\n";
  convert(many, &err);
  EXPECT_NE(err.find("more than 9 theorem counters"), std::string::npos) << err;
  EXPECT_EQ(numberFormat("Theorem10"), numberFormat("Theorem9"));
}

TEST_F(Structure, CitationsReferencesAndLabels) {
  std::string out =
      convert("\\cite{a, b} \\cite[p.~3]{a} \\label{x} \\ref{x} \\pageref{x} \\ref{q\"t}\n");
  EXPECT_NE(out.find("[<!xref\nNumber \"Ref:a\">,<!xref\nNumber \"Ref:b\">]"), std::string::npos)
      << out;
  EXPECT_NE(out.find("[<!xref\nNumber \"Ref:a\">, p.<HardSpace>3]"), std::string::npos) << out;
  EXPECT_NE(out.find("<marker\n<mtype 9> <mtext \"Label:x\">>"), std::string::npos) << out;
  EXPECT_NE(out.find("<!xref\nSectionNumber \"Label:x\">"), std::string::npos) << out;
  EXPECT_NE(out.find("<!xref\nPageNumber \"Label:x\">"), std::string::npos) << out;
  EXPECT_NE(out.find("\"Label:q\\\"t\""), std::string::npos) << out;
  EXPECT_FALSE(output::xrefState().pendingNote);
}

TEST_F(Structure, LabelInMathGoesToTheEquation) {
  feed("{eq}");
  reader::setCurrentMode(reader::kMathMode);
  output::XRefProc("L");
  reader::setCurrentMode(reader::kParaMode);
  EXPECT_EQ(buffer().find("marker"), std::string::npos);
  EXPECT_EQ(output::takePendingEquationLabel(), std::optional<std::string>("eq"));
  EXPECT_FALSE(output::takePendingEquationLabel());
}

TEST_F(Structure, BadCrossReferences) {
  std::string err;
  std::string out = convert("\\ref{} \\label x \\symbol{65}\n", &err);
  EXPECT_NE(err.find("missing/malformed argument"), std::string::npos) << err;
  EXPECT_NE(err.find("bad control for XRefProc"), std::string::npos) << err;
  EXPECT_EQ(out.find("xref"), std::string::npos) << out;
}

TEST_F(Structure, BibliographyItemsStartWithTheirMarker) {
  std::string out =
      convert("\\begin{thebibliography}{9}\n\\bibitem[K]{k} Knuth.\n\\end{thebibliography}\n");
  EXPECT_NE(out.find("<1Heading*>\n\nReferences\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Reference>\n<marker\n<mtype 9> <mtext \"Ref:k\">>Knuth.\n"),
            std::string::npos)
      << out;
}

TEST_F(Structure, FootnoteContinuesTheParagraph) {
  std::string out = convert("Some \\textbf{bold\\footnote{x} more} text.\n");
  EXPECT_NE(out.find("<Body>\nSome <bf>bold\n<!FootNote\n"), std::string::npos) << out;
  std::size_t note = out.find("<Footnote>\nx\n> ");
  ASSERT_NE(note, std::string::npos) << out;
  std::string rest = out.substr(note + 14);
  // No new tag line; the bold font is selected again.
  EXPECT_EQ(rest.find('\n'), rest.find(" text.\n") + 6) << rest;
  EXPECT_NE(rest.find("<bf>more"), std::string::npos) << rest;
  EXPECT_EQ(output::outputState().currentTag, "Body");
}

TEST_F(Structure, FiguresAreTextFramesWithCaptions) {
  std::string err;
  std::string out = convert(
      "\\begin{figure}[ht]\n\\caption{A}\n\\end{figure}\n"
      "\\begin{table}\n\\caption[short]{B}\n\\end{table}\n"
      "\\begin{figure}[h\n\\end{figure}\n",
      &err);
  EXPECT_NE(out.find("<!TextFrame 0 0 <Figure>\nA\n>\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<!TextFrame 0 0 <Table>\nB\n>\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("short"), std::string::npos) << out;
  EXPECT_NE(err.find("missing ']'"), std::string::npos) << err;
}

TEST_F(Structure, Rules) {
  std::string err;
  std::string out = convert("\\rule{1in}{2pt} \\rule[-1pt]{72pt}{1in} \\rule{x}{1pt}\n", &err);
  EXPECT_NE(out.find("<!Rule\n0.00\" 1.00\" 0.03\"\n>"), std::string::npos) << out;
  EXPECT_NE(out.find("-0.01\" 1.00\" 1.00\""), std::string::npos) << out;
  EXPECT_NE(err.find("bad argument to \\rule"), std::string::npos) << err;
}

TEST_F(Structure, SaveBoxesBecomeMacros) {
  std::string err;
  convert("\\savebox{\\a}[2in][l]{A}\\savebox{\\b}(10,20){B}\\sbox{\\c}{C}\\savebox{\\d}[x]{D}\n",
          &err);
  auto body = [](const char* name) {
    const reader::CommandRecord* r = reader::lookup(name);
    // The stored body ends with the reader's end mark.
    return r && r->body ? r->body->substr(0, r->body->rfind("\\?")) : std::string("(none)");
  };
  EXPECT_EQ(body("\\a"), "\\makebox[144.0][l]{A}");
  EXPECT_EQ(body("\\b"), "\\makebox(10.0,20.0){B}");
  EXPECT_EQ(body("\\c"), "\\mbox{C}");
  EXPECT_NE(err.find("malformed width"), std::string::npos) << err;
}

TEST_F(Structure, VerbatimEndsAtItsOwnClosingText) {
  std::string out =
      convert("\\begin{verbatim*}\na \\end{verbatim} <b>\n\\end{verbatim*}\nAfter.\n");
  EXPECT_NE(out.find("<Code>a\\x11  \\\\end{verbatim}\\x11  \\<b\\>\n"), std::string::npos) << out;
  EXPECT_NE(out.find("After."), std::string::npos) << out;
  std::string err;
  restartParagraphs();
  convert("x\n\\begin{verbatim}\nno end\n", &err);
  EXPECT_NE(err.find("2: unclosed \\begin{verbatim} command"), std::string::npos) << err;
}

TEST_F(Structure, AllttRunsCommands) {
  std::string err;
  std::string out =
      convert("\\begin{alltt}\na \\textbf{b} }c \\bf d\n\\end{alltt}\nAfter.\n", &err);
  EXPECT_NE(out.find("<Code>a\\x11  <Bold>b<tt>\\x11  c\\x11  <bf>d\n"), std::string::npos) << out;
  EXPECT_NE(err.find("unmatched right brace character"), std::string::npos) << err;
  EXPECT_NE(out.find("After."), std::string::npos) << out;
  restartParagraphs();
  convert("\\begin{alltt}\nopen\n", &err);
  EXPECT_NE(err.find("unclosed \\begin{alltt} command"), std::string::npos) << err;
}

TEST_F(Structure, FileContentsWriteNothing) {
  std::string out = convert("\\begin{filecontents}{f.tex}\nhidden\n\\end{filecontents}\nShown.\n");
  EXPECT_EQ(out.find("hidden"), std::string::npos) << out;
  EXPECT_NE(out.find("Shown."), std::string::npos) << out;
}

}  // namespace
}  // namespace pendra::testing
