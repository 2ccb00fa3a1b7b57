// Whole conversions of the .tex files in tests/e2e/latex with the pendra command, against their
// hand-checked MLP files (prologue and body, written with a fixed date).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kDir = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex";

CommandResult convertFile(const TempDir& dir, const fs::path& tex, const char* mlp) {
  fs::copy_file(tex, dir.path / tex.filename(), fs::copy_options::overwrite_existing);
  return runPendra(std::string("--mlp ") + mlp + " -q " + tex.filename().string(), dir.path);
}

TEST(LatexEndToEnd, SourcesGiveTheirMlpFiles) {
  setenv("SOURCE_DATE_EPOCH", "0", 1);
  TempDir dir("latex-e2e");
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(kDir)) {
    if (entry.path().extension() != ".tex") continue;
    fs::path expected = entry.path();
    expected.replace_extension(".mlp");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    CommandResult r = convertFile(dir, entry.path(), "out.mlp");
    EXPECT_EQ(r.status, 0) << entry.path() << "\n" << r.err;
    EXPECT_EQ(slurp(dir.path / "out.mlp"), slurp(expected)) << entry.path();
    ++checked;
  }
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_GE(checked, 3);
}

TEST(LatexEndToEnd, RunsWithAFixedDateAreIdentical) {
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  TempDir dir("latex-repro");
  convertFile(dir, kDir / "article.tex", "one.mlp");
  convertFile(dir, kDir / "article.tex", "two.mlp");
  unsetenv("SOURCE_DATE_EPOCH");
  std::string one = slurp(dir.path / "one.mlp");
  EXPECT_FALSE(one.empty());
  EXPECT_EQ(one, slurp(dir.path / "two.mlp"));
}

TEST(LatexEndToEnd, PgfCatalogHoldsTheUsedFormats) {
  TempDir dir("latex-catalog");
  CommandResult r = convertFile(dir, kDir / "article.tex", "out.mlp");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "article.mif");
  std::size_t start = mif.find("<PgfCatalog");
  ASSERT_NE(start, std::string::npos);
  std::string catalog = mif.substr(start, mif.find("\n>", start) - start);
  int tags = 0;
  for (std::size_t p = catalog.find("<PgfTag"); p != std::string::npos;
       p = catalog.find("<PgfTag", p + 1))
    ++tags;
  EXPECT_EQ(tags, 3) << catalog;
  EXPECT_NE(catalog.find("firstbody"), std::string::npos);
  EXPECT_NE(catalog.find("cbullet"), std::string::npos);
}

}  // namespace
}  // namespace pendra::testing
