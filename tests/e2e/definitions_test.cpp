// Definitions and conditionals as documents use them: each document is converted whole, and the
// text a reader would see in the result is checked, with the messages for malformed input.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

struct Converted {
  int status = 0;
  std::string text;  // the strings of the MIF, one after the other
  std::string err;
};

// Converts a document whose preamble and body are given; the text is the MIF's strings joined.
Converted convert(const std::string& preamble, const std::string& body) {
  TempDir dir("definitions");
  std::ofstream(dir.path / "doc.tex") << "\\documentclass{article}\n"
                                      << preamble << "\n\\begin{document}\n"
                                      << body << "\n\\end{document}\n";
  CommandResult r = runPendra("-q -o out.mif doc.tex", dir.path);
  std::string mif = slurp(dir.path / "out.mif");
  Converted c;
  c.status = r.status;
  c.err = r.err;
  for (std::size_t at = mif.find("<String `"); at != std::string::npos;
       at = mif.find("<String `", at + 1)) {
    std::size_t close = mif.find("'>", at);
    if (close == std::string::npos) break;
    c.text.append(mif, at + 9, close - at - 9);
  }
  return c;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Definitions, StarredAndProvideForms) {
  Converted c = convert(
      "\\newcommand*{\\a}[1]{<#1>}\\renewcommand*{\\a}[1]{(#1)}\n"
      "\\providecommand{\\a}{lost}\\providecommand*{\\bb}{B}\n"
      "\\newenvironment*{e}{[}{]}\\renewenvironment*{e}{\\{}{\\}}\n"
      "\\DeclareRobustCommand{\\r}[1]{R#1}",
      "\\a{x} \\bb{} \\begin{e}in\\end{e}\n\n\\r{y}.");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "(x) B {in}")) << c.text;
  EXPECT_TRUE(has(c.text, "Ry.")) << c.text;
  EXPECT_FALSE(has(c.text, "lost"));
  EXPECT_FALSE(has(c.text, "newcommand"));
}

TEST(Definitions, OptionalFirstArgumentWithADefault) {
  Converted c = convert(
      "\\newcommand{\\term}[2][see]{#2 (#1)}\n"
      "\\newenvironment{note}[2][Note]{#1 on #2: }{ end}",
      "\\term{lemma}, \\term[cf.]{theorem}, \\term [x] {y}.\n\n"
      "\\begin{note}{tea}text\\end{note}\n\n\\begin{note}[Remark]{milk}more\\end{note}");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "lemma (see), theorem (cf.), y (x).")) << c.text;
  EXPECT_TRUE(has(c.text, "Note on tea: text end")) << c.text;
  EXPECT_TRUE(has(c.text, "Remark on milk: more end")) << c.text;
}

TEST(Definitions, DefWithParametersAndPrefixes) {
  Converted c = convert(
      "\\def\\pair#1#2{(#1, #2)}\\def\\span(#1,#2){#1..#2}\\def\\upto#1.{[#1]}\n"
      "\\def\\lA{L}\\begin{center}\\gdef\\gA{G}\\global\\def\\hA{H}\\def\\lA{M}\\end{center}\n"
      "\\long\\def\\para#1\\stop{<#1>}\\protected\\def\\p{P}\n"
      "\\def\\a{old}\\edef\\e{\\a/\\noexpand\\a}\\def\\a{new}",
      "\\pair{a}{b} \\pair xy \\span(1,{2,3}) \\upto {braced}. \\upto two words. "
      "\\gA\\hA\\lA{} \\para one\n\ntwo\\stop{} \\p{} \\e.");
  EXPECT_EQ(c.status, 0) << c.err;
  // Undelimited arguments: a group or one token; a delimited one: up to its delimiter, its one
  // group's braces dropped.
  EXPECT_TRUE(has(c.text, "(a, b) (x, y) 1..2,3 [braced] [two words] ")) << c.text;
  // \gdef and \global survive the environment; a plain \def does not.
  EXPECT_TRUE(has(c.text, "GHL ")) << c.text;
  EXPECT_TRUE(has(c.text, "<one two\\>")) << c.text;  // MIF writes '>' as \>
  EXPECT_TRUE(has(c.text, "P old/new.")) << c.text;
}

TEST(Definitions, MalformedDefinitionsAreReportedAndTheTextGoesOn) {
  Converted c = convert(
      "\\newcommand{\\many}[12]{x}\\newcommand{\\over}[1]{#1#2}\n"
      "\\def\\skip#1#3{s}\\def\\p(#1){p#1}\\def\\stop#1.{[#1]}",
      "\\p x After one.\n\\stop never met\n\nAfter two.\n{\\def\\nobrace#1}");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.err, "Illegal number of macro arguments")) << c.err;
  EXPECT_TRUE(has(c.err, "Illegal parameter number #2 in definition of \\over")) << c.err;
  EXPECT_TRUE(has(c.err, "parameters must be numbered consecutively in definition of \\skip"));
  EXPECT_TRUE(has(c.err, "use of \\p does not match its definition")) << c.err;
  EXPECT_TRUE(has(c.err,
                  "the argument of \\stop that ends with `.' (line 6) was not ended "
                  "before the end of a paragraph"))
      << c.err;
  EXPECT_TRUE(has(c.err, "missing { after the parameters of \\nobrace")) << c.err;
  EXPECT_TRUE(has(c.text, "After one.")) << c.text;
  EXPECT_TRUE(has(c.text, "[never met")) << c.text;
  EXPECT_FALSE(has(c.text, "After two.]")) << c.text;
  EXPECT_TRUE(has(c.text, "After two.")) << c.text;

  // A body whose braces never close: reported, and the document still ends.
  c = convert("", "Before.\n\\newcommand{\\open}{never closed\n");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.err, "unexpected eof while reading argument")) << c.err;
  EXPECT_TRUE(has(c.text, "Before.")) << c.text;
}

TEST(Definitions, LetToCommandsCharactersAndEnvironments) {
  Converted c = convert(
      "\\let\\oldemph\\emph\\renewcommand{\\emph}[1]{[\\oldemph{#1}]}\n"
      "\\let\\star=*\\let\\amp\\&{\\global\\let\\kept\\oldemph}\n"
      "\\let\\myquote\\quote\\let\\endmyquote\\endquote\n"
      "\\newenvironment{inner}{<}{>}\\let\\outer\\inner\\let\\endouter\\endinner\n"
      "\\LetLtxMacro{\\oldbf}{\\textbf}",
      "\\emph{x} \\star\\amp{} \\kept{y} \\oldbf{z}\n\n\\begin{outer}o\\end{outer}\n\n"
      "\\begin{myquote}Quoted.\\end{myquote}");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "[x] *& y z")) << c.text;
  EXPECT_TRUE(has(c.text, "<o\\>")) << c.text;
  EXPECT_TRUE(has(c.text, "Quoted.")) << c.text;
  EXPECT_EQ(c.err.find("closing env. name"), std::string::npos) << c.err;
}

TEST(Definitions, DocumentCommands) {
  Converted c = convert(
      "\\NewDocumentCommand{\\x}{s o m}{\\IfBooleanTF{#1}{S}{N}-\\IfNoValueTF{#2}{none}{#2}-#3}\n"
      "\\NewDocumentCommand\\y{O{dflt} +m}{#1/#2}\\ProvideDocumentCommand{\\y}{m}{lost}\n"
      "\\RenewDocumentCommand{\\x}{s o m}{\\IfBooleanT{#1}{S}\\IfValueT{#2}{#2}:#3}\n"
      "\\NewDocumentEnvironment{frame}{O{B}}{(#1 }{ e)}",
      "\\x{a} \\x*[b]{c} \\y{p} \\y[q]{r}\n\n\\begin{frame}one\\end{frame} "
      "\\begin{frame}[T]two\\end{frame}");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, ":a Sb:c dflt/p q/r")) << c.text;
  EXPECT_TRUE(has(c.text, "(B one e)(T two e)")) << c.text;
  EXPECT_FALSE(has(c.text, "lost"));
}

TEST(Conditionals, NewifAndThePrimitiveTests) {
  Converted c =
      convert("\\newif\\ifdraft\\drafttrue\\newif\\iffinal\\def\\a{A}\\let\\b\\a\\def\\c{C}",
              "\\ifdraft D1\\else F1\\fi, \\iffinal D2\\else F2\\fi, "
              "\\ifdefined\\a yes\\fi\\ifdefined\\nothing no\\fi, "
              "\\ifx\\a\\b same\\else differ\\fi, \\ifx\\a\\c same\\else differ\\fi, "
              "\\ifx\\nothing\\undefined undef\\fi, "
              "\\expandafter\\ifx\\csname nothing\\endcsname\\relax relax\\fi, "
              "\\ifnum 3<5 less\\fi\\ifodd 4 odd\\else even\\fi.\n\n"
              "\\iftrue Kept \\else Lost \\fi\\iffalse Lost \\else Kept \\fi done.");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "D1, F2, yes, same, differ, undef, relax, lesseven.")) << c.text;
  EXPECT_TRUE(has(c.text, "Kept Kept done.")) << c.text;
  EXPECT_FALSE(has(c.text, "Lost"));
  EXPECT_EQ(c.err.find("unbalanced"), std::string::npos) << c.err;
}

TEST(Conditionals, NestingUnbalancedFiAndAnUnclosedIffalse) {
  Converted c =
      convert("",
              "\\iftrue a\\iffalse b\\iftrue c\\else d\\fi e\\else f\\iffalse g\\fi h\\fi i\\else j"
              "\\iftrue k\\fi l\\fi.\n\n"
              "\\iffalse \\ifthenelse{x}{y}{z} \\iff \\ifinner m\\fi n\\fi o.\n\n"
              "Stray \\fi after.\n\n\\iffalse Never closed. \\end{document}");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "afhi.")) << c.text;
  // \ifthenelse and \iff are no conditionals; \ifinner, unknown where it is skipped, is one.
  EXPECT_TRUE(has(c.text, "o.")) << c.text;
  EXPECT_FALSE(has(c.text, "n"));
  EXPECT_TRUE(has(c.err, "unbalanced \\fi ignored")) << c.err;
  EXPECT_TRUE(has(c.text, "Stray after.")) << c.text;
  EXPECT_TRUE(has(c.err, "\\iffalse on line 10 is not closed by \\fi before the end of the input"))
      << c.err;
  EXPECT_FALSE(has(c.text, "Never"));
}

TEST(Conditionals, IfthenelseAndLatexTests) {
  Converted c = convert(
      "\\usepackage{ifthen}\\newboolean{long}\\setboolean{long}{true}\n"
      "\\newcommand{\\kind}[1]{\\ifthenelse{\\equal{#1}{a}}{is-a}{not-a}}\n"
      "\\def\\name{a}\n"
      "\\makeatletter\n"
      "\\def\\s{\\@ifstar{\\@s}{\\@n}}\\def\\@s#1{S#1}\\def\\@n#1{N#1}\n"
      "\\def\\o{\\@ifnextchar[{\\@o}{\\@o[none]}}\\def\\@o[#1]#2{#1:#2}\n"
      "\\@ifundefined{undefinedname}{undef}{def}\n"
      "\\expandafter\\def\\csname built@name\\endcsname{Built}\n"
      "\\makeatother",
      "\\ifthenelse{\\boolean{long}}{L}{S} \\kind{a} \\kind{b} \\kind{\\name} "
      "\\ifthenelse{\\not\\equal{x}{y} \\and \\( 1 < 2 \\or \\boolean{long} \\)}{T}{F} "
      "\\ifthenelse{\\isodd{3}}{odd}{even} \\s*{x} \\s{y} \\o[opt]{z} \\o{w} "
      "\\csname built@name\\endcsname.");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "L is-a not-a is-a T odd Sx Ny opt:z none:w Built.")) << c.text;
  EXPECT_FALSE(has(c.text, "undef"));
}

TEST(Conditionals, CommentEnvironments) {
  Converted c =
      convert("\\usepackage{comment}\\excludecomment{draft}\\includecomment{final}",
              "Before.\n\\begin{comment}\nHidden \\fi \\begin{itemize}\n\\end{comment}\n"
              "\\begin{draft}Hidden too.\\end{draft}\n\\begin{final}Shown.\\end{final}\nAfter.\n\n"
              "\\begin{comment} never closed");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "Before.")) << c.text;
  EXPECT_TRUE(has(c.text, "Shown.")) << c.text;
  EXPECT_TRUE(has(c.text, "After.")) << c.text;
  EXPECT_FALSE(has(c.text, "Hidden"));
  EXPECT_TRUE(has(c.err, "unclosed \\begin{comment}")) << c.err;
  EXPECT_EQ(c.err.find("unbalanced"), std::string::npos) << c.err;
}

TEST(Definitions, NestedDefinitionsAndTheirBounds) {
  Converted c = convert(
      "\\newcommand{\\outer}[1]{\\def\\inner##1{#1-##1}}\n"
      "\\def\\self{\\self}\\edef\\b{\\self}\n"
      "\\def\\e{\\e\\e\\e\\e\\e\\e\\e\\e}\\edef\\f{\\e}\n"
      "\\expandafter\\def\\csname made\\endcsname{Made}\\def\\list{a}\n"
      "\\expandafter\\def\\expandafter\\list\\expandafter{\\list,b}",
      "\\outer{x}\\inner{y} \\made{} \\list.");
  EXPECT_EQ(c.status, 0) << c.err;
  // ## in a body is the # of the macro it defines; #1 is the outer macro's argument.
  EXPECT_TRUE(has(c.text, "x-y Made a,b.")) << c.text;
}

TEST(Definitions, MakeatletterMakesAtALetter) {
  Converted c = convert("\\makeatletter\\def\\my@cmd{mine}\\makeatother",
                        "\\makeatletter\\my@cmd\\makeatother{} e.g.\\@ end.");
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_TRUE(has(c.text, "mine e.g.")) << c.text;
  EXPECT_TRUE(has(c.text, " end.")) << c.text;
}

}  // namespace
}  // namespace pendra::testing
