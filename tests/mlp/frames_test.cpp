// Anchored frames, graphic objects, text lines, imported files, equations and text frames.
#include "mlp/frames.h"

#include <gtest/gtest.h>

#include <string>

#include "mlp/translate_util.h"
#include "mlp/tree_util.h"

namespace pendra::mlp {
namespace {

using mif::Op;
using pendra::testing::bodyOf;
using pendra::testing::childOf;
using pendra::testing::childOps;
using pendra::testing::childrenOf;
using pendra::testing::findAll;
using pendra::testing::topLevel;
using pendra::testing::translate;
using pendra::testing::translateToTree;

constexpr float kTolerance = 1e-5f;

void expectRect(const mif::MifNode* node, float x, float y, float w, float h) {
  ASSERT_NE(node, nullptr);
  EXPECT_NEAR(node->number[0], x, kTolerance);
  EXPECT_NEAR(node->number[1], y, kTolerance);
  EXPECT_NEAR(node->number[2], w, kTolerance);
  EXPECT_NEAR(node->number[3], h, kTolerance);
}

TEST(Frames, FrameOfALineIsMeasuredInInchesOf72Point27) {
  ASSERT_TRUE(translateToTree("a <!Frame 72pt 36pt <!Line 1pt 0 0 72pt 36pt>> b\n"));
  auto frames = findAll(Op::Frame);
  ASSERT_EQ(frames.size(), 1u);
  const mif::MifNode* frame = frames[0];
  EXPECT_EQ(childOps(frame),
            (std::vector<Op>{Op::ID, Op::Pen, Op::Fill, Op::PenWidth, Op::ShapeRect, Op::BRect,
                             Op::FrameType, Op::Float, Op::NSOffset, Op::BLOffset, Op::AnchorAlign,
                             Op::Cropped, Op::PolyLine}));
  EXPECT_EQ(childOf(frame, Op::Pen)->integer, 0);
  EXPECT_FLOAT_EQ(childOf(frame, Op::PenWidth)->number[0], 1);
  expectRect(childOf(frame, Op::ShapeRect), 0, 0, 72 / 72.27f, 36 / 72.27f);
  expectRect(childOf(frame, Op::BRect), 0, 0, 72 / 72.27f, 36 / 72.27f);
  auto points = childrenOf(childOf(frame, Op::PolyLine));
  EXPECT_NEAR(points.back()->number[0], 0.99626f, kTolerance);
  EXPECT_NEAR(points.back()->number[1], 0.49813f, kTolerance);
  auto anchors = findAll(Op::AFrame);
  ASSERT_EQ(anchors.size(), 1u);
  EXPECT_EQ(anchors[0]->integer, childOf(frame, Op::ID)->integer);
  EXPECT_EQ(topLevel()[1]->op, Op::AFrames);
}

TEST(Frames, PenWidthZeroAndEmptySizes) {
  ASSERT_TRUE(translateToTree("<!InlineFrame 0 10pt 10pt> <!Frame 0 0> <!Frame -3pt 2pt>\n"));
  auto frames = findAll(Op::Frame);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(childOf(frames[0], Op::Pen)->integer, 15);
  EXPECT_FLOAT_EQ(childOf(frames[0], Op::PenWidth)->number[0], 0);
  expectRect(childOf(frames[1], Op::ShapeRect), 0, 0, 1 / 72.27f, 0.4f / 72.27f);
  expectRect(childOf(frames[2], Op::BRect), 0, 0, 1 / 72.27f, 2 / 72.27f);
}

TEST(Frames, GraphicObjects) {
  ASSERT_TRUE(translateToTree(
      "<!Frame 1in 1in <!Rectangle Yes 2pt 1pt 2pt 3pt 4pt> <!Ellipse no 1pt 0 0 5pt 5pt>"
      " <!Arc 1pt 0 0 10pt 10pt 90 180> <!Arrow 0.5pt 0 0 10pt 0>>\n"));
  const mif::MifNode* rect = findAll(Op::Rectangle)[0];
  EXPECT_EQ(childOf(rect, Op::Fill)->integer, 0);
  expectRect(childOf(rect, Op::ShapeRect), 1 / 72.27f, 2 / 72.27f, 3 / 72.27f, 4 / 72.27f);
  expectRect(childOf(rect, Op::BRect), 1 / 72.27f, 2 / 72.27f, 3 / 72.27f, 4 / 72.27f);
  EXPECT_EQ(childOf(findAll(Op::Ellipse)[0], Op::Fill)->integer, 15);
  const mif::MifNode* arc = findAll(Op::Arc)[0];
  EXPECT_EQ(childOf(arc, Op::ArcTheta)->integer, 90);
  EXPECT_EQ(childOf(arc, Op::ArcDTheta)->integer, 180);
  const mif::MifNode* arrow = findAll(Op::PolyLine)[0];
  EXPECT_EQ(childOps(arrow),
            (std::vector<Op>{Op::Pen, Op::Fill, Op::PenWidth, Op::HeadCap, Op::TailCap,
                             Op::ArrowStyle, Op::NumPoints, Op::Point, Op::Point}));
  EXPECT_STREQ(childOf(arrow, Op::HeadCap)->ref, "ArrowHead");
  EXPECT_NEAR(childOf(childOf(arrow, Op::ArrowStyle), Op::Length)->number[0], 12 / 72.27f,
              kTolerance);
}

TEST(Frames, TextLines) {
  ASSERT_TRUE(
      translateToTree("<!Frame 1in 1in <!TextLine right 0 1pt 2pt <Bold>R> <!TextLine lc 30 0 0 L>"
                      " <!TextLine baseline 0 0 0 B>>\n"));
  auto lines = findAll(Op::TextLine);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_STREQ(childOf(lines[0], Op::TLAlignment)->ref, "Right");
  EXPECT_EQ(childOf(lines[0], Op::Angle), nullptr);
  EXPECT_STREQ(childOf(lines[1], Op::TLAlignment)->ref, "Left");
  EXPECT_EQ(childOf(lines[1], Op::Angle)->integer, 30);
  EXPECT_STREQ(childOf(lines[2], Op::TLAlignment)->ref, "baseline");
  // Each line starts from the initial font, written in full, with no paragraph around its text.
  EXPECT_EQ(childOps(lines[0]),
            (std::vector<Op>{Op::TLOrigin, Op::TLAlignment, Op::Font, Op::String}));
  EXPECT_STREQ(childOf(childOf(lines[1], Op::Font), Op::FBold)->ref, "No");
  EXPECT_TRUE(findAll(Op::Para).size() == 1u);  // the text's own paragraph only
}

TEST(Frames, TextLineInRunningTextLeavesTheParagraphIntact) {
  // Misplaced, but the paragraph around it goes on and a blank line inside ends nothing.
  ASSERT_TRUE(translateToTree("x <!TextLine c 0 0 0 a\n\nb<HardReturn>c> y\n"));
  EXPECT_EQ(findAll(Op::Para).size(), 1u);
  EXPECT_EQ(findAll(Op::ParaLine).size(), 1u);
}

TEST(Frames, EpsFileIsScaled) {
  ASSERT_TRUE(translateToTree("<!Frame 1in 1in <!EPSFile \"fig.eps\" 0 0 72pt 36pt 2 0.5>>\n"));
  const mif::MifNode* eps = findAll(Op::ImportObject)[0];
  EXPECT_STREQ(childOf(eps, Op::ImportObFile)->ref, "fig.eps");
  expectRect(childOf(eps, Op::ShapeRect), 0, 0, 144 / 72.27f, 18 / 72.27f);
  EXPECT_STREQ(childOf(eps, Op::ImportObUpdater)->ref, "EPSI");
}

TEST(Frames, EquationExpressionAndOrigin) {
  ASSERT_TRUE(
      translateToTree("a<!FrameMath I 0 0 20pt 10pt over \"a b\"\n  \"\\x41\\\"\\x4g\"  >\nb\n"));
  const mif::MifNode* math = findAll(Op::Math)[0];
  EXPECT_EQ(childOf(math, Op::MathFullForm)->text, "over\"a b\"\"A\"x4g\"");
  const mif::MifNode* origin = childOf(math, Op::MathOrigin);
  EXPECT_NEAR(origin->number[0], 10 / 72.27f, kTolerance);
  EXPECT_NEAR(origin->number[1], 10 / 72.27f - 0.02f, kTolerance);
  EXPECT_EQ(childOf(findAll(Op::Frame)[0], Op::Pen)->integer, 15);
  // The line feed after the equation is not a space: "a", the anchor, then "b ".
  auto strings = findAll(Op::String);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[1]->text, "b ");
  EXPECT_EQ(findAll(Op::Para).size(), 1u);
  // Two equations in a row take one line feed between them, not two: the empty line that
  // follows still ends the paragraph.
  const char* eq = "<!FrameMath I 0 0 0 0 x>";
  ASSERT_TRUE(translateToTree(std::string("a") + eq + eq + "\n\n\nb\n"));
  EXPECT_EQ(findAll(Op::Para).size(), 2u);
}

TEST(Frames, RawFrameTextStandsAfterPenWidth) {
  auto r = translate("<aframe <PolyLine <Pen 0>\n <Fill 1>>\n  <X>>\n");
  ASSERT_TRUE(r.ok) << r.console;
  EXPECT_NE(r.mif.find("\t<PenWidth 1.0 pt>\n\t<PolyLine <Pen 0>\n <Fill 1>><X>  >\n"),
            std::string::npos)
      << r.mif;
}

TEST(Frames, TextFrameGetsAFlowOfItsOwn) {
  ASSERT_TRUE(translateToTree("a <!TextFrame 0 0 inside> b\n"));
  auto top = topLevel();
  ASSERT_EQ(top.size(), 4u);  // XRefFormats, AFrames, TextFlow, the text frame's TextFlow
  const mif::MifNode* frame = findAll(Op::Frame)[0];
  EXPECT_EQ(childOps(frame),
            (std::vector<Op>{Op::ID, Op::ShapeRect, Op::BRect, Op::FrameType, Op::Float,
                             Op::AnchorAlign, Op::Cropped, Op::TextRect}));
  const mif::MifNode* rect = childOf(frame, Op::TextRect);
  expectRect(childOf(rect, Op::ShapeRect), 0, 0, 6.5f, 6.5f);
  const mif::MifNode* line = childOf(childrenOf(top[3])[0], Op::ParaLine);
  auto first = childrenOf(line)[0];
  EXPECT_EQ(first->op, Op::TextRectID);
  EXPECT_EQ(first->integer, childOf(rect, Op::ID)->integer);
  EXPECT_EQ(findAll(Op::AFrame)[0]->integer, childOf(frame, Op::ID)->integer);
}

TEST(Frames, TextFrameContent) {
  // Content that does not begin with a paragraph is no text flow: no frame, no anchor.
  ASSERT_TRUE(translateToTree("a <!TextFrame 0 0 <!Line 1pt 0 0 1pt 1pt> x> b\n"));
  EXPECT_TRUE(findAll(Op::Frame).empty());
  EXPECT_TRUE(findAll(Op::AFrame).empty());
  EXPECT_EQ(topLevel().size(), 2u);
  // A table at the start of a float stands in the flow's first paragraph line and is kept.
  ASSERT_TRUE(translateToTree("a <!TextFrame 0 0 <!Table 1 <!Row <!Cell c>>>> b\n"));
  EXPECT_EQ(findAll(Op::TextRectID).size(), 1u);
  EXPECT_EQ(findAll(Op::ATbl).size(), 1u);
  // The text frame's paragraphs are `body`; the text after it keeps its own format.
  auto r = translate("<!DefinePar note <Alignment Right>>\n<note>\nx <!TextFrame 0 0 y>\n\nz\n");
  ASSERT_TRUE(r.ok) << r.console;
  std::string flows = bodyOf(r.mif);
  std::size_t z = flows.find("`z");
  EXPECT_EQ(flows.substr(flows.rfind("<PgfTag", z), 15), "<PgfTag `note'>") << flows;
  EXPECT_NE(flows.find("<PgfTag `body'>", z), std::string::npos);
}

TEST(Frames, MalformedAndMisplacedStatementsStopTheTranslation) {
  struct Case {
    const char* mlp;
    const char* message;
  };
  const Case cases[] = {
      {"<!Frame wide 1pt>\n", "Floating-point value expected"},
      {"<!Frame 1pt 1pt <!Rectangle maybe 1pt 0 0 1pt 1pt>>\n", "Boolean expected"},
      {"<!Frame 1pt 1pt <!EPSFile fig.eps 0 0 1pt 1pt 1 1>>\n", "String expected"},
      {"<!Frame 1pt 1pt <!Frame 1pt 1pt>>\n", "mismatched MIF: ParaLine with Frame\n"},
      {"<!Frame 1pt 1pt text>\n", "mismatched MIF: ParaLine with Frame\n"},
      {"<!FrameMath I 0 0 0 0 \"a", "Unexpected EOF"},
      {"<!FrameMath I 0 0 0 0 a", "Unexpected EOF"},
      {"<aframe <a>", "Unexpected EOF"},
  };
  for (const Case& c : cases) {
    auto r = translate(c.mlp);
    EXPECT_FALSE(r.ok) << c.mlp;
    EXPECT_NE(r.console.find(c.message), std::string::npos) << c.mlp << "\n" << r.console;
    EXPECT_NE(r.console.find("\nError encountered -- translation aborted\n"), std::string::npos);
  }
}

TEST(Frames, ExtremeValuesAreWrittenWhole) {
  auto r = translate(
      "<!Frame 1e38pt 1e38pt <!Rectangle no 1e38pt -1e38in -1e38in 1e38in 1e38in>"
      "<!EPSFile \"f\" 0 0 1e38pt 1e38pt 1e38 1e38>>\n");
  ASSERT_TRUE(r.ok) << r.console;
  EXPECT_EQ(r.mif.find("inf"), std::string::npos);
  std::size_t shape = r.mif.find("<ShapeRect", r.mif.find("<Rectangle"));
  std::size_t end = r.mif.find('\n', shape);
  EXPECT_EQ(r.mif.substr(end - 2, 2), "\">") << r.mif.substr(shape, end - shape);
}

}  // namespace
}  // namespace pendra::mlp
