// Tables: the Tbl built for each `!table`, its anchor, cells, nesting and place in the document.
#include "mlp/tables.h"

#include <gtest/gtest.h>

#include <string>

#include "mif/tree.h"
#include "mlp/translate_util.h"
#include "mlp/tree_util.h"

namespace pendra::mlp {
namespace {

using mif::Op;
using pendra::testing::childOf;
using pendra::testing::childOps;
using pendra::testing::childrenOf;
using pendra::testing::findAll;
using pendra::testing::topLevel;
using pendra::testing::translate;
using pendra::testing::translateToTree;
using pendra::testing::Translation;

// The translation of `mlp` with the tree kept whole, after checking that the translation that
// streams finished rows out gives the same bytes.
Translation translateStreamedAndWhole(const std::string& mlp) {
  Translation streamed = translate(mlp);
  mif::setStreaming(false);
  Translation whole = translate(mlp);
  mif::setStreaming(true);
  EXPECT_TRUE(streamed.ok) << streamed.console;
  EXPECT_EQ(streamed.mif, whole.mif);
  return whole;
}

TEST(Tables, TableIsAnchoredWhereItStandsAndBuiltInTbls) {
  ASSERT_TRUE(translateToTree("x <!Table 2 <!Row <!Cell a> <!Cell b>>> y\n"));
  auto tbls = findAll(Op::Tbls);
  ASSERT_EQ(tbls.size(), 1u);
  auto tbl = childrenOf(tbls[0]);
  ASSERT_EQ(tbl.size(), 1u);
  EXPECT_EQ(childOps(tbl[0]),
            (std::vector<Op>{Op::TblID, Op::TblTag, Op::TblNumColumns, Op::TblBody}));
  EXPECT_STREQ(childOf(tbl[0], Op::TblTag)->ref, "Table-L");
  EXPECT_EQ(childOf(tbl[0], Op::TblNumColumns)->integer, 2);
  const mif::MifNode* body = childOf(tbl[0], Op::TblBody);
  ASSERT_EQ(childOps(body), std::vector<Op>{Op::Row});
  auto cells = childrenOf(childrenOf(body)[0]);
  ASSERT_EQ(cells.size(), 2u);
  for (const mif::MifNode* cell : cells) {
    EXPECT_EQ(childOps(cell), std::vector<Op>{Op::CellContent});
    EXPECT_EQ(childOps(childOf(cell, Op::CellContent)), std::vector<Op>{Op::Para});
  }
  // The anchor stands between the text before and after the table, with the table's ID.
  auto lines = findAll(Op::ParaLine);
  const mif::MifNode* outer = lines.back();
  EXPECT_EQ(childOps(outer), (std::vector<Op>{Op::String, Op::ATbl, Op::String}));
  EXPECT_EQ(childOf(outer, Op::ATbl)->integer, childOf(tbl[0], Op::TblID)->integer);
}

TEST(Tables, EmptyCellsHoldASpaceAndSpansNameTheirColumns) {
  ASSERT_TRUE(translateToTree("<!Table 3 <!Row <!Cell> <!Span 3 <Bold>>>>\n"));
  auto cells = findAll(Op::Cell);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(childOps(cells[1]), (std::vector<Op>{Op::CellColumns, Op::CellContent}));
  EXPECT_EQ(childOf(cells[1], Op::CellColumns)->integer, 3);
  for (const mif::MifNode* cell : cells) {
    auto paras = childrenOf(childOf(cell, Op::CellContent));
    ASSERT_EQ(paras.size(), 1u);
    const mif::MifNode* line = childOf(paras[0], Op::ParaLine);
    const mif::MifNode* text = childOf(line, Op::String);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, " ");
  }
  // The pending bold of the second cell reaches its space.
  EXPECT_EQ(findAll(Op::FBold).size(), 1u);
}

TEST(Tables, RulingsAndSizesChangeNothing) {
  auto plain = translate("<!Table 2 <!Row <!Cell a> <!Cell b>>>\n");
  auto ruled = translate(
      "<!Table 2 <!TblFrame 1 0> <!TblColWidth 2in> <!HorizLine>\n"
      "<!Row <!Cell a> <!Cell b>> <!CLine 1 2> <!TblRowHeight 12pt> <!HorizLine>>\n");
  ASSERT_TRUE(plain.ok && ruled.ok) << ruled.console;
  EXPECT_EQ(plain.mif, ruled.mif);
}

TEST(Tables, InnerTableIsDroppedAndOuterOnesFollowTheirEnds) {
  ASSERT_TRUE(
      translateToTree("<!Table 1 <!Row <!Cell <!Table 1 <!Row <!Cell inner>>>>>>\n\n<!Table 1 "
                      "<!Row <!Cell c>>>\n"));
  auto tbls = childrenOf(findAll(Op::Tbls)[0]);
  ASSERT_EQ(tbls.size(), 2u);
  // IDs in the order of the starts: outer 1, inner 2 (dropped), then 3.
  EXPECT_EQ(childOf(tbls[0], Op::TblID)->integer, 1);
  EXPECT_EQ(childOf(tbls[1], Op::TblID)->integer, 3);
  EXPECT_TRUE(findAll(Op::String).size() == 1u);  // "c " only: nothing of "inner" is left
  auto anchors = findAll(Op::ATbl);
  ASSERT_EQ(anchors.size(), 3u);
  EXPECT_EQ(anchors[0]->integer, 2);  // inside the outer table's cell
}

TEST(Tables, LongTablesAreWrittenOutAsTheyAreReadWithoutChangingTheFile) {
  // Many formats in the catalog, many rows (streamed a batch at a time), an inner table that is
  // dropped, footnotes, frames and many small tables: the file must be what the whole tree in
  // memory gives.
  std::string mlp;
  for (int i = 0; i < 100; ++i)
    mlp += "<!DefinePar f" + std::to_string(i) + " <Alignment Right>>\n";
  mlp += "<f7>\nBefore.\n<!Table 2 ";
  for (int i = 0; i < 300; ++i) {
    mlp += "<!Row <!Cell r" + std::to_string(i) + "> <!Cell x";
    if (i == 150) mlp += " <!Table 1 <!Row <!Cell inner>>>";
    if (i % 40 == 0) mlp += "<!Footnote n" + std::to_string(i) + ".>";
    mlp += ">>\n";
  }
  mlp += ">\nAfter.\n";
  for (int i = 0; i < 50; ++i) mlp += "<!Frame 1in 1in <!Rectangle no 1pt 0 0 5pt 5pt>>\n";
  for (int i = 0; i < 100; ++i) mlp += "<!Table 1 <!Row <!Cell s" + std::to_string(i) + ">>>\n";
  Translation whole = translateStreamedAndWhole(mlp);
  ASSERT_TRUE(whole.ok) << whole.console;
  EXPECT_NE(whole.mif.find("> # end of TblBody"), std::string::npos);
  EXPECT_NE(whole.mif.find("> # end of PgfCatalog"), std::string::npos);
  EXPECT_NE(whole.mif.find("> # end of AFrames"), std::string::npos);
  EXPECT_NE(whole.mif.find("`r299'"), std::string::npos);
  EXPECT_EQ(whole.mif.find("`inner"), std::string::npos);
}

TEST(Tables, HeadingAndFootingRowsStandAroundTheBody) {
  ASSERT_TRUE(translateToTree(
      "<!Table 2 <!TblHeading <!Row <!Cell h1> <!Cell h2>>> <!HorizLine>\n"
      "<!Row <!Cell b1> <!Cell <!Table 1 <!Row <!Cell inner>>>>> <!Row <!Cell b3> <!Cell b4>>\n"
      "<!TblFooting <!Row <!Cell f1> <!Cell f2>> <!Row <!Cell g1> <!Cell g2>>>>\n"));
  auto tbl = childrenOf(findAll(Op::Tbls)[0]);
  ASSERT_EQ(tbl.size(), 1u);
  EXPECT_EQ(childOps(tbl[0]), (std::vector<Op>{Op::TblID, Op::TblTag, Op::TblNumColumns, Op::TblH,
                                               Op::TblBody, Op::TblF}));
  EXPECT_EQ(childOps(childOf(tbl[0], Op::TblH)), std::vector<Op>{Op::Row});
  EXPECT_EQ(childOps(childOf(tbl[0], Op::TblBody)), (std::vector<Op>{Op::Row, Op::Row}));
  EXPECT_EQ(childOps(childOf(tbl[0], Op::TblF)), (std::vector<Op>{Op::Row, Op::Row}));
  // The inner table's rows are its own body's: the outer table has no second body.
  EXPECT_EQ(findAll(Op::TblBody).size(), 1u);
  EXPECT_EQ(findAll(Op::TblH).size(), 1u);
}

TEST(Tables, FootingAfterALongBodyIsWrittenAsTheWholeTreeGivesIt) {
  // The body's rows are streamed; the footing that closes the body is not part of that stream.
  std::string mlp = "<!Table 1 <!TblHeading <!Row <!Cell head>>>\n";
  for (int i = 0; i < 100; ++i) mlp += "<!Row <!Cell r" + std::to_string(i) + ">>\n";
  mlp += "<!TblFooting <!Row <!Cell foot>>>>\nAfter.\n";
  Translation whole = translateStreamedAndWhole(mlp);
  ASSERT_TRUE(whole.ok) << whole.console;
  std::size_t head = whole.mif.find("`head'");
  std::size_t last = whole.mif.find("`r99'");
  std::size_t bodyEnd = whole.mif.find("> # end of TblBody");
  std::size_t foot = whole.mif.find("<TblF\n");
  ASSERT_NE(foot, std::string::npos);
  EXPECT_TRUE(head < last && last < bodyEnd && bodyEnd < foot) << whole.mif;
}

TEST(Tables, StraddlesNameTheirRowsAndColumns) {
  ASSERT_TRUE(translateToTree(
      "<!Table 3 <!Row <!Straddle 2 1 a> <!Straddle 2 2 b>> <!Row <!Cell> <!Cell> <!Cell>>"
      "<!Row <!Straddle 1 3 c>> <!Row <!Straddle 1 1 d>>>\n"));
  auto cells = findAll(Op::Cell);
  ASSERT_EQ(cells.size(), 7u);
  EXPECT_EQ(childOps(cells[0]), (std::vector<Op>{Op::CellRows, Op::CellContent}));
  EXPECT_EQ(childOf(cells[0], Op::CellRows)->integer, 2);
  EXPECT_EQ(childOps(cells[1]), (std::vector<Op>{Op::CellColumns, Op::CellRows, Op::CellContent}));
  EXPECT_EQ(childOf(cells[1], Op::CellColumns)->integer, 2);
  EXPECT_EQ(childOf(cells[1], Op::CellRows)->integer, 2);
  // The covered cells below are plain cells; a straddle of one row writes no row count.
  for (int i : {2, 3, 4, 6}) EXPECT_EQ(childOps(cells[i]), std::vector<Op>{Op::CellContent}) << i;
  EXPECT_EQ(childOps(cells[5]), (std::vector<Op>{Op::CellColumns, Op::CellContent}));
}

TEST(Tables, DocumentOrderWithATableAndAFootnote) {
  ASSERT_TRUE(translateToTree("a<!Footnote n.> <!Table 1 <!Row <!Cell c>>>\n"));
  std::vector<Op> top;
  for (const mif::MifNode* n : topLevel()) top.push_back(n->op);
  EXPECT_EQ(top, (std::vector<Op>{Op::TblCatalog, Op::XRefFormats, Op::Tbls, Op::TextFlow}));
  auto flow = childOps(topLevel().back());
  EXPECT_EQ(flow, (std::vector<Op>{Op::TFTag, Op::Notes, Op::Para}));
}

TEST(Tables, TextAfterATableKeepsItsFormat) {
  // Cells switch to a format of their own; the text around the table goes on in its format
  // even though no format statement follows the table.
  auto r = translate(
      "<!DefinePar cell <Alignment Center>>\n<!DefinePar note <Alignment Right>>\n"
      "<note>\nbefore <!Table 1 <!Row <!Cell <cell>\nc>>>\n\nafter\n");
  ASSERT_TRUE(r.ok) << r.console;
  std::string flow = pendra::testing::bodyOf(r.mif);
  std::size_t after = flow.find("`after");
  ASSERT_NE(after, std::string::npos);
  std::size_t tag = flow.rfind("<PgfTag", after);
  ASSERT_NE(tag, std::string::npos);
  EXPECT_EQ(flow.substr(tag, 15), "<PgfTag `note'>") << flow;
}

TEST(Tables, MisplacedAndMalformedTableStatementsStopTheTranslation) {
  const char* inputs[] = {
      "<!Table 2>\n",               // empty TblBody grouping
      "<!Table 1 <!Row text>>\n",   // text directly in a row
      "<!Table 1 <!Row <!Cell a>",  // end of input inside the table
      // A heading or footing out of its place, and a table of a heading alone.
      "<!Table 1 <!Row <!Cell a>> <!TblHeading <!Row <!Cell h>>>>\n",
      "<!Table 1 <!TblHeading <!Row <!Cell h>>> <!TblHeading <!Row <!Cell h>>>>\n",
      "<!Table 1 <!TblFooting <!Row <!Cell f>>> <!Row <!Cell a>>>\n",
      "<!Table 1 <!Row <!Cell a>> <!TblFooting <!Row <!Cell f>>> <!Row <!Cell b>>>\n",
      "<!Table 1 <!Row <!Cell a <!TblFooting <!Row <!Cell f>>>>>>\n",
      "<!Table 1 <!TblHeading <!Row <!Cell h>>>>\n",
      "<!TblHeading <!Row <!Cell h>>>\n",
      "<!Table 1 <!Row <!Cell a>> <!TblFooting>>\n",
  };
  for (const char* mlp : inputs) {
    auto r = translate(mlp);
    EXPECT_FALSE(r.ok) << mlp;
    EXPECT_TRUE(r.mif.empty());
    EXPECT_NE(r.console.find("\nError encountered -- translation aborted\n"), std::string::npos);
  }
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<!Table 1 <!Row <!Cell ";
  auto r = translate(deep + "x\n");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.console.find("Too deep statement nesting"), std::string::npos) << r.console;
}

}  // namespace
}  // namespace pendra::mlp
