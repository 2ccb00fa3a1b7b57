#include "reader/counters.h"

#include <string>

#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class CountersTest : public testing::ReaderFixture {};

TEST_F(CountersTest, BuiltinCountersAndLengthsExist) {
  for (const char* c : {"chapter", "enumiv", "page", "tocdepth", "secnumdepth"}) {
    ASSERT_NE(lookup(std::string(c)), nullptr) << c;
    EXPECT_EQ(lookup(std::string(c))->tmpl, "%c(e)");
    EXPECT_EQ(lookup("\\the" + std::string(c))->tmpl, "%c(t)");
  }
  // The built-in lengths hide the main-table records of the same names.
  EXPECT_EQ(lookup("\\fill")->tmpl, "%L(u)");
  EXPECT_FLOAT_EQ(lookup("\\fill")->length, 1.0f);
  EXPECT_EQ(lookup("\\evensidemargin")->tmpl, "%L(u)");
  EXPECT_FLOAT_EQ(getLength("\\parindent"), 0.2f);
}

TEST_F(CountersTest, SetAndAddThroughCounterProc) {
  feedTokens("{page}{5}{page}{-2}");
  CounterProc("s");
  EXPECT_EQ(getCounter("page"), 5);
  CounterProc("a");
  EXPECT_EQ(getCounter("page"), 3);
}

TEST_F(CountersTest, CounterMessages) {
  ::testing::internal::CaptureStderr();
  feedTokens("{fresh}{1}{page}7{page}{x}");
  CounterProc("s");
  EXPECT_EQ(getCounter("fresh"), 1);
  EXPECT_EQ(lookup("\\thefresh"), nullptr);  // only \newcounter makes the \the-command
  CounterProc("s");
  CounterProc("s");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("undefined counter fresh"), std::string::npos);
  EXPECT_NE(err.find("missing number argument"), std::string::npos);
  EXPECT_NE(err.find("missing/malformed number"), std::string::npos);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(findCounter("\\textbf"), nullptr);
  EXPECT_EQ(getLength("\\textbf"), 0.0f);
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("command \\textbf is not a counter"), std::string::npos);
  EXPECT_NE(err.find("command \\textbf is not a length command"), std::string::npos);
}

TEST_F(CountersTest, NewCounterMakesTheTheCommand) {
  feedTokens("{thm}[section]");
  CounterProc("n");
  EXPECT_NE(lookup("\\thethm"), nullptr);
  EXPECT_EQ(getCounter("thm"), 0);
}

TEST_F(CountersTest, LengthSetInAScopeEndsWithItButCountersLast) {
  beginScope();
  setCounter("page", 4);
  setLength("\\parindent", 10.0f);
  EXPECT_FLOAT_EQ(getLength("\\parindent"), 10.0f);
  endScope();
  EXPECT_FLOAT_EQ(getLength("\\parindent"), 0.2f);
  EXPECT_EQ(getCounter("page"), 4);
}

TEST_F(CountersTest, LengthProcForms) {
  feedTokens("{\\gap}{\\gap}{1.5in}{\\gap}{2pt}\\gap 3pt {\\w}{some text}");
  LengthProc("n");
  EXPECT_FLOAT_EQ(getLength("\\gap"), 0.0f);
  LengthProc("s");
  EXPECT_FLOAT_EQ(getLength("\\gap"), 108.0f);
  LengthProc("a");
  EXPECT_FLOAT_EQ(getLength("\\gap"), 110.0f);
  // A length's own record met as a command: the name is the token text.
  CommandRecord* r = nextToken();
  EXPECT_EQ(r->tmpl, "%L(u)");
  LengthProc("u");
  EXPECT_FLOAT_EQ(getLength("\\gap"), 3.0f);
  ::testing::internal::CaptureStderr();
  LengthProc("w");
  ::testing::internal::GetCapturedStderr();
  EXPECT_FLOAT_EQ(getLength("\\w"), 72.0f);
}

TEST_F(CountersTest, MalformedLengthLeavesTheValue) {
  ::testing::internal::CaptureStderr();
  feedTokens("{\\parindent}{}");
  LengthProc("s");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("missing/malformed length"), std::string::npos);
  EXPECT_FLOAT_EQ(getLength("\\parindent"), 0.2f);
}

}  // namespace
}  // namespace pendra::reader
