// The character source and the operand readers, driven directly on a channel.
#include "mlp/reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mif/fatal.h"
#include "mlp/translate_util.h"

namespace pendra::mlp {
namespace {

// The statement table's hash of a folded name.
std::size_t nameHashOf(const std::string& folded) {
  std::uint64_t h = kNameHashStart;
  for (unsigned char c : folded) h = nameHashStep(h, c);
  return nameHashEnd(h);
}

class ReaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    releaseReader();
    if (channel_) F_ChannelCloseTmp(channel_);
  }

  // Starts reading `text`; the first character becomes current.
  void open(const std::string& text) {
    channel_ = F_ChannelMakeTmp(1024);
    F_ChannelWrite(text.data(), 1, text.size(), channel_);
    F_ChannelSeek(channel_, 0, SEEK_SET);
    initReader(channel_, false);
    nextChar();
  }

  // The message of the fatal error that `read` ends in; empty when it returns normally.
  template <typename F>
  static std::string failureOf(F read) {
    ::testing::internal::CaptureStderr();
    bool aborted = false;
    try {
      read();
    } catch (const mif::TranslationAbort&) {
      aborted = true;
    }
    std::string console = ::testing::internal::GetCapturedStderr();
    return aborted ? console : std::string();
  }

  std::string readAllChars() {
    std::string text;
    while (currentChar() != kEndOfInput) {
      text += static_cast<char>(currentChar());
      nextChar();
    }
    return text;
  }

  ChannelT channel_ = nullptr;
};

TEST_F(ReaderTest, CarriageReturnsFoldIntoLineFeeds) {
  open("a\r\nb\rc\n\nd");
  EXPECT_EQ(readAllChars(), "a\nb\nc\n\nd");
  EXPECT_EQ(lineCount(), 5);  // the last line has no line feed and still counts
  EXPECT_EQ(failureOf([] { nextChar(); }), "Attempt to read past EOF\n");
}

TEST_F(ReaderTest, LongLineIsReadWholeAndCountedOnce) {
  std::string line(5000, 'x');
  open(line + "\nz\n");
  std::string text = readAllChars();
  EXPECT_EQ(text, line + "\nz\n");
  EXPECT_EQ(lineCount(), 2);
}

TEST_F(ReaderTest, NulEndsTheTextOfItsLine) {
  open(std::string("ab\0cd\nef\n", 9));
  EXPECT_EQ(readAllChars(), "abef\n");
}

TEST_F(ReaderTest, PushedTextsNestSixteenDeep) {
  open("<rest>");
  for (std::size_t i = 0; i < kMaxPushedTexts; ++i)
    pushInput(std::make_shared<const std::string>(std::to_string(i % 10)));
  EXPECT_EQ(failureOf([] { pushInput(std::make_shared<const std::string>("x")); }),
            "Too deep macro nesting\n");
  // The current '<' was taken before the pushes; the texts come out innermost first.
  nextChar();
  EXPECT_EQ(readAllChars(), "5432109876543210rest>");
}

TEST_F(ReaderTest, ATagNameIsHashedWholeAsItIsReadAcrossTexts) {
  // The name runs from a pushed text into the line under it; the hash is the one the statement
  // table takes of the folded name.
  open("X\x83Par>");
  pushInput(std::make_shared<const std::string>("efine\xCB"));
  setCurrentChar('D');
  std::size_t hash = 0;
  const std::string folded = "define\x88\x8Epar";
  EXPECT_EQ(readTagName(&hash), folded);
  std::uint64_t expected = kNameHashStart;
  for (unsigned char c : folded) expected = nameHashStep(expected, c);
  EXPECT_EQ(hash, nameHashEnd(expected));
  EXPECT_EQ(currentChar(), '>');
}

TEST_F(ReaderTest, ATagNameReadIntoItsFixedRoomMatchesTheStringForm) {
  // The statement loop's form: the same bytes and hash as readTagName(&hash), ending in a NUL,
  // across a pushed text, and at the longest name the room holds.
  open("X\x83Par> <Next");
  pushInput(std::make_shared<const std::string>("efine\xCB"));
  setCurrentChar('D');
  TagName tag;
  std::memset(tag.text, 'z', sizeof tag.text);
  readTagName(tag);
  const std::string folded = "define\x88\x8Epar";
  EXPECT_EQ(std::string(tag.text, tag.length), folded);
  EXPECT_EQ(tag.text[tag.length], '\0');
  std::uint64_t expected = kNameHashStart;
  for (unsigned char c : folded) expected = nameHashStep(expected, c);
  EXPECT_EQ(tag.hash, nameHashEnd(expected));
  EXPECT_EQ(currentChar(), '>');
  nextChar();
  nextChar();
  nextChar();  // past " <"
  readTagName(tag);
  EXPECT_STREQ(tag.text, "next");
  EXPECT_EQ(tag.length, 4u);
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open(std::string(63, 'Q') + "\t");
  readTagName(tag);
  EXPECT_EQ(tag.length, 63u);
  EXPECT_STREQ(tag.text, std::string(63, 'q').c_str());
  EXPECT_EQ(currentChar(), '\t');
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open(std::string(64, 'A') + ">");
  EXPECT_EQ(failureOf([] {
              TagName t;
              readTagName(t);
            }),
            "Overlong tagname\n");
}

TEST_F(ReaderTest, AWordCutByTheEndOfItsTextGoesOnInTheNextOne) {
  // A NUL ends the line's text: the word goes on at the next line. A name taken whole within
  // its line leaves the byte after it current.
  static constexpr char kText[] = "Ab\0cd\nEf> X\xCBy\tz";
  open(std::string(kText, sizeof kText - 1));
  std::size_t hash = 0;
  EXPECT_EQ(readTagName(&hash), "abef");
  EXPECT_EQ(hash, nameHashOf("abef"));
  EXPECT_EQ(currentChar(), '>');
  nextChar();
  EXPECT_EQ(readName(), "x\xCBy");  // a name folds ASCII capitals only
  EXPECT_EQ(currentChar(), '\t');
  EXPECT_EQ(readName(), "z");
  EXPECT_EQ(currentChar(), kEndOfInput);
}

TEST_F(ReaderTest, TagNamesFoldCaseAndStopAtSixtyThreeCharacters) {
  open("!DefinePar\xCB\x83x>");
  EXPECT_EQ(readTagName(), "!definepar\x88\x8Ex");
  EXPECT_EQ(currentChar(), '>');
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open(std::string(63, 'A') + ">");
  EXPECT_EQ(readTagName(), std::string(63, 'a'));
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open(std::string(64, 'A') + ">");
  EXPECT_EQ(failureOf([] { readTagName(); }), "Overlong tagname\n");
}

TEST_F(ReaderTest, NamesFoldOnlyAsciiAndStopAtSixtyThree) {
  open(" Times\xCB Roman " + std::string(63, 'n') + " " + std::string(64, 'n'));
  EXPECT_EQ(readName(), "times\xCB");
  EXPECT_EQ(readName(), "roman");
  EXPECT_EQ(readName(), std::string(63, 'n'));
  EXPECT_EQ(failureOf([] { readName(); }), "Excessive name length\n");
}

TEST_F(ReaderTest, IntegersAndBooleans) {
  open(" 0042x 4294967297 Yes no YES  maybe");
  EXPECT_EQ(readInteger(), 42u);
  EXPECT_EQ(currentChar(), 'x');
  nextChar();
  EXPECT_EQ(readInteger(), 1u);  // unsigned 32-bit, no overflow check
  EXPECT_TRUE(readBoolean());
  EXPECT_FALSE(readBoolean());
  EXPECT_TRUE(readBoolean());
  EXPECT_EQ(failureOf([] { readBoolean(); }), "Boolean expected\n");
}

TEST_F(ReaderTest, StringsWithEscapes) {
  open(R"( "a\Q\q\t\n\x41 \\\"\>"  `it's' x)");
  EXPECT_EQ(readString(), "a`'\t\n\\x41 \\\">");
  EXPECT_EQ(readString(), "it");
  EXPECT_EQ(currentChar(), 's');
  nextChar();
  EXPECT_EQ(failureOf([] { readString(); }), "String expected\n");
}

TEST_F(ReaderTest, StringLengthLimit) {
  std::string longest(kMaxStringLength, 's');
  open("\"" + longest + "\" \"" + longest + "t\" x");
  EXPECT_EQ(readString(), longest);
  // The whole string is read before the limit is reported.
  EXPECT_EQ(failureOf([] { readString(); }), "Excessive string length\n");
  EXPECT_EQ(currentChar(), ' ');
}

TEST_F(ReaderTest, StringRunningIntoTheEndOfInput) {
  open("\"abc");
  EXPECT_EQ(failureOf([] { readString(); }), "Attempt to read past EOF\n");
}

TEST_F(ReaderTest, Characters) {
  open(R"(a \Q \x4a; \xe9z \> \t)");
  EXPECT_EQ(readCharacter(), 'a');
  EXPECT_EQ(readCharacter(), '`');
  EXPECT_EQ(readCharacter(), 'J');  // the ';' ends the escape and goes with it
  EXPECT_EQ(currentChar(), ' ');
  EXPECT_EQ(readCharacter(), 0xE9);
  EXPECT_EQ(readCharacter(), '>');
  EXPECT_EQ(readCharacter(), '\t');
}

TEST_F(ReaderTest, MeasuresInEveryUnit) {
  open(R"(12pt 1in 1" 2.54cm 25.4mm 1pc 1pica 10 -1.5e1pt 3.pt .5in)");
  EXPECT_FLOAT_EQ(readMeasure(), 12.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 72.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 72.0f);
  EXPECT_NEAR(readMeasure(), 72.0f, 1e-3);
  EXPECT_NEAR(readMeasure(), 72.0f, 1e-3);
  EXPECT_FLOAT_EQ(readMeasure(), 12.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 12.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 720.0f);  // default unit: inch
  EXPECT_FLOAT_EQ(readMeasure(), -15.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 3.0f);
  EXPECT_FLOAT_EQ(readMeasure(), 36.0f);
  setDefaultUnit(Unit::Point);
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open("10 x");
  setDefaultUnit(Unit::Millimetre);
  EXPECT_NEAR(readMeasure(), 28.3465f, 1e-4);
  EXPECT_EQ(failureOf([] { readMeasure(); }), "Floating-point value expected\n");
}

TEST_F(ReaderTest, NumbersStopWhereTheGrammarEnds) {
  open("1e 2e+x 1e999 -1e999 1e-999");
  EXPECT_FLOAT_EQ(readFloat(), 1.0f);
  EXPECT_EQ(currentChar(), 'e');
  nextChar();
  EXPECT_FLOAT_EQ(readFloat(), 2.0f);
  EXPECT_EQ(currentChar(), 'e');
  nextChar();
  nextChar();
  nextChar();
  // Out-of-range values are held at the largest finite number rather than becoming infinite.
  EXPECT_GT(readFloat(), 1e38f);
  EXPECT_LT(readFloat(), -1e38f);
  EXPECT_FLOAT_EQ(readFloat(), 0.0f);
  releaseReader();
  F_ChannelCloseTmp(channel_);
  // Numbers of any length, about the size that is read in place and far past it.
  std::string digits = "+1." + std::string(60, '0') + "5 -2." + std::string(61, '0') + "5 3" +
                       std::string(500, '0') + "e-500 x";
  open(digits.c_str());
  EXPECT_FLOAT_EQ(readFloat(), 1.0f);
  EXPECT_FLOAT_EQ(readFloat(), -2.0f);
  EXPECT_FLOAT_EQ(readFloat(), 3.0f);
  EXPECT_EQ(currentChar(), ' ');
}

TEST_F(ReaderTest, SkippingAndCollectingStatements) {
  open(R"(a <b c>  \> d>rest <x y>)");
  skipOperation("foo");
  EXPECT_EQ(currentChar(), '>');
  nextChar();
  EXPECT_EQ(readAllChars().substr(0, 4), "rest");
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open("<Family Times>\n\t<pts 10> \\> x\\ y>");
  EXPECT_EQ(collectOperation("x"), "<Family Times><pts 10>\\>x\\ y");
  EXPECT_EQ(currentChar(), '>');
  releaseReader();
  F_ChannelCloseTmp(channel_);
  open("<a <b>");
  EXPECT_EQ(failureOf([] { skipOperation("foo"); }), "Unexpected EOF\n");
}

// The stage reads a second channel after the first as if the two were one file: wherever the
// text is cut (inside a statement, a string, a line, a CR LF pair), the document and the line
// count come out the same.
TEST(ContinuedInput, TwoChannelsReadAsOne) {
  const std::string mlp =
      "<!DefinePgf <Body> <Family Times>>\r\n"
      "<Body>\r\nFirst line of text <bf>bold<rm> and `quoted' words.\r\n"
      "<Body>\nA second paragraph \\> with an escape.\r"
      "\n<Body>\nLast.\n";
  testing::Translation whole = testing::translate(mlp);
  ASSERT_TRUE(whole.ok) << whole.console;
  ASSERT_NE(whole.mif.find("bold"), std::string::npos);
  for (std::size_t split = 0; split <= mlp.size(); ++split) {
    testing::Translation cut = testing::translate(mlp, false, split);
    EXPECT_TRUE(cut.ok) << split;
    EXPECT_EQ(cut.mif, whole.mif) << split;
    EXPECT_EQ(cut.console, whole.console) << split;
  }
}

}  // namespace
}  // namespace pendra::mlp
