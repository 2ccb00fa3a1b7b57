// Tabular environments and boxes converted to MLP table statements.
#include "table/tables.h"

#include <gtest/gtest.h>

#include <string>

#include "output/fonts.h"
#include "output/output_fixture.h"
#include "output/paragraph.h"
#include "reader/environments.h"
#include "support/mlp_text.h"

namespace pendra::testing {
namespace {

class Tables : public ConvertFixture {
 protected:
  void SetUp() override {
    ConvertFixture::SetUp();
    table::initTables();
  }
  // The body that `text` adds, from its first table statement on.
  std::string tables(std::string_view text, std::string* messages = nullptr) {
    std::string scratch;
    std::string out = convert(text, messages ? messages : &scratch);
    std::string added = out.substr(seen_);
    seen_ = out.size();
    std::size_t start = added.find("<!Table");
    return start == std::string::npos ? added : added.substr(start);
  }
  std::size_t seen_ = 0;
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST_F(Tables, TwoByTwoGivesRowsOfCellsInOrder) {
  std::string out = tables("\\begin{tabular}{ll}\na & b \\\\\nc & d\n\\end{tabular}\n");
  EXPECT_EQ(out,
            "<!Table 2\n"
            "<!Row <!Cell <Cell>\na\n >\n<!Cell <Cell>\nb\n >\n >\n"
            "<!Row <!Cell <Cell>\nc\n >\n<!Cell <Cell>\nd\n >\n >\n"
            " >\n");
  EXPECT_EQ(table::tableState().tableNesting, 0);
  EXPECT_EQ(output::outputState().currentTag, "Body");
}

TEST_F(Tables, RulesStandBetweenRowsAndDiscardedCellsLeaveNoTrace) {
  std::string out = tables(
      "\\begin{tabular}{|l|l|}\\hline\na & b \\\\ \\hline\n\\multicolumn{2}{|c|}{x}\\\\ "
      "\\cline{1-2}\nc & \\vline d \\\\ \\cline{2}\n\\end{tabular}\n");
  EXPECT_EQ(out,
            "<!Table 2\n<!HorizLine>\n"
            "<!Row <!Cell <Cell>\na\n >\n<!Cell <Cell>\nb\n >\n >\n"
            "<!HorizLine>\n"
            "<!Row <!Span 2 <Cell>\nx\n >\n >\n"
            "<!CLine 1 2>\n"
            "<!Row <!Cell <Cell>\nc\n >\n<!Cell <Cell>\nd\n >\n >\n"
            "<!CLine 2 2>\n"
            // The cell opened after the last rule is kept: a row of one empty cell.
            "<!Row <!Cell  >\n >\n"
            " >\n");
}

TEST_F(Tables, LastRowEndingWithALineBreakGetsOneEmptyCell) {
  std::string out = tables("\\begin{tabular}{c}\na \\\\\n\\end{tabular}\n");
  EXPECT_EQ(out, "<!Table 1\n<!Row <!Cell <Cell>\na\n >\n >\n<!Row <!Cell  >\n >\n >\n");
}

TEST_F(Tables, BadArgumentsOfTableCommandsAreReportedAndRead) {
  std::string messages;
  std::string out = tables(
      "\\begin{tabular}{ll}\n\\cline{x}a & \\multicolumn{y}{c}{b}\\\\ \\foo\n"
      "\\end{tabular}\n",
      &messages);
  EXPECT_NE(messages.find("bad argument to \\cline"), std::string::npos) << messages;
  EXPECT_NE(messages.find("bad number arg to \\multicolumn"), std::string::npos) << messages;
  EXPECT_EQ(count(out, "<!CLine"), 0) << out;
  EXPECT_NE(out.find("<!Cell <Cell>\nb\n >\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("x"), std::string::npos) << out;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Tables, TableCommandsOutsideATableAreReported) {
  std::string messages;
  std::string out = tables("a \\hline b \\multicolumn{2}{c}{x}\n", &messages);
  EXPECT_NE(messages.find("\\hline command is valid only inside tabular environment"),
            std::string::npos)
      << messages;
  EXPECT_NE(messages.find("\\multicolumn command is valid only inside tabular environment"),
            std::string::npos);
  EXPECT_EQ(count(out, "<!"), 0) << out;
}

TEST_F(Tables, AnInnerTableIsTextOfTheEnclosingCell) {
  std::string messages;
  std::string out = tables(
      "\\begin{tabular}{ll}\na & \\begin{tabular}{cc}x & y\\\\ z\\end{tabular} \\\\\n"
      "c & d\n\\end{tabular}\nafter\n",
      &messages);
  EXPECT_EQ(count(messages, "Cannot handle nested tables"), 1) << messages;
  EXPECT_EQ(messages.find("closing env. name"), std::string::npos) << messages;
  EXPECT_EQ(messages.find("mismatched"), std::string::npos) << messages;
  EXPECT_EQ(count(out, "<!Table"), 1) << out;
  EXPECT_NE(out.find("<Cell>\nx y z\n >\n >\n"), std::string::npos) << out;
  // The outer table is closed once, at its own end.
  EXPECT_NE(out.find("<!Cell <Cell>\nd\n >\n >\n >\n"), std::string::npos) << out;
  EXPECT_NE(out.find("after"), std::string::npos);
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Tables, EachCellHasItsOwnScope) {
  std::string messages;
  std::string out =
      tables("\\begin{tabular}{ll}\n\\def\\x{A}\\x & \\x\n\\end{tabular}\n", &messages);
  // \\x is unknown in the second cell and written as it stands.
  EXPECT_NE(out.find("<!Cell <Cell>\nA\n >\n<!Cell <Cell>\n\\\\x\n >\n"), std::string::npos) << out;
}

TEST_F(Tables, StarredTableReadsItsWidth) {
  std::string messages;
  std::string out = tables("\\begin{tabular*}{3in}[t]{lr}\na & b\n\\end{tabular*}\n", &messages);
  EXPECT_EQ(messages, "");
  EXPECT_NE(out.find("<!Table 2\n"), std::string::npos) << out;
  convert("\\begin{tabular*}{x}{l}\na\n\\end{tabular*}\n", &messages);
  EXPECT_NE(messages.find("malformed table width"), std::string::npos) << messages;
  convert("\\begin{tabular*}{2in{l}\na\n\\end{tabular*}\n", &messages);
  EXPECT_NE(messages.find("missing '}'"), std::string::npos) << messages;
  convert("\\begin{tabular*} [t]{l}\na\n\\end{tabular*}\n", &messages);
  EXPECT_NE(messages.find("missing table width"), std::string::npos) << messages;
}

TEST_F(Tables, UnfinishedInputStillClosesTheTable) {
  for (const char* text :
       {"\\begin{tabular}{cc} a & b \\\\", "\\begin{tabular}{cc", "\\begin{tabular}{c}\\cline{",
        "\\begin{tabular}{c}\\multicolumn{3}{c}{", "\\fbox{a", "\\makebox[2in", "\\parbox[t]{",
        "\\begin{minipage}{1in} a", "\\begin{tabular}{c} a & \\fbox{b & c} \\end{tabular}"}) {
    SCOPED_TRACE(text);
    std::string messages;
    restartParagraphs();
    table::initTables();
    std::string out = tables(text, &messages);
    EXPECT_TRUE(balanced(out)) << out;
    EXPECT_EQ(table::tableState().tableNesting, 0);
    EXPECT_EQ(table::tableState().boxNesting, 0);
  }
}

// Each inner table runs two templates deep; past the template bound the end of input still ends
// every open construct.
TEST_F(Tables, DeeplyNestedTablesEndAtTheEndOfInput) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += "\\begin{tabular}{c}a & ";
  for (int i = 0; i < 600; ++i) text += "\\end{tabular}";
  std::string messages;
  std::string out = tables(text, &messages);
  EXPECT_EQ(count(out, "<!Table"), 1);
  EXPECT_TRUE(balanced(out)) << out;
  EXPECT_NE(messages.find("nested too deeply"), std::string::npos);
  EXPECT_EQ(table::tableState().tableNesting, 0);
}

TEST_F(Tables, FboxInRunningTextIsAFramedTableOfOneCell) {
  output::Font before = output::currentFont();
  std::string out = convert("Hello \\fbox{x} world.\n\n");
  EXPECT_EQ(out,
            "\n<Body>\nHello\n<!Table 1 <!TblFrame 1 0>\n<!Row\n<!Cell <Center>\nx\n> > > "
            "world.\n\n");
  // A line feed after a box goes on with the paragraph; the next text has no tag line.
  seen_ = out.size();
  EXPECT_EQ(tables("\\fbox{y}\nmore.\n"),
            "<!Table 1 <!TblFrame 1 0>\n<!Row\n<!Cell <Center>\ny\n> > >\nmore.\n");
  EXPECT_EQ(output::outputState().currentTag, "Body");
  EXPECT_EQ(output::currentFont(), before);
  EXPECT_EQ(reader::currentEnvironment().name, std::string("?"));
  EXPECT_EQ(reader::currentMode(), reader::kParaMode);
}

TEST_F(Tables, MakeboxWidthAndPositionGiveColumnWidthAndAlignment) {
  std::string out = tables("\\makebox[2in][l]{x}\n");
  EXPECT_EQ(
      out,
      "<!Table 1 <!TblFrame 0 0>\n<!TblColumnWidth 144.00>\n<!Row\n<!Cell <FlushL>\nx\n> > >\n");
  out = tables("\\framebox[1cm][r]{y}\n");
  EXPECT_NE(out.find("<!TblFrame 1 0>\n<!TblColumnWidth 28.35>\n<!Row\n<!Cell <FlushR>\ny\n"),
            std::string::npos)
      << out;
  std::string messages;
  out = tables("\\makebox[1in][q]{z} \\makebox[1in{w}\n", &messages);
  EXPECT_NE(messages.find("Unknown alignment code `q'"), std::string::npos) << messages;
  EXPECT_NE(messages.find("missing ']'"), std::string::npos) << messages;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Tables, ParboxAndMinipageArePlainBoxesOfTheirWidth) {
  std::string out = tables("\\parbox[t][2cm][s]{1in}{x}\n");
  EXPECT_EQ(
      out,
      "<!Table 1 <!TblFrame 0 0>\n<!TblColumnWidth 72.00>\n<!Row\n<!Cell <Center>\nx\n> > >\n");
  out = tables("\\begin{minipage}[b]{2in}\nOne \\fbox{two}.\n\nThree.\n\\end{minipage}\n");
  EXPECT_EQ(count(out, "<!Table"), 1) << out;
  EXPECT_NE(out.find("<!TblColumnWidth 144.00>\n<!Row\n<!Cell <Body>\nOne two.\n\nThree.\n> > >\n"),
            std::string::npos)
      << out;
  std::string messages;
  convert("\\parbox[x]{1in}{a} \\parbox[t] a \\parbox{1in b}\n", &messages);
  EXPECT_NE(messages.find("Unknown alignment code `x'"), std::string::npos) << messages;
  EXPECT_NE(messages.find("missing width spec"), std::string::npos) << messages;
  EXPECT_NE(messages.find("missing `}'"), std::string::npos) << messages;
}

TEST_F(Tables, BoxesInsideBoxesAddTextToTheOuterCell) {
  std::string out = tables("\\fbox{a \\makebox[1in][r]{b} \\fbox{c}}\n");
  EXPECT_EQ(out, "<!Table 1 <!TblFrame 1 0>\n<!Row\n<!Cell <Center>\na b c\n> > >\n");
  std::string deep;
  for (int i = 0; i < table::kMaxBoxNesting + 10; ++i) deep += "\\fbox{";
  deep += "x" + std::string(table::kMaxBoxNesting + 10, '}') + "\n";
  std::string messages;
  out = tables(deep, &messages);
  EXPECT_EQ(count(out, "<!Table"), 1);
  EXPECT_NE(out.find("\nx\n> > >\n"), std::string::npos) << out;
  EXPECT_EQ(count(messages, "boxes nested too deeply"), 1) << messages;
}

TEST_F(Tables, PictureObjectsInRunningTextWriteNoTableStatements) {
  std::string messages;
  std::string out = convert(
      "a \\line(1,0){20} b \\circle*{5} \\oval[2pt](3,4)[t] c \\dashbox{2}(10,5)[l]{d} "
      "\\shortstack[l]{e}\n",
      &messages);
  EXPECT_EQ(count(out, "<!"), 0) << out;
  for (const char* word : {"a", "b", "c", "d", "e"}) EXPECT_NE(out.find(word), std::string::npos);
  for (const char* argument : {"20", "1,0", "5", "2pt", "3,4", "10", "["})
    EXPECT_EQ(out.find(argument), std::string::npos) << argument;
  EXPECT_NE(messages.find("\\line is supported only inside a picture"), std::string::npos)
      << messages;
  EXPECT_EQ(count(messages, "is supported only inside a picture"), 5) << messages;
}

TEST_F(Tables, BoxInACellStaysInsideTheCell) {
  std::string out = tables("\\begin{tabular}{l}\n\\fbox{x}\n\\end{tabular}\n");
  EXPECT_EQ(out,
            "<!Table 1\n<!Row <!Cell <Cell>\n<!Table 1 <!TblFrame 1 0>\n<!Row\n<!Cell "
            "<Center>\nx\n> > >\n >\n >\n >\n");
}

}  // namespace
}  // namespace pendra::testing
