// Several documents in one process: each conversion starts from a state as fresh as a new
// process's, a stopped one included. Every corpus document is converted twice in one process,
// with a document that stops in between, and each result (the saved document, the console text
// and whether it stopped) must equal the pendra command's own single run of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "fdk/host.h"
#include "host/standalone_host.h"
#include "support/convert_here.h"
#include "support/run_command.h"

namespace pendra {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFixedEpoch = "1700000000";
constexpr int kSecondsPerDocument = 60;

fs::path corpusDir() {
  return fs::path(PENDRA_SOURCE_DIR) / ".." / "shared" / "corpus";
}

using Outcome = testing::InProcessResult;

// Converts `source` in this process as the pendra command would, from the source's directory.
Outcome convertHere(const fs::path& source) {
  driver::DriverOptions options;
  options.progressTrace = false;
  return testing::convertInProcess(source, options);
}

// The pendra command's single run of `source`, in a process of its own.
Outcome convertAlone(const fs::path& source, const fs::path& scratch) {
  fs::path out = scratch / "alone.mif";
  fs::remove(out);
  testing::CommandResult r = testing::runPendra(
      "-q -o '" + out.string() + "' '" + source.filename().string() + "'", source.parent_path(),
      std::string("SOURCE_DATE_EPOCH=") + kFixedEpoch + " timeout " +
          std::to_string(kSecondsPerDocument));
  Outcome outcome;
  outcome.stopped = r.status == 1;
  if (r.status == 0) outcome.document = testing::slurp(out);
  outcome.console = r.err;
  return outcome;
}

constexpr int kDifferencesShown = 3;

// Compares one conversion with its single run; shows the first few differences in full.
void expectSame(const Outcome& alone, const Outcome& here, const fs::path& source, const char* pass,
                int& differences) {
  if (alone.stopped == here.stopped && alone.document == here.document &&
      alone.console == here.console)
    return;
  if (++differences > kDifferencesShown) {
    ADD_FAILURE() << source << " (" << pass << ") differs";
    return;
  }
  EXPECT_EQ(alone.stopped, here.stopped) << source << " (" << pass << ")";
  EXPECT_TRUE(alone.document == here.document)
      << source << " (" << pass << "): the saved document differs, " << alone.document.size()
      << " bytes alone, " << here.document.size() << " in one process";
  EXPECT_EQ(alone.console, here.console) << source << " (" << pass << ")";
}

// The .tex files below `dir`, in name order.
std::vector<fs::path> sourcesIn(const fs::path& dir) {
  std::vector<fs::path> sources;
  if (fs::is_directory(dir))
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      if (entry.is_regular_file() && entry.path().extension() == ".tex")
        sources.push_back(fs::canonical(entry.path()));
  std::sort(sources.begin(), sources.end());
  return sources;
}

// Converts `sources` alone, then all of them in this process, a stopped document, and all of them
// again; every conversion in this process must equal its single run.
void convertTwiceWithAStopBetween(const std::vector<fs::path>& sources) {
  ::setenv("SOURCE_DATE_EPOCH", kFixedEpoch, 1);
  testing::TempDir scratch("two-documents");
  // Stops in the middle of a list item, inside a group, after inline statements (a marker and a
  // space) whose closing bracket still waits in the paragraph buffer.
  scratch.write("stop.tex",
                "\\documentclass{article}\\begin{document}\\begin{itemize}\\item {\\bf Text "
                "$x^{2}$ \\label{a}\\hspace{1cm}\\def\\r{\\r}\\r\n");
  fs::path stop = scratch.path / "stop.tex";

  std::map<fs::path, Outcome> alone;
  for (const fs::path& source : sources) alone[source] = convertAlone(source, scratch.path);
  int documents = 0;
  for (const auto& [source, outcome] : alone) documents += !outcome.document.empty();
  EXPECT_GT(documents, 0);

  int differences = 0;
  for (const fs::path& source : sources)
    expectSame(alone[source], convertHere(source), source, "first", differences);
  EXPECT_TRUE(convertHere(stop).stopped);
  for (const fs::path& source : sources)
    expectSame(alone[source], convertHere(source), source, "second", differences);
}

TEST(TwoDocuments, TheEndToEndDocumentsConvertAsInAFreshProcess) {
  std::vector<fs::path> sources =
      sourcesIn(fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex");
  ASSERT_FALSE(sources.empty());
  convertTwiceWithAStopBetween(sources);
}

TEST(TwoDocuments, EveryCorpusDocumentConvertsAsInAFreshProcess) {
  std::vector<fs::path> sources = sourcesIn(corpusDir());
  if (sources.empty()) GTEST_SKIP() << "no corpus at " << corpusDir();
  convertTwiceWithAStopBetween(sources);
}

}  // namespace
}  // namespace pendra
