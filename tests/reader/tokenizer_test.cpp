#include <random>
#include <string>
#include <vector>

#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

using Tokens = std::vector<std::string>;

class TokenizerTest : public testing::ReaderFixture {};

TEST_F(TokenizerTest, SpacesTabsWordsAndNumbersAreTextTokens) {
  feedTokens("ab12c 34x\tq");
  EXPECT_EQ(tokenTexts(), (Tokens{"ab12c", " ", "34", "x", " ", "q"}));
}

TEST_F(TokenizerTest, CommentsVanishWithTheirLineFeed) {
  feedTokens("a% comment\nb%\n%x\nc");
  EXPECT_EQ(tokenTexts(), (Tokens{"a", "b", "c"}));
}

TEST_F(TokenizerTest, DoubledPunctuationHasTokensOfItsOwn) {
  feedTokens("$$ $ '' ' `` ` --- -- -");
  Tokens t = tokenTexts();
  EXPECT_EQ(t, (Tokens{"$$", " ", "$", " ", "''", " ", "'", " ", "``", " ", "`", " ", "---", " ",
                       "--", " ", "-"}));
}

TEST_F(TokenizerTest, SpecialTokensCarryTheirTemplates) {
  feedTokens("$$---``");
  EXPECT_EQ(nextToken()->tmpl, "%D($$)");
  EXPECT_EQ(nextToken()->tmpl, R"(%f(T)\xd1 %0)");
  EXPECT_EQ(nextToken()->tmpl, R"(%f(T)\xd2 %0)");
  EXPECT_EQ(nextToken(), specialToken(kEndOfInputToken));
  EXPECT_EQ(specialToken(kUnknownCommand)->tmpl, "%f(T)%s(P)%b%0 ");
}

TEST_F(TokenizerTest, CharactersUseTheCharacterTable) {
  feedTokens(
      "~&\xE9\x85"
      "!");
  EXPECT_EQ(nextToken()->tmpl, "%z(~)");
  EXPECT_EQ(nextToken()->tmpl, "%T(t)");
  EXPECT_EQ(nextToken()->tmpl, R"(\x8e )");
  // Bytes above 127 without a record are written as a space.
  CommandRecord* r = nextToken();
  EXPECT_EQ(r, specialToken(kTextToken));
  EXPECT_STREQ(readerState().tokenText, " ");
  r = nextToken();
  EXPECT_EQ(r, specialToken(kTextToken));
  EXPECT_STREQ(readerState().tokenText, "!");
}

TEST_F(TokenizerTest, ControlSymbols) {
  feedTokens("\\$\\\\\\,\\");
  CommandRecord* r = nextToken();
  EXPECT_EQ(r, specialToken(kDefaultSlashToken));
  EXPECT_STREQ(readerState().tokenText, "$");
  EXPECT_EQ(nextToken()->tmpl, "%*%o%&");
  EXPECT_EQ(nextToken()->tmpl, "%z(,)");
  // A backslash at the very end of input.
  EXPECT_EQ(nextToken(), specialToken(kDefaultSlashToken));
  EXPECT_EQ(nextToken(), specialToken(kEndOfInputToken));
}

TEST_F(TokenizerTest, ControlWordsStopAtNonLetters) {
  feedTokens("\\textbf2\\undefinedthing x");
  CommandRecord* r = nextToken();
  EXPECT_EQ(r->name, "\\textbf");
  EXPECT_EQ(nextToken()->name, "");  // the number word 2
  r = nextToken();
  EXPECT_EQ(r, specialToken(kUnknownCommand));
  EXPECT_STREQ(readerState().tokenText, "\\undefinedthing");
}

TEST_F(TokenizerTest, LongControlWordKeeps254Letters) {
  feedTokens(std::string(1, '\\').append(300, 'q').append(" z"));
  EXPECT_EQ(nextToken(), specialToken(kUnknownCommand));
  EXPECT_EQ(std::string(readerState().tokenText), std::string(1, '\\').append(254, 'q'));
  EXPECT_EQ(readerState().currentChar, ' ');
}

TEST_F(TokenizerTest, LongWordsContinueInTheNextToken) {
  feedTokens(std::string(300, 'w') + " " + std::string(600, '7'));
  EXPECT_EQ(tokenTexts(),
            (Tokens{std::string(255, 'w'), std::string(45, 'w'), " ", std::string(255, '7'),
                    std::string(255, '7'), std::string(90, '7')}));
}

TEST_F(TokenizerTest, StarredForms) {
  feedTokens("\\section*{a}\\textbf*b");
  CommandRecord* r = nextToken();
  EXPECT_EQ(r->name, "\\section*");
  EXPECT_EQ(readerState().currentChar, '{');
  nextToken();
  nextToken();
  nextToken();
  // \textbf* is not defined: the plain form is returned and the star stays to be read as text.
  r = nextToken();
  EXPECT_EQ(r->name, "\\textbf");
  EXPECT_EQ(readerState().currentChar, '*');
}

TEST_F(TokenizerTest, GermanQuotes) {
  readerState().germanQuotes = true;
  feedTokens("\"s\"`\"'\"<\">\"a\"e\"1\"-x\"|y");
  EXPECT_EQ(nextToken()->name, "\\ss");
  EXPECT_EQ(nextToken()->name, "\\glqq");
  EXPECT_EQ(nextToken()->name, "\\grqq");
  EXPECT_EQ(nextToken()->name, "\\flqq");
  EXPECT_EQ(nextToken()->name, "\\frqq");
  // The umlaut accent: the letter stays current as its argument.
  EXPECT_EQ(nextToken()->tmpl, "%A(\")");
  EXPECT_EQ(readerState().currentChar, 'a');
  EXPECT_EQ(tokenTexts(), (Tokens{"a", "e", "\"", "1", "x", "y"}));
}

TEST_F(TokenizerTest, GermanOptionOffLeavesQuotesAlone) {
  feedTokens("\"s");
  EXPECT_EQ(tokenTexts(), (Tokens{"\"", "s"}));
}

TEST_F(TokenizerTest, HashOutsideMacrosIsReported) {
  ::testing::internal::CaptureStderr();
  feedTokens("#1#x");
  Tokens t = tokenTexts();
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("use of `#' outside macro"), std::string::npos);
  EXPECT_NE(err.find("illegal macro argument #x"), std::string::npos);
  EXPECT_EQ(t, (Tokens{""}));
}

TEST_F(TokenizerTest, NulBytesAreReadNotLost) {
  feedTokens(std::string("a\0b", 3));
  Tokens t = tokenTexts();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], "a");
  EXPECT_EQ(t[2], "b");
}

// The reader's output to the end of input, read token by token or, with `runs`, in stretches of
// plain text wherever one begins (as the construct loop reads): the text tokens' text run
// together, each other token as a mark with its template and line. `taken` counts the bytes
// read in stretches.
std::string readAll(bool runs, std::size_t& taken) {
  std::string out;
  for (int guard = 0; guard < 1000000; ++guard) {
    PlainText text;
    if (runs && plainTextAhead(text)) {
      out.append(1, text.first).append(text.rest, text.restLength);
      taken += text.restLength + 1;
      skipPlainText(text);
      continue;
    }
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r == specialToken(kTextToken)) {
      out += readerState().tokenText;
    } else {
      out += '\x01';
      out += r->tmpl;
      out += std::to_string(readerState().lineCounter);
    }
  }
  return out + std::to_string(readerState().lineCounter);
}

TEST_F(TokenizerTest, PlainTextReadsAsItsTokensDo) {
  // Prose with every kind of byte among it; sources three blocks long put block ends inside
  // stretches, and a pushed string is read in stretches too.
  const std::string alphabet = "abcXYZ019 .,;:!?()<>@*+=/|\t\n\r-'`\"$%#&~_^{}[]\\\xC3\xA9\x80";
  std::mt19937 random(20261210);
  std::size_t taken = 0, total = 0;
  for (int round = 0; round < 200; ++round) {
    std::string source;
    while (source.size() < (round < 20 ? 3 * kFileBlockSize : 200))
      source += random() % 4 != 0 ? std::string("word ")
                                  : std::string(1, alphabet[random() % alphabet.size()]);
    std::size_t ignored = 0;
    std::string expected[2];
    for (bool runs : {false, true}) {
      feedTokens(source);
      if (round % 10 == 0) pushString("macro text, then\\x more");
      expected[runs] = readAll(runs, runs ? taken : ignored);
      finishReading();
    }
    ASSERT_EQ(expected[1], expected[0]) << source;
    total += source.size();
  }
  EXPECT_GT(taken, total / 2);
}

}  // namespace
}  // namespace pendra::reader
