// Several documents in one run: each converted as if alone, in worker processes, with its
// messages under its name, its own status, and a summary.
#include "host/batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace pendra::host {
namespace {

using testing::CommandResult;
using testing::runPendra;
using testing::slurp;
using testing::TempDir;

const char kGood[] =
    "\\documentclass{article}\n\\begin{document}\n\\section{One}\nSome \\textbf{bold} text.\n"
    "\\end{document}\n";
const char kOther[] =
    "\\documentclass{article}\n\\begin{document}\n\\begin{itemize}\\item first\n\\item "
    "second\\end{itemize}\n$x^2$ and \\emph{more}\n\\end{document}\n";
// A macro that expands to itself stops the conversion (status 1).
const char kLooping[] = "\\def\\a{\\a}\\a\n";

const std::string kReproducible = "SOURCE_DATE_EPOCH=1000000000";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The run's messages as each document alone gives them: every line prefixed with the name.
std::string prefixed(const std::string& name, const std::string& messages) {
  std::string out;
  for (const std::string& line : lines(messages))
    out += name + ":" + (line.empty() ? "" : " " + line) + "\n";
  return out;
}

void writeDocuments(const TempDir& dir) {
  dir.write("good.tex", kGood);
  dir.write("other.tex", kOther);
  dir.write("loop.tex", kLooping);
}

TEST(Batch, EachDocumentAsIfAloneWithItsStatusAndASummary) {
  TempDir dir("batch-mixed");
  writeDocuments(dir);
  std::vector<std::string> names = {"good.tex", "missing.tex", "loop.tex", "other.tex"};
  // Each document alone, its output kept aside.
  std::string alone;
  std::vector<int> statuses;
  for (const std::string& name : names) {
    CommandResult r = runPendra(name, dir.path, kReproducible);
    statuses.push_back(r.status);
    alone += prefixed(name, r.err);
  }
  EXPECT_EQ(statuses, (std::vector<int>{0, 3, 1, 0}));
  std::string goodMif = slurp(dir.path / "good.mif");
  std::string otherMif = slurp(dir.path / "other.mif");
  ASSERT_NE(goodMif.find("<MIFFile"), std::string::npos);
  std::filesystem::remove(dir.path / "good.mif");
  std::filesystem::remove(dir.path / "other.mif");

  // One after the other: the same messages in the same order, then the summary; the worst
  // status (1 outranks 3).
  CommandResult r =
      runPendra("-j 1 good.tex missing.tex loop.tex other.tex", dir.path, kReproducible);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, alone +
                       "pendra: 4 documents, 2 converted, 2 failed: missing.tex (status 3), "
                       "loop.tex (status 1)\n");
  EXPECT_EQ(slurp(dir.path / "good.mif"), goodMif);
  EXPECT_EQ(slurp(dir.path / "other.mif"), otherMif);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "loop.mif"));

  // Two at once: the same files and, document by document, the same lines in the same order.
  std::filesystem::remove(dir.path / "good.mif");
  std::filesystem::remove(dir.path / "other.mif");
  CommandResult two =
      runPendra("-j 2 good.tex missing.tex loop.tex other.tex", dir.path, kReproducible);
  EXPECT_EQ(two.status, 1);
  EXPECT_EQ(slurp(dir.path / "good.mif"), goodMif);
  EXPECT_EQ(slurp(dir.path / "other.mif"), otherMif);
  std::vector<std::string> got = lines(two.err);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), lines(r.err).back());
  for (const std::string& name : names) {
    std::vector<std::string> mine;
    std::copy_if(got.begin(), got.end(), std::back_inserter(mine),
                 [&](const std::string& l) { return l.rfind(name + ":", 0) == 0; });
    std::vector<std::string> expected;
    for (const std::string& l : lines(alone))
      if (l.rfind(name + ":", 0) == 0) expected.push_back(l);
    EXPECT_EQ(mine, expected) << name;
  }
  EXPECT_EQ(got.size(), lines(alone).size() + 1);

  // All good: status 0 and nothing failed.
  r = runPendra("-q good.tex other.tex", dir.path, kReproducible);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.err).back(), "pendra: 2 documents, 2 converted, 0 failed");
}

TEST(Batch, OutputNamesADirectoryMadeWhenAbsent) {
  TempDir dir("batch-dir");
  writeDocuments(dir);
  std::filesystem::create_directories(dir.path / "sub");
  dir.write("sub/third.tex", kGood);
  CommandResult r = runPendra("-q -o out/mif good.tex sub/third.tex missing.tex", dir.path);
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(std::filesystem::exists(dir.path / "out/mif/good.mif"));
  EXPECT_TRUE(std::filesystem::exists(dir.path / "out/mif/third.mif"));
  EXPECT_FALSE(std::filesystem::exists(dir.path / "good.mif"));
  EXPECT_FALSE(std::filesystem::exists(dir.path / "sub/third.mif"));
  EXPECT_NE(r.err.find("\nmissing.tex: Cannot read missing.tex\n"), std::string::npos) << r.err;
  EXPECT_EQ(lines(r.err).back(),
            "pendra: 3 documents, 2 converted, 1 failed: missing.tex (status 3)");

  // A regular file cannot hold several documents; nothing is converted.
  dir.write("plain", "x\n");
  r = runPendra("-q -o plain good.tex other.tex", dir.path);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("plain is not a directory"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(dir.path / "plain"), "x\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path / "other.mif"));
}

TEST(Batch, UsageErrorsBeforeAnyWork) {
  TempDir dir("batch-usage");
  writeDocuments(dir);
  dir.write("sub-good.tex", kGood);
  std::filesystem::create_directories(dir.path / "sub");
  dir.write("sub/good.tex", kOther);
  for (const char* args : {"-o - good.tex other.tex", "--mlp keep.mlp good.tex other.tex",
                           "good.tex ./good.tex", "-o out good.tex sub/good.tex", "-j 0 good.tex",
                           "-j x good.tex other.tex", "--jobs good.tex other.tex"}) {
    CommandResult r = runPendra(args, dir.path);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "good.mif")) << args;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "other.mif")) << args;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "out")) << args;
  }
  CommandResult r = runPendra("-o out good.tex sub/good.tex", dir.path);
  EXPECT_EQ(r.err, "pendra: good.tex and sub/good.tex would both be written to out/good.mif\n");
  // -jN and --jobs N are the same option; with one FILE it changes nothing.
  EXPECT_EQ(runPendra("-q -j2 good.tex other.tex", dir.path).status, 0);
  CommandResult one = runPendra("-q --jobs 3 good.tex", dir.path);
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.err, runPendra("-q good.tex", dir.path).err);
  EXPECT_EQ(one.err.find("good.tex:"), std::string::npos);
}

TEST(Batch, FromMlpTheSameWay) {
  TempDir dir("batch-mlp");
  writeDocuments(dir);
  ASSERT_EQ(runPendra("-q --mlp good.mlp good.tex", dir.path, kReproducible).status, 0);
  ASSERT_EQ(runPendra("-q --from-mlp -o alone.mif good.mlp", dir.path).status, 0);
  std::string mif = slurp(dir.path / "alone.mif");
  dir.write("bad.mlp", "<Para <String `never closed\n");
  CommandResult r =
      runPendra("--from-mlp -o out good.mlp bad.mlp missing.mlp", dir.path, kReproducible);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(slurp(dir.path / "out/good.mif"), mif);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "out/bad.mif"));
  EXPECT_NE(r.err.find("missing.mlp: Cannot read missing.mlp\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("pendra: 3 documents, 1 converted, 2 failed: bad.mlp (status 3), "
                       "missing.mlp (status 3)\n"),
            std::string::npos)
      << r.err;
}

TEST(Batch, WorstStatusOrder) {
  EXPECT_EQ(worseStatus(0, 3), 3);
  EXPECT_EQ(worseStatus(3, 1), 1);
  EXPECT_EQ(worseStatus(2, 1), 2);
  EXPECT_EQ(worseStatus(1, 0), 1);
  EXPECT_EQ(worseStatus(0, 42), 1);  // no conversion gives 42: counted as stopped
}

// runBatch's messages, gathered from a temporary file.
struct Gathered {
  int status = -1;
  std::string text;
};

Gathered gather(const std::vector<std::string>& names, int jobs,
                const std::function<int(std::size_t)>& convert) {
  std::FILE* file = std::tmpfile();
  Gathered g;
  g.status = runBatch(names, jobs, convert, fileno(file));
  std::rewind(file);
  char block[4096];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) g.text.append(block, n);
  std::fclose(file);
  return g;
}

TEST(Batch, ACrashOrAStopNeverStopsTheOthers) {
  std::vector<std::string> names = {"a", "crash", "stop", "d"};
  for (int jobs : {1, 2, 4}) {
    Gathered g = gather(names, jobs, [&](std::size_t i) {
      std::fprintf(stderr, "converting %s\n", names[i].c_str());
      if (names[i] == "crash") {
        std::fflush(stderr);
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
      }
      return names[i] == "stop" ? 1 : 0;
    });
    EXPECT_EQ(g.status, 1);
    for (const std::string& name : names)
      EXPECT_NE(g.text.find(name + ": converting " + name + "\n"), std::string::npos) << g.text;
    EXPECT_NE(g.text.find("crash: the conversion ended with signal 11"), std::string::npos)
        << g.text;
    std::string summary = lines(g.text).back();
    EXPECT_EQ(summary.rfind("pendra: 4 documents, 2 converted, 2 failed: crash (signal 11", 0), 0u)
        << summary;
    EXPECT_NE(summary.find("), stop (status 1)"), std::string::npos) << summary;
  }
}

TEST(Batch, LinesOfTwoWorkersNeverMix) {
  // Each worker writes its lines a few bytes at a time with pauses, so that the pieces of the
  // two arrive interleaved; a line without an end comes last, and one longer than the limit.
  std::vector<std::string> names = {"x", "y"};
  Gathered g = gather(names, 2, [&](std::size_t i) {
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::string line = std::string(30, i == 0 ? 'x' : 'y') + "\n";
    for (int k = 0; k < 20; ++k) {
      for (std::size_t p = 0; p < line.size(); p += 7) {
        std::fputs(line.substr(p, 7).c_str(), stderr);
        usleep(200);
      }
    }
    std::string longLine(kMaxMessageLine + 10, i == 0 ? 'x' : 'y');
    std::fputs((longLine + "\nno end").c_str(), stderr);
    return 0;
  });
  EXPECT_EQ(g.status, 0);
  std::vector<std::string> got = lines(g.text);
  int counts[2] = {0, 0};
  for (std::size_t k = 0; k + 1 < got.size(); ++k) {
    const std::string& l = got[k];
    ASSERT_GE(l.size(), 3u) << l;
    int who = l[0] == 'x' ? 0 : 1;
    char c = who == 0 ? 'x' : 'y';
    std::string body = l.substr(3);
    if (body == "no end") continue;
    ASSERT_EQ(body, std::string(body.size(), c)) << "mixed line: " << l;
    if (body.size() == 30) ++counts[who];
    // The long line comes in a piece of the limit and the rest.
    EXPECT_TRUE(body.size() == 30 || body.size() == kMaxMessageLine || body.size() == 10) << l;
  }
  EXPECT_EQ(counts[0], 20);
  EXPECT_EQ(counts[1], 20);
  EXPECT_NE(g.text.find("x: no end\n"), std::string::npos);
  EXPECT_NE(g.text.find("y: no end\n"), std::string::npos);
}

}  // namespace
}  // namespace pendra::host

namespace pendra::host {
namespace {

TEST(Batch, StatusesKeptWhenTheCallerIgnoresSIGCHLD) {
  // With SIGCHLD ignored the system would reap the workers itself and their statuses be lost.
  void (*kept)(int) = std::signal(SIGCHLD, SIG_IGN);
  Gathered g = gather({"ok", "no"}, 2, [](std::size_t i) { return i == 0 ? 0 : 3; });
  EXPECT_EQ(std::signal(SIGCHLD, kept), SIG_IGN);
  EXPECT_EQ(g.status, 3);
  EXPECT_EQ(g.text, "pendra: 2 documents, 1 converted, 1 failed: no (status 3)\n");
}

}  // namespace
}  // namespace pendra::host
