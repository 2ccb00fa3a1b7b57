// A document with a title block, sections, lists, a theorem, a footnote, a figure, labels and
// references, through both stages and the host's import: the saved MIF file holds the footnote
// in Notes and the markers, cross-references and the text frame in place, with no message.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(StructureMif, TheHostImportsTheDocumentStructure) {
  TempDir dir("structure-mif");
  fs::path tex = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "latex" / "structure.tex";
  fs::copy_file(tex, dir.path / "structure.tex");
  CommandResult r = runPendra("-q structure.tex", dir.path);
  ASSERT_EQ(r.status, 0) << r.err;
  // Only the stage notes: no message names the source.
  EXPECT_EQ(r.err.find("structure.tex"), std::string::npos) << r.err;
  std::string mif = slurp(dir.path / "structure.mif");
  // The main text flow starts with its Notes; the paragraphs follow them.
  std::size_t flow = mif.find("<TextFlow");
  std::size_t notes = mif.find("<Notes", flow);
  ASSERT_NE(notes, std::string::npos);
  std::size_t noteText = mif.find("`A note. '", notes);
  std::size_t text = mif.find("<FNote 1>", notes);
  ASSERT_NE(text, std::string::npos);
  EXPECT_LT(noteText, text);
  EXPECT_LT(mif.find("`Text '", notes), text);
  EXPECT_LT(text, mif.find("` goes on. '", notes));
  flow = notes;
  EXPECT_NE(mif.find("<MText `Label:intro'>", flow), std::string::npos);
  EXPECT_EQ(count(mif, "<XRefSrcText `Label:intro'>"), 2u);
  EXPECT_NE(mif.find("<XRefSrcText `Ref:k'>"), std::string::npos);
  EXPECT_NE(mif.find("<TextRectID"), std::string::npos);
  for (const char* tag : {"title", "author", "1heading", "1step", "step", "bullet", "theorem1",
                          "figure", "code", "footnote"})
    EXPECT_NE(mif.find(std::string("<PgfTag `") + tag + "'>", flow), std::string::npos) << tag;
}

}  // namespace
}  // namespace pendra::testing
