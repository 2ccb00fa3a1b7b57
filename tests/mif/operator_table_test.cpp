#include "mif/operator_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace pendra::mif {
namespace {

TEST(OperatorTable, RowsAreIndexedByTheirCodes) {
  ASSERT_EQ(kMifOperatorCount, 192u);
  for (std::size_t i = 0; i < kMifOperatorCount; ++i) EXPECT_EQ(kMifOperators[i].code, i);
}

TEST(OperatorTable, NamesRunInCaseBlindOrderBetweenTheSentinels) {
  EXPECT_STREQ(kMifOperators[0].name, "AAA");
  EXPECT_STREQ(kMifOperators[191].name, "ZZZ");
  EXPECT_EQ(kMifOperators[191].kind, 'X');
  for (std::size_t i = 1; i < kMifOperatorCount; ++i)
    EXPECT_LE(strcasecmp(kMifOperators[i - 1].name, kMifOperators[i].name), 0)
        << kMifOperators[i].name;
}

TEST(OperatorTable, SampleRowsAndTheEnumeratorsThatNameThem) {
  struct Sample {
    Op op;
    const char* name;
    char kind;
  };
  const Sample samples[] = {
      {Op::AFrame, "AFrame", 'N'},
      {Op::BRect, "BRect", 'Q'},
      {Op::Char, "Char", 'T'},
      {Op::CharCode, "Char", 'N'},
      {Op::Comment, "Comment", 'S'},
      {Op::Placeholder, "Comment", 's'},
      {Op::FNote, "FNote", 'P'},
      {Op::FNoteRef, "FNote", 'N'},
      {Op::FSize, "FSize", 'D'},
      {Op::MathOrigin, "MathOrigin", 'C'},
      {Op::Para, "Para", 'P'},
      {Op::ParaLine, "ParaLine", 'P'},
      {Op::PgfTag, "PgfTag", 's'},
      {Op::ScaleFactor, "ScaleFactor", 'F'},
      {Op::String, "String", 'S'},
      {Op::TextFlow, "TextFlow", 'P'},
      {Op::TSLeaderStr, "TSLeaderStr", 's'},
      {Op::XRefEnd, "XRefEnd", 'O'},
      {Op::XRefSrcText, "XRefSrcText", 'S'},
      {Op::Verbose, "Verbose", 'T'},
      {Op::CellRows, "CellRows", 'N'},
      {Op::TblH, "TblH", 'P'},
      {Op::TblF, "TblF", 'P'},
  };
  for (const Sample& s : samples) {
    EXPECT_STREQ(opName(s.op), s.name);
    EXPECT_EQ(opKind(s.op), s.kind) << s.name;
  }
  EXPECT_EQ(static_cast<int>(Op::Para), 86);
  EXPECT_EQ(static_cast<int>(Op::Placeholder), 22);
  EXPECT_EQ(static_cast<int>(Op::XRefSrcText), 190);
}

TEST(OperatorTable, KindCounts) {
  int groups = 0, owned = 0, byReference = 0;
  for (const MifOperator& row : kMifOperators) {
    groups += row.kind == 'P';
    owned += row.kind == 'S';
    byReference += row.kind == 's';
  }
  EXPECT_EQ(groups, 42);
  EXPECT_EQ(owned, 14);
  EXPECT_EQ(byReference, 17);
}

}  // namespace
}  // namespace pendra::mif
