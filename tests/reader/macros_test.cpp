#include "reader/macros.h"

#include <string>

#include "reader/counters.h"
#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class MacrosTest : public testing::ReaderFixture {
 protected:
  // Reads tokens to the end, expanding macros as the interpreters do, and joins their texts;
  // the end-of-body record \? is left out.
  std::string expanded() {
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
      CommandRecord* r = nextToken();
      if (r == specialToken(kEndOfInputToken)) break;
      if (r->tmpl.rfind("%M(", 0) == 0) {
        invokeMacro(readerState().tokenText, r->argCount);
        continue;
      }
      if (r->name == "\\?") continue;
      out += r->name.empty() ? std::string(readerState().tokenText) : r->name;
    }
    return out;
  }
};

TEST_F(MacrosTest, ArgumentsAreSubstitutedInBodyOrder) {
  defineMacro("\\x", 2, "#2#1");
  feedTokens("\\x{a}{b}.");
  EXPECT_EQ(expanded(), "ba.");
}

TEST_F(MacrosTest, HashInsideAnArgumentRefersToTheCallingMacro) {
  defineMacro("\\x", 2, "#2#1");
  defineMacro("\\y", 1, "\\x{#1}{z}");
  feedTokens("\\y{q}");
  EXPECT_EQ(expanded(), "zq");
}

TEST_F(MacrosTest, ParameterlessMacroSwallowsSpacesCommentAndOneLineEnd) {
  defineMacro("\\foo", 0, "X");
  feedTokens("\\foo   % note\n   next\n\nlast");
  EXPECT_EQ(expanded(), "Xnext\n\nlast");
}

TEST_F(MacrosTest, BodyEndsWithTheEmptyControlSymbol) {
  defineMacro("\\a", 0, "\\textbf");
  EXPECT_EQ(*lookup("\\a")->body, "\\textbf\\?");
  EXPECT_EQ(lookup("\\a")->tmpl, "%M(0)");
  defineMacro("\\b", 3, "");
  EXPECT_EQ(lookup("\\b")->tmpl, "%M(3)");
}

TEST_F(MacrosTest, SelfCallingMacroStopsTheRun) {
  defineMacro("\\r", 0, "\\r");
  feedTokens("\\r");
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(expanded(), ConversionStop);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Too deep nesting of macros\n"), std::string::npos);
  EXPECT_NE(err.find("Macro expansion stack overflow\n"), std::string::npos);
  EXPECT_EQ(readerState().frameDepth, static_cast<int>(kMaxMacroFrames));
}

TEST_F(MacrosTest, ArgumentBufferLimit) {
  feedTokens("{" + std::string(4095, 'a') + "}{" + std::string(4096, 'b') + "}");
  ::testing::internal::CaptureStderr();
  std::string first = readMacroArgument();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(first.size(), 4095u);
  ::testing::internal::CaptureStderr();
  std::string second = readMacroArgument();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("overflow of macro argument buffer"),
            std::string::npos);
  EXPECT_EQ(second, std::string(4095, 'b'));
}

TEST_F(MacrosTest, ArgumentKeepsEscapesAndCommentsAndNestedBraces) {
  feedTokens("{a\\}b{c}% gone\nd}rest");
  EXPECT_EQ(readMacroArgument(), "a\\}b{c}%\nd");
  EXPECT_EQ(readerState().currentChar, 'r');
}

TEST_F(MacrosTest, MissingAndUnterminatedArguments) {
  feedTokens("x{never closed");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(readMacroArgument(), "");
  EXPECT_EQ(readerState().currentChar, 'x');  // nothing consumed
  advance();
  EXPECT_EQ(readMacroArgument(), "never closed");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("missing argument to macro"), std::string::npos);
  EXPECT_NE(err.find("unexpected eof while reading argument on line 1"), std::string::npos);
  // Reported once.
  EXPECT_EQ(err.find("unexpected eof", err.find("unexpected eof") + 1), std::string::npos);
}

TEST_F(MacrosTest, BracketArgument) {
  feedTokens("[a{]}b]c");
  EXPECT_EQ(readBracketArgument(), "a{]}b");
  EXPECT_EQ(readerState().currentChar, 'c');
  EXPECT_EQ(readBracketArgument(), "");
}

TEST_F(MacrosTest, NewcommandForms) {
  ::testing::internal::CaptureStderr();
  feedTokens("{\\two}[2]{#1-#2}\\one{body}[12]{x}{\\two}{no}");
  newCommandProc('n');
  EXPECT_EQ(lookup("\\two")->argCount, 2);
  EXPECT_EQ(*lookup("\\two")->body, "#1-#2\\?");
  newCommandProc('r');
  EXPECT_EQ(*lookup("\\one")->body, "body\\?");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "");
  ::testing::internal::CaptureStderr();
  // A count outside 0..9 is reported and becomes 0.
  feedTokens("\\big[12]{x}");
  newCommandProc('n');
  EXPECT_EQ(lookup("\\big")->argCount, 0);
  // \providecommand leaves an existing name alone.
  feedTokens("{\\two}{no}");
  newCommandProc('p');
  EXPECT_EQ(*lookup("\\two")->body, "#1-#2\\?");
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Illegal number of macro arguments"), std::string::npos);
}

TEST_F(MacrosTest, OptionalFirstArgumentTakesItsDefault) {
  feedTokens("{\\d}[2][def]{<#1|#2>}\\d{x}\\d[y]{z}\\d [w] {v}.");
  newCommandProc('n');
  EXPECT_EQ(*lookup("\\d")->body, "<#1|#2>\\?");
  EXPECT_EQ(lookup("\\d")->tmpl, "%M(2)");
  EXPECT_EQ(expanded(), "<def|x><y|z><w|v>.");
}

TEST_F(MacrosTest, DefAndNewenvironment) {
  feedTokens("\\hi {hello}");
  defProc();
  EXPECT_EQ(*lookup("\\hi")->body, "hello\\?");
  feedTokens("{box}[1]{<#1>}{</>}");
  newEnvironmentProc();
  EXPECT_EQ(lookup("\\box")->argCount, 1);
  EXPECT_EQ(*lookup("\\box")->body, "<#1>\\?");
  EXPECT_EQ(*lookup("\\endbox")->body, "</>\\?");
}

TEST_F(MacrosTest, CounterAndLengthValuesFromMacroArguments) {
  defineMacro("\\setpage", 1, "\\setcounter{page}{#1}");
  defineMacro("\\indent", 1, "\\setlength{\\parindent}{#1}");
  feedTokens("\\setpage{7}\\indent{3pt}");
  for (;;) {
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r->tmpl.rfind("%M(", 0) == 0) {
      invokeMacro(readerState().tokenText, r->argCount);
    } else if (r->tmpl == "%c(s)") {
      CounterProc("s");
    } else if (r->tmpl == "%L(s)") {
      LengthProc("s");
    }
  }
  EXPECT_EQ(getCounter("page"), 7);
  EXPECT_FLOAT_EQ(getLength("\\parindent"), 3.0f);
}

TEST_F(MacrosTest, DefinitionInsideAScopeEndsWithIt) {
  defineMacro("\\m", 0, "outer");
  beginScope();
  defineMacro("\\m", 0, "inner");
  EXPECT_EQ(*lookup("\\m")->body, "inner\\?");
  endScope();
  EXPECT_EQ(*lookup("\\m")->body, "outer\\?");
}

TEST_F(MacrosTest, RedefinitionWhileTheBodyIsReadKeepsItAlive) {
  // \m redefines itself half way through its own body.
  defineMacro("\\m", 0, "a\\renew b");
  feedTokens("\\m");
  std::string out;
  for (;;) {
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r->tmpl.rfind("%M(", 0) == 0) {
      invokeMacro(readerState().tokenText, r->argCount);
      continue;
    }
    if (std::string(readerState().tokenText) == "\\renew") {
      defineMacro("\\m", 0, std::string(5000, 'z'));
      continue;
    }
    if (r->name != "\\?") out += readerState().tokenText;
  }
  EXPECT_EQ(out, "a b");
}

}  // namespace
}  // namespace pendra::reader

namespace pendra::reader {
namespace {

class ExpansionBudgetTest : public testing::ReaderFixture {};

TEST_F(ExpansionBudgetTest, EndlessExpansionWithoutNestingStopsReading) {
  // Thirty macros that each call the one before twice: shallow, but 2^30 calls in all.
  defineMacro("\\m", 0, std::string(1000, 'a'));
  std::string prev = "\\m";
  for (int i = 0; i < 30; ++i) {
    std::string name = "\\x" + std::string(1 + i / 26, static_cast<char>('a' + i % 26));
    defineMacro(name, 0, prev + " " + prev);
    prev = name;
  }
  feedTokens(prev + " after");
  ::testing::internal::CaptureStderr();
  for (;;) {
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r->tmpl.rfind("%M(", 0) == 0) invokeMacro(readerState().tokenText, r->argCount);
  }
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Macro expansion limit reached"), std::string::npos);
  EXPECT_LE(readerState().expandedBytes, kExpansionAllowance + 2000);
  EXPECT_EQ(readerState().currentChar, kEndOfInput);
}

}  // namespace
}  // namespace pendra::reader
