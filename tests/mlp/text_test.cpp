// Running text, fonts, special characters, markers, variables, footnotes and paragraph formats,
// checked on the MIF that the whole stage writes.
#include "mlp/text.h"

#include <gtest/gtest.h>

#include <string>

#include "mlp/pgf.h"
#include "mlp/translate_util.h"

namespace pendra::mlp {
namespace {

using pendra::testing::bodyOf;
using pendra::testing::translate;

// The ParaLine groups of the text flow, each as its lines with the indentation removed.
std::string paraLines(const std::string& mlp) {
  auto r = translate(mlp);
  EXPECT_TRUE(r.ok) << r.console;
  std::string body = bodyOf(r.mif), out;
  std::size_t at = 0;
  while ((at = body.find('\n', at)) != std::string::npos) {
    std::size_t start = ++at;
    std::size_t end = body.find('\n', start);
    if (end == std::string::npos) break;
    std::string line = body.substr(start, end - start);
    line.erase(0, line.find_first_not_of(" \t"));
    std::size_t comment = line.find(" #");
    if (comment != std::string::npos) line.erase(comment);
    out += line + "\n";
  }
  return out;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Text, LineFeedsMakeSpacesAndEndParagraphs) {
  std::string one = paraLines("first\nsecond\n");
  EXPECT_EQ(count(one, "<Para\n"), 1u);
  EXPECT_NE(one.find("<String `first '>\n<String `second '>\n"), std::string::npos);
  EXPECT_EQ(count(paraLines("first\n\nsecond\n"), "<Para\n"), 2u);
  EXPECT_EQ(count(paraLines("first\n \nsecond\n"), "<Para\n"), 1u);
  // Any number of empty lines ends just one paragraph.
  EXPECT_EQ(count(paraLines("first\n\n\n\n\nsecond\n"), "<Para\n"), 2u);
  // Carriage returns count as line feeds.
  EXPECT_EQ(count(paraLines("first\r\n\r\nsecond\r\n"), "<Para\n"), 2u);
}

TEST(Text, LineBreakAfterAStatementIsASpace) {
  EXPECT_NE(paraLines("a<Bold>\nb\n").find("<String ` b '>"), std::string::npos);
  EXPECT_NE(paraLines("a \n<Bold>\nb\n").find("<String `b '>"), std::string::npos);
}

TEST(Text, EscapedCharactersInRunningText) {
  std::string lines = paraLines("a\\<b\\>c\\\\d\\xe9 e\n");
  EXPECT_NE(lines.find("<String `a<b\\>c\\\\d\\xe9 e '>"), std::string::npos);
}

// Long runs of plain text go into a string in bulk: nothing is lost or doubled at the pieces the
// string grows by, at an escape or statement inside the run, or at a NUL (which ends its line).
TEST(Text, LongRunsOfTextArriveWhole) {
  std::string run;
  for (int i = 0; i < 700; ++i) run += static_cast<char>('a' + i % 26);
  std::string lines = paraLines(run + "\n");
  EXPECT_NE(lines.find("<String `" + run + " '>"), std::string::npos);
  lines = paraLines(run.substr(0, 300) + "\\\\" + run.substr(300, 300) + "<Bold>" +
                    run.substr(600) + "\n");
  EXPECT_NE(lines.find("<String `" + run.substr(0, 300) + "\\\\" + run.substr(300, 300) + "'>"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("<String `" + run.substr(600) + " '>"), std::string::npos) << lines;
  lines = paraLines(run.substr(0, 400) + std::string(1, '\0') + "dropped\nnext\n");
  EXPECT_NE(lines.find("<String `" + run.substr(0, 400) + "next '>"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("dropped"), std::string::npos);
}

TEST(Text, FontChangesAreWrittenLazily) {
  EXPECT_NE(
      paraLines("one <Bold>two\n").find("<String `one '>\n<Font\n<FBold Yes>\n>\n<String `two '>"),
      std::string::npos);
  std::string trailing = paraLines("one <Bold>\n");
  EXPECT_EQ(trailing.find("<Font"), std::string::npos);
  // Back and forth before any text: nothing differs, nothing is written.
  EXPECT_EQ(paraLines("a<Bold><NoBold>b\n").find("<Font"), std::string::npos);
  std::string many = paraLines("a<Family Symbol><pts 12><Italic><Underline><Superscript>b\n");
  EXPECT_NE(many.find("<Font\n<FFamily `symbol'>\n<FSize 12.0 pt>\n<FItalic Yes>\n"
                      "<FUnderlining FSingle>\n<FPosition FSuperscript>\n>"),
            std::string::npos)
      << many;
  std::string spaced = paraLines("a<!Rule 1pt 1pt 1pt>b\n");
  EXPECT_NE(spaced.find("<FFamily `Zapf Dingbats'>\n<FPostScriptName `ZapfDingbats'>\n"
                        ">\n<String `n'>\n<Font\n<FFamily `Times'>\n>\n"),
            std::string::npos)
      << spaced;
  EXPECT_NE(paraLines("a<Oblique>b<Plain>c\n").find("<FItalic Yes>"), std::string::npos);
}

TEST(Text, SpecialCharactersAndHardReturn) {
  std::string lines = paraLines("a<EmDash>b<Tab>c\n");
  EXPECT_NE(lines.find("<String `a'>\n<Char EmDash>\n<String `b'>\n<Char Tab>\n<String `c '>"),
            std::string::npos);
  std::string hard = paraLines("one<HardReturn>\ntwo\n");
  EXPECT_NE(hard.find("<String `one'>\n<Char HardReturn>\n>\n<ParaLine\n<String `two '>"),
            std::string::npos)
      << hard;
  EXPECT_EQ(count(hard, "<Para\n"), 1u);
  EXPECT_NE(paraLines("<Character 65><Character 489>\n").find("<String `A\\xe9  '>"),
            std::string::npos);
}

TEST(Text, HorizontalSpaceInEmAndEnSpaces) {
  std::string wide = paraLines("a<!HSpace 25pt>b\n");
  EXPECT_EQ(count(wide, "<Char EmSpace>"), 2u);
  EXPECT_EQ(count(wide, "<Char EnSpace>"), 1u);
  std::string narrow = paraLines("a<!HSpace 4pt>b\n");
  EXPECT_EQ(narrow.find("<Char"), std::string::npos);
  // A huge width is held to a bounded number of spaces.
  std::string huge = paraLines("a<!HSpace 1e30pt>b\n");
  EXPECT_EQ(count(huge, "<Char EmSpace>"), static_cast<std::size_t>(kMaxHSpaceEmSpaces));
}

TEST(Text, VariablesMarkersAndCrossReferences) {
  std::string lines = paraLines(
      "a<!Variable \"Page Count\">b<Marker <MType 2> <MText \"key\"> <MText `k2'>>"
      "<!XRef pagenumber \"sec:x\">\n");
  EXPECT_NE(lines.find("<Variable\n<VariableName `Page Count'>\n>\n<String `b'>"),
            std::string::npos);
  EXPECT_NE(lines.find("<Marker\n<MType 2>\n<MText `key'>\n>\n<Marker\n<MType 2>\n<MText `k2'>"),
            std::string::npos);
  EXPECT_NE(lines.find("<XRef\n<XRefName `pagenumber'>\n<XRefSrcText `sec:x'>\n>"),
            std::string::npos);
  // A new marker statement starts from type 0 again.
  auto r = translate("<Marker <MType 9>><Marker <MText \"x\">>");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.console.find("Bad marker type (0)"), std::string::npos);
}

TEST(Text, FootnotesGoIntoNotesBeforeTheFirstParagraph) {
  auto r = translate("Text<!Footnote The\nnote.> more.\n\nNext<!Footnote>\n");
  ASSERT_TRUE(r.ok);
  std::string body = bodyOf(r.mif);
  std::size_t notes = body.find("<Notes");
  std::size_t firstPara = body.find("\n  <Para");
  ASSERT_NE(notes, std::string::npos);
  EXPECT_LT(notes, firstPara);
  EXPECT_LT(body.find("<ID 1>"), body.find("<ID 2>"));
  EXPECT_NE(body.find("<String `The '>\n\t\t  <String `note.'>"), std::string::npos);
  // An empty footnote holds one space; references carry the IDs in order.
  EXPECT_NE(body.find("<ID 2>"), std::string::npos);
  EXPECT_NE(body.find("<String ` '>"), std::string::npos);
  EXPECT_NE(body.find("<String `Text'>\n\t  <FNote 1>\n\t  <String ` more. '>"), std::string::npos);
  EXPECT_NE(body.find("<FNote 2>"), std::string::npos);
  EXPECT_EQ(count(body, "<Notes"), 1u);
}

TEST(Text, FootnoteFontsDoNotLeakIntoTheOuterText) {
  std::string lines = paraLines("a<!Footnote <Bold>b>c<Bold>d\n");
  // The footnote's bold belongs to the footnote; the outer text writes its own change.
  EXPECT_EQ(count(lines, "<FBold Yes>"), 2u) << lines;
}

TEST(Text, DocumentWithoutTextHasOnlyTheHeader) {
  auto r = translate("<!DefineFont f <Bold>>\n<!Add2FontCat f>\n<!DefinePar body <pts 12>>\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.mif, "<MIFFile 4.00> # created by pendra 2.01alpha\n<Verbose No>\n");
  auto empty = translate("");
  ASSERT_TRUE(empty.ok);
  EXPECT_EQ(empty.console, "\nProcessing complete -- 0 lines processed\n");
  EXPECT_EQ(empty.mif, r.mif);
}

TEST(ParagraphFormats, NumberFormatConversion) {
  EXPECT_EQ(convertNumberFormat("\t+"), "\t<n+>");
  EXPECT_EQ(convertNumberFormat("1.+"), "<n=1>.<n+>");
  EXPECT_EQ(convertNumberFormat("\\x41 B\\x42"), "ABB");  // the blank ends the first escape
  EXPECT_EQ(convertNumberFormat("a\\b\\x"), "a\\b");
  std::string many(100, '+');
  std::string converted = convertNumberFormat(many);
  EXPECT_EQ(converted.size(), 252u);  // 63 whole building blocks fit in 255 characters
  EXPECT_EQ(converted.substr(0, 8), "<n+><n+>");
}

TEST(ParagraphFormats, TaggedAndCatalogFormats) {
  auto r = translate(
      "<!DefineTag quote <LeftIndent 1in>>\n<!DefinePar first <Alignment Center>>\n"
      "<!DefinePar second <Alignment Right>>\n<quote>\nq\n\n<first>\none\n\ntwo\n\n"
      "<RightIndent 0pt>three\n");
  ASSERT_TRUE(r.ok);
  std::size_t catalog = r.mif.find("<PgfCatalog");
  ASSERT_NE(catalog, std::string::npos);
  std::size_t second = r.mif.find("<PgfTag `second'>");
  std::size_t first = r.mif.find("<PgfTag `first'>");
  EXPECT_LT(second, first);  // newest first
  EXPECT_EQ(r.mif.find("`quote'"), std::string::npos);
  std::string lines = paraLines(
      "<!DefineTag quote <LeftIndent 1in>>\n<!DefinePar first <Alignment Center>>\n"
      "<quote>\nq\n\n<first>\none\n\ntwo\n\n<RightIndent 0pt>three\n");
  EXPECT_NE(lines.find("<Pgf\n<PgfTag `body'>\n>\n<ParaLine\n<String `q '>"), std::string::npos);
  EXPECT_NE(lines.find("<PgfTag `first'>\n<ParaLine\n<String `one '>"), std::string::npos);
  EXPECT_NE(lines.find(">\n<Para\n<ParaLine\n<String `two '>"), std::string::npos);
  EXPECT_NE(lines.find("<Pgf\n<PgfRIndent 0.0 pt>\n>\n<ParaLine\n<String `three '>"),
            std::string::npos)
      << lines;
}

TEST(ParagraphFormats, FormatFontAndTabStops) {
  auto r = translate(
      "<!DefinePar it <Italic> <Alignment LeftRight> <AutoNumber yes> <NumberFormat \"1.+\">"
      "<TabStops <TabStop 1in> <TabStopType R> <TabStopLeader .> <TabStop 2in>>>");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.mif.find("<PgfCatalog"), std::string::npos);  // no text: no catalogs
  auto withText = translate(
      "<!DefinePar it <Italic> <Alignment LeftRight> <AutoNumber yes> <NumberFormat \"1.+\">"
      "<TabStops <TabStop 1in> <TabStopType R> <TabStopLeader .> <TabStop 2in>>><it>x\n");
  std::string& mif = withText.mif;
  EXPECT_EQ(count(mif, "<FItalic Yes>"), 1u);
  EXPECT_NE(mif.find("<PgfAlignment LeftRight>"), std::string::npos);
  EXPECT_NE(mif.find("<PgfNumFormat `<n=1\\>.<n+\\>'>"), std::string::npos);
  EXPECT_NE(mif.find("<PgfNumTabs 2>\n\t<TabStop\n\t  <TSX 72.0 pt>\n\t  <TSType Left>\n\t>\n"
                     "\t<TabStop\n\t  <TSX 144.0 pt>\n\t  <TSType Right>\n"
                     "\t  <TSLeaderStr `.'>\n"),
            std::string::npos)
      << mif;
  // The paragraph in that format starts in its font: no Font group before the text.
  EXPECT_EQ(bodyOf(mif).find("<Font"), std::string::npos);
}

TEST(ParagraphFormats, OnlyTaggedFormatsMakeNoCatalog) {
  auto r = translate("<!DefineTag quote <LeftIndent 1in>>\n<quote>\nq\n");
  ASSERT_TRUE(r.ok) << r.console;
  EXPECT_EQ(r.mif.find("<PgfCatalog"), std::string::npos);
}

}  // namespace
}  // namespace pendra::mlp
