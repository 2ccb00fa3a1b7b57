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

TEST_F(ReportTest, StopReportsAndThrows) {
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(stopConversion("symbol table inconsistency"), ConversionStop);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "symbol table inconsistency\n");
}

}  // namespace
}  // namespace pendra::reader
