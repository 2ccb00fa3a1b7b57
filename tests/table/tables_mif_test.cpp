// A document with tables and a box, converted by the pendra command and imported by the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

int occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(TablesMif, TablesAndABoxBecomeTblsAnchoredInTheText) {
  TempDir dir("tables-mif");
  fs::copy_file(fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex" / "tables.tex",
                dir.path / "tables.tex");
  CommandResult r = runPendra("-q tables.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string mif = slurp(dir.path / "tables.mif");
  std::size_t catalog = mif.find("<TblCatalog");
  std::size_t tbls = mif.find("<Tbls");
  std::size_t flow = mif.find("<TextFlow");
  ASSERT_NE(catalog, std::string::npos);
  ASSERT_NE(tbls, std::string::npos);
  ASSERT_NE(flow, std::string::npos);
  EXPECT_LT(catalog, tbls);
  EXPECT_LT(tbls, flow);
  // The box and the two tables, in the order they end.
  std::string tables = mif.substr(tbls, flow - tbls);
  EXPECT_EQ(occurrences(tables, "<TblID "), 3);
  EXPECT_NE(tables.find("<TblNumColumns 1>"), std::string::npos);
  EXPECT_EQ(occurrences(tables, "<TblNumColumns 2>"), 2);
  EXPECT_EQ(occurrences(tables, "<CellColumns 2>"), 1);
  EXPECT_EQ(occurrences(tables, "<Row"), 1 + 4 + 2);
  std::string text = mif.substr(flow);
  for (const char* anchor : {"<ATbl 1>", "<ATbl 2>", "<ATbl 3>"})
    EXPECT_NE(text.find(anchor), std::string::npos) << anchor;
  // The box stands inside its sentence.
  std::size_t box = text.find("<ATbl 1>");
  EXPECT_LT(text.find("Prices are shown in a"), box);
  EXPECT_GT(text.find("box."), box);
  EXPECT_EQ(text.find("<Para", box) > text.find("box."), true);
}

}  // namespace
}  // namespace pendra::testing
