#include "reader/arguments.h"

#include <climits>
#include <string>

#include "output/fonts.h"
#include "reader/counters.h"
#include "reader/macros.h"
#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class ArgumentsTest : public testing::ReaderFixture {
 protected:
  float length(const std::string& text) {
    feedTokens(text);
    std::optional<float> v = readLength();
    EXPECT_TRUE(v.has_value()) << text;
    return v.value_or(-999.0f);
  }
};

TEST_F(ArgumentsTest, LengthsInEveryUnit) {
  EXPECT_FLOAT_EQ(length("2.5cm"), 70.875f);
  EXPECT_FLOAT_EQ(length(".5in"), 36.0f);
  EXPECT_FLOAT_EQ(length("-1pc"), -12.0f);
  EXPECT_FLOAT_EQ(length("3"), 3.0f);
  EXPECT_FLOAT_EQ(length("10mm"), 28.35f);
  EXPECT_FLOAT_EQ(length("1truein"), 72.0f);
  EXPECT_FLOAT_EQ(length("+4pt"), 4.0f);
  output::currentFont().size = 5;
  EXPECT_FLOAT_EQ(length("1em"), 5.0f);
  EXPECT_FLOAT_EQ(length("2ex"), 4.0f);
  ::testing::internal::CaptureStderr();
  EXPECT_FLOAT_EQ(length("2bp"), 2.0f);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("unrecognized length unit bp"),
            std::string::npos);
}

TEST_F(ArgumentsTest, LengthRegisters) {
  setLength("\\textwidth", 400.0f);
  EXPECT_FLOAT_EQ(length("0.5\\textwidth"), 200.0f);
  EXPECT_FLOAT_EQ(length("\\textwidth"), 400.0f);
  EXPECT_FLOAT_EQ(length("\\fill"), 1.0f);
  EXPECT_FLOAT_EQ(length("\\parindent"), 0.2f);
}

TEST_F(ArgumentsTest, NoNumberIsAFailureWithTheUnitFactor) {
  feedTokens("cm");
  float fallback = 0;
  EXPECT_FALSE(readLength(&fallback).has_value());
  EXPECT_FLOAT_EQ(fallback, 28.35f);
}

TEST_F(ArgumentsTest, OverlongNumbersStayInTheirBuffers) {
  // A number a float cannot hold is no length; all of it is read.
  feedTokens(std::string(500, '9') + "pt;");
  EXPECT_FALSE(readLength().has_value());
  EXPECT_EQ(readerState().currentChar, ';');
  feedTokens(std::string(300, '9') + " ");
  EXPECT_EQ(readInteger(), INT_MAX);
  feedTokens("-" + std::string(300, '9'));
  EXPECT_EQ(readInteger(), INT_MIN);
}

TEST_F(ArgumentsTest, Integers) {
  feedTokens("{12} 12 +7 -3 {{{4}}} x");
  EXPECT_EQ(readInteger(), 12);
  EXPECT_EQ(readInteger(), 12);
  EXPECT_EQ(readInteger(), 7);
  EXPECT_EQ(readInteger(), -3);
  EXPECT_EQ(readInteger(), 4);
  EXPECT_EQ(readInteger(), std::nullopt);
  setCounter("page", 9);
  feedTokens("\\value{page} \\other");
  EXPECT_EQ(readInteger(), 9);
  EXPECT_EQ(readInteger(), std::nullopt);
  // Braces nested past the bound fail instead of recursing on.
  feedTokens(std::string(100000, '{') + "1");
  EXPECT_EQ(readInteger(), std::nullopt);
}

TEST_F(ArgumentsTest, CharacterCodesInEveryFormAndTheirLimits) {
  feedTokens("65 '101 \"4a `\\# `z 255 256 '9 \"g 99999999999999999999x");
  EXPECT_EQ(readCharCode(), 65);
  EXPECT_EQ(readCharCode(), 65);
  EXPECT_EQ(readCharCode(), 0x4a);
  EXPECT_EQ(readCharCode(), '#');
  EXPECT_EQ(readCharCode(), 'z');
  EXPECT_EQ(readCharCode(), 255);
  EXPECT_EQ(readCharCode(), std::nullopt);  // past the largest code: its digits are passed
  EXPECT_EQ(readCharCode(), std::nullopt);  // 9 is no octal digit
  EXPECT_EQ(peekChar(), '9');
  advance();
  EXPECT_EQ(readCharCode(), std::nullopt);  // nor g a hex one
  advance();
  // A number of any length is read without overflow.
  EXPECT_EQ(readCharCode(), std::nullopt);
  EXPECT_EQ(peekChar(), 'x');
  feedTokens("`");
  EXPECT_EQ(readCharCode(), std::nullopt);  // the end of input after the grave
}

TEST_F(ArgumentsTest, Words) {
  feedTokens("{my file} [opt] x{a\tb}");
  EXPECT_EQ(readWord(), "myfile");
  EXPECT_EQ(readWord(), "opt");
  EXPECT_EQ(readWord(), "x");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readWord(), "a");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("mismatched { or [\n"),
            std::string::npos);
}

TEST_F(ArgumentsTest, CommandNames) {
  feedTokens("{\\foo} \\bar [\\baz]x");
  EXPECT_EQ(readCommandName(), "\\foo");
  EXPECT_EQ(readCommandName(), "\\bar");
  EXPECT_EQ(readCommandName(), "\\baz");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readCommandName(), "\\");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("argument must begin with \\\n"),
            std::string::npos);
  feedTokens("  ");
  EXPECT_EQ(readCommandName(), std::nullopt);
}

TEST_F(ArgumentsTest, OptionLettersAndCoordinates) {
  feedTokens("[t b ]x");
  EXPECT_EQ(readOptionLetters(), "tb");
  EXPECT_EQ(readOptionLetters(), std::nullopt);
  feedTokens("[" + std::string(50, 'c') + "]");
  EXPECT_EQ(readOptionLetters(), std::string(31, 'c'));
  feedTokens("(1.5, -2) (3,)");
  std::optional<CoordinatePair> p = readCoordinatePair();
  ASSERT_TRUE(p.has_value());
  EXPECT_FLOAT_EQ(p->x, 1.5f);
  EXPECT_FLOAT_EQ(p->y, -2.0f);
  EXPECT_FALSE(readCoordinatePair().has_value());
}

TEST_F(ArgumentsTest, TextArgumentExpandsMacrosAndDropsOtherCommands) {
  defineMacro("\\m", 0, "M");
  feedTokens("{a \\textbf b{c}d\\m}");
  EXPECT_EQ(readTextArgument(), "a  bcdM");
  feedTokens("[x]y]");
  EXPECT_EQ(readTextArgument(), "x");
  ::testing::internal::CaptureStderr();
  feedTokens("z");
  EXPECT_EQ(readTextArgument(), std::nullopt);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("missing argument"), std::string::npos);
}

}  // namespace
}  // namespace pendra::reader
