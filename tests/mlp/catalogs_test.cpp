// The font and paragraph catalogs and the order of the document's top level.
#include "mlp/catalogs.h"

#include <gtest/gtest.h>

#include <string>

#include "mlp/translate_util.h"

namespace pendra::mlp {
namespace {

using pendra::testing::translate;

const std::string kItalEntry =
    "  <Font\n"
    "\t<FTag `ital'>\n"
    "\t<FFamily `times'>\n"
    "\t<FSize 10.0 pt>\n"
    "\t<FItalic Yes>\n"
    "\t<FBold No>\n"
    "\t<FUnderlining FNoUnderlining>\n"
    "\t<FStrike No>\n"
    "\t<FPosition FNormal>\n"
    "  > # end of Font\n";

std::string catalogOf(const std::string& mlp) {
  auto r = translate(mlp);
  EXPECT_TRUE(r.ok) << r.console;
  std::size_t begin = r.mif.find("<FontCatalog\n");
  std::size_t end = r.mif.find("\n>", begin);
  if (begin == std::string::npos || end == std::string::npos) return {};
  return r.mif.substr(begin, end + 3 - begin);
}

TEST(FontCatalog, EntryHoldsWhatTheDefinitionSets) {
  EXPECT_EQ(catalogOf("<!DefineFont ital <Family Times> <pts 10> <italic>>\n"
                      "<!Add2FontCat ital>\ntext\n"),
            "<FontCatalog\n" + kItalEntry + ">\n");
  // A definition that starts from <plain> gives the same entry.
  std::string plain = catalogOf(
      "<!DefineFont ital\n\t<plain>\n\t<Family Times>\n\t<pts 10>\n\t<italic>>\n"
      "<!Add2FontCat ital>\ntext\n");
  EXPECT_EQ(plain, "<FontCatalog\n" + kItalEntry + ">\n");
}

TEST(FontCatalog, RepeatsAreDroppedAndNewestComesFirst) {
  std::string catalog = catalogOf(
      "<!DefineFont ital <Family Times> <pts 10> <italic>>\n<!DefineFont big <pts 14>>\n"
      "<!Add2FontCat ital><!Add2FontCat big><!Add2FontCat ital>\n<!Add2FontCat nosuch>\nx\n");
  std::size_t nosuch = catalog.find("<FTag `nosuch'>");
  std::size_t big = catalog.find("<FTag `big'>");
  std::size_t ital = catalog.find("<FTag `ital'>");
  ASSERT_NE(ital, std::string::npos);
  EXPECT_LT(nosuch, big);
  EXPECT_LT(big, ital);
  EXPECT_EQ(catalog.find("<FTag `ital'>", ital + 1), std::string::npos);
  // A name that is no macro gives the tag and the attributes off.
  EXPECT_NE(catalog.find("<FTag `nosuch'>\n\t<FItalic No>\n\t<FBold No>\n"), std::string::npos);
  EXPECT_NE(catalog.find("<FTag `big'>\n\t<FSize 14.0 pt>\n"), std::string::npos);
}

TEST(FontCatalog, NumberFontsJoinTheCatalogAndTheTextFontIsKept) {
  auto r = translate(
      "<!DefineFont nf <Bold>>\n<!DefinePar numbered <NumberFont nf>>\n<Italic>\nab<Italic>c\n");
  ASSERT_TRUE(r.ok);
  EXPECT_NE(r.mif.find("<FTag `nf'>"), std::string::npos);
  // Evaluating the catalog did not disturb the italic text font.
  std::size_t flow = r.mif.find("<TextFlow");
  EXPECT_NE(r.mif.find("<FItalic Yes>", flow), std::string::npos);
  EXPECT_EQ(r.mif.find("<FBold", flow), std::string::npos);
}

TEST(FontCatalog, MacroThatWritesTextCannotRunInTheCatalog) {
  auto r = translate("<!DefineFont f Hello>\n<!Add2FontCat f>\nx\n");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.console.find("recursive call to invokeMacro\n"), std::string::npos);
}

TEST(PgfCatalog, FormatsStandNewestFirstAsFullPgfs) {
  auto r = translate("<!DefinePar one <Alignment Left>>\n<!DefinePar two <Alignment Center>>\nx\n");
  ASSERT_TRUE(r.ok);
  std::size_t catalog = r.mif.find("<PgfCatalog\n  <Pgf\n\t<PgfTag `two'>\n\t<PgfFont\n");
  ASSERT_NE(catalog, std::string::npos);
  std::size_t one = r.mif.find("<PgfTag `one'>", catalog);
  EXPECT_LT(catalog, one);
  EXPECT_LT(one, r.mif.find("<XRefFormats"));
  EXPECT_NE(r.mif.find("<PgfAlignment Center>"), std::string::npos);
}

TEST(PgfCatalog, FormatsDefinedAfterTheFirstTextAreNotInTheCatalog) {
  auto r = translate("x\n\n<!DefinePar late <Alignment Right>>\n<late>\ny\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.mif.find("<PgfCatalog"), std::string::npos);
  EXPECT_NE(r.mif.find("<PgfTag `late'>"), std::string::npos);
}

TEST(Assembly, TopLevelOrder) {
  auto r = translate(
      "<!DefineFont f <Bold>><!Add2FontCat f><!DefinePar body <pts 10>>\n"
      "<body>\nText<!Footnote note> here.\n");
  ASSERT_TRUE(r.ok);
  const std::string& mif = r.mif;
  std::size_t fonts = mif.find("\n<FontCatalog\n");
  std::size_t pgfs = mif.find("\n<PgfCatalog\n");
  std::size_t xrefs = mif.find("\n<XRefFormats\n");
  std::size_t flow = mif.find("\n<TextFlow\n  <TFTag `A'>\n  <Notes\n");
  std::size_t para = mif.find("\n  <Para\n", flow);
  ASSERT_NE(fonts, std::string::npos);
  EXPECT_LT(fonts, pgfs);
  EXPECT_LT(pgfs, xrefs);
  EXPECT_LT(xrefs, flow);
  EXPECT_LT(flow, para);
  EXPECT_EQ(mif.find("TblCatalog"), std::string::npos);
  EXPECT_EQ(mif.substr(mif.size() - 18), "> # [[last node]]\n");
}

}  // namespace
}  // namespace pendra::mlp
