// A document with a picture and an included EPS file, converted by the pendra command and
// imported by the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kDir = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex" / "eps";

int occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(PictureMif, PictureAndEpsFileBecomeFramesAnchoredInTheText) {
  TempDir dir("picture-mif");
  for (const char* name : {"figures.tex", "figure.eps"})
    fs::copy_file(kDir / name, dir.path / name);
  CommandResult r = runPendra("--mlp out.mlp -q figures.tex", dir.path, "SOURCE_DATE_EPOCH=0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(dir.path / "out.mlp"), slurp(kDir / "figures.mlp"));
  // The one missing figure is reported, and nothing else.
  EXPECT_EQ(occurrences(r.err, "Cannot import \\special file (cannot open file)"), 1) << r.err;
  EXPECT_EQ(occurrences(r.err, "figures.tex: "), 1) << r.err;

  std::string mif = slurp(dir.path / "figures.mif");
  std::size_t frames = mif.find("<AFrames");
  std::size_t flow = mif.find("<TextFlow");
  ASSERT_NE(frames, std::string::npos);
  ASSERT_NE(flow, std::string::npos);
  ASSERT_LT(frames, flow);
  std::string objects = mif.substr(frames, flow - frames);
  EXPECT_EQ(occurrences(objects, "<FrameType Inline>"), 2);
  // The line, the arrow of the nested picture, the circle and the label.
  EXPECT_EQ(occurrences(objects, "<PolyLine"), 2);
  EXPECT_EQ(occurrences(objects, "<HeadCap ArrowHead>"), 1);
  EXPECT_EQ(occurrences(objects, "<Ellipse"), 1);
  EXPECT_EQ(occurrences(objects, "<TextLine"), 1);
  EXPECT_NE(objects.find("<String `Label"), std::string::npos);
  // The imported file at half its width.
  std::size_t imported = objects.find("<ImportObject");
  ASSERT_NE(imported, std::string::npos);
  EXPECT_NE(objects.find("<ImportObFile `figure.eps'>", imported), std::string::npos);
  EXPECT_NE(objects.find("<ImportObUpdater `EPSI'>", imported), std::string::npos) << objects;
  std::string text = mif.substr(flow);
  EXPECT_LT(text.find("A figure drawn"), text.find("<AFrame 1>"));
  EXPECT_LT(text.find("An included figure"), text.find("<AFrame 2>"));
  EXPECT_EQ(text.find("<AFrame 3>"), std::string::npos);
}

// Text in an environment of a picture followed by a nested picture once ended the translation
// ("ParaLine with Frame"): the document converts, the text in a text line of the frame.
TEST(PictureMif, TextBeforeAPictureInAnEnvironmentOfAPictureConverts) {
  TempDir dir("picture-env-text");
  dir.write("p.tex",
            "\\begin{picture}(72,72)\\begin{W}loose text\n"
            "\\begin{picture}(72,72)\\put(0,0){\\line(1,0){36}}\\end{picture}\\end{W}"
            "\\end{picture}\n");
  CommandResult r = runPendra("-q p.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "p.mif");
  std::size_t text = mif.find("<String `loose text");
  ASSERT_NE(text, std::string::npos) << mif;
  std::size_t line = mif.rfind("<TextLine", text);
  ASSERT_NE(line, std::string::npos);
  EXPECT_GT(line, mif.find("<AFrames"));
  EXPECT_EQ(occurrences(mif, "<PolyLine"), 1);
}

}  // namespace
}  // namespace pendra::testing
