// The body starts with the empty line of the first Body paragraph's set-up.
// Diversion buffers: filing, appending, moving between buffers without copying, the limits and
// the finish messages; and the title blocks and letters built on them.
#include "output/diversions.h"

#include <gtest/gtest.h>

#include "output_fixture.h"

namespace pendra::testing {
namespace {

using output::BufferProc;
using output::diversionBufferSize;
using output::diversionState;
using output::writeStatementLine;

class Diversions : public ConvertFixture {
 protected:
  // Writes `text` as a stretch of its own into buffer n.
  void divert(const char* text, const char* end) {
    BufferProc("S");
    writeStatementLine("%s", text);
    BufferProc(end);
  }
  std::string finishMessages() {
    ::testing::internal::CaptureStderr();
    output::finishDiversions();
    return ::testing::internal::GetCapturedStderr();
  }
};

TEST_F(Diversions, FiledTextComesOutWhereTheBufferIsInserted) {
  divert("one\n", "E1");
  divert("two\n", "E1+");
  divert("three\n", "E2");
  writeStatementLine("body\n");
  EXPECT_EQ(diversionBufferSize(1), 8);
  EXPECT_EQ(bodyText(),
            "\n"
            "body\n");
  BufferProc("I2");
  BufferProc("I1");
  EXPECT_EQ(bodyText(),
            "\n"
            "body\nthree\none\ntwo\n");
  EXPECT_EQ(diversionBufferSize(1), 0);
  // Without '+' the buffer's text is replaced.
  divert("old\n", "E3");
  divert("new\n", "E3");
  BufferProc("I3+");
  EXPECT_EQ(bodyText(),
            "\n"
            "body\nthree\none\ntwo\nnew\n");
  EXPECT_EQ(finishMessages(), "");
}

TEST_F(Diversions, InsertingWhileDivertingMovesTheTextWithoutCopying) {
  divert("moved\n", "E5");
  BufferProc("S");
  writeStatementLine("before\n");
  long fileSize = F_ChannelTell(diversionState().file);
  BufferProc("I5");
  writeStatementLine("after\n");
  BufferProc("E6");
  EXPECT_EQ(F_ChannelTell(diversionState().file), fileSize + 6);
  EXPECT_EQ(diversionBufferSize(5), 0);
  EXPECT_EQ(diversionBufferSize(6), 19);
  BufferProc("I6");
  BufferProc("I6");
  EXPECT_EQ(bodyText(),
            "\n"
            "before\nmoved\nafter\n");
}

TEST_F(Diversions, NestedDiversionsContinueTheOuterStretch) {
  BufferProc("S");
  writeStatementLine("outer ");
  divert("inner\n", "E4");
  writeStatementLine("rest\n");
  BufferProc("E3");
  BufferProc("I3");
  BufferProc("I4");
  EXPECT_EQ(bodyText(),
            "\n"
            "outer rest\ninner\n");
  EXPECT_FALSE(diversionState().diverting);
}

TEST_F(Diversions, FreedChunksAreReused) {
  divert("a\n", "E0");
  BufferProc("F0");
  std::size_t made = diversionState().chunks.size();
  for (int i = 0; i < 5; ++i) {
    divert("b\n", "E0");
    BufferProc("F0");
  }
  EXPECT_EQ(diversionState().chunks.size(), made);
  EXPECT_EQ(diversionBufferSize(0), 0);
}

// The file starts over only when no buffer holds text: what a buffer holds survives any number
// of later diversions, and long runs of cells do not make the file grow.
TEST_F(Diversions, FileStartsOverOnlyWhenNothingIsHeld) {
  std::string cells;
  for (int i = 0; i < 200; ++i) {
    std::string cell = "cell " + std::to_string(i) + "\n";
    divert(cell.c_str(), "E0");
    BufferProc("I0");
    cells += cell;
  }
  EXPECT_LE(F_ChannelTell(diversionState().file), 16);
  divert("kept\n", "E7");
  for (int i = 0; i < 50; ++i) {
    divert("passing\n", "E0");
    BufferProc("F0");
  }
  EXPECT_GT(F_ChannelTell(diversionState().file), 50 * 8);
  BufferProc("I7");
  divert("after\n", "E0");
  EXPECT_EQ(F_ChannelTell(diversionState().file), 6);
  BufferProc("I0");
  EXPECT_EQ(bodyText(), "\n" + cells + "kept\nafter\n");
  EXPECT_EQ(finishMessages(), "");
}

TEST_F(Diversions, LimitsAndBadOperationsAreReportedAndIgnored) {
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < output::kMaxDiversionDepth; ++i) BufferProc("S");
  std::string quiet = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(quiet, "");
  ::testing::internal::CaptureStderr();
  BufferProc("S");
  EXPECT_EQ(diversionState().depth, output::kMaxDiversionDepth);
  for (int i = 0; i < output::kMaxDiversionDepth; ++i) BufferProc("E0+");
  BufferProc("E0");
  BufferProc("E10");
  BufferProc("I");
  BufferProc("Q1");
  BufferProc("F0");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("diversion stack overflow"), std::string::npos);
  EXPECT_NE(err.find("diversion stack underflow"), std::string::npos);
  EXPECT_NE(err.find("bad diversion buffer number"), err.rfind("bad diversion buffer number"));
  EXPECT_NE(err.find("bad diversion buffer number"), std::string::npos);
  EXPECT_NE(err.find("Bad arg string for BufferProc"), std::string::npos);
  EXPECT_EQ(diversionState().depth, 0);
}

TEST_F(Diversions, FinishReportsTextLeftAndAnOpenDiversion) {
  divert("t\n", "E1");
  divert("f\n", "E9");
  BufferProc("S");
  std::string err = finishMessages();
  EXPECT_NE(err.find("Some text (title or address) was not output"), std::string::npos) << err;
  EXPECT_NE(err.find("Some text (floating figures/tables) was not output"), std::string::npos);
  EXPECT_NE(err.find("Unclosed diversion"), std::string::npos);
  // The body is the output channel again.
  writeStatementLine("end\n");
  EXPECT_EQ(bodyText(),
            "\n"
            "end\n");
}

TEST_F(Diversions, TitleBlockComesOutAtMaketitle) {
  std::string err;
  std::string out = convert(
      "\\documentclass{article}\n\\title{A}\\author{B}\\author{B2}\\date{C}\n"
      "\\begin{document}\nBefore.\n\\maketitle\nAfter.\n\\end{document}\n",
      &err);
  std::size_t before = out.find("Before.");
  std::size_t title = out.find("<Title>\nA\n");
  std::size_t author = out.find("<Author>\nB\n");
  std::size_t second = out.find("<Author>\nB2\n");
  std::size_t date = out.find("<Author>\nC\n");
  std::size_t after = out.find("After.");
  ASSERT_NE(before, std::string::npos) << out;
  EXPECT_LT(before, title) << out;
  EXPECT_LT(title, author) << out;
  EXPECT_LT(author, second) << out;
  EXPECT_LT(second, date) << out;
  EXPECT_LT(date, after) << out;
  EXPECT_EQ(err, "");
  EXPECT_EQ(finishMessages(), "");
}

TEST_F(Diversions, TitleWithoutMaketitleIsReportedAtTheEnd) {
  std::string out = convert("\\title{Lost}\nText.\n");
  EXPECT_EQ(out.find("Lost"), std::string::npos) << out;
  EXPECT_NE(finishMessages().find("Some text (title or address) was not output"),
            std::string::npos);
}

TEST_F(Diversions, LetterPartsComeOutInLetterOrder) {
  std::string out = convert(
      "\\address{Sender}\\signature{Me}\n\\begin{letter}{Recipient\\\\ Town}\n"
      "\\opening{Dear Sir,}\nBody.\n\\closing{Yours,}\n\\cc{Others}\n\\end{letter}\n");
  const char* order[] = {"<FlushR>\nSender\n",
                         "<SpaceBefore 12pt>\n<!Variable\n",
                         "Recipient\n",
                         "Town\n",
                         "<SpaceBefore 24pt>\nDear Sir,\n",
                         "Body.\n",
                         "Yours,\n\n\n\n\n",
                         "<SpaceBefore 72pt>\nMe\n",
                         "Others\n"};
  std::size_t at = 0;
  for (const char* part : order) {
    std::size_t found = out.find(part, at);
    ASSERT_NE(found, std::string::npos) << part << "\n" << out;
    at = found;
  }
  // \opening without \address writes nothing for the address.
  restartParagraphs();
  std::string second = convert("\\begin{letter}{R}\n\\opening{Hi}\n\\end{letter}\n");
  EXPECT_EQ(second.find("Sender", out.size()), std::string::npos);
  EXPECT_EQ(finishMessages(), "");
}

}  // namespace
}  // namespace pendra::testing
