// Whole runs of hostile or unusual sources: each one finishes with a document, within bounds of
// time, output and messages, and with the text it can keep.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

std::size_t countOf(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Bounds, FileThatIncludesItselfTwiceEndsWithOneMessage) {
  TempDir dir("bounds-self");
  dir.write("self.tex", "a\\input{self}\\input{self}");
  CommandResult r = runPendra("-q self.tex", dir.path, "timeout 120");
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
  EXPECT_EQ(countOf(r.err, "Too many file inclusions: not reading self.tex or any file after it"),
            1u);
  // The nesting message is summed up after its first hundred.
  EXPECT_EQ(countOf(r.err, "self.tex: 1: Too many nested input files"), 100u);
  EXPECT_NE(r.err.find("more messages like \"Too many nested input files, not reading self.tex\""),
            std::string::npos);
  EXPECT_NE(slurp(dir.path / "self.mif").find("<String `a"), std::string::npos);
}

TEST(Bounds, MultiputFloodStopsAtTheOutputBound) {
  TempDir dir("bounds-multiput");
  std::string src = "\\begin{picture}(10,10)\n";
  for (int i = 0; i < 10; ++i) src += "\\multiput(0,0)(1,1){100000}{\\line(1,0){1}}\n";
  src += "\\end{picture}\nlast words\n";
  dir.write("m.tex", src);
  CommandResult r = runPendra("-q m.tex", dir.path, "timeout 300");
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
  EXPECT_EQ(countOf(r.err, "Output limit reached"), 1u) << r.err.substr(0, 2000);
  // Ten times a hundred thousand lines would be near a gigabyte of MIF; the bound keeps it to
  // tens of megabytes.
  EXPECT_LT(std::filesystem::file_size(dir.path / "m.mif"), 40u << 20);
}

TEST(Bounds, RepeatedMessagesAreSummedUp) {
  TempDir dir("bounds-messages");
  dir.write("amp.tex", std::string(150, '&') + "\nend\n");
  CommandResult r = runPendra("-q amp.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(countOf(r.err, "amp.tex: 1: & command is valid only inside tabular environment"), 100u);
  EXPECT_NE(r.err.find("50 more messages like \"& command is valid only inside tabular "
                       "environment\" were not shown"),
            std::string::npos)
      << r.err;
}

TEST(Bounds, QuotesAndControlBytesInIndexEntriesKeepTheDocument) {
  TempDir dir("bounds-index");
  dir.write("i.tex", std::string("a\\index{f\"ur} b\\glossary{\"} c\\index{x@\"y} d\\index{n") +
                         '\0' + "ul}\n");
  CommandResult r = runPendra("-q i.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "i.mif");
  EXPECT_NE(mif.find("<MText `f\"ur'>"), std::string::npos) << mif;
  EXPECT_NE(mif.find("<MText `\"'>"), std::string::npos);
  EXPECT_NE(mif.find("<MText `x@\"y'>"), std::string::npos);
  EXPECT_NE(mif.find("<MText `nul'>"), std::string::npos);
}

TEST(Bounds, FileNamesBuiltFromMacrosAreFound) {
  TempDir dir("bounds-macro-name");
  dir.write("t.tex", "\\newcommand{\\ch}{sub}\nA \\input{\\ch} B\n");
  dir.write("sub.tex", "inside\n");
  CommandResult r = runPendra("-q t.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Unable to find"), std::string::npos) << r.err;
  EXPECT_NE(slurp(dir.path / "t.mif").find("inside"), std::string::npos);
}

// In the preamble a class command hides what follows up to \begin{document}; inside a box, a
// note or a table it used to hide the closing of what was open around it, and the MLP was
// rejected.
TEST(Bounds, ClassCommandInsideAConstructHidesNothing) {
  TempDir dir("bounds-class");
  const char* sources[] = {
      "\\fbox{\\documentclass{article} quixotic} zebra\n",
      "\\footnote{\\documentclass{article} quixotic} zebra\n",
      "\\begin{minipage}{1in}\n\\documentclass{article} quixotic\n\\end{minipage} zebra\n",
      "\\begin{tabular}{l}\\documentclass{article} quixotic\\end{tabular} zebra\n"};
  for (const char* source : sources) {
    dir.write("c.tex", source);
    CommandResult r = runPendra("-q c.tex", dir.path);
    ASSERT_EQ(r.status, 0) << source << r.err;
    std::string mif = slurp(dir.path / "c.mif");
    EXPECT_NE(mif.find("quixotic"), std::string::npos) << source;
    EXPECT_NE(mif.find("zebra"), std::string::npos) << source;
  }
}

#if !defined(__SANITIZE_ADDRESS__)
// A row's cells and a picture's objects are written out as they are completed: 200,000 empty
// cells in one row and 100,000 lines in one picture convert in less memory than the limit, which
// either took half a gigabyte and more when they were held whole.
TEST(Bounds, LongRowsAndPicturesConvertInLittleMemory) {
  TempDir dir("bounds-rows");
  dir.write("tab.tex", "\\begin{tabular}{l}\n" + std::string(200000, '&') + "\n\\end{tabular}\n");
  std::string lines;
  for (int i = 0; i < 100000; ++i) lines += "\\put(0,0){\\line(1,0){1}}\n";
  dir.write("pic.tex", "\\begin{picture}(10,10)\n" + lines + "\\end{picture}\n");
  for (const char* name : {"tab", "pic"}) {
    CommandResult r = runPendra(std::string("-q ") + name + ".tex", dir.path, "ulimit -v 80000;");
    EXPECT_EQ(r.status, 0) << name << ": " << r.err.substr(0, 2000);
    std::string mif = slurp(dir.path / (std::string(name) + ".mif"));
    EXPECT_NE(mif.find(name[0] == 't' ? "> # end of Row" : "> # end of Frame"), std::string::npos);
  }
}

TEST(Bounds, RunningOutOfMemoryStopsWithStatusOne) {
  TempDir dir("bounds-memory");
  // A display formula is laid out whole: 300,000 terms need more than the limit.
  std::string terms;
  for (int i = 0; i < 300000; ++i) terms += "a+";
  dir.write("formula.tex", "\\[" + terms + "a\\]\n");
  CommandResult r = runPendra("-q formula.tex", dir.path, "ulimit -v 150000;");
  EXPECT_EQ(r.status, 1) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
  EXPECT_NE(r.err.find("Out of memory: the conversion stops"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "formula.mif"));
}
#endif

}  // namespace
}  // namespace pendra::testing
