// EPS files included through \special: the file check, the bounding box and the scale options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "output/output_fixture.h"
#include "picture/picture.h"
#include "support/run_command.h"
#include "table/tables.h"

namespace pendra::testing {
namespace {

constexpr const char* kHeader = "%!PS-Adobe-3.0 EPSF-3.0\n";

class Eps : public ConvertFixture {
 protected:
  void SetUp() override {
    ConvertFixture::SetUp();
    table::initTables();
    picture::initPicture();
    setenv("TEXINPUTS", dir_.path.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TEXINPUTS");
    ConvertFixture::TearDown();
  }
  // The body written for `text`, from its first frame on; the messages in `messages`.
  std::string special(std::string_view text, std::string& messages) {
    std::string out = convert(text, &messages);
    std::size_t start = out.find("<!Frame");
    return start == std::string::npos ? std::string() : out.substr(start);
  }
  TempDir dir_{"eps-test"};
};

const char* kCannotImport = "Cannot import \\special file (";

TEST_F(Eps, BoundingBoxGivesTheFrameAndTheFileStatement) {
  dir_.write("a.eps", std::string(kHeader) + "%%Title: a\n%%BoundingBox: 0 0 144 72\n");
  dir_.write("b.eps", std::string(kHeader) +
                          "%%BoundingBox: (atend)\nnewpath\n%%BoundingBox:72 72 216 144\n");
  std::string messages;
  EXPECT_EQ(special("\\special{a.eps}\n", messages),
            "<!Frame 2.00\" 1.00\"\n"
            "    <!EPSFile \"a.eps\" 0pt 0pt 144pt 72pt 1.00 1.00 >\n"
            ">\n");
  std::string b = special("\\special{b.eps}\n", messages);
  EXPECT_NE(
      b.find("<!Frame 2.00\" 1.00\"\n    <!EPSFile \"b.eps\" 72pt 72pt 144pt 72pt 1.00 1.00 >"),
      std::string::npos)
      << b;
  EXPECT_EQ(messages, "");
}

TEST_F(Eps, ScaleOptionsNeedTheWordAndLeadingNumbers) {
  dir_.write("a.eps", std::string(kHeader) + "%%BoundingBox: 0 0 144 72\n");
  std::string messages;
  std::string scaled = special("\\special{a.eps 0.5 0.25 scale}\n", messages);
  EXPECT_NE(scaled.find("<!Frame 1.00\" 0.25\"\n"), std::string::npos) << scaled;
  EXPECT_NE(scaled.find("144pt 72pt 0.50 0.25 >"), std::string::npos) << scaled;
  std::string unscaled = special("\\special{a.eps scale 0.5 0.5}\n", messages);
  EXPECT_NE(unscaled.find("144pt 72pt 1.00 1.00 >"), std::string::npos) << unscaled;
  std::string negative = special("\\special{a.eps -2 0.5 scale}\n", messages);
  EXPECT_NE(negative.find("144pt 72pt 1.00 1.00 >"), std::string::npos) << negative;
}

TEST_F(Eps, EachFailedCheckGivesItsReason) {
  dir_.write("ps.ps", "%!PS-Adobe-3.0\n%%BoundingBox: 0 0 1 1\n");
  dir_.write("frac.eps", std::string(kHeader) + "%%BoundingBox: 0.5 0 144 72\n");
  dir_.write("empty.eps", "");
  dir_.write("binary.eps", std::string("\xC5\xD0\xD3\xC6\0\0\x1e\0", 8) + kHeader);
  dir_.write("huge.eps", std::string(kHeader) + "%%BoundingBox: 0 0 99999999999 1\n");
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"\\special{missing.eps}", "cannot open file"},
      {"\\special{ps.ps}", "not a EPS file"},
      {"\\special{frac.eps}", "missing bounding box info"},
      {"\\special{empty.eps}", "not a PostScript file"},
      {"\\special{binary.eps}", "not a PostScript file"},
      {"\\special{huge.eps}", "missing bounding box info"},
  };
  for (const Case& c : cases) {
    std::string messages;
    EXPECT_EQ(special(std::string(c.text) + "\n", messages), "") << c.text;
    EXPECT_NE(messages.find(std::string(kCannotImport) + c.reason + ")"), std::string::npos)
        << c.text << ": " << messages;
  }
  std::string messages;
  convert("\\special\n", &messages);
  EXPECT_NE(messages.find("missing argument"), std::string::npos) << messages;
}

TEST_F(Eps, OverlongLinesAreSkippedWhole) {
  // A bounding-box comment inside a line of a megabyte is no line of its own.
  std::string filler(1 << 20, 'x');
  dir_.write("long.eps", std::string(kHeader) + filler + "%%BoundingBox: 1 1 2 2 " + filler +
                             "\n%%BoundingBox: 0 0 72 72\n");
  std::string messages;
  std::string out = special("\\special{long.eps}\n", messages);
  EXPECT_NE(out.find("0pt 0pt 72pt 72pt"), std::string::npos) << out << messages;
}

TEST_F(Eps, NamesThatWouldBreakTheStatementAreQuotedOrRefused) {
  dir_.write("q\"b.eps", std::string(kHeader) + "%%BoundingBox: 0 0 1 1\n");
  std::string messages;
  std::string out = special("\\special{q\"b.eps}\n", messages);
  EXPECT_NE(out.find("<!EPSFile \"q\\\"b.eps\""), std::string::npos) << out << messages;
  std::string name(300, 'n');
  special("\\special{" + name + "}\n", messages);
  EXPECT_NE(messages.find("cannot open file"), std::string::npos) << messages;
}

TEST_F(Eps, InsideAPictureTheFileStandsInThePicturesFrame) {
  dir_.write("a.eps", std::string(kHeader) + "%%BoundingBox: 0 0 144 72\n");
  std::string messages;
  std::string out =
      special("\\begin{picture}(10,10)\\special{a.eps}\\put(1,1){\\special{a.eps}}\\end{picture}\n",
              messages);
  const std::string eps = "    <!EPSFile \"a.eps\" 0pt 0pt 144pt 72pt 1.00 1.00 >\n";
  EXPECT_EQ(out, "<!Frame 0.14\" 0.14\"\n" + eps + eps + ">\n") << messages;
}

}  // namespace
}  // namespace pendra::testing
