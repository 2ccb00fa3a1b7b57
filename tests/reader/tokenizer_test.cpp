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
  feedTokens("\\" + std::string(300, 'q') + " z");
  EXPECT_EQ(nextToken(), specialToken(kUnknownCommand));
  EXPECT_EQ(std::string(readerState().tokenText), "\\" + std::string(254, 'q'));
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

// What the reader yields from its current position to the end of input: the text of every text
// token run together, and each token of another kind as a mark with its name or template and
// the line it ends on. With `runs`, plain text is taken a stretch at a time wherever it begins,
// as the construct loop does.
std::string readAll(bool runs) {
  std::string out;
  for (int guard = 0; guard < 1000000; ++guard) {
    PlainText text;
    if (runs && plainTextAhead(text)) {
      out += text.first;
      out.append(text.rest, text.restLength);
      if (text.whole) {
        EXPECT_EQ(text.whole[0], text.first);
      }
      skipPlainText(text);
      continue;
    }
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r == specialToken(kTextToken)) {
      out += readerState().tokenText;
    } else {
      out += "\x01[" + (r->name.empty() ? r->tmpl : r->name) + "@" +
             std::to_string(readerState().lineCounter) + "]";
    }
  }
  return out + "@" + std::to_string(readerState().lineCounter);
}

TEST_F(TokenizerTest, PlainTextStopsWhereATokenOfAnotherKindBegins) {
  struct Case {
    std::string source;
    std::string run;  // the plain text ahead, current character included
  };
  const Case cases[] = {
      {"ab 12 cd.e,f;g(h)\\x", "ab 12 cd.e,f;g(h)"},
      {"words\nmore", "words"},
      {"words\r\nmore", "words"},
      {"a\tb", "a"},
      {"a~b", "a"},
      {"a-b", "a"},
      {"a$b", "a"},
      {"a%b", "a"},
      {"a'b", "a"},
      {"a`b", "a"},
      {"a\"b", "a"},
      {"a{b}", "a"},
      {"a[b]", "a"},
      {"a&b", "a"},
      {"a_b", "a"},
      {"caf\xC3\xA9 x", "caf"},
      {"a<b>c", "a<b>c"},
      {std::string("a\0b", 3), "a"},
  };
  for (const Case& c : cases) {
    feedTokens(c.source);
    PlainText text;
    ASSERT_TRUE(plainTextAhead(text)) << c.source;
    EXPECT_EQ(text.first + std::string(text.rest, text.restLength), c.run) << c.source;
    finishReading();
  }
  for (const char* source : {"\\x", "-a", "\na", "\xC3\xA9", "~a", "\ta", "{a"}) {
    feedTokens(source);
    PlainText text;
    EXPECT_FALSE(plainTextAhead(text)) << source;
    finishReading();
  }
}

TEST_F(TokenizerTest, PunctuationBoundToACommandIsNoPlainText) {
  // The way \MakeShortVerb binds a character: a record in the character table.
  CommandRecord bar;
  bar.name = "|";
  bar.tmpl = "%V(s)";
  symbolState().charTable[static_cast<unsigned char>('|')] = &bar;
  feedTokens("a|b| c");
  PlainText text;
  ASSERT_TRUE(plainTextAhead(text));
  EXPECT_EQ(text.restLength, 0u);
  skipPlainText(text);
  EXPECT_EQ(nextToken(), &bar);
  symbolState().charTable[static_cast<unsigned char>('|')] = nullptr;
}

TEST_F(TokenizerTest, PlainTextLeavesTheReaderWhereTheTokensWould) {
  const std::string sources[] = {
      "Plain words, then \\emph{a command} and $x$ math.\nA second line -- with "
      "punctuation!\n\nA new paragraph\twith a tab~and a tie.",
      "caf\xC3\xA9 na\xC3\xAFve words\r\nCR LF line\rCR line\n",
      "trailing words without a line feed",
  };
  for (const std::string& source : sources) {
    feedTokens(source);
    std::string tokens = readAll(false);
    finishReading();
    feedTokens(source);
    EXPECT_EQ(readAll(true), tokens) << source;
    finishReading();
  }
}

TEST_F(TokenizerTest, PlainTextAcrossFileBlocksAndRandomSources) {
  // Lines longer than the reader's block put block ends inside plain text; random bytes from an
  // alphabet of every kind of byte put every token boundary next to plain text.
  const std::string alphabet = "abcXYZ019 .,;:!?()<>@*+=/|\t\n\r-'`\"$%#&~_^{}[]\\\xC3\xA9\x80";
  std::mt19937 random(20261210);
  for (int round = 0; round < 200; ++round) {
    std::string source;
    std::size_t length = round < 20 ? 3 * kFileBlockSize : 200;
    while (source.size() < length) {
      // Mostly prose, so that runs are long.
      if (random() % 4 != 0) {
        source += "word ";
      } else {
        source += alphabet[random() % alphabet.size()];
      }
    }
    feedTokens(source);
    std::string tokens = readAll(false);
    finishReading();
    feedTokens(source);
    ASSERT_EQ(readAll(true), tokens) << source;
    finishReading();
  }
}

TEST_F(TokenizerTest, PlainTextInsideAPushedString) {
  for (bool runs : {false, true}) {
    feedTokens("file text");
    pushString("macro text, then\\x more");
    std::string out = readAll(runs);
    EXPECT_EQ(out, "macro text, then\x01[%f(T)%s(P)%b%0 @1] morefile text@1") << runs;
    finishReading();
  }
}

}  // namespace
}  // namespace pendra::reader
