// Pictures converted to MLP frames of graphic statements.
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <string>

#include "output/output_fixture.h"
#include "picture/picture_internal.h"
#include "support/mlp_text.h"
#include "table/tables.h"

namespace pendra::testing {
namespace {

class Pictures : public ConvertFixture {
 protected:
  void SetUp() override {
    ConvertFixture::SetUp();
    table::initTables();
    picture::initPicture();
  }
  // The body that `text` writes from its first frame on.
  std::string frames(std::string_view text, std::string* messages = nullptr) {
    std::string scratch;
    std::string out = convert(text, messages ? messages : &scratch);
    std::size_t start = out.find("<!Frame");
    return start == std::string::npos ? out : out.substr(start);
  }
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

bool has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

TEST_F(Pictures, OneInchWideFrameHoldsALineAlongItsBottom) {
  std::string out = frames("\\begin{picture}(72,36)\\put(0,0){\\line(1,0){72}}\\end{picture}\n");
  EXPECT_EQ(out,
            "<!Frame 1.00\" 0.50\"\n"
            "<!Line 1.00pt 0.00\" 0.50\" 1.00\" 0.50\">\n"
            ">\n");
}

TEST_F(Pictures, LineEndsFollowTheTruncatedSlope) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(0,0){\\line(1,2){10}}\\put(0,0){\\line(-1,1){10}}"
      "\\put(0,0){\\vector(0,-1){10}}\\put(0,0){\\line(0.5,1){10}}\\end{picture}\n");
  // (10,20), (-10,10), (0,-10), and (0,10) for the slope cut to (0,1); y counts down from 72.
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 0.14\" 0.72\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" -0.14\" 0.86\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Arrow 1.00pt 0.00\" 1.00\" 0.00\" 1.14\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 0.00\" 0.86\">\n")) << out;
}

TEST_F(Pictures, OvalPartsChooseArcsOrWholeEllipses) {
  EXPECT_EQ(picture::kOvalParts[6].start, 0);  // tr
  EXPECT_EQ(picture::kOvalParts[6].sweep, 90);
  EXPECT_EQ(picture::kOvalParts[9].start, 180);   // bl
  EXPECT_EQ(picture::kOvalParts[14].start, 270);  // trl
  int whole = 0;
  for (const picture::OvalPart& part : picture::kOvalParts) whole += part.sweep == 360;
  EXPECT_EQ(whole, 4);
  std::string out = frames(
      "\\begin{picture}(40,20)\\put(20,10){\\oval(20,10)[tr]}\\put(20,10){\\oval(20,10)[bt]}"
      "\\put(20,10){\\oval(20,10)[x]}\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!Arc 1.00pt 0.14\" 0.07\" 0.28\" 0.14\" 0 90>\n")) << out;
  EXPECT_EQ(count(out, "<!Ellipse No 1.00pt 0.14\" 0.07\" 0.28\" 0.14\">\n"), 2) << out;
}

TEST_F(Pictures, CirclesStandInTheirSquare) {
  std::string out = frames(
      "\\begin{picture}(20,20)\\put(5,5){\\circle*{10}}\\put(5,5){\\circle{10}}\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!Ellipse Yes 1.00pt 0.00\" 0.14\" 0.14\" 0.14\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Ellipse No 1.00pt 0.00\" 0.14\" 0.14\" 0.14\">\n")) << out;
}

TEST_F(Pictures, TextObjectsBecomeTextLinesAndGraphicsDoNot) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(36,36){Hi}\\put(0,0){\\line(1,0){1}}"
      "\\put(0,36){\\makebox(0,0)[r]{R}}\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!TextLine Left 0 0.50\" 0.50\"\n")) << out;
  EXPECT_TRUE(has(out, "Hi\n>\n")) << out;
  EXPECT_TRUE(has(out, "<!TextLine Right 0 0.00\" 0.50\"\n")) << out;
  EXPECT_EQ(count(out, "<!TextLine"), 2) << out;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Pictures, TextBesideAGraphicGetsATextLineOfItsOwn) {
  std::string out = frames("\\begin{picture}(72,72)\\put(0,0){A\\line(1,0){36}B}\\end{picture}\n");
  EXPECT_EQ(out,
            "<!Frame 1.00\" 1.00\"\n"
            "<!TextLine Left 0 0.00\" 1.00\"\n<rm>A\n>\n"
            "<!Line 1.00pt 0.00\" 1.00\" 0.50\" 1.00\">\n"
            "<!TextLine Left 0 0.00\" 1.00\"\nB\n>\n"
            ">\n");
}

TEST_F(Pictures, TextReachingThePictureBodyItselfGetsATextLine) {
  std::string out = frames(
      "\\begin{picture}(72,72)$x$\n\\begin{tabular}{l}a\\end{tabular}\\[\\frac{a}{b}\\]"
      "\\end{picture}\n");
  EXPECT_EQ(count(out, "<!TextLine Left 0 0.00\" 1.00\"\n"), 3) << out;
  // The equation's frame stands in a text line, not loose in the picture's frame.
  std::size_t equation = out.find("<!FrameMath");
  ASSERT_NE(equation, std::string::npos) << out;
  std::size_t line = out.rfind("<!TextLine", equation);
  EXPECT_EQ(out.find("\n>\n", line), out.find("\n>\n", equation)) << out;
  std::size_t table = out.find("<!Table 1");
  ASSERT_NE(table, std::string::npos) << out;
  EXPECT_LT(out.rfind("<!TextLine", table), table);
  EXPECT_TRUE(balanced(out)) << out;
}

// No text line opens before the one before it has closed.
bool textLinesNest(const std::string& mlp) {
  std::size_t open = mlp.find("<!TextLine");
  while (open != std::string::npos) {
    std::size_t next = mlp.find("<!TextLine", open + 1);
    std::size_t close = mlp.find("\n>\n", open);
    if (next != std::string::npos && next < close) return true;
    open = next;
  }
  return false;
}

TEST_F(Pictures, TextLinesNeverNest) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(0,0){$x$}\\put(0,0){\\begin{tabular}{l}a\\end{tabular}}"
      "\\put(1,1){\\begin{picture}(1,1)$y$\n\\end{picture}}\\end{picture}\n");
  EXPECT_EQ(count(out, "<!TextLine"), 3) << out;
  EXPECT_FALSE(textLinesNest(out)) << out;
}

// An environment of the picture holds text, then a picture, then text again (the line end
// after the text ends a paragraph there): a text line holds no graphic, so each run of text
// gets a text line of its own and the graphics stand between them in the frame.
TEST_F(Pictures, TextAroundAPictureInsideAnEnvironmentGetsTextLinesOfItsOwn) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\begin{W}x\n"
      "\\begin{picture}(72,72)\\put(0,0){\\line(1,0){36}}\\end{picture}y\n"
      "\\begin{picture}(72,72)\\put(0,0){\\line(1,0){36}}\\end{picture}\\end{W}"
      "\\end{picture}\n");
  std::size_t x = out.find("\nx\n");
  std::size_t first = out.find("<!Line");
  std::size_t y = out.find("\ny\n");
  std::size_t second = out.find("<!Line", first + 1);
  ASSERT_NE(second, std::string::npos) << out;
  EXPECT_LT(x, first);
  EXPECT_LT(first, y);
  EXPECT_LT(y, second);
  // Each text stands in a text line that has closed before the next graphic.
  for (std::size_t text : {x, y}) {
    std::size_t line = out.rfind("<!TextLine", text);
    ASSERT_NE(line, std::string::npos) << out;
    EXPECT_GT(out.find("<!Line", text), out.find("\n>\n", text)) << out;
  }
  EXPECT_FALSE(textLinesNest(out)) << out;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Pictures, FrameBoxDrawsItsRectangleBeforeItsText) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(10,10){\\framebox(20,10)[t]{x}}"
      "\\put(0,0){\\dashbox{2}(20,10){y}}\\end{picture}\n");
  std::size_t rect = out.find("<!Rectangle No 1.00pt 0.14\" 0.72\" 0.28\" 0.14\">\n");
  std::size_t text = out.find("<!TextLine Center 0 0.28\" 0.72\"\n");
  ASSERT_NE(rect, std::string::npos) << out;
  ASSERT_NE(text, std::string::npos) << out;
  EXPECT_LT(rect, text);
  // A dash box is an outline as well, with its text in the middle.
  EXPECT_TRUE(has(out, "<!Rectangle No 1.00pt 0.00\" 0.86\" 0.28\" 0.14\">\n")) << out;
  EXPECT_TRUE(has(out, "<!TextLine Center 0 0.14\" 0.93\"\n")) << out;
}

TEST_F(Pictures, LineThicknessFollowsTheLinesCommands) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\thicklines\\put(0,0){\\line(1,0){1}}"
      "\\linethickness{0pt}\\put(0,0){\\line(1,0){2}}"
      "\\linethickness{1.5pt}\\put(0,0){\\line(1,0){3}}\\thinlines\\put(0,0){\\line(1,0){4}}"
      "\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!Line 2.00pt 0.00\" 1.00\" 0.01\" 1.00\">")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 0.03\" 1.00\">")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.50pt 0.00\" 1.00\" 0.04\" 1.00\">")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 0.06\" 1.00\">")) << out;
}

TEST_F(Pictures, UnitLengthScalesAndOffsetShifts) {
  std::string out = frames(
      "\\setlength{\\unitlength}{1in}\\begin{picture}(2,1)(1,1)\\put(1,1){\\line(1,1){1}}"
      "\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!Frame 2.00\" 1.00\"\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 1.00\" 0.00\">")) << out;
}

TEST_F(Pictures, NestedPictureDrawsInsideTheEnclosingFrameAtThePutPosition) {
  std::string out = frames(
      "\\begin{picture}(100,100)(10,10)\\put(30,30){\\begin{picture}(5,5)"
      "\\put(0,0){\\line(1,0){36}}\\end{picture}}\\end{picture}\n");
  EXPECT_EQ(out,
            "<!Frame 1.39\" 1.39\"\n"
            "<!Line 1.00pt 0.28\" 1.11\" 0.78\" 1.11\">\n"
            ">\n");
}

TEST_F(Pictures, MultiputRepeatsItsObjectAlongTheIncrement) {
  std::string messages;
  std::string out = frames(
      "\\begin{picture}(72,72)\\multiput(0,0)(36,0){3}{\\circle{2}}\\end{picture}\n"
      "\\begin{picture}(1,1)\\multiput(0,0)(1,0){0}{\\circle{2}}\\multiput(0,0){2}{x}"
      "\\multiput(0,0)(1,1)[2]{x}\\multiput(0,0)(1,1){2{x}\\end{picture}\n",
      &messages);
  EXPECT_EQ(count(out, "<!Ellipse"), 3) << out;
  EXPECT_TRUE(has(out, "0.49\" 0.99\"")) << out;
  EXPECT_TRUE(has(out, "0.99\" 0.99\"")) << out;
  EXPECT_TRUE(has(messages, "missing increment on \\multiput")) << messages;
  EXPECT_TRUE(has(messages, "missing repetition on \\multiput")) << messages;
  EXPECT_TRUE(has(messages, "mismatched `{'")) << messages;
}

TEST_F(Pictures, HugeRepetitionCountsAreCutWithAMessage) {
  std::string messages;
  std::string out =
      frames("\\begin{picture}(1,1)\\multiput(0,0)(0,0){2000000000}{}\\end{picture}\n", &messages);
  EXPECT_TRUE(has(messages, "too many repetitions on \\multiput (2000000000); 100000 are drawn"))
      << messages;
  EXPECT_EQ(count(out, "<!TextLine"), picture::kMaxRepetitions);
  EXPECT_EQ(picture::pictureState().repetitionsLeft,
            picture::kMaxRepetitionsPerDocument - picture::kMaxRepetitions);
}

TEST_F(Pictures, CurvesUsePictureCoordinates) {
  std::string messages;
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(10,10){\\qbezier(0,0)(36,72)(72,0)}"
      "\\drawline[50](0,0)(36,36)(72,0)\\dottedline{3}(0,72)(72,72)"
      "\\qbezier(0,0)(1,1)\\end{picture}\n",
      &messages);
  EXPECT_TRUE(has(out, "<!Bezier 1.00pt 3 0.00\" 1.00\" 0.50\" 0.00\" 1.00\" 1.00\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 1.00\" 0.50\" 0.50\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.50\" 0.50\" 1.00\" 1.00\">\n")) << out;
  EXPECT_TRUE(has(out, "<!Line 1.00pt 0.00\" 0.00\" 1.00\" 0.00\">\n")) << out;
  EXPECT_EQ(count(out, "<!Bezier"), 1);
  EXPECT_TRUE(has(messages, "erroneous argument to \\qbezier")) << messages;
  // The \put holding the curve wrote no text line.
  EXPECT_EQ(count(out, "<!TextLine"), 0) << out;
}

TEST_F(Pictures, MalformedPiecesAreReportedAndTheFrameStaysWhole) {
  std::string messages;
  std::string out = frames(
      "\\setlength{\\unitlength}{2pt}\\begin{picture}\\put(1,x){\\line(a,1){3}}"
      "\\put(0,0){\\circle{}}word\\put(0,0){\\rotatebox{x}{T}}\\end{picture}\nafter\n",
      &messages);
  // A missing size is one inch.
  EXPECT_TRUE(has(out, "<!Frame 1.00\" 1.00\"\n")) << out;
  EXPECT_EQ(count(messages, "missing/malformed number pair"), 2) << messages;
  EXPECT_EQ(count(messages, "erroneous argument to picture mode command"), 2) << messages;
  EXPECT_TRUE(has(messages, "bad call to PictDispatcher: word")) << messages;
  EXPECT_TRUE(has(messages, "missing angle argument")) << messages;
  EXPECT_EQ(count(out, "<!Line"), 0);
  EXPECT_TRUE(has(out, ">\nafter\n")) << out;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Pictures, RotatedTextKeepsItsAngleInsideItsObjectOnly) {
  std::string out = frames(
      "\\begin{picture}(72,72)\\put(0,0){\\rotatebox{90}{Up}}\\put(0,0){Flat}\\end{picture}\n");
  EXPECT_TRUE(has(out, "<!TextLine Left 90 0.00\" 1.00\"\n")) << out;
  EXPECT_TRUE(has(out, "<!TextLine Left 0 0.00\" 1.00\"\n")) << out;
}

TEST_F(Pictures, ExtremeSizesAndDeepNestingStayBounded) {
  std::string messages;
  std::string deep;
  for (int i = 0; i < 20; ++i) deep += "\\begin{picture}(1,1)\\put(0,0){";
  deep += "x";
  for (int i = 0; i < 20; ++i) deep += "}\\end{picture}";
  std::string out = frames(
      "\\begin{picture}(-5,0)\\put(99999999999999999999999999999999,0){\\line(1,0){"
      "999999999999999999999999999999999999}}\\put(-3,-3){\\circle{-4}}\\end{picture}\n" +
          deep + "\n",
      &messages);
  EXPECT_TRUE(has(out, "<!Frame -0.07\" 0.00\"\n")) << out;
  EXPECT_TRUE(has(out, "100000.00\"")) << out;
  // A negative diameter draws the circle of its magnitude.
  EXPECT_TRUE(has(out, "<!Ellipse No 1.00pt -0.07\" 0.01\" 0.06\" 0.06\">")) << out;
  EXPECT_FALSE(has(out, "inf")) << out;
  EXPECT_TRUE(has(messages, "pictures nested too deeply")) << messages;
  EXPECT_EQ(count(out, "<!Frame"), 2) << out;
  EXPECT_TRUE(balanced(out)) << out;
}

TEST_F(Pictures, ManyPutsConvertInLinearTime) {
  std::string text = "\\begin{picture}(10,10)";
  constexpr int kPuts = 20000;
  for (int i = 0; i < kPuts; ++i) text += "\\put(1,2){\\line(1,0){3}}";
  text += "\\end{picture}\n";
  std::string out = frames(text);
  EXPECT_EQ(count(out, "<!Line"), kPuts);
}

}  // namespace
}  // namespace pendra::testing
