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
  // The body written for `source` from a fresh Body paragraph, with the messages in `messages`.
  std::string body(const std::string& source, std::string* messages = nullptr) {
    restartParagraphs();
    auto start = static_cast<std::size_t>(F_ChannelTell(body_));
    std::string ignored;
    return convert(source, messages ? messages : &ignored).substr(start);
  }
};

TEST_F(RunningText, StretchesEndWhereOtherTokensBeginAndKeepTheirRules) {
  EXPECT_EQ(body("Plain words, a \\textbf{bold} word and  <angle> caf\xC3\xA9 na\xC3\xAFve~x\n"),
            "<Body>\nPlain words, a <bf>bold<rm> word and  \\<angle\\> caf\\x8e  na\\x95 "
            "ve<HardSpace>x\n");
  // Math drops spaces; a short verb delimiter and verbatim keep them; macro text is read too.
  EXPECT_EQ(body("x $ab c$ \\MakeShortVerb{\\|}|b  c| \\newcommand\\w{two, words}\\w{} y\n"),
            "<Body>\nx <em>abc<rm> <tt>b\\x11  \\x11  c<rm> two, words y\n");
  // A skipped argument is read with the output suppressed.
  EXPECT_EQ(body("a \\color{red words here} b\n"), "<Body>\na  b\n");
}

TEST_F(RunningText, StretchesEndAtLinesBlocksAndFiles) {
  std::string line = "ab ";  // past the paragraph buffer, cut inside a word
  while (line.size() < 3000) line += "word ";
  ASSERT_NE(line[output::kParagraphCapacity - 1], ' ');
  TempDir dir("running-text");
  dir.write("part.tex", "inside the file\nand } a line");
  std::string messages;
  EXPECT_EQ(
      body(line + "\nbefore \\input{" + (dir.path / "part").string() + "} after\n", &messages),
      "<Body>\n" + line.substr(0, output::kParagraphCapacity) +
          "\nbefore\ninside the file\nand  a line after\n");
  EXPECT_NE(messages.find("The output buffer overflowed"), std::string::npos) << messages;
  // The stray brace is on the second line of the included file.
  EXPECT_NE(messages.find("part.tex: 2: } mismatched"), std::string::npos) << messages;
}

}  // namespace
}  // namespace pendra::testing
