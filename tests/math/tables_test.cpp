// The built-in operator and delimiter tables: sizes, sample rows, and lookups.
#include <cstring>
#include <set>
#include <string>

#include "math_fixture.h"

namespace pendra::math {
namespace {

using testing::MathFixture;

class TablesTest : public MathFixture {};

TEST_F(TablesTest, TablesHaveTheirSizes) {
  EXPECT_EQ(operatorRows(OperatorTable::Special).size(), 11u);
  EXPECT_EQ(operatorRows(OperatorTable::Nullary).size(), 52u);
  EXPECT_EQ(operatorRows(OperatorTable::Unary).size(), 70u);
  EXPECT_EQ(operatorRows(OperatorTable::TwoOperand).size(), 19u);
  EXPECT_EQ(operatorRows(OperatorTable::Nary).size(), 42u);
  EXPECT_EQ(operatorRows(OperatorTable::BigOperator).size(), 7u);
  EXPECT_EQ(operatorRows(OperatorTable::Root).size(), 2u);
  EXPECT_EQ(operatorRows(OperatorTable::DelimiterName).size(), 13u);
  EXPECT_EQ(delimiterPairs().size(), 10u);
  EXPECT_EQ(delimiterGlyphs().size(), 21u);
}

TEST_F(TablesTest, NamesAreUniqueWithinEachTable) {
  for (OperatorTable t :
       {OperatorTable::Special, OperatorTable::Nullary, OperatorTable::Unary,
        OperatorTable::TwoOperand, OperatorTable::Nary, OperatorTable::BigOperator,
        OperatorTable::Root, OperatorTable::DelimiterName}) {
    std::set<std::string> names;
    for (const MathOperator& row : operatorRows(t)) {
      ASSERT_NE(row.name, nullptr);
      EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
  }
}

struct RowCase {
  OperatorTable table;
  const char* name;
  const char* tmpl;
  int priority;
};

TEST_F(TablesTest, SampleRowsAreTranscribedByteForByte) {
  const RowCase cases[] = {
      {OperatorTable::Special, "indexes", "%1%_%2%^%3", 0},
      {OperatorTable::Special, "", "%s", 200},
      {OperatorTable::Special, "atop", nullptr, 250},
      {OperatorTable::Special, "matrix", nullptr, 500},
      {OperatorTable::Nullary, "aleph", "\xC0", 0},
      {OperatorTable::Nullary, "cpartial", nullptr, 0},
      {OperatorTable::Nullary, "*hbar", "%a(h,-)", 0},
      {OperatorTable::Nullary, "varsigma", "V", 0},
      {OperatorTable::Unary, "abs", "|%1|", 1},
      {OperatorTable::Unary, "tanh", "%# %1", 1},
      {OperatorTable::Unary, "curl", "%y\xD1\xB4%1", 1},
      {OperatorTable::Unary, "floor", "\xEB%1\xFB", 1},
      {OperatorTable::Unary, "forall", "%y\"%1", 100},
      {OperatorTable::Unary, "exists", "$%1", 80},
      {OperatorTable::Unary, "therefore", "%y\\%1", 100},
      {OperatorTable::Unary, "ast", "%1%^*", 1},
      {OperatorTable::Unary, "lap", "%y\xD1%^2%=%1", 1},
      {OperatorTable::Unary, "+prime", "%1\xA2", 1},
      {OperatorTable::TwoOperand, "sn", "%1\xB4 10%^%2", 10},
      {OperatorTable::TwoOperand, "*uplus", "%1%a(+,\xC8)%2", 25},
      {OperatorTable::TwoOperand, "*odot", "%1%a(\xE1,O)%2", 10},
      {OperatorTable::TwoOperand, "over", nullptr, 10},
      {OperatorTable::Nary, "atop", nullptr, 20},
      {OperatorTable::Nary, "cong", "%?(%y@)", 20},
      {OperatorTable::Nary, "comma", "%?(,)", 55},
      {OperatorTable::Nary, "list", "%?( )", 20},
      {OperatorTable::Nary, "parallel", "%?(||)", 20},
      {OperatorTable::Nary, "ni", "%?(%y')", 50},
      {OperatorTable::Nary, "gg", "%?(>>)", 55},
      {OperatorTable::Nary, "ll", "%?(<<)", 50},
      {OperatorTable::Nary, "wedge", "%?(%y\xD9)", 30},
      {OperatorTable::BigOperator, "sum", nullptr, 80},
      {OperatorTable::BigOperator, "bigcup", nullptr, 100},
      {OperatorTable::Root, "sqrt", nullptr, 0},
      {OperatorTable::DelimiterName, "backslash", "\\", 0},
      {OperatorTable::DelimiterName, "Updownarrow", "A", 0},
  };
  for (const RowCase& c : cases) {
    const MathOperator* row = findOperator(c.table, c.name);
    ASSERT_NE(row, nullptr) << c.name;
    if (c.tmpl)
      EXPECT_STREQ(row->tmpl, c.tmpl) << c.name;
    else
      EXPECT_EQ(row->tmpl, nullptr) << c.name;
    EXPECT_EQ(priorityOf(*row), c.priority) << c.name;
  }
  EXPECT_EQ(messages(), "");
}

TEST_F(TablesTest, FirstAndLastRowsKeepTheirOrder) {
  EXPECT_STREQ(operatorRows(OperatorTable::Nullary).front().name, "aleph");
  EXPECT_STREQ(operatorRows(OperatorTable::Nullary).back().name, "*hbar");
  EXPECT_STREQ(operatorRows(OperatorTable::Unary).back().name, "+prime");
  EXPECT_STREQ(operatorRows(OperatorTable::TwoOperand).back().name, "*odot");
  EXPECT_STREQ(operatorRows(OperatorTable::Nary).back().name, "wedge");
  EXPECT_STREQ(operatorRows(OperatorTable::BigOperator).back().name, "lim");
  EXPECT_EQ(specialRow(SpecialRow::Matrix), &operatorRows(OperatorTable::Special).back());
  EXPECT_STREQ(specialRow(SpecialRow::Spacing)->name, "");
}

TEST_F(TablesTest, EveryNaryTemplateButAtopHoldsASeparator) {
  for (const MathOperator& row : operatorRows(OperatorTable::Nary)) {
    if (std::strcmp(row.name, "atop") == 0) continue;
    ASSERT_NE(row.tmpl, nullptr) << row.name;
    EXPECT_EQ(std::strncmp(row.tmpl, "%?(", 3), 0) << row.name;
    EXPECT_EQ(row.tmpl[std::strlen(row.tmpl) - 1], ')') << row.name;
  }
}

TEST_F(TablesTest, SharedNamesResolveToTheRowOfTheSearchedTable) {
  const MathOperator* special = specialRow(SpecialRow::Atop);
  const MathOperator* two = findOperator(OperatorTable::TwoOperand, "atop");
  const MathOperator* nary = findOperator(OperatorTable::Nary, "atop");
  EXPECT_EQ(priorityOf(*special), 250);
  EXPECT_EQ(priorityOf(*two), 10);
  EXPECT_EQ(priorityOf(*nary), 20);
  EXPECT_NE(findOperator(OperatorTable::Unary, "id"), specialRow(SpecialRow::Id));
  EXPECT_NE(findOperator(OperatorTable::TwoOperand, "function"), specialRow(SpecialRow::Function));
}

TEST_F(TablesTest, MissingNameIsReportedAndYieldsNone) {
  EXPECT_EQ(findOperator(OperatorTable::Unary, "grad"), nullptr);
  EXPECT_EQ(messages(), "Missing FrameMath entry for grad\n");
  // Lookup is case-sensitive and exact.
  EXPECT_NE(findOperator(OperatorTable::Nullary, "Delta"),
            findOperator(OperatorTable::Nullary, "delta"));
  EXPECT_EQ(findOperator(OperatorTable::Nullary, "alph"), nullptr);
  EXPECT_EQ(messages(), "Missing FrameMath entry for alph\n");
}

TEST_F(TablesTest, DelimiterPairsAndGlyphs) {
  EXPECT_STREQ(findDelimiterPair('|', '|'), "1,abs");
  EXPECT_STREQ(findDelimiterPair(kDoubleBarLetter, kDoubleBarLetter), "1,norm");
  EXPECT_STREQ(findDelimiterPair('<', '|'), "1,bra");
  EXPECT_STREQ(findDelimiterPair('{', '}'), "i,id,i2");
  EXPECT_EQ(findDelimiterPair('(', ']'), nullptr);
  EXPECT_STREQ(findDelimiterGlyph(kDoubleBarLetter), "||");
  EXPECT_STREQ(findDelimiterGlyph('\\'), "\\");
  EXPECT_STREQ(findDelimiterGlyph('f'), "\xEB");
  EXPECT_STREQ(findDelimiterGlyph('A'), "\xDD\xDF");
  EXPECT_EQ(findDelimiterGlyph('.'), nullptr);
}

}  // namespace
}  // namespace pendra::math
