// Characters beyond ASCII: the table over every row, the encoding each file is read in, and the
// reader's handling of the bytes of one character.
#include "reader/unicode.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/chars.h"
#include "reader/environments.h"
#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class UnicodeTest : public testing::ReaderFixture {
 protected:
  void SetUp() override {
    ReaderFixture::SetUp();
    initEnvironments();
  }
  // A new file holding `text`, its first character current.
  void refeed(const std::string& text) {
    finishReading();
    feedTokens(text);
  }
  // The record of the first character of `text`, read in the current mode.
  CommandRecord* tokenOf(const std::string& text) {
    refeed(text);
    return nextToken();
  }
  // The same, after a word: not at the start of a file (where a byte order mark is skipped).
  CommandRecord* tokenAfterWord(const std::string& text) {
    refeed("x" + text);
    nextToken();
    return nextToken();
  }
  std::string utf8Of(char32_t code) {
    char bytes[kMaxUtf8Length];
    return std::string(bytes, encodeUtf8(code, bytes));
  }
};

// Every row: its UTF-8 form read as text gives the row's template, read in math the command the
// row names (which must exist), and a template that writes a FrameRoman escape writes a byte the
// writer can take.
TEST_F(UnicodeTest, EveryRowReadsAsItsTemplateInTextAndItsCommandInMath) {
  ASSERT_FALSE(kUnicodeRows.empty());
  for (const UnicodeRow& row : kUnicodeRows) {
    SCOPED_TRACE(static_cast<unsigned>(row.code));
    ASSERT_NE(row.tmpl, nullptr);
    EXPECT_EQ(findUnicodeRow(row.code), &row);
    setCurrentMode(kParaMode);
    initReporter();  // every message shown, however many of a kind
    ::testing::internal::CaptureStderr();
    CommandRecord* text = tokenAfterWord(utf8Of(row.code));
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(text->tmpl, row.tmpl);
    // Stand-ins are reported with the code point; exact characters are not.
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(row.code));
    if (row.fidelity == Fidelity::kStandIn)
      EXPECT_NE(err.find(code), std::string::npos) << err;
    else
      EXPECT_EQ(err, "");
    if (row.math && row.math[0] == '\\') {
      EXPECT_NE(lookup(row.math, std::strlen(row.math)), nullptr) << row.math;
      setCurrentMode(kInlineMathMode);
      ::testing::internal::CaptureStderr();
      CommandRecord* math = tokenAfterWord(utf8Of(row.code));
      ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(math, lookup(row.math, std::strlen(row.math)));
      EXPECT_STREQ(readerState().tokenText, row.math);
    }
    std::string_view t(row.tmpl);
    // Markup characters are escaped: a bare one would break the MLP line it lands in.
    for (std::size_t at = t.find_first_of("<>"); at != t.npos; at = t.find_first_of("<>", at + 1))
      EXPECT_TRUE(at > 0 && t[at - 1] == '\\') << row.tmpl;
    for (std::size_t at = t.find("\\x"); at != t.npos; at = t.find("\\x", at + 1)) {
      ASSERT_LE(at + 4, t.size() - 1) << row.tmpl;
      EXPECT_TRUE(chars::isHexDigit(t[at + 2]) && chars::isHexDigit(t[at + 3]) && t[at + 4] == ' ')
          << row.tmpl;
    }
  }
}

// Every character of the 8-bit encodings has a row, save the control characters and the one
// private character of applemac (the Apple logo), which are written as a space and a stand-in.
TEST_F(UnicodeTest, EveryCharacterOfTheEightBitEncodingsHasARow) {
  const Encoding encodings[] = {Encoding::kLatin1, Encoding::kLatin9, Encoding::kCp1252,
                                Encoding::kAppleMac};
  std::set<unsigned> missing;
  for (Encoding encoding : encodings)
    for (int byte = 0xA0; byte <= 0xFF; ++byte) {
      char32_t code = eightBitCodePoint(encoding, static_cast<unsigned char>(byte));
      if (!findUnicodeRow(code)) missing.insert(static_cast<unsigned>(code));
    }
  for (int byte = 0x80; byte < 0xA0; ++byte)
    for (Encoding encoding : {Encoding::kCp1252, Encoding::kAppleMac}) {
      char32_t code = eightBitCodePoint(encoding, static_cast<unsigned char>(byte));
      if (code >= 0xA0 && !findUnicodeRow(code)) missing.insert(static_cast<unsigned>(code));
    }
  EXPECT_EQ(missing, (std::set<unsigned>{0xF8FF}));
  EXPECT_EQ(static_cast<unsigned>(eightBitCodePoint(Encoding::kLatin9, 0xA4)), 0x20ACu);
  EXPECT_EQ(static_cast<unsigned>(eightBitCodePoint(Encoding::kCp1252, 0x93)), 0x201Cu);
  EXPECT_EQ(static_cast<unsigned>(eightBitCodePoint(Encoding::kAppleMac, 0x8E)), 0xE9u);
  EXPECT_EQ(static_cast<unsigned>(eightBitCodePoint(Encoding::kUnknown, 0xE9)),
            static_cast<unsigned>(kReplacementCharacter));
}

TEST_F(UnicodeTest, Utf8SequencesAreCheckedAsTheStandardHasThem) {
  auto length = [](std::string_view s) {
    return utf8SequenceLength(reinterpret_cast<const unsigned char*>(s.data()), s.size());
  };
  EXPECT_EQ(length("\xC3\xA9"), 2);
  EXPECT_EQ(length("\xE2\x80\x94"), 3);
  EXPECT_EQ(length("\xF0\x9F\x98\x80"), 4);
  EXPECT_EQ(length("\xC3"), -1);     // cut short by the end of the block
  EXPECT_EQ(length("\xC3("), 0);     // no continuation byte
  EXPECT_EQ(length("\xC0\x80"), 0);  // overlong
  EXPECT_EQ(length("\xE0\x80\x80"), 0);
  EXPECT_EQ(length("\xED\xA0\x80"), 0);      // a surrogate
  EXPECT_EQ(length("\xF4\x90\x80\x80"), 0);  // past the last code point
  EXPECT_EQ(length("\xA9"), 0);              // a lone continuation byte
  for (char32_t code : {0x41u, 0xE9u, 0x20ACu, 0x1F600u}) {
    std::string s = utf8Of(code);
    EXPECT_EQ(length(s), static_cast<int>(s.size()));
  }
}

// A UTF-8 file, a Latin-1 one and one declared cp1252 give the same records for the same
// characters; only the one read as Latin-1 without a declaration is reported.
TEST_F(UnicodeTest, EachFileIsReadInItsEncoding) {
  const std::string expected = R"(\x8e )";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tokenOf("\xC3\xA9")->tmpl, expected);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tokenOf("\xE9 \xE9")->tmpl, expected);
  nextToken();
  EXPECT_EQ(nextToken()->tmpl, expected);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("not valid UTF-8: it is read as Latin-1"), std::string::npos);
  EXPECT_EQ(err.find("Latin-1", err.find("Latin-1") + 1), std::string::npos) << "once a file";

  // Declared: the cp1252 quotes, and no message.
  declareInputEncoding(Encoding::kCp1252);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tokenOf("\x93\xE9")->tmpl, R"(%f(T)\xd2 %0)");
  EXPECT_EQ(nextToken()->tmpl, expected);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  // The declaration holds for UTF-8 files too: their bytes are read as cp1252.
  EXPECT_EQ(tokenOf("\xC3\xA9")->tmpl, R"(\xcc )");
  declareInputEncoding(Encoding::kUtf8);
  EXPECT_EQ(tokenOf("\xC3\xA9")->tmpl, expected);
}

TEST_F(UnicodeTest, ByteOrderMarkIsSkipped) {
  feedTokens("\xEF\xBB\xBFx");
  EXPECT_EQ(tokenTexts(), (std::vector<std::string>{"x"}));
  // Elsewhere it is a character that writes nothing.
  refeed("x\xEF\xBB\xBF");
  nextToken();
  EXPECT_EQ(nextToken()->tmpl, "");
}

// Bytes that form no UTF-8 in a file declared UTF-8: each read as Latin-1 by the character table
// (reported once a file).
TEST_F(UnicodeTest, InvalidBytesInADeclaredUtf8FileFallBackToLatin1) {
  declareInputEncoding(Encoding::kUtf8);
  ::testing::internal::CaptureStderr();
  feedTokens("\xE9t\xE9");
  EXPECT_EQ(nextToken(), charRecord(0xE9));
  EXPECT_STREQ(nextToken()->name.c_str(), "");
  EXPECT_EQ(nextToken(), charRecord(0xE9));
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("invalid UTF-8 (byte 0xE9)"), std::string::npos) << err;
  EXPECT_EQ(err.find("invalid", err.find("invalid") + 1), std::string::npos) << err;
}

// A character the fonts lack: a stand-in, reported once for the character (or for its script).
TEST_F(UnicodeTest, CharactersWithoutRepresentationAreReportedOnce) {
  ::testing::internal::CaptureStderr();
  feedTokens("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xD0\x96\xD0\x97\xC5\x99");
  std::vector<std::string> texts = tokenTexts();
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(texts, (std::vector<std::string>{"?", "?", "?", "?", "\xC5\x99"}));
  EXPECT_EQ(err,
            "test.tex: character U+1F600 has no character in a MIF document: written as ?\n"
            "test.tex: Cyrillic characters (U+0416 and others) have no character in a MIF "
            "document: each is written as ?\n"
            "test.tex: character U+0159 has no character in a MIF document: written as r\n");
}

// The bytes of a character made from one byte of an 8-bit file stay in order when a macro is
// pushed between them (the put-back character goes in front of them).
TEST_F(UnicodeTest, PutBackGoesInFrontOfTheWaitingBytes) {
  feed("\xE9x", "latin1.tex");
  advance();
  ASSERT_EQ(readerState().currentChar, 0xC3);
  pushString("ab");
  std::string read;
  for (int i = 0; i < 5; ++i) {
    read += static_cast<char>(readerState().currentChar);
    advance();
  }
  EXPECT_EQ(read, "ab\xC3\xA9x");
}

TEST_F(UnicodeTest, TextCopiedAsItStandsGetsFrameRomanBytes) {
  ::testing::internal::CaptureStderr();
  feedTokens("\xC3\xA9\xE2\x80\x94\xE2\x86\x92");
  advance();
  EXPECT_STREQ(unicodeText(0xC3), "\x8E");
  advance();
  EXPECT_STREQ(unicodeText(0xE2), "\xD1");
  advance();
  EXPECT_STREQ(unicodeText(0xE2), kPlaceholder);  // the arrow needs the Symbol font
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("U+2192"), std::string::npos);
}

}  // namespace
}  // namespace pendra::reader
