#include "output/prologue.h"

#include <cstdlib>
#include <string>

#include "output/fonts.h"
#include "output_fixture.h"

namespace pendra::testing {
namespace {

class Prologue : public ConvertFixture {
 protected:
  std::string prologue(bool all = false) {
    ChannelT mlp = F_ChannelMakeTmp(1024);
    output::writePrologue(mlp, all ? 1 : 0);
    long end = F_ChannelTell(mlp);
    F_ChannelSeek(mlp, 0, SEEK_SET);
    std::string out(static_cast<std::size_t>(end), '\0');
    out.resize(F_ChannelRead(out.data(), 1, out.size(), mlp));
    F_ChannelCloseTmp(mlp);
    return out;
  }
};

TEST_F(Prologue, TablesAsData) {
  EXPECT_EQ(output::kParagraphFormatCount, 54u);
  EXPECT_STREQ(output::kParagraphFormats[0].name, "Abstract");
  EXPECT_STREQ(output::kParagraphFormats[53].name, "Title");
  const output::ParagraphFormat& fifth = output::kParagraphFormats[40];
  EXPECT_STREQ(fifth.name, "5Heading");
  EXPECT_FLOAT_EQ(fifth.leftIndent, 0.6f);
  EXPECT_STREQ(fifth.tabSettings, "0.7");
  EXPECT_STREQ(fifth.numberFormat, R"(H:<n\>.<n\>.<n\>.<n\>.+\t)");
  EXPECT_STREQ(output::kParagraphFormats[24].numberFormat, "F:Figure +  ");
  EXPECT_EQ(output::kClassOptionCount, 15u);
  EXPECT_STREQ(output::kClassOptions[7].name, "a4paper");
  EXPECT_STREQ(output::kClassOptions[6].width, "7.25\"");
}

TEST_F(Prologue, HeaderDateFromTheEnvironment) {
  setenv("SOURCE_DATE_EPOCH", "857466300", 1);
  std::string out = prologue();
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(out.rfind("<MLP -- created by LaTeX import filter on Tue Mar  4 09:05:00 1997>\n", 0),
            0u);
}

TEST_F(Prologue, BodyOnlyDocumentDefinesBodyAndRoman) {
  convert("\\documentclass{article}\n\\begin{document}\nJust text.\n\\end{document}\n");
  std::string out = prologue();
  EXPECT_NE(out.find("<!DefineFont rm\n\t<Family Times>\n\t<pts 10>\n    <Plain><Normal>\n>\n"),
            std::string::npos);
  EXPECT_NE(out.find("<!DefinePar Body\n\t<rm>\n\t<Alignment LeftRight>\n\t<LeftIndent 0.00\">\n"
                     "\t<FirstIndent 0.20\">\n\t<RightIndent 0.00\">\n\t<Leading 2pt>\n"
                     "\t<SpaceBefore 12pt>\n\t<SpaceAfter 6pt>\n\t<LineSpacing Floating>\n"
                     "\t<Autonumber No>\n\t<Hyphenate Yes>\n>\n"),
            std::string::npos);
  EXPECT_EQ(out.find("DefineFont", out.find("DefineFont") + 1), std::string::npos);
  EXPECT_EQ(out.find("DefinePar", out.find("DefinePar") + 1), std::string::npos);
  EXPECT_EQ(out.find("<Page"), std::string::npos);
  EXPECT_EQ(out.find("<Columns"), std::string::npos);
  EXPECT_EQ(out.find("<DoubleSided"), std::string::npos);
}

TEST_F(Prologue, ClassOptionsSetPageAndSizes) {
  convert(
      "\\documentclass[12pt, a4paper,twoside,twocolumn,unknown]{article}\n\\begin{document}\n"
      "x\n\\end{document}\n");
  std::string out = prologue();
  EXPECT_NE(out.find("<PageWidth 210mm>\n<PageHeight 297mm>\n<Columns 2>\n<DoubleSided Yes>\n"),
            std::string::npos);
  EXPECT_NE(out.find("<!DefineFont rm\n\t<Family Times>\n\t<pts 12>\n"), std::string::npos);
}

TEST_F(Prologue, DocumentStyleAndTheGermanOption) {
  convert("\\documentstyle [ 11pt , german ] {article}\n");
  EXPECT_TRUE(reader::readerState().germanQuotes);
  output::findCharacterFormat("rm");
  EXPECT_NE(prologue().find("<!DefineFont rm\n\t<Family Times>\n\t<pts 11>\n"), std::string::npos);
}

TEST_F(Prologue, LandscapeWithAndWithoutPaper) {
  convert("\\documentclass[landscape]{article}\n");
  EXPECT_NE(prologue().find("<PageWidth 11.0\">\n<PageHeight 8.5\">\n"), std::string::npos);
  output::applyClassOption("a5paper");
  EXPECT_NE(prologue().find("<PageWidth 210mm>\n<PageHeight 148mm>\n"), std::string::npos);
}

TEST_F(Prologue, TabStopsFourToALine) {
  std::string out = prologue(true);
  EXPECT_NE(out.find("\t<Hyphenate Yes>\n\t<TabStops <TabStop 0.2\"><TabStop 0.4\">"
                     "<TabStop 0.6\">>\n>\n<!DefinePar Body\n"),
            std::string::npos);
  EXPECT_NE(out.find("<TabStop 1.5\"><TabStop 2.0\">\n\t<TabStop 2.5\">"), std::string::npos);
  EXPECT_NE(out.find("\t<NumberFormat \"E:(+)\">\n\t<PgfNumAtEnd Yes>\n"), std::string::npos);
  // Formats come newest first: the last table row heads the list.
  EXPECT_LT(out.find("<!DefinePar Title"), out.find("<!DefinePar Abstract"));
}

TEST_F(Prologue, SlidesDoubleEveryMeasure) {
  convert("\\documentclass{slides}\n");
  std::string out = prologue(true);
  EXPECT_NE(out.find("<!DefinePar Bullet\n\t<rm>\n\t<Alignment LeftRight>\n\t<LeftIndent 0.40\">\n"
                     "\t<FirstIndent 0.00\">\n\t<RightIndent 0.00\">\n\t<Leading 4pt>\n"
                     "\t<SpaceBefore 12pt>\n\t<SpaceAfter 0pt>\n"),
            std::string::npos);
  EXPECT_NE(out.find("<TabStops <TabStop 0.400000\"><TabStop 0.800000\"><TabStop 1.200000\">>"),
            std::string::npos);
  EXPECT_NE(out.find("<!DefineFont rm\n\t<Family Times>\n\t<pts 18>\n"), std::string::npos);
}

TEST_F(Prologue, BodyFirstIndentFromParindent) {
  convert("\\setlength{\\parindent}{36pt}\n");
  EXPECT_NE(prologue().find("<!DefinePar Body\n\t<rm>\n\t<Alignment LeftRight>\n"
                            "\t<LeftIndent 0.00\">\n\t<FirstIndent 0.50\">\n"),
            std::string::npos);
}

}  // namespace
}  // namespace pendra::testing
