#include "reader/environments.h"

#include <cstring>
#include <string>

#include "output_fixture.h"

namespace pendra::testing {
namespace {

using reader::findEnvironment;
using reader::kBuiltinEnvironments;

class Environments : public ConvertFixture {};

TEST_F(Environments, TableAsData) {
  EXPECT_EQ(reader::kBuiltinEnvironments.size(), 95u);
  EXPECT_STREQ(kBuiltinEnvironments[0].name, "abstract");
  EXPECT_STREQ(kBuiltinEnvironments[78].name, "verse");
  const reader::EnvironmentRecord* closing = findEnvironment("*closing");
  EXPECT_STREQ(closing->endTemplate, "\n\n\n\n%T%B(I2+)%n");
  EXPECT_EQ(closing->lineBreakKind, 'P');
  const reader::EnvironmentRecord* bib = findEnvironment("thebibliography");
  EXPECT_STREQ(bib->beginTemplate, "%x%g(1Heading*)\nReferences%g(FirstBody)");
  EXPECT_EQ(bib->mode, 7);
  EXPECT_STREQ(findEnvironment("*footnote")->beginTemplate, "% %T");
  EXPECT_EQ(findEnvironment("math")->paragraphTag, nullptr);
  EXPECT_EQ(findEnvironment("tabular")->interpreter, reader::Interpreter::kTable);
  EXPECT_EQ(findEnvironment("table*")->lineBreakKind, ' ');
  EXPECT_EQ(reader::environmentBucket("math"), (4u + 'm' + 'h') % 128);
  EXPECT_STREQ(reader::modeName(3), "verbatim");
  EXPECT_STREQ(reader::modeName(9), "??");
}

TEST_F(Environments, UnknownNamesGetADefaultRecordOnce) {
  const reader::EnvironmentRecord* made = findEnvironment("mystery");
  EXPECT_STREQ(made->name, "mystery");
  EXPECT_STREQ(made->paragraphTag, "Body");
  EXPECT_EQ(findEnvironment("mystery"), made);
  std::string err;
  std::string out = convert("\\begin{other}\nSome text.\n\\end{other}\n", &err);
  EXPECT_NE(out.find("<Body>\nSome text.\n"), std::string::npos);
  EXPECT_EQ(err, "");
}

TEST_F(Environments, DefinitionsShadowBuiltinsAndRedefineTheirOwnRecords) {
  const reader::EnvironmentRecord* builtin = findEnvironment("quote");
  const reader::EnvironmentRecord& pattern = *findEnvironment("center");
  // A built-in record is never changed: a definition of its name makes a record that hides it.
  reader::EnvironmentRecord& quote = reader::defineEnvironment("quote", pattern);
  EXPECT_NE(&quote, builtin);
  EXPECT_EQ(findEnvironment("quote"), &quote);
  EXPECT_STREQ(builtin->name, "quote");
  EXPECT_STREQ(quote.name, "quote");
  // A second definition, and one of a name first met unknown, change the record in place.
  EXPECT_EQ(&reader::defineEnvironment("quote", *findEnvironment("verse")), &quote);
  const reader::EnvironmentRecord* unknown = findEnvironment("fresh");
  EXPECT_EQ(&reader::defineEnvironment("fresh", pattern), unknown);
  EXPECT_EQ(findEnvironment("fresh")->paragraphTag, pattern.paragraphTag);
  // Thousands of names stay apart and are each found at their newest record.
  auto nameOf = [](int i) {
    std::string name = "e";
    name += std::to_string(i);
    return name;
  };
  for (int i = 0; i < 3000; ++i)
    reader::defineEnvironment(nameOf(i).c_str(), i % 2 ? pattern : *builtin);
  for (int i = 0; i < 3000; i += 7) {
    const reader::EnvironmentRecord* e = findEnvironment(nameOf(i).c_str());
    EXPECT_EQ(e->name, nameOf(i));
    EXPECT_EQ(e->beginTemplate, (i % 2 ? pattern : *builtin).beginTemplate);
  }
}

TEST_F(Environments, ClosingNameChecks) {
  std::string err;
  convert("x\n\\begin{center}\ny\n\\end{centre}\n\\begin{quote}z\\end{}\n\\begin\n", &err);
  EXPECT_NE(err.find("closing env. name (centre) != opening name (center) on line 2"),
            std::string::npos);
  EXPECT_NE(err.find("missing argument to \\end command"), std::string::npos);
  EXPECT_NE(err.find("missing argument to \\begin command"), std::string::npos);
}

TEST_F(Environments, DollarsOpenAndCloseByMode) {
  std::string err;
  EXPECT_EQ(convert("a $x$ b\n", &err), "\n<Body>\na <em>x<rm> b\n");
  EXPECT_EQ(err, "");
  restartParagraphs();
  // After display math the tag is set again, so the text after it has a tag line.
  std::string out = convert("c $$y$$ d\n", &err);
  EXPECT_NE(out.find("\nd\n"), std::string::npos);
  EXPECT_NE(out.find("<FirstBody>\nd\n"), std::string::npos) << out;
  EXPECT_EQ(err, "");
}

TEST_F(Environments, MismatchedClosersEndTheConstruct) {
  std::string err;
  std::string out = convert("a\n{b \\] c}\n", &err);
  EXPECT_NE(err.find("2: \\] mismatched with construct started on line 2\n"), std::string::npos);
  EXPECT_NE(out.find("b  c"), std::string::npos);
}

TEST_F(Environments, UnclosedConstructsAtTheEndOfInput) {
  std::string err;
  convert("a\n\n{b\n\\begin{center}c", &err);
  EXPECT_NE(err.find("4: construct unclosed when end-of-file reached\n"), std::string::npos);
  EXPECT_NE(err.find("3: construct unclosed when end-of-file reached\n"), std::string::npos);
}

TEST_F(Environments, StrayClosingBracketIsText) {
  EXPECT_EQ(convert("a]b\n"), "\n<Body>\na]b\n");
}

TEST_F(Environments, ScopesEndWithTheEnvironment) {
  std::string out = convert("\\begin{center}\\newcommand{\\zz}{Q}\\zz\\end{center}\\zz\n");
  EXPECT_NE(out.find("Q"), std::string::npos);
  EXPECT_NE(out.find("\\\\zz"), std::string::npos);
}

TEST_F(Environments, ListTagsFollowTheListDepth) {
  std::string out = convert(
      "\\begin{itemize}\\begin{itemize}\\begin{center}c\\end{center}two\n"
      "\\begin{enumerate}\\begin{quote}q\\end{quote}three\n\\end{enumerate}\n"
      "\\end{itemize}\\end{itemize}\n");
  EXPECT_NE(out.find("<CBullet2>\ntwo\n"), std::string::npos) << out;
  EXPECT_NE(out.find("<CStep3>\nthree\n"), std::string::npos) << out;
  EXPECT_EQ(reader::environmentState().listDepth, 0);
}

TEST_F(Environments, UserDefinedEnvironments) {
  std::string err;
  std::string out = convert(
      "\\newenvironment{box}{[}{]}\n\\begin{box}in\\end{box} out\n\\begin{box}x\\end{bx}\n", &err);
  // The spaces after the closing name are skipped with the rest of its line.
  EXPECT_NE(out.find("[in]out\n[x]"), std::string::npos) << out;
  EXPECT_NE(err.find("closing env. name (bx) != opening name (box) on line 3"), std::string::npos);
}

TEST_F(Environments, PseudoEnvironmentsTakeOneArgument) {
  std::string out = convert("\\title{The Title}\nafter\n\\maketitle\n");
  EXPECT_NE(out.find("after\n\n<Title>\nThe Title\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace pendra::testing
