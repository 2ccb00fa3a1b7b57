// The statement table, dispatch, macros and aliases, and the statements that act on the reader.
#include "mlp/statements.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "mlp/statement_table.h"
#include "mlp/translate_util.h"

namespace pendra::mlp {
namespace {

using pendra::testing::bodyOf;
using pendra::testing::translate;

constexpr const char* kAborted = "\nError encountered -- translation aborted\n";

TEST(StatementTable, BuiltinRows) {
  ASSERT_EQ(kBuiltinStatementCount, 126u);
  std::set<std::string> names;
  for (const StatementRow& row : kBuiltinStatements) {
    names.insert(row.name);
    for (const char* c = row.operands; *c; ++c)
      EXPECT_NE(std::strchr("#abcdfmnpqstuxz", *c), nullptr) << row.name;
  }
  EXPECT_EQ(names.size(), 126u);
  EXPECT_STREQ(kBuiltinStatements[0].name, "mml");
  EXPECT_STREQ(kBuiltinStatements[0].operands, "x");
  EXPECT_STREQ(kBuiltinStatements[121].name, "!framemath");
  EXPECT_STREQ(kBuiltinStatements[121].operands, "cqz");
  EXPECT_STREQ(kBuiltinStatements[122].name, "!importfile");
  EXPECT_STREQ(kBuiltinStatements[122].operands, "sp");

  initStatements();
  buildStatementTable();
  struct Sample {
    const char* name;
    Code code;
    const char* operands;
  };
  const Sample samples[] = {
      {"!definemacro", Code::DefineMacro, "ns"},
      {"!alias", Code::Alias, "na"},
      {"pts", Code::Pts, "#"},
      {"!definefont", Code::DefineFont, "nz"},
      {"tabstop", Code::TabStop, "d"},
      {"tabstopleader", Code::TabStopLeader, "c"},
      {"headerfont", Code::NoEffect, "z"},
      {"!textline", Code::TextLine, "n#p"},
      {"!arc", Code::Arc, "mqt"},
      {"!epsfile", Code::EpsFile, "sqf"},
      {"units", Code::Units, "u"},
      {"hardreturn", Code::HardReturn, ""},
      {"!xref", Code::XRef, "ns"},
      {"!inlineframe", Code::InlineFrame, "#p"},
  };
  for (const Sample& s : samples) {
    const StatementEntry* entry = findStatement(s.name);
    ASSERT_NE(entry, nullptr) << s.name;
    EXPECT_EQ(entry->code, s.code) << s.name;
    EXPECT_EQ(entry->operands, s.operands) << s.name;
  }
  EXPECT_EQ(findStatement("mlp"), nullptr);
  EXPECT_EQ(findStatement("Bold"), nullptr);  // names are stored folded
}

TEST(StatementTable, DefinitionsReplaceEntriesOfTheSameName) {
  initStatements();
  buildStatementTable();
  defineMacro("bold", "x");
  ASSERT_NE(findStatement("bold"), nullptr);
  EXPECT_EQ(findStatement("bold")->code, Code::Macro);
  EXPECT_EQ(*findStatement("bold")->macroText, "x");
  defineStatement("bold", Code::ParFormat);
  EXPECT_EQ(findStatement("bold")->code, Code::ParFormat);
}

std::string macroName(int i) {
  std::string name = "m";
  name += std::to_string(i);  // (GCC 12 warns falsely about "m" + std::to_string)
  return name;
}

// Thousands of definitions, some made twice: every name finds its latest entry, the built-in
// rows stay found, and names that were never defined (or differ by a byte) find nothing.
TEST(StatementTable, ManyDefinitionsAreAllFound) {
  initStatements();
  buildStatementTable();
  for (int i = 0; i < 6000; ++i) defineMacro(macroName(i), std::to_string(i));
  for (int i = 0; i < 6000; i += 3) defineStatement(macroName(i), Code::ParFormat);
  for (int i = 0; i < 6000; ++i) {
    const StatementEntry* entry = findStatement(macroName(i));
    ASSERT_NE(entry, nullptr) << i;
    if (i % 3 == 0) {
      EXPECT_EQ(entry->code, Code::ParFormat) << i;
    } else {
      EXPECT_EQ(*entry->macroText, std::to_string(i)) << i;
    }
  }
  for (const StatementRow& row : kBuiltinStatements)
    EXPECT_NE(findStatement(row.name), nullptr) << row.name;
  EXPECT_EQ(findStatement("m6000"), nullptr);
  EXPECT_EQ(findStatement("m"), nullptr);
  EXPECT_EQ(findStatement(""), nullptr);
  EXPECT_EQ(findStatement("m12 "), nullptr);
}

TEST(Statements, TagNamesAreCaseBlind) {
  std::string expected = bodyOf(translate("a<Bold>b\n").mif);
  EXPECT_NE(expected.find("<FBold Yes>"), std::string::npos);
  EXPECT_EQ(bodyOf(translate("a<bold>b\n").mif), expected);
  EXPECT_EQ(bodyOf(translate("a<BOLD>b\n").mif), expected);
}

TEST(Statements, UnknownStatementsAreSkippedWhole) {
  auto header = translate("<MLP -- created by LaTeX import filter on <today>>\nx\n");
  ASSERT_TRUE(header.ok);
  EXPECT_NE(header.mif.find("<String `x '>"), std::string::npos);

  auto quiet = translate("a<Foo <a> <b>>b\n");
  auto verbose = translate("\n\na<Foo <a> <b>>b\n", true);
  ASSERT_TRUE(quiet.ok);
  EXPECT_EQ(bodyOf(quiet.mif), bodyOf(verbose.mif));
  EXPECT_NE(verbose.console.find("Line 3: Skipping operation foo\n"), std::string::npos);
  EXPECT_EQ(quiet.console.find("Skipping"), std::string::npos);
}

TEST(Statements, MacroTextIsReadInPlaceOfTheInvocation) {
  auto r = translate("<!DefineMacro hi \"<Bold>Hello\">\n<hi> world\n");
  auto direct = translate("<Bold>Hello world\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(bodyOf(r.mif), bodyOf(direct.mif));
}

TEST(Statements, MacroUnderABuiltinNameReplacesIt) {
  auto r = translate("<!DefineMacro bold \"B\">a<bold>c\n");
  ASSERT_TRUE(r.ok);
  EXPECT_NE(r.mif.find("<String `a'>\n\t  <String `Bc '>"), std::string::npos);
  EXPECT_EQ(r.mif.find("FBold"), std::string::npos);
}

TEST(Statements, MacroMayRedefineItselfWhileItsTextIsRead) {
  auto r = translate("<!DefineMacro m \"<!DefineMacro m `y'>x\">\n<m><m>\n");
  ASSERT_TRUE(r.ok) << r.console;
  EXPECT_NE(r.mif.find("<String `x'>\n\t  <String `y '>"), std::string::npos) << r.mif;
}

TEST(Statements, SelfInvokingMacroStopsAtTheSeventeenthText) {
  auto r = translate("<!DefineMacro hi \"x<hi>\">\n<hi>\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.mif, "");
  EXPECT_EQ(r.console, std::string("2: Too deep macro nesting\n") + kAborted);
}

TEST(Statements, MacroInvocationTakesNoOperands) {
  auto r = translate("<!DefineMacro hi \"x\">\n<hi 1>\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.console, std::string("2: Missing '>' after hi tag\n") + kAborted);
}

TEST(Statements, Aliases) {
  auto r = translate("<!Alias heavy bold>a<heavy>b\n");
  ASSERT_TRUE(r.ok);
  EXPECT_NE(r.mif.find("<FBold Yes>"), std::string::npos);
  auto none = translate("<!Alias heavy nosuch>a<heavy>b\n", true);
  ASSERT_TRUE(none.ok);
  EXPECT_NE(none.console.find("Skipping operation heavy"), std::string::npos);
  EXPECT_NE(none.mif.find("<String `a'>\n\t  <String `b '>"), std::string::npos);
}

TEST(Statements, CommentEndsAtTheFirstCloser) {
  // " b" is running text; the final '>' closes nothing and is reported.
  auto r = translate("<Comment a > b>");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.console, std::string("1: Unmatched '>' in running text\n") + kAborted);
  auto inner = translate("<!Footnote <Comment a > b>");
  ASSERT_TRUE(inner.ok);
  EXPECT_NE(inner.mif.find("<String ` b'>"), std::string::npos);
}

TEST(Statements, ConsoleNotes) {
  auto r = translate("<Include \"x.mml\"><!DefineChar \\x41 \"A\"><Message \"hi there\">t\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.console,
            "include statement is unsupported!definechar statement is unsupported"
            "MML Message: hi there\n"
            "\nProcessing complete -- 1 lines processed\n");
}

TEST(Statements, EndOfInputAbortsWithoutAMessage) {
  auto r = translate("text\n<EndOfInput>\nmore\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.console, kAborted);
}

TEST(Statements, UnitsSetTheDefaultUnit) {
  auto r = translate("<Units pt><!DefinePar p <LeftIndent 10><RightIndent 1cm>>x\n");
  ASSERT_TRUE(r.ok);
  EXPECT_NE(r.mif.find("<PgfLIndent 10.0 pt>"), std::string::npos);
  EXPECT_NE(r.mif.find("<PgfRIndent 28.3 pt>"), std::string::npos);
  auto inch = translate("<Units><!DefinePar p <LeftIndent 1>>x\n");
  EXPECT_NE(inch.mif.find("<PgfLIndent 72.0 pt>"), std::string::npos);
}

TEST(Statements, StatementErrorsAbort) {
  struct Case {
    const char* mlp;
    const char* message;
  };
  const Case cases[] = {
      {"<Bold x>", "1: Missing '>' after bold tag\n"},
      {"<Foo <a>", "1: Unexpected EOF\n"},
      {"<Hyphenate maybe>", "1: Boolean expected\n"},
      {"<Message x>", "1: String expected\n"},
      {"<LeftIndent x>", "1: Floating-point value expected\n"},
      {"a\n<Marker <MText \"x\">>", "2: Bad marker type (0)\n"},
      {"<!Variable \"page count\">", "1: Variable `page count' not found\n"},
      {"<Marker <Bold>", "1: Missing '>' after marker tag\n"},
      {"<Comment", "1: Attempt to read past EOF\n"},
  };
  for (const Case& c : cases) {
    auto r = translate(c.mlp);
    EXPECT_FALSE(r.ok) << c.mlp;
    EXPECT_EQ(r.mif, "") << c.mlp;
    EXPECT_EQ(r.console, std::string(c.message) + kAborted) << c.mlp;
  }
}

TEST(Statements, NestingIsBounded) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<Marker ";
  auto r = translate(deep);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.console.find("Too deep statement nesting\n"), std::string::npos);
}

TEST(Statements, TwoTranslationsAgree) {
  const char* mlp = "<!DefineFont f <Bold>><!Add2FontCat f><!DefineMacro m \"z\">a<m>\n\nb\n";
  auto first = translate(mlp);
  auto second = translate(mlp);
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.mif, second.mif);
  EXPECT_EQ(first.console, second.console);
  EXPECT_NE(first.console.find("-- 3 lines processed"), std::string::npos);
}

}  // namespace
}  // namespace pendra::mlp

namespace pendra::mlp {
namespace {

// A font macro run from its list gives what reading its text gives: each MLP text translated
// with the lists and without them gives the same MIF and the same console.
void expectSameWithAndWithoutLists(const std::string& mlp) {
  auto listed = translate(mlp);
  useFontMacroLists(false);
  auto read = translate(mlp);
  useFontMacroLists(true);
  EXPECT_EQ(listed.ok, read.ok) << mlp;
  EXPECT_EQ(listed.mif, read.mif) << mlp;
  EXPECT_EQ(listed.console, read.console) << mlp;
}

TEST(Macros, FontMacrosRunFromTheirListAsTheirTextReads) {
  const std::string font = "<!DefineFont m <Family Courier> <pts 9>\n <Plain><Normal><Bold>>\n";
  expectSameWithAndWithoutLists(font + "a <m>b <m>c\n");
  expectSameWithAndWithoutLists(font + "<Body>\n<m>\na\n<m> b <!Footnote <m>n> c\n");
  // Not only font statements, or text between or after them: read as text.
  for (const char* text :
       {"<Bold> <Italic>", "<Bold><HardSpace>", "<Bold>x", " <Bold>", "", "<pts 0><Bold>",
        "<Bold <Italic>", "<Bold>>", "<Family>", "<Bold", "<pts 9", "<Bold><", "<Family Courier"}) {
    expectSameWithAndWithoutLists(std::string("<!DefineMacro m \"") + text + "\">\na<m>b <m>c\n");
  }
  // A statement it uses changes meaning between two uses: the second use takes the new one.
  expectSameWithAndWithoutLists(
      "<!DefineMacro m \"<Bold><Superscript>\">\na<m>b<!Alias bold italic><Plain>c<m>d\n");
  expectSameWithAndWithoutLists(
      "<!DefineMacro m \"<Bold>\">\na<m>b<!DefineMacro bold \"<Underline>\"><Plain><m>d\n");
  expectSameWithAndWithoutLists(
      "<!DefineFont m <Bold>>\na<m>b<!DefineFont m <Italic>><Plain><m>d\n");
  // Met at the very end of the input, a statement of the macro's own redefined meanwhile.
  expectSameWithAndWithoutLists(
      "<!DefineMacro m \"<Bold\">\n <!Footnote <m>x><!DefineMacro bold \"<Italic>\"><m>");
  // Used where no text may stand (a font catalog entry evaluates it on its own).
  expectSameWithAndWithoutLists(font + "<!Add2FontCat m>\n<m>x\n");
}

}  // namespace
}  // namespace pendra::mlp
