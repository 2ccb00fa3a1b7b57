// Documents cut down from real ones, each of which once lost the rest of its text after a
// construct pendra did not read as LaTeX does (tests/e2e/fidelity), and the recovery from
// mismatched delimiters that keeps a document whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace pendra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(PENDRA_SOURCE_DIR) / "tests" / "e2e" / "fidelity";

struct Converted {
  CommandResult result;
  std::string mif;
};

Converted convertCase(const TempDir& dir, const std::string& name) {
  fs::copy_file(kCases / (name + ".tex"), dir.path / (name + ".tex"),
                fs::copy_options::overwrite_existing);
  Converted c;
  c.result = runPendra("-q -o out.mif " + name + ".tex", dir.path);
  c.mif = slurp(dir.path / "out.mif");
  return c;
}

Converted convertSource(const TempDir& dir, const std::string& source) {
  std::ofstream(dir.path / "doc.tex") << source;
  Converted c;
  c.result = runPendra("-q -o out.mif doc.tex", dir.path);
  c.mif = slurp(dir.path / "out.mif");
  return c;
}

// Whether the MIF text holds `text` (as MIF writes it: a backslash doubled).
bool hasString(const std::string& mif, const std::string& text) {
  return mif.find(text) != std::string::npos;
}

// Verbatim text as the MIF holds it: each space a fixed space (the byte 0x11 and a space).
std::string verbatim(std::string text) {
  std::string out;
  for (char c : text) out += c == ' ' ? std::string("\x11 ") : std::string(1, c);
  return out;
}

struct Case {
  const char* name;
  std::vector<std::string> texts;  // the last paragraph first, then what else must arrive
};

TEST(Fidelity, EveryCaseKeepsItsTextToTheLastParagraph) {
  const std::vector<Case> cases = {
      {"r01_text_dollar",
       {"This paragraph and the rest of the document disappear. ", " is an integer. ",
        "string[\"trees \"]"}},
      {"r02_shortverb",
       {"This paragraph and the rest of the document disappear. ", "<String `\\\\mbox",
        "<String `}"}},
      {"r03_lstlisting",
       {"This paragraph and the rest of the document disappear. ",
        "<String `" + verbatim("\\\\section{Demo} a_b"), "<String `\\\\end{document}"}},
      {"r04_glue", {"This paragraph and the rest of the document disappear. "}},
      {"r05_hbox_to",
       {"This paragraph and the rest of the document disappear. ", "right and more. "}},
      {"r06_env_split_tabular", {"Text 39. ", "<String `\\\\cmd39", "Text 20. "}},
      {"r07_self_redefining", {"Body text. ", "Definitions"}},
      {"r08b_verbatim_redefined_fatal",
       {"<String `\\\\end{document}", "\\\\AddEnumerateCounter\\\\revcounter"}},
      {"r09_def_params", {"<String `The pair (a, b) is ordered. "}},
      {"r10_star_forms",
       {"<String `. ", "<String `Load '", "<String `hyperref'", "<String `; write to '",
        "<String `me@example.org'"}},
      {"r11_let", {"<String `. ", "<String `This is '", "<String `important'"}},
      {"r12_optarg", {"<String `A lemma (see) and a theorem (cf.). "}},
      {"r18_comment_iffalse", {"<String `Visible. "}},
      // Every accented letter, the dash and the quotes as FrameRoman characters.
      {"r14_utf8", {"<String `Caf\\x8e  na\\x95 ve \\xd1  \\xd2 quoted\\xd3  M\\x9f ller. '>"}},
  };
  TempDir dir("fidelity");
  for (const Case& c : cases) {
    Converted out = convertCase(dir, c.name);
    EXPECT_EQ(out.result.status, 0) << c.name << "\n" << out.result.err;
    EXPECT_EQ(out.result.err.find("stack overflow"), std::string::npos) << c.name;
    for (const std::string& text : c.texts)
      EXPECT_TRUE(hasString(out.mif, text)) << c.name << ": " << text;
    // The last paragraph given is the last text of the document.
    std::size_t last = out.mif.rfind("<String `");
    ASSERT_NE(last, std::string::npos) << c.name;
    EXPECT_NE(out.mif.find(c.texts[0], last), std::string::npos) << c.name;
  }
}

// What the definitions' cases must not show: a command's name, its arguments' text as written,
// or the text that a comment or an \iffalse holds.
TEST(Fidelity, DefinitionCasesLeakNothing) {
  TempDir dir("fidelity-definitions");
  const std::vector<std::pair<const char*, std::vector<std::string>>> absent = {
      {"r09_def_params", {"\\", "#"}},
      {"r10_star_forms", {"\\", "pkg", "email", "*"}},
      {"r11_let", {"\\", "emph"}},
      {"r12_optarg", {"\\", "term", "[", "#"}},
      {"r18_comment_iffalse", {"\\", "Draft", "Old text", "iffalse"}},
  };
  for (const auto& [name, words] : absent) {
    Converted out = convertCase(dir, name);
    EXPECT_EQ(out.result.status, 0) << name << "\n" << out.result.err;
    for (std::size_t at = out.mif.find("<String `"); at != std::string::npos;
         at = out.mif.find("<String `", at + 1)) {
      std::string text = out.mif.substr(at, out.mif.find("'>", at) - at);
      for (const std::string& word : words)
        EXPECT_EQ(text.find(word), std::string::npos) << name << ": " << text;
    }
  }
  // r11: the redefined \emph is bold and keeps the old one's italic.
  Converted out = convertCase(dir, "r11_let");
  std::size_t important = out.mif.find("<String `important'");
  ASSERT_NE(important, std::string::npos);
  std::size_t font = out.mif.rfind("<Font", important);
  ASSERT_NE(font, std::string::npos);
  std::string before = out.mif.substr(font, important - font);
  EXPECT_NE(before.find("<FItalic Yes>"), std::string::npos) << before;
  EXPECT_NE(before.find("<FBold Yes>"), std::string::npos) << before;
}

TEST(Fidelity, MismatchesAreReportedAndTheTextGoesOn) {
  TempDir dir("fidelity-mismatch");
  // A stray brace and a stray \end: reported, left out, the text after them kept.
  Converted out = convertSource(dir,
                                "\\documentclass{article}\n\\begin{document}\nOne } two.\n"
                                "\\end{itemize} Three.\n\\begin{quote}Four $x\\end{quote} Five.\n"
                                "\\end{document}\nAfter the end.\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_NE(out.result.err.find("} mismatched with construct started on line"), std::string::npos);
  EXPECT_NE(out.result.err.find("closing env. name (itemize) != opening name (document)"),
            std::string::npos);
  EXPECT_NE(out.result.err.find("\\end mismatched with construct started on line 5"),
            std::string::npos);
  EXPECT_TRUE(hasString(out.mif, " two. "));
  EXPECT_TRUE(hasString(out.mif, "<String `Three. "));
  // The \end of the quote closes the math left open inside it.
  EXPECT_TRUE(hasString(out.mif, "<String `Five. "));
  EXPECT_EQ(out.mif.find("After the end"), std::string::npos);

  // A brace left open before \begin{document} does not end the document's body.
  out = convertSource(dir,
                      "\\documentclass{article}\n{\\bfseries\n\\begin{document}\n"
                      "\\begin{minipage}{\\dimexpr\\linewidth-2cm}In the box.\\end{minipage}\n"
                      "Last words.\n\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(hasString(out.mif, "In the box."));
  EXPECT_TRUE(hasString(out.mif, "Last words. "));

  // A construct open at the end of input: closed, and the text read before it kept.
  out = convertSource(dir,
                      "\\documentclass{article}\n\\begin{document}\n\\begin{itemize}\n"
                      "\\item {\\em open to the end\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_NE(out.result.err.find("construct unclosed when end-of-file reached"), std::string::npos);
  EXPECT_TRUE(hasString(out.mif, "open to the end"));
}

TEST(Fidelity, UserEnvironmentsOpenInTheBeginCodeWhatTheEndCodeCloses) {
  TempDir dir("fidelity-env");
  std::string source =
      "\\documentclass{article}\n"
      "\\newenvironment{syn}{\\begin{center}\\begin{tabular}{l}}{\\end{tabular}\\end{center}}\n"
      "\\begin{document}\n";
  for (int i = 0; i < 60; ++i)
    source +=
        "\\begin{syn}cell" + std::to_string(i) + "\\end{syn} after" + std::to_string(i) + ".\n\n";
  source += "\\end{document}\n";
  Converted out = convertSource(dir, source);
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_EQ(out.result.err.find("closing env. name"), std::string::npos) << out.result.err;
  EXPECT_TRUE(hasString(out.mif, "cell59"));
  EXPECT_TRUE(hasString(out.mif, "after59. "));
}

TEST(Fidelity, RecursionWithoutEndStillStops) {
  TempDir dir("fidelity-recursion");
  Converted out = convertSource(
      dir, "\\documentclass{article}\n\\begin{document}\n\\def\\a{x\\a}\\a\n\\end{document}\n");
  EXPECT_NE(out.result.status, 0);
  EXPECT_NE(out.result.err.find("Macro expansion stack overflow"), std::string::npos);
}

TEST(Fidelity, LetCopiesTheMeaningANameHasNow) {
  TempDir dir("fidelity-let");
  Converted out =
      convertSource(dir,
                    "\\documentclass{article}\n\\begin{document}\n\\def\\a{First}\\let\\b\\a\n"
                    "\\def\\a{Second}\\let\\c=\\textbf \\let\\bgroup={\n"
                    "\\b{} \\a{} \\c{strong} end.\n\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(hasString(out.mif, "First Second "));
  EXPECT_TRUE(hasString(out.mif, "strong"));
  EXPECT_TRUE(hasString(out.mif, " end. "));
}

TEST(Fidelity, ListingsAndShortVerbatimAreText) {
  TempDir dir("fidelity-listings");
  Converted out = convertSource(
      dir,
      "\\documentclass{ltxdoc}\n"
      "\\lstnewenvironment{py}[1][]{}{}\n\\DefineVerbatimEnvironment{Code}{Verbatim}{}\n"
      "\\newenvironment{plain}{\\verbatim}{\\endverbatim}\n"
      "\\begin{filecontents}{x.tex}\nnot in the document\n\\end{filecontents}\n"
      "\\begin{document}\n"
      "\\begin{minted}[lines]{python}\nm { 1\n\\end{minted}\n"
      "\\begin{py}[x]\np } 2\n\\end{py}\n"
      "\\begin{Code}\nc \\section{3}\n\\end{Code}\n"
      "\\begin{plain}\nv \\end{document} 4\n\\end{plain}\n"
      "Short |\\end{x}| verb. \\DeleteShortVerb{\\|}Bar |here.\n"
      "\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  for (const std::string& text : {verbatim("m { 1"), verbatim("p } 2"),
                                  verbatim("c \\\\section{3}"), verbatim("v \\\\end{document} 4"),
                                  std::string("<String `\\\\end{x}"), std::string("Bar |here. ")})
    EXPECT_TRUE(hasString(out.mif, text)) << text;
  EXPECT_EQ(out.mif.find("not in the document"), std::string::npos);
  EXPECT_EQ(out.mif.find("lines"), std::string::npos);
}

TEST(Fidelity, GlueAndBoxSizesAreReadAndIgnored) {
  TempDir dir("fidelity-glue");
  Converted out = convertSource(
      dir,
      "\\documentclass{article}\n\\setlength{\\parskip}{1ex plus 0.5ex minus 0.2ex}\n"
      "\\begin{document}\nA\\vspace{1ex plus 1fil}B \\hspace{0pt plus 1fill}C "
      "\\hbox to \\textwidth{D\\hfil E} \\vbox spread 2pt{F} \\makebox[\\linewidth]{G}\n"
      "\\vskip 2pt plus 1pt H \\parskip=1ex plus 1pt I.\n\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_EQ(out.result.err.find("mismatched"), std::string::npos) << out.result.err;
  EXPECT_EQ(out.result.err.find("length"), std::string::npos) << out.result.err;
  for (const char* word : {"plus", "minus", "fil", "to", "spread", "ex"})
    EXPECT_EQ(out.mif.find(std::string(" ") + word + " "), std::string::npos) << word;
  EXPECT_TRUE(hasString(out.mif, " I. "));
}

}  // namespace
}  // namespace pendra::testing

namespace pendra::testing {
namespace {

// Each file of a document is read in its own encoding: a UTF-8 main file that includes a Latin-1
// file (by a name beyond ASCII) and a file declared cp1252; characters in math, verbatim text and
// index entries.
TEST(Fidelity, EachFileIsReadInItsEncoding) {
  TempDir dir("fidelity-encodings");
  std::ofstream(dir.path / "kapitel-\xC3\xBC.tex", std::ios::binary) << "Gr\xFC\xDF"
                                                                        "e aus M\xFCnchen.\n";
  std::ofstream(dir.path / "win.tex", std::ios::binary)
      << "\\usepackage[cp1252]{inputenc}\n\x93Zitat\x94 \x96 \x80 5.\n";
  Converted out =
      convertSource(dir,
                    "\xEF\xBB\xBF\\documentclass{article}\n\\begin{document}\n"
                    "Caf\xC3\xA9 \\input{kapitel-\xC3\xBC} na\xC3\xAFve.\n\n"
                    "$\xCE\xB1 \xE2\x89\xA4 \xE2\x86\x92$ and $\\alpha \\le \\rightarrow$\n\n"
                    "$\\frac{\xCE\xB1}{2} \xE2\x89\xA4 x$ or $\\frac{\\alpha}{2} \\le x$\n\n"
                    "\\verb|\xC3\xA9\xE2\x80\x94| \\index{M\xC3\xBCller}\n\n"
                    "\\input{win} \xC3\xA9\n\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(hasString(out.mif, "Caf\\x8e  ")) << out.mif;
  EXPECT_TRUE(hasString(out.mif, "Gr\\x9f \\xa7 e aus M\\x9f nchen. "));
  EXPECT_TRUE(hasString(out.mif, "na\\x95 ve. "));
  // The Latin-1 file is reported as such; the UTF-8 one and the declared one are not.
  EXPECT_NE(out.result.err.find("kapitel-\xC3\xBC.tex: 1: this file is not valid UTF-8"),
            std::string::npos)
      << out.result.err;
  EXPECT_EQ(out.result.err.find("doc.tex: 3: this file"), std::string::npos);
  // Greek and relations in math: the same formula as the commands give (one this short is
  // written as text in the Symbol font).
  std::size_t first = out.mif.find("<String `a\\xa3 \\xae ");
  ASSERT_NE(first, std::string::npos) << out.mif;
  EXPECT_NE(out.mif.find("<String `a\\xa3 \\xae ", first + 1), std::string::npos);
  first = out.mif.find("<MathFullForm `");
  ASSERT_NE(first, std::string::npos);
  std::size_t second = out.mif.find("<MathFullForm `", first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(out.mif.substr(first, out.mif.find('\n', first) - first),
            out.mif.substr(second, out.mif.find('\n', second) - second));
  EXPECT_NE(out.mif.find("alpha", first), std::string::npos);
  // Verbatim text and index entries hold FrameRoman characters.
  EXPECT_TRUE(hasString(out.mif, "<String `\\x8e \\xd1 '>"));
  EXPECT_TRUE(hasString(out.mif, "<MText `M\\x9f ller'>"));
  // The declaration in win.tex holds from there on, for the main file too: its UTF-8 e-acute is
  // read as two cp1252 characters.
  EXPECT_TRUE(hasString(out.mif, "\\xd2 Zitat\\xd3  \\xd0  \\xdb  5."));
  EXPECT_TRUE(hasString(out.mif, "\\xcc \\xa9 "));
}

// A label outside ASCII: its marker and its references name it alike, in ASCII (a marker's text
// holds FrameRoman, not the bytes of UTF-8).
TEST(Fidelity, ALabelOutsideAsciiIsReachedAndWrittenInAscii) {
  TempDir dir("fidelity-label");
  Converted out = convertSource(dir,
                                "\\documentclass{article}\n\\begin{document}\n"
                                "\\section{One}\\label{caf\xC3\xA9}\nSee \\ref{caf\xC3\xA9}.\n"
                                "\\end{document}\n");
  EXPECT_EQ(out.result.status, 0) << out.result.err;
  EXPECT_TRUE(hasString(out.mif, "<MText `Label:caf%C3%A9'>")) << out.mif;
  EXPECT_TRUE(hasString(out.mif, "<XRefSrcText `Label:caf%C3%A9'>")) << out.mif;
  EXPECT_FALSE(hasString(out.mif, "caf\xC3"));
}

}  // namespace
}  // namespace pendra::testing
