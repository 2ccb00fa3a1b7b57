// Whole translations of the .mlp files in tests/e2e/mlp against their hand-checked .mif files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mlp/translate_util.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::mlp {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(EndToEnd, MlpFilesGiveTheirMifFiles) {
  fs::path dir = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "mlp";
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".mlp") continue;
    fs::path expected = entry.path();
    expected.replace_extension(".mif");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    auto r = pendra::testing::translate(slurp(entry.path()));
    EXPECT_TRUE(r.ok) << entry.path() << "\n" << r.console;
    EXPECT_EQ(r.mif, slurp(expected)) << entry.path();
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

TEST(EndToEnd, HelloIsTheTwentySevenLineFile) {
  fs::path dir = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "mlp";
  auto r = pendra::testing::translate("Hello\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.mif, slurp(dir / "hello.mif"));
  std::size_t lines = 0;
  for (char c : r.mif) lines += c == '\n';
  EXPECT_EQ(lines, 27u);
  EXPECT_EQ(r.console, "\nProcessing complete -- 1 lines processed\n");
}

// The stage has a reporter of its own: its messages carry the MLP line alone, never the name of a
// LaTeX file the reader may still hold, and a recovery point the reader's reporter holds does not
// change how it stops.
TEST(EndToEnd, MessagesCarryTheMlpLineAndNoLatexFileName) {
  reader::initReader({.progressTrace = false});
  ChannelT latex = F_ChannelMakeTmp(1024);
  reader::startInput(latex, "paper.tex");
  int latexLine = 41;
  reader::registerReporter(true, &latexLine);
  testing::Translation r = testing::translate("<TextLine\n\n>\nText >\n");
  reader::registerReporter(false, nullptr);
  reader::finishReading();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.console,
            "4: Unmatched '>' in running text\n\nError encountered -- translation aborted\n");
}

}  // namespace
}  // namespace pendra::mlp
