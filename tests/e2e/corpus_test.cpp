// Converts every document of the shared corpus of real LaTeX files: none may crash or hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace pendra {
namespace {

namespace fs = std::filesystem;

constexpr int kSecondsPerDocument = 60;
// Sanitizer reports exit with this status, apart from every status pendra itself uses.
constexpr int kSanitizerExit = 86;

fs::path corpusDir() {
  return fs::path(PENDRA_SOURCE_DIR) / ".." / "shared" / "corpus";
}

TEST(Corpus, EveryDocumentConvertsWithoutACrashOrAHang) {
  std::vector<fs::path> sources;
  if (fs::is_directory(corpusDir()))
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir()))
      if (entry.is_regular_file() && entry.path().extension() == ".tex")
        sources.push_back(entry.path());
  if (sources.empty()) GTEST_SKIP() << "no corpus at " << corpusDir();
  testing::TempDir out("corpus");
  int converted = 0;
  for (const fs::path& source : sources) {
    std::string args = "-q -o '" + (out.path / "out.mif").string() + "' '" + source.string() + "'";
    std::string env = "ASAN_OPTIONS=exitcode=" + std::to_string(kSanitizerExit) +
                      " UBSAN_OPTIONS=exitcode=" + std::to_string(kSanitizerExit) + " timeout " +
                      std::to_string(kSecondsPerDocument);
    testing::CommandResult r = testing::runPendra(args, out.path, env);
    // 0: a document; 1: an unrecoverable state, stopped cleanly; 3: no document.
    EXPECT_TRUE(r.status == 0 || r.status == 1 || r.status == 3)
        << source.filename() << " exited with " << r.status << "\n"
        << r.err.substr(r.err.size() > 4000 ? r.err.size() - 4000 : 0);
    if (r.status == 0) ++converted;
  }
  EXPECT_GT(converted, 0);
  std::printf("converted %d of %zu corpus documents\n", converted, sources.size());
}

}  // namespace
}  // namespace pendra
