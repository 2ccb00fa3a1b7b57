// Running text taken a stretch at a time by the construct loop: the MLP written must be what one
// token and one template run per word write, at every place where a stretch ends.
#include <gtest/gtest.h>

#include <string>

#include "output_fixture.h"
#include "support/run_command.h"

namespace pendra::testing {
namespace {

class RunningText : public ConvertFixture {
 protected:
  // The body written for `source`, from a fresh Body paragraph.
  std::string body(const std::string& source, std::string* messages = nullptr) {
    restartParagraphs();
    auto start = static_cast<std::size_t>(F_ChannelTell(body_));
    std::string ignored;
    return convert(source, messages ? messages : &ignored).substr(start);
  }
};

TEST_F(RunningText, StretchesEndAtCommandsAndKeepSpacesEscapesAndFonts) {
  EXPECT_EQ(body("Plain words, a \\textbf{bold} word and \\emph{two words} end.\n"),
            "<Body>\nPlain words, a <bf>bold<rm> word and <em>two words<rm> end.\n");
  // Spaces are not folded; angle brackets are escaped inside a stretch as well.
  EXPECT_EQ(body("double  spaces and  <angle> brackets\n"),
            "<Body>\ndouble  spaces and  \\<angle\\> brackets\n");
  // UTF-8 after ASCII ends the stretch: the characters become escapes whose space is their own.
  EXPECT_EQ(body("caf\xC3\xA9 na\xC3\xAFve\n"), "<Body>\ncaf\\x8e  na\\x95 ve\n");
  // A tie is an active character; text in \mbox runs the box text interpreter.
  EXPECT_EQ(body("a~b \\mbox{box words here} after\n"),
            "<Body>\na<HardSpace>b box words here after\n");
  // A character made a short verb delimiter ends the stretch before it.
  EXPECT_EQ(body("\\MakeShortVerb{\\|}a |b  c| d\n"), "<Body>\na <tt>b\\x11  \\x11  c<rm> d\n");
}

TEST_F(RunningText, StretchesEndAtLineEndsWhichAreCounted) {
  std::string messages;
  EXPECT_EQ(body("words on line one\nwords on two\n\nthree } here\n", &messages),
            "<Body>\nwords on line one\nwords on two\n\nthree  here\n");
  // The stray brace is on the fourth line of the source.
  EXPECT_NE(messages.find("test.tex: 4: } mismatched"), std::string::npos) << messages;
}

TEST_F(RunningText, StretchesCrossFileBlocksAndIncludedFiles) {
  // A line three blocks long: the stretches end at each block's end and go on in the next.
  std::string line;
  while (line.size() < 3 * reader::kFileBlockSize / 2) line += "word ";
  line += "end";
  EXPECT_EQ(body(line + "\n"), "<Body>\n" + line + "\n");
  TempDir dir("running-text");
  dir.write("part.tex", "inside the file, words\nand a line");
  EXPECT_EQ(body("before \\input{" + (dir.path / "part").string() + "} after\n"),
            "<Body>\nbefore\ninside the file, words\nand a line after\n");
}

TEST_F(RunningText, MathVerbatimAndMacroTextKeepTheirOwnRules) {
  // Math drops spaces and sets letters in italics; verbatim writes every space.
  EXPECT_EQ(body("x $ab c$ y\n"), "<Body>\nx <em>abc<rm> y\n");
  EXPECT_EQ(body("\\verb|a b| after\n"), "<Body>\n<tt>a\\x11  b<rm> after\n");
  EXPECT_EQ(body("\\begin{verbatim}\nsome  words\n\\end{verbatim}\nafter\n"),
            "<Code>\n<Code>some\\x11  \\x11  words\n<Code>\n<FirstBody>\nafter\n");
  // A macro's body is read as a string: its text is taken in stretches as well.
  EXPECT_EQ(body("\\newcommand\\w{two words, then}\\w{} file text\n"),
            "<Body>\ntwo words, then file text\n");
  // A table cell's text.
  EXPECT_EQ(body("\\begin{tabular}{l}cell words & more\\end{tabular}\n"),
            "<!Table 1\n<!Row <!Cell <Cell>\ncell words\n >\n<!Cell <Cell>\nmore\n >\n >\n >\n");
}

TEST_F(RunningText, SkippedTextWritesNothing) {
  // A skipped argument is read with the output suppressed; a false conditional is skipped.
  EXPECT_EQ(body("a \\color{red words here} b\n"), "<Body>\na  b\n");
  EXPECT_EQ(body("skip \\iffalse not written words\\fi{} shown\n"), "<Body>\nskip  shown\n");
}

TEST_F(RunningText, AParagraphPastTheBufferIsCutAsOneCharacterAtATimeWould) {
  std::string line = "ab ";
  while (line.size() < 3000) line += "word ";
  std::string messages;
  std::string out = body(line + "\nnext\n", &messages);
  // What fits the buffer is kept, the first kParagraphCapacity bytes of the line (which end
  // inside a word here), and the loss is reported.
  ASSERT_NE(line[output::kParagraphCapacity - 1], ' ');
  EXPECT_EQ(out, "<Body>\n" + line.substr(0, output::kParagraphCapacity) + "\nnext\n");
  EXPECT_NE(messages.find("The output buffer overflowed"), std::string::npos) << messages;
}

}  // namespace
}  // namespace pendra::testing
