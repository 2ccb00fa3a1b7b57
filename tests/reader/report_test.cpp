#include <string>

#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class ReportTest : public testing::ReaderFixture {};

TEST_F(ReportTest, PrefixesFollowWhatIsSet) {
  int line = 7;
  ::testing::internal::CaptureStderr();
  report("plain %d", 1);
  registerReporter(false, &line);
  report("with line");
  feed("x", "doc.tex");
  report("with both");
  registerReporter(false, nullptr);
  report("file only");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "plain 1\n7: with line\ndoc.tex: 7: with both\ndoc.tex: file only\n");
}

TEST_F(ReportTest, LongMessagesAreCutAtTheBuffer) {
  std::string longText(1000, 'm');
  ::testing::internal::CaptureStderr();
  report("%s", longText.c_str());
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, std::string(kMessageBufferSize - 1, 'm') + "\n");
}

TEST_F(ReportTest, RecoveryPointTurnsAReportIntoAnAbort) {
  int line = 3;
  registerReporter(true, &line);
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(report("fatal"), RecoveryAbort);
  // Without a message nothing is printed, but the abort still happens.
  EXPECT_THROW(report(nullptr), RecoveryAbort);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "3: fatal\n");
  registerReporter(false, nullptr);
  EXPECT_NO_THROW(report(nullptr));
}

TEST_F(ReportTest, AMessageGivesTheLineItsConstructBeganOnAndTheLineCountsOnAfterIt) {
  feed("a\nb\nc\nd", "doc.tex");
  while (peekChar() != 'c') advance();
  int now = lineNumber();
  ::testing::internal::CaptureStderr();
  registerReporter(false, lineCounter());
  {
    MessageLineScope scope(1);
    report("unterminated");
  }
  EXPECT_EQ(lineNumber(), now);
  // When the message ends a recovery point, the line is given back as the abort leaves.
  registerReporter(true, lineCounter());
  try {
    MessageLineScope scope(2);
    report("unclosed");
  } catch (const RecoveryAbort&) {
  }
  registerReporter(false, nullptr);
  EXPECT_EQ(lineNumber(), now);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "doc.tex: 1: unterminated\ndoc.tex: 2: unclosed\n");
}

TEST_F(ReportTest, StopReportsAndThrows) {
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(stopConversion("symbol table inconsistency"), ConversionStop);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "symbol table inconsistency\n");
}

TEST_F(ReportTest, MessagesPastAHundredOfAKindAreSummedUpOnce) {
  ::testing::internal::CaptureStderr();
  for (std::size_t i = 0; i < kMessagesShownPerKind + 20; ++i) report("same %d", 1);
  for (std::size_t i = 0; i < kMessagesShownPerKind + 3; ++i) report("value %zu", i);
  // Texts passed through "%s" are kinds of their own.
  for (std::size_t i = 0; i < kMessagesShownPerKind + 1; ++i) report("%s", i % 2 ? "odd" : "even");
  summariseMessages();
  std::string err = ::testing::internal::GetCapturedStderr();
  auto count = [&err](const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = err.find(line); at != std::string::npos; at = err.find(line, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("same 1\n"), kMessagesShownPerKind);
  EXPECT_NE(err.find("20 more messages like \"same 1\" were not shown\n"), std::string::npos);
  EXPECT_NE(err.find("3 more messages like \"value ...\" were not shown\n"), std::string::npos);
  EXPECT_EQ(count("odd\n") + count("even\n"), kMessagesShownPerKind + 1);
  EXPECT_EQ(count("more messages like"), 2u) << err;
  // The counts start again after a summary.
  ::testing::internal::CaptureStderr();
  report("same %d", 1);
  summariseMessages();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "same 1\n");
}

}  // namespace
}  // namespace pendra::reader
