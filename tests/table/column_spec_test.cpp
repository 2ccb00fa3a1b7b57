// Column counts of tabular preambles.
#include "table/column_spec.h"

#include <gtest/gtest.h>

#include <string>

#include "reader/report.h"

namespace pendra::testing {
namespace {

using table::countColumns;

int countWithMessages(const char* preamble, std::string* messages) {
  reader::registerReporter(false, nullptr);
  ::testing::internal::CaptureStderr();
  int n = countColumns(preamble);
  *messages = ::testing::internal::GetCapturedStderr();
  return n;
}

TEST(ColumnSpec, CountsColumnLettersAndSkipsTheirArguments) {
  EXPECT_EQ(countColumns("|l|c|r|"), 3);
  EXPECT_EQ(countColumns("*{3}{c}"), 3);
  EXPECT_EQ(countColumns("p{2cm}l"), 2);
  EXPECT_EQ(countColumns("@{}ll@{}"), 2);
  EXPECT_EQ(countColumns(""), 1);
  EXPECT_EQ(countColumns("| |"), 1);
  // The braced widths and separators hold letters that are not columns.
  EXPECT_EQ(countColumns("p{\\linewidth}@{\\hspace{1cm}}r"), 2);
  EXPECT_EQ(countColumns("p {3cm} c"), 2);
  EXPECT_EQ(countColumns("*{2}{|c|}l"), 3);
  EXPECT_EQ(countColumns("*{2}{*{3}{c}l}"), 8);
  // Column types of the array package and groups that are not columns.
  EXPECT_EQ(countColumns(">{\\bfseries}l m{1cm} b{2cm} !{\\vrule}c"), 4);
  EXPECT_EQ(countColumns("p{a\\}b}c"), 2);
}

TEST(ColumnSpec, BadRepeatCountsAreReportedAndCountNothing) {
  std::string messages;
  EXPECT_EQ(countWithMessages("*{0}{cc}l", &messages), 1);
  EXPECT_NE(messages.find("Bad * form in cols argument"), std::string::npos);
  EXPECT_EQ(countWithMessages("*{x}{c}", &messages), 1);
  EXPECT_NE(messages.find("Bad * form in cols argument"), std::string::npos);
  EXPECT_EQ(countWithMessages("*", &messages), 1);
  EXPECT_NE(messages.find("Bad * form in cols argument"), std::string::npos);
}

TEST(ColumnSpec, LimitsHoldTheCountAndTheNesting) {
  EXPECT_EQ(countColumns("*{1024}{c}"), table::kMaxColumns);
  EXPECT_EQ(countColumns("*{1025}{c}"), table::kMaxColumns);
  EXPECT_EQ(countColumns("*{99999999999}{*{99999999}{cc}}l"), table::kMaxColumns);
  std::string nested;
  for (int i = 0; i < table::kMaxRepeatNesting; ++i) nested += "*{1}{";
  std::string preamble = nested + "c" + std::string(table::kMaxRepeatNesting, '}');
  EXPECT_EQ(countColumns(preamble), 1);
  std::string messages;
  std::string deeper = "*{1}{" + preamble + "}ll";
  EXPECT_EQ(countWithMessages(deeper.c_str(), &messages), 2);
  EXPECT_NE(messages.find("nested too deeply"), std::string::npos);
  // An unclosed group runs to the end of the preamble.
  EXPECT_EQ(countColumns("p{2cm l"), 1);
  EXPECT_EQ(countColumns("*{2}{cc"), 4);
}

}  // namespace
}  // namespace pendra::testing
