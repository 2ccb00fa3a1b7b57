// Simple inline math as running text.
#include "math/plain_text.h"

#include <string>
#include <vector>

#include "math/layout.h"
#include "math_fixture.h"

namespace pendra::math {
namespace {

using testing::MathFixture;

class PlainTextTest : public MathFixture {
 protected:
  // Pieces as "text@family/style" or "<Statement>", blank-separated.
  static std::string pieces(NodePtr tree) {
    std::vector<PlainPiece> out;
    writePlainMath(out, std::move(tree));
    std::string s;
    for (const PlainPiece& p : out) {
      if (!s.empty()) s += ' ';
      if (p.statement) {
        s += p.text;
        continue;
      }
      const char* family = p.font.family == output::Family::kSymbol      ? "S"
                           : p.font.family == output::Family::kTimes     ? "T"
                           : p.font.family == output::Family::kHelvetica ? "H"
                                                                         : "?";
      s += p.text + "@" + family + "/" + std::to_string(p.font.style);
    }
    return s;
  }
};

TEST_F(PlainTextTest, ScriptsSignsAndLetters) {
  NodePtr sup = op(NodeKind::SubSupScript, OperatorTable::Special, "indexes");
  sup->limits[0] = chr('x');
  sup->limits[2] = str("2");
  // x in italic, 2 raised, + in Symbol, y in italic.
  EXPECT_EQ(pieces(layout(chain(std::move(sup), flat("+ y")))), "x@T/64 2@T/1 +@S/0 y@T/64");
  EXPECT_EQ(messages(), "");
}

TEST_F(PlainTextTest, SumsDropThePlusBeforeAMinus) {
  EXPECT_EQ(pieces(layout(flat("a - b"))), "a@T/64 -@S/0 b@T/64");
  NodePtr lone = op(NodeKind::Nary, OperatorTable::Nary, "leq");
  setOperand(lone.get(), 0, chr('a'));
  EXPECT_EQ(pieces(std::move(lone)), "a@T/64 \xA3@S/0");
}

TEST_F(PlainTextTest, FunctionsBracketsAndGlyphs) {
  NodePtr sin = op(NodeKind::Prefix, OperatorTable::Unary, "sin");
  sin->operands[0] = chr('x');
  EXPECT_EQ(pieces(std::move(sin)), "sin @T/0  @S/0 x@T/64");
  EXPECT_EQ(pieces(layout(flat("[ a ]"))), "[@S/0 a@T/64 ]@S/0");
  EXPECT_EQ(pieces(op(NodeKind::Nullary, OperatorTable::Nullary, "alpha")), "a@S/0");
  NodePtr d = op(NodeKind::Prefix, OperatorTable::Unary, "diff");
  d->operands[0] = chr('x');
  EXPECT_EQ(pieces(std::move(d)), "d@H/0 x@T/64");
}

TEST_F(PlainTextTest, SpacingBecomesSpaceStatements) {
  NodePtr six = space(6);
  EXPECT_EQ(pieces(std::move(six)), "<EmSpace> <EnSpace>");
  EXPECT_EQ(pieces(space(7)), "<EmSpace> <EnSpace> <ThinSpace>");
  EXPECT_EQ(pieces(space(-1)), "");
}

TEST_F(PlainTextTest, WrongKindsForCodesAreReported) {
  NodePtr odd = makeNode(NodeKind::Nullary, specialRow(SpecialRow::String), kRoman);
  EXPECT_EQ(pieces(std::move(odd)), "");
  EXPECT_EQ(messages(), "Internal FrameMath error: bad format code\n");
}

}  // namespace
}  // namespace pendra::math
