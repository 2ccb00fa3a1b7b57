#include "output/paragraph.h"

#include <string>

#include "output_fixture.h"

namespace pendra::testing {
namespace {

class Paragraphs : public ConvertFixture {};

TEST_F(Paragraphs, TextLinesTagLinesAndEmptyLines) {
  // One blank line keeps the paragraph's tag; two make the next text carry it again.
  EXPECT_EQ(convert("Hello world.\n\nSecond one.\n\n\nThird.\n"),
            "\n<Body>\nHello world.\n\nSecond one.\n\n<Body>\nThird.\n");
}

TEST_F(Paragraphs, TextIsEscapedAndLeadingSpacesDropped) {
  EXPECT_EQ(convert("  a<b>c \n"), "\n<Body>\na\\<b\\>c\n");
  output::TextDispatcher("%q(p)");
  output::writeTextString(" x\\");
  EXPECT_EQ(buffer(), "x\\\\");
}

TEST_F(Paragraphs, VerbatimModeKeepsEverySpace) {
  reader::setCurrentMode(reader::kVerbatimMode);
  output::writeTextString("  a  ");
  EXPECT_EQ(buffer(), "  a  ");
}

TEST_F(Paragraphs, TrimBlanksKeepsTheSpaceOfAHexEscape) {
  output::writeRawString("a\\xd4   ");
  output::trimBlanks();
  EXPECT_EQ(buffer(), "a\\xd4 ");
  restartParagraphs();
  // An escape alone in the buffer keeps its space too: the escape would take the line feed.
  output::writeRawString("\\xd4  ");
  output::trimBlanks();
  EXPECT_EQ(buffer(), "\\xd4 ");
  restartParagraphs();
  output::writeRawString("ab   ");
  output::trimBlanks();
  EXPECT_EQ(buffer(), "ab");
}

TEST_F(Paragraphs, OverflowIsCutAndReportedOncePerParagraph) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "abcdefghi ";
  std::string err;
  std::string out = convert(text + "\n" + "short\n", &err);
  std::string cut = text.substr(0, output::kParagraphCapacity);
  EXPECT_NE(out.find("\n" + cut + "\nshort\n"), std::string::npos);
  std::size_t first = err.find("The output buffer overflowed\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(err.find("overflowed", first + 30), std::string::npos);
}

TEST_F(Paragraphs, OverflowNeverCutsAStatementOrAnEscape) {
  // Font statements and escapes everywhere: wherever the buffer fills, what is kept must end
  // between two whole pieces, so that the MLP file stays readable.
  for (int shift = 0; shift < 12; ++shift) {
    std::string text(static_cast<std::size_t>(shift), 'p');
    for (int i = 0; i < 200; ++i) text += "\\textbf{b}\\'e<\\emph{i}> ";
    std::string out = convert(text + "\n\nafter\n");
    std::size_t start = out.find("<Body>\n") + 7;
    std::string line = out.substr(start, out.find('\n', start) - start);
    int depth = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\') {
        bool hex = i + 1 < line.size() && line[i + 1] == 'x';
        ASSERT_LT(i + (hex ? 4 : 1), line.size()) << "escape cut at shift " << shift;
        i += hex ? 4 : 1;
      } else if (line[i] == '<') {
        ++depth;
      } else if (line[i] == '>') {
        --depth;
      }
    }
    EXPECT_EQ(depth, 0) << "statement cut at shift " << shift;
    EXPECT_NE(out.find("\nafter\n"), std::string::npos);
    restartParagraphs();
  }
}

TEST_F(Paragraphs, NoTagLineInsideAnInlineStatement) {
  // The environment inside the skipped argument sets a tag while the reference's ">" is still
  // held in the buffer; the tag line must not split the statement.
  std::string out =
      convert("Text \\ref{q}\\hyphenation{\\begin{center}x\\end{center}} more.\n\nNext.\n");
  EXPECT_NE(out.find("\"Label:q\"> more.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Next."), std::string::npos);
}

TEST_F(Paragraphs, FirstBodyAfterAHeading) {
  EXPECT_EQ(convert("\\section{Intro}\nText.\n"), "\n<1Heading>\nIntro\n\n<FirstBody>\nText.\n");
  // After a heading blank lines do not matter.
  restartParagraphs();
  output::TextDispatcher("%O%n%n%nText%n");
  EXPECT_NE(bodyText().find("<FirstBody>\nText\n"), std::string::npos);
}

TEST_F(Paragraphs, FirstBodyAfterAListUnlessBlankLinesCome) {
  EXPECT_EQ(convert("\\begin{itemize}\nx\n\\end{itemize}\nText.\n"),
            "\n<CBullet>\nx\n\n<FirstBody>\nText.\n");
}

TEST_F(Paragraphs, FirstBodyRuleInsideTheDocument) {
  // An empty paragraph end in the document environment writes the Body tag line at once, which
  // clears the after-display state.
  std::string out = convert(
      "\\begin{document}\n\\section{A}Same line.\n\\section{B}\nNext line.\n"
      "\\begin{itemize}\nx\n\\end{itemize}\n\nBody again.\n\\end{document}\n");
  EXPECT_NE(out.find("<FirstBody>\nSame line.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Body>\nNext line.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<Body>\nBody again.\n"), std::string::npos) << out;
}

TEST_F(Paragraphs, HorizontalSpaceSplitsTheLine) {
  EXPECT_EQ(convert("a\\hspace{12pt}b \\hspace*{0pt}c\\hspace{-3pt}d\n"),
            "\n<Body>\na<!HSpace\n12.00pt>b cd\n");
}

TEST_F(Paragraphs, VerticalSpaceIsAParagraphOfItsOwn) {
  EXPECT_EQ(convert("a\n\\vspace{10pt}\nb\n"),
            "\n<Body>\na\n\n<FirstBody>\n<SpaceBefore 10pt>\n\\x09 \n\nb\n");
}

TEST_F(Paragraphs, NegativeVerticalSpaceIsNoColumnBreak) {
  std::string out = convert("\\vspace{-5pt}\n");
  EXPECT_EQ(out.find("ColumnTop"), std::string::npos);
  output::TextDispatcher("%a(C)%g(Body)x%n");
  EXPECT_NE(bodyText().find("<ColumnTop Yes>"), std::string::npos);
}

TEST_F(Paragraphs, BadSpaceLengthIsReported) {
  std::string err;
  convert("\\hspace{zz}x\n", &err);
  EXPECT_NE(err.find("missing/malformed size argument"), std::string::npos);
}

TEST_F(Paragraphs, IndexText) {
  EXPECT_EQ(convert("\\index{a!b:c <d>\n[e]{f}}\n"),
            "\n<Body>\n<Marker <MType 2> <MText \"a:b\\\\:c \\\\\\<d\\> \\\\[e\\\\]f\"> >\n");
  std::string err;
  convert("\\index x", &err);
  EXPECT_NE(err.find("missing argument"), std::string::npos);
}

TEST_F(Paragraphs, TextAtTheEndOfInputIsWritten) {
  EXPECT_EQ(convert("last line"), "\n<Body>\nlast line\n");
}

TEST_F(Paragraphs, LineBreaksByEnvironment) {
  // Body text breaks with a hard return; a center environment starts a new paragraph.
  EXPECT_EQ(convert("a \\\\ b\n\\begin{center}\nc\\\\d\n\\end{center}\n"),
            "\n<Body>\na<HardReturn>b\n\n<Center>\nc\n<Center>\nd\n\n");
}

TEST_F(Paragraphs, SkippedArgumentsWriteNothing) {
  EXPECT_EQ(convert("a\\markboth{x\\\\y}{z}b\n"), "\n<Body>\nab\n");
}

TEST_F(Paragraphs, StatementLinesAndInlineStatements) {
  output::writeRawString("before");
  output::writeStatementLine("<!FootNote\n");
  output::writeRawString("x");
  output::writeInlineStatement("!Variable", "%s", "\"v\"");
  output::writeRawString("y");
  output::endParagraph();
  EXPECT_EQ(bodyText(), "\n<Body>\nbefore\n<!FootNote\nx<!Variable\n\"v\">y\n");
}

}  // namespace
}  // namespace pendra::testing
