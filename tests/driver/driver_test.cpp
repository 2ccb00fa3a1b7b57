#include "driver/driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace pendra::driver {
namespace {

using testing::runPendra;
using testing::TempDir;

std::string mifName(const char* base) {
  char name[64];
  std::strcpy(name, base);
  replaceExtension(name, kMifExtension);
  return name;
}

TEST(MifNaming, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(mifName("paper.tex"), "paper.mif");
  EXPECT_EQ(mifName("paper"), "paper.mif");
  EXPECT_EQ(mifName(".profile"), ".profile.mif");
  EXPECT_EQ(mifName("a.b.tex"), "a.b.mif");
  EXPECT_EQ(mifName("x."), "x.mif");
  EXPECT_EQ(mifName(""), ".mif");
}

TEST(Command, ConvertsASourceBesideIt) {
  TempDir dir("cli-convert");
  dir.write("paper.tex", "Hello \\textbf{world}.\n\n");
  testing::CommandResult r = runPendra("paper.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("\nReading file paper.tex\n 1 2"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\nLatex->MLP Done\n"), std::string::npos);
  EXPECT_NE(r.err.find("Deleted MIF file, all done ...\n"), std::string::npos);
  std::string mif = testing::slurp(dir.path / "paper.mif");
  EXPECT_EQ(mif.rfind("<MIFFile 4.00>", 0), 0u);
  EXPECT_NE(mif.find("<Document\n <DPageSize 8.5\" 11.0\">"), std::string::npos) << mif;
  EXPECT_TRUE(r.out.empty());
}

TEST(Command, ExistingMifFileBesideTheSourceIsNeverTouched) {
  TempDir dir("cli-keep");
  dir.write("paper.tex", "Hello\n");
  dir.write("paper.mif", "the user's own file\n");
  testing::CommandResult r = runPendra("-q -o out.mif paper.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::slurp(dir.path / "paper.mif"), "the user's own file\n");
  EXPECT_EQ(testing::slurp(dir.path / "out.mif").rfind("<MIFFile 4.00>", 0), 0u);
  // The intermediate file under its fresh name is gone as well.
  EXPECT_EQ(testing::namesIn(dir.path).size(), 3u);
}

TEST(Command, QuietHasNoProgressTrace) {
  TempDir dir("cli-quiet");
  dir.write("a.tex", "text\n");
  testing::CommandResult r = runPendra("-q a.tex", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("Reading file"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Latex->MLP Done"), std::string::npos);
}

TEST(Command, OutputPathAndStandardOutput) {
  TempDir dir("cli-output");
  dir.write("a.tex", "text\n");
  testing::CommandResult r = runPendra("-q -o out.mif a.tex", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path / "out.mif"));
  EXPECT_FALSE(std::filesystem::exists(dir.path / "a.mif"));
  r = runPendra("-q -o - a.tex", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("<MIFFile 4.00>", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "a.mif"));
}

TEST(Command, KeepsTheMlpFileWhenAsked) {
  TempDir dir("cli-mlp");
  dir.write("a.tex", "text\n");
  testing::CommandResult r = runPendra("-q --mlp kept.mlp a.tex", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path / "kept.mlp"));
}

TEST(Command, MissingSourceGivesNoDocument) {
  TempDir dir("cli-missing");
  testing::CommandResult r = runPendra("nosuch.tex", dir.path);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Cannot read nosuch.tex\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path / "nosuch.mif"));
  std::filesystem::create_directory(dir.path / "folder.tex");
  r = runPendra("folder.tex", dir.path);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Cannot read folder.tex\n");
}

TEST(Command, UnrecoverableStateStopsWithStatusOneAndLeavesNothing) {
  TempDir dir("cli-stop");
  dir.write("stop.tex", "\\def\\r{\\r}\nText \\r\n");
  testing::CommandResult r = runPendra("-q stop.tex", dir.path);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("stop.tex: 3: Too deep nesting of macros\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Macro expansion stack overflow\n"), std::string::npos);
  EXPECT_EQ(r.err.find("Latex->MLP Done"), std::string::npos);
  EXPECT_EQ(testing::namesIn(dir.path).size(), 1u);  // the source alone
}

TEST(Command, KillingAConversionLeavesNoTemporaryOrTruncatedFile) {
  TempDir dir("cli-kill");
  std::string text = "\\documentclass{article}\\begin{document}\n";
  for (int i = 0; i < 25000; ++i)
    text += "Some \\textbf{bold} caf\\'e text $x^2$ -- and more words here.\n\n";
  dir.write("big.tex", text + "\\end{document}\n");
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(runPendra("-q big.tex", dir.path).status, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::filesystem::remove(dir.path / "big.mif");
  for (double share : {0.1, 0.3, 0.5, 0.7, 0.9, 0.97}) {
    char delay[32];
    std::snprintf(delay, sizeof delay, "%.3f", seconds * share);
    std::string cmd = "cd '" + dir.path.string() + "' && ('" + PENDRA_BINARY +
                      "' -q big.tex 2>/dev/null & pid=$!; sleep " + delay +
                      "; kill -TERM $pid 2>/dev/null; wait $pid) >/dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    (void)rc;
    std::vector<std::string> names = testing::namesIn(dir.path);
    // Either the run was cut short and left nothing, or it finished with the whole document.
    bool finished = std::filesystem::exists(dir.path / "big.mif");
    EXPECT_EQ(names.size(), finished ? 2u : 1u) << "killed after " << delay << " s";
    if (finished) {
      std::string mif = testing::slurp(dir.path / "big.mif");
      EXPECT_NE(mif.find("# end of TextFlow"), std::string::npos);
      std::filesystem::remove(dir.path / "big.mif");
    }
  }
}

TEST(Command, UsageHelpAndVersion) {
  TempDir dir("cli-usage");
  testing::CommandResult r = runPendra("", dir.path);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("usage: pendra"), std::string::npos);
  EXPECT_EQ(runPendra("--bogus x.tex", dir.path).status, 2);
  EXPECT_EQ(runPendra("-o", dir.path).status, 2);
  // Several FILEs are converted one by one, but standard output holds only one document.
  EXPECT_EQ(runPendra("-o - a.tex b.tex", dir.path).status, 2);
  r = runPendra("--help", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--from-mlp"), std::string::npos);
  r = runPendra("--version", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("pendra "), std::string::npos);
}

TEST(Command, AnyBytesConvertWithoutACrash) {
  TempDir dir("cli-bytes");
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
  dir.write("junk.tex", junk);
  dir.write("empty.tex", "");
  dir.write("longline.tex", std::string(3 << 20, 'a'));
  for (const char* f : {"junk.tex", "empty.tex", "longline.tex"}) {
    testing::CommandResult r = runPendra(std::string("-q ") + f, dir.path);
    EXPECT_TRUE(r.status == 0 || r.status == 3) << f << ": " << r.status << "\n" << r.err;
  }
}

}  // namespace
}  // namespace pendra::driver
