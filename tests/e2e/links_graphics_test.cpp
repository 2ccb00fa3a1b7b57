// Hyperlinks and graphics through the pendra command: \url and \href as text with a hypertext
// marker, \includegraphics as an anchored frame importing the file (turned by a right angle too),
// figure captions and \captionof numbered and reachable (fidelity case r15), a missing graphic,
// table headings, footings and straddles, and the MIF read by a third-party reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/mif_text.h"
#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "fidelity";
const fs::path kMifCheck =
    fs::path(PENDRA_SOURCE_DIR) / ".." / "shared" / "tools" / "mifreader" / "mifcheck.pl";

// A PNG header of 300 x 150 pixels at 150 dpi (144 x 72 points); the reader reads no further.
std::string pngBytes() {
  const unsigned char bytes[] = {
      0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0,   0,    0,    13, 'I', 'H',  'D',  'R', 0,
      0,    1,   44,  0,   0,    0,    150,  8,    2,   0,    0,    0,  0,   0,    0,    0,   0,
      0,    0,   9,   'p', 'H',  'Y',  's',  0,    0,   0x17, 0x12, 0,  0,   0x17, 0x12, 1,   0,
      0,    0,   0,   0,   0,    0,    2,    'I',  'D', 'A',  'T',  0,  0,   0,    0,    0,   0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

struct Converted {
  CommandResult result;
  std::string mif;
};

Converted convert(const TempDir& dir, const std::string& name) {
  Converted c;
  c.result = runPendra("-q -o out.mif " + name, dir.path);
  c.mif = slurp(dir.path / "out.mif");
  return c;
}

Converted convertBody(const TempDir& dir, const std::string& preamble, const std::string& body) {
  std::ofstream(dir.path / "doc.tex") << "\\documentclass{article}\n"
                                      << preamble << "\\begin{document}\n"
                                      << body << "\n\\end{document}\n";
  return convert(dir, "doc.tex");
}

bool has(const std::string& mif, const std::string& text) {
  return mif.find(text) != std::string::npos;
}

// The third-party MIF reader's verdict, or nullopt where it cannot run (no Perl modules).
std::optional<CommandResult> mifCheck(const TempDir& dir) {
  if (!fs::exists(kMifCheck)) return std::nullopt;
  if (std::system("perl -MTree::DAG_Node -MIO::Scalar -e1 >/dev/null 2>&1") != 0)
    return std::nullopt;
  CommandResult r;
  std::string cmd = "cd '" + dir.path.string() + "' && perl '" + kMifCheck.string() +
                    "' -q out.mif >check.out 2>&1";
  int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(dir.path / "check.out");
  return r;
}

TEST(Graphics, FigureCaseR15HasItsGraphicAndANumberedReachableCaption) {
  TempDir dir("graphics-r15");
  fs::copy_file(kCases / "r15_figure.tex", dir.path / "r15_figure.tex");
  // pdfLaTeX's order: plot.pdf would come first; plot.png comes before plot.eps.
  dir.write("plot.png", pngBytes());
  dir.write("plot.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
  Converted out = convert(dir, "r15_figure.tex");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_EQ(out.result.err.find("r15_figure.tex:"), std::string::npos) << out.result.err;
  // 0.8\linewidth of a 6.5" text column, the height in the file's proportion.
  EXPECT_TRUE(has(out.mif, "<ImportObFile `<c\\>plot.png'>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 5.18\" 2.59\">"));
  EXPECT_FALSE(has(out.mif, "plot.eps"));
  EXPECT_FALSE(has(out.mif, "includegraphics"));
  // The frame is anchored in a paragraph of the figure's text frame, before the caption, which
  // is a Figure paragraph (autonumbered "Figure N") holding the label's marker.
  EXPECT_TRUE(has(out.mif, "<PgfNumFormat `F:Figure <n+\\>  '>"));
  std::size_t text = out.mif.find("<String `Measured drainage times.'>");
  ASSERT_NE(text, std::string::npos);
  std::size_t tag = out.mif.rfind("<PgfTag", text);
  EXPECT_EQ(out.mif.compare(tag, 17, "<PgfTag `figure'>"), 0);
  std::size_t frame = out.mif.rfind("<AFrame 2>", text);
  ASSERT_NE(frame, std::string::npos);
  EXPECT_LT(frame, tag);
  EXPECT_GT(frame, out.mif.rfind("<TextRectID", text));
  std::size_t label = out.mif.find("<MText `Label:fig:plot'>", text);
  ASSERT_NE(label, std::string::npos);
  EXPECT_GT(out.mif.find("<PgfTag", text), label);

  // A reference to the label reaches the caption's number.
  std::string source = slurp(dir.path / "r15_figure.tex");
  source.insert(source.find("\\end{document}"), "See Figure~\\ref{fig:plot}.\n");
  std::ofstream(dir.path / "r15_figure.tex") << source;
  out = convert(dir, "r15_figure.tex");
  EXPECT_TRUE(has(out.mif, "<XRefSrcText `Label:fig:plot'>"));
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }
}

TEST(Graphics, AMissingFileGivesAMessageAndAnEmptyFrameOfTheAskedSize) {
  TempDir dir("graphics-missing");
  Converted out = convertBody(dir, "\\usepackage{graphicx}\n\\newcommand{\\fw}{0.25\\textwidth}\n",
                              "Before \\includegraphics[width=2in,height=1in]{nothere} after.\n\n"
                              "\\includegraphics[height=36pt]{nothere.png} Last words.\n\n"
                              "\\includegraphics[width=\\fw]{nothere}");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.result.err, "doc.tex: 5: graphic file nothere not found")) << out.result.err;
  EXPECT_TRUE(has(out.result.err, "doc.tex: 7: graphic file nothere.png not found"));
  // A width that a macro gives: a quarter of the 6.5" column, in the usual proportion.
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 1.61\" 1.22\">"));
  EXPECT_FALSE(has(out.mif, "ImportObject"));
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 1.99\" 1.00\">")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 0.67\" 0.50\">"));
  EXPECT_TRUE(has(out.mif, "<String ` after. '>"));
  EXPECT_TRUE(has(out.mif, "<String ` Last words. '>"));
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }
}

TEST(Graphics, GraphicsPathAndExtensionsAreSearchedInLaTeXsOrder) {
  TempDir dir("graphics-path");
  fs::create_directories(dir.path / "figs");
  fs::create_directories(dir.path / "img");
  // A JPEG frame header: 144 x 72 pixels.
  const char jpeg[] = "\xff\xd8\xff\xc0\x00\x0b\x08\x00\x48\x00\x90\x01\x01\x11\x00";
  dir.write("img/a.jpg", std::string(jpeg, sizeof jpeg - 1));
  dir.write("figs/a.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 72 72\n");
  dir.write("figs/b.pdf", "%PDF-1.4\n<< /MediaBox [0 0 72 36] >>\n");
  Converted out = convertBody(dir, "\\usepackage{graphicx}\n\\graphicspath{{figs/}{img}}\n",
                              "\\includegraphics{a} \\includegraphics[scale=2]{b}");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  // a: the extension comes before the directory (a.jpg in the second directory wins over
  // a.eps in the first), and a directory without its slash gets one.
  EXPECT_TRUE(has(out.mif, "<ImportObFile `<c\\>img<c\\>a.jpg'>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 1.99\" 1.00\">"));
  EXPECT_TRUE(has(out.mif, "<ImportObFile `<c\\>figs<c\\>b.pdf'>"));
  EXPECT_TRUE(has(out.mif, "<ShapeRect 0.00\" 0.00\" 1.99\" 1.00\">"));
  EXPECT_EQ(out.result.err.find("doc.tex:"), std::string::npos) << out.result.err;
}

TEST(Graphics, AQuarterTurnTurnsTheFrameAndTheImportedGraphic) {
  TempDir dir("graphics-angle");
  dir.write("plot.png", pngBytes());  // 144 x 72 points
  Converted out = convertBody(dir, "\\usepackage{graphicx}\n",
                              "A \\includegraphics[angle=90]{plot} B "
                              "\\includegraphics[width=1in,angle=-90]{plot} C "
                              "\\includegraphics[angle=180]{plot} D "
                              "\\includegraphics[angle=30]{plot}");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_EQ(out.result.err.find("doc.tex:"), std::string::npos) << out.result.err;
  // The frame is the turned graphic's; the graphic's own rectangle, before it turns about its
  // centre, is the unturned one with the same centre.
  EXPECT_TRUE(has(out.mif,
                  "<ShapeRect 0.00\" 0.00\" 1.00\" 1.99\">\n\t<BRect 0.00\" 0.00\" "
                  "1.00\" 1.99\">\n\t<FrameType Inline>"))
      << out.mif;
  EXPECT_TRUE(has(out.mif,
                  "<Angle 90>\n\t  <ShapeRect -0.50\" 0.50\" 1.99\" 1.00\">\n\t  "
                  "<BRect 0.00\" 0.00\" 1.00\" 1.99\">"));
  // Sized first, then turned: one inch wide before the turn, one inch high after it.
  EXPECT_TRUE(has(out.mif,
                  "<Angle 270>\n\t  <ShapeRect -0.25\" 0.25\" 1.00\" 0.50\">\n\t  "
                  "<BRect 0.00\" 0.00\" 0.50\" 1.00\">"));
  EXPECT_TRUE(has(out.mif, "<Angle 180>\n\t  <ShapeRect 0.00\" 0.00\" 1.99\" 1.00\">"));
  // Other angles are not kept: the graphic stands as it is.
  EXPECT_EQ(statements(out.mif, "Angle"), 3u);
  EXPECT_EQ(statements(out.mif, "ImportObject"), 4u);
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }
}

TEST(Captions, CaptionofIsNumberedAndReachedLikeAFloatsCaption) {
  TempDir dir("captions-captionof");
  Converted out =
      convertBody(dir, "\\usepackage{capt-of}\n",
                  "\\begin{minipage}{2in} X \\captionof{table}[short]{Sizes}\\label{t:s}"
                  "\\end{minipage}\n\nText \\captionof{figure}{Loose}\\label{f:l}\n\n"
                  "See \\ref{t:s} and \\ref{f:l}. \\captionof{chart}{Odd}");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.result.err, "doc.tex: 8: \\captionof: unknown float type 'chart'"))
      << out.result.err;
  // Each caption is a paragraph of its own, tagged as a float's caption of its type (numbered
  // "Table N" or "Figure N"), with its label's marker; the paragraph after it is body text.
  for (const char* caption : {"Sizes", "Loose"}) {
    std::size_t text = out.mif.find(std::string("<String `") + caption + "'>");
    ASSERT_NE(text, std::string::npos) << caption;
    std::size_t tag = out.mif.rfind("<PgfTag", text);
    std::string expected = caption[0] == 'S' ? "<PgfTag `table'>\n" : "<PgfTag `figure'>\n";
    EXPECT_EQ(out.mif.compare(tag, expected.size(), expected), 0) << caption;
    EXPECT_LT(out.mif.find("<MText `Label:", text), out.mif.find("<PgfTag", text)) << caption;
  }
  EXPECT_TRUE(has(out.mif, "<String `X '>"));
  EXPECT_TRUE(has(out.mif, "<String `Text '>"));
  EXPECT_EQ(out.mif.find("short"), std::string::npos);
  std::size_t see = out.mif.find("<String `See '>");
  ASSERT_NE(see, std::string::npos);
  EXPECT_EQ(out.mif.compare(out.mif.rfind("<PgfTag", see), 15, "<PgfTag `body'>"), 0);
  EXPECT_TRUE(has(out.mif, "<XRefSrcText `Label:t:s'>"));
  EXPECT_TRUE(has(out.mif, "<XRefSrcText `Label:f:l'>"));
  EXPECT_TRUE(has(out.mif, "<String `. Odd '>"));
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }
}

TEST(Tables, HeadingFootingAndStraddlesPassTheThirdPartyReader) {
  TempDir dir("tables-mifcheck");
  Converted out = convertBody(
      dir, "\\usepackage{longtable,multirow}\n",
      "\\begin{longtable}{lll} H1 & H2 & H3 \\\\ \\endhead F1 & F2 & F3 \\\\ \\endfoot\n"
      "\\multirow{2}{*}{tall} & \\multicolumn{2}{c}{\\multirow{2}{*}{wide}} \\\\\n"
      "& & \\\\ x & y & z \\\\ \\end{longtable}\n"
      "Text \\begin{array}{ll} a & b \\end{array} after.");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_EQ(out.result.err.find("doc.tex:"), std::string::npos) << out.result.err;
  EXPECT_EQ(statements(out.mif, "TblH"), 1u);
  EXPECT_EQ(statements(out.mif, "TblF"), 1u);
  EXPECT_EQ(statements(out.mif, "CellRows"), 2u);
  EXPECT_EQ(statements(out.mif, "Tbl"), 2u);
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }
}

TEST(Pictures, APictureInATableOfAPictureHasAFrameOfItsOwn) {
  // The inner picture is drawn in its cell's frame, not the outer one's: a cell holds no
  // graphics. That frame, begun while the outer one was being built, is defined beside it.
  TempDir dir("picture-table-picture");
  Converted out = convertBody(dir, "",
                              "\\begin{picture}(10,10)\\put(1,1){\\begin{tabular}{l}"
                              "\\begin{picture}(5,5)\\put(0,0){\\line(1,0){1}}\\end{picture}"
                              "\\end{tabular}}\\end{picture}");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  std::size_t aframes = out.mif.find("<AFrames");
  std::size_t tables = out.mif.find("<Tbls");
  ASSERT_LT(aframes, tables);
  // Both frames at the top level of AFrames, the inner one holding the line.
  std::string frames = out.mif.substr(aframes, tables - aframes);
  EXPECT_EQ(statements(frames, "Frame"), 2u);
  EXPECT_EQ(frames.find("\n\t<Frame\n"), std::string::npos) << frames;
  EXPECT_LT(frames.rfind("\n  <Frame\n"), frames.find("<PolyLine")) << frames;
  // The cell anchors the inner frame; the text flow the outer one.
  std::size_t cellAnchor = out.mif.find("<AFrame ", tables);
  ASSERT_NE(cellAnchor, std::string::npos);
  EXPECT_LT(cellAnchor, out.mif.find("<TextFlow"));
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->out.find("allow daughter \"Frame\""), std::string::npos) << check->out;
    EXPECT_EQ(check->out.find("allow daughter \"PolyLine\""), std::string::npos) << check->out;
  }
  // A minipage is a table too, in a \put or loose in the picture.
  for (const char* where : {"\\put(1,1){%s}", "%s"}) {
    char body[512];
    std::snprintf(body, sizeof body, where,
                  "\\begin{minipage}{1cm}x\\begin{picture}(5,5)\\put(0,0){\\line(1,0){1}}"
                  "\\end{picture}\\end{minipage}");
    Converted boxed =
        convertBody(dir, "", "\\begin{picture}(10,10)" + std::string(body) + "\\end{picture}");
    ASSERT_EQ(boxed.result.status, 0) << boxed.result.err;
    std::size_t from = boxed.mif.find("<AFrames");
    std::string inFrames = boxed.mif.substr(from, boxed.mif.find("<Tbls") - from);
    EXPECT_EQ(statements(inFrames, "Frame"), 2u) << inFrames;
  }
}

TEST(Links, UrlAndHrefBecomeTextWithAHypertextMarker) {
  TempDir dir("links");
  Converted out = convertBody(
      dir, "\\usepackage{hyperref}\n\\newcommand{\\site}[1]{\\url{http://x.org/#1}}\n",
      "See \\url{http://x.org/a_b%c#d~e?q=1&r={2}}, \\href{http://y.org/\\%41\\#top}{the "
      "\\emph{site}}, \\site{m_n} and \\nolinkurl{no_link}.\n"
      "A long one: \\url{http://x.org/\n  split}. Text after.");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.mif, "<MType 8>"));
  EXPECT_TRUE(has(out.mif, "<MText `message URL http://x.org/a_b%c#d~e?q=1&r={2}'>")) << out.mif;
  EXPECT_TRUE(has(out.mif, "<String `http://x.org/a_b%c#d~e?q=1&r={2}'>"));
  EXPECT_TRUE(has(out.mif, "<MText `message URL http://y.org/%41#top'>"));
  EXPECT_TRUE(has(out.mif, "<String `the '>"));
  EXPECT_TRUE(has(out.mif, "<MText `message URL http://x.org/m_n'>"));
  EXPECT_TRUE(has(out.mif, "<String `no_link'>"));
  EXPECT_EQ(out.mif.find("message URL no_link"), std::string::npos);
  EXPECT_TRUE(has(out.mif, "<MText `message URL http://x.org/split'>"));
  EXPECT_TRUE(has(out.mif, "Text after. "));
  EXPECT_FALSE(has(out.mif, "url"));
  EXPECT_FALSE(has(out.mif, "href"));
  EXPECT_EQ(out.result.err.find("doc.tex:"), std::string::npos) << out.result.err;
  if (std::optional<CommandResult> check = mifCheck(dir)) {
    EXPECT_EQ(check->status, 0) << check->out;
  }

  // An unclosed URL stops at the blank line; bytes outside ASCII are percent-encoded in the
  // command (as UTF-8, whatever the file's encoding); a URL too long for a marker keeps its text.
  out = convertBody(dir, "\\usepackage{url}\n",
                    "\\url{http://z.org/\xe9 x\n\nNext paragraph. \\url{http://w.org/" +
                        std::string(500, 'a') + "} End.");
  ASSERT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(has(out.result.err, "doc.tex: 4: unclosed URL argument")) << out.result.err;
  EXPECT_TRUE(has(out.mif, "<MText `message URL http://z.org/%C3%A9x'>"));
  EXPECT_TRUE(has(out.mif, "Next paragraph. "));
  EXPECT_TRUE(has(out.result.err, "URL too long for a hypertext marker"));
  EXPECT_TRUE(has(out.mif, std::string(500, 'a')));
  EXPECT_TRUE(has(out.mif, " End. "));
}

}  // namespace
}  // namespace pendra::testing
