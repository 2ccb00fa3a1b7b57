// The second stage translating the body beside the first: the saved document and the console
// are those of the translation of the finished MLP file, whether the result built beside was
// kept or given up for that translation; and it is kept where nothing stands against it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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

struct Outcome : testing::InProcessResult {
  bool beside = false;  // the document was translated beside the reading
};

// Converts `source` in this process as the pendra command does; `finished` has the MLP file kept,
// which has the finished file translated.
Outcome convert(const fs::path& source, bool finished, const fs::path& scratch) {
  driver::DriverOptions options;
  options.progressTrace = false;
  if (finished) options.keepMlpPath = (scratch / "kept.mlp").string();
  Outcome outcome;
  static_cast<testing::InProcessResult&>(outcome) =
      testing::convertInProcess(source, options, scratch.string());
  outcome.beside = driver::translatedAlongside();
  return outcome;
}

class Alongside : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SOURCE_DATE_EPOCH", "1700000000", 1); }

  // Converts `text` both ways; the result built beside must equal the finished file's.
  Outcome both(const std::string& text) {
    testing::TempDir dir("alongside");
    dir.write("doc.tex", text);
    Outcome beside = convert(dir.path / "doc.tex", false, dir.path);
    Outcome finished = convert(dir.path / "doc.tex", true, dir.path);
    EXPECT_FALSE(finished.beside);
    EXPECT_EQ(beside.stopped, finished.stopped);
    EXPECT_EQ(beside.console, finished.console);
    EXPECT_EQ(beside.document, finished.document);
    return beside;
  }
};

// Paragraphs of prose enough to fill `bytes` of MLP, so that the body goes over in several chunks.
std::string prose(std::size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i)
    text += "Paragraph " + std::to_string(i) + " of plain prose, with nothing in it.\n\n";
  return text;
}

const char* const kMixed = R"(\documentclass{article}
\begin{document}
\section{Start}
Text with \emph{emphasis}, \textbf{bold} and a footnote\footnote{A note.}.
\begin{itemize}
\item one
\begin{itemize}\item inner\end{itemize}
\item two
\end{itemize}
\begin{enumerate}\item first\end{enumerate}
\begin{description}\item[term] meaning\end{description}
\begin{tabular}{|l|c|}\hline a & b\\ \hline\end{tabular}
\begin{equation}\label{e} x^2 + y^2 = z^2\end{equation}
See (\ref{e}).
\begin{figure}\centering\fbox{x}\caption{A figure}\end{figure}
\subsection{More}
\begin{quote}Quoted.\end{quote}
\begin{verbatim}
code
\end{verbatim}
\end{document}
)";

TEST_F(Alongside, AnOrdinaryDocumentIsTranslatedBesideTheReading) {
  EXPECT_TRUE(both(kMixed).beside);
  // Long enough for the body to go over in many chunks, formats first used in later ones.
  std::string text = std::string("\\documentclass{article}\\begin{document}\n") + prose(200000) +
                     "\\section{Late}\\begin{itemize}\\item late\\end{itemize}\n" + prose(100000) +
                     "\\begin{center}centred\\end{center}\\end{document}\n";
  Outcome out = both(text);
  EXPECT_TRUE(out.beside);
  EXPECT_NE(out.console.find("Processing complete --"), std::string::npos);
}

TEST_F(Alongside, ABodyThatBeginsOtherwiseThanWithAFormatTakesThePrologueFont) {
  // A table, a display, running text and a space come before any format's statement.
  EXPECT_TRUE(both("\\begin{tabular}{l}x\\end{tabular}\n\nText.\n").beside);
  both("\\[x\\]\n\\[y\\]\n\\[z\\]\nText after three displays.\n\n\\section{S} More.\n");
  both(" Text at once.\n\\section{S}\\begin{itemize}\\item i\\end{itemize}\n");
  // The author's format with its large font is the prologue's last paragraph format.
  both(
      "\\documentclass{article}\\author{Me}\\title{T}\\begin{document}\\maketitle\n"
      "\\begin{tabular}{l}x\\end{tabular}\n\\end{document}\n");
}

TEST_F(Alongside, WhatTheFinishedPrologueWouldChangeHasTheFinishedFileTranslated) {
  // A bullet character before the list whose format takes the bullet statement's name.
  both("A \\textbullet\\ here.\n\\begin{itemize}\\item x\\end{itemize}\n");
  // \parindent changed after the body's first chunk went over with the Body format.
  EXPECT_FALSE(both(prose(100000) + "\\setlength{\\parindent}{0pt}\nLast.\n").beside);
  // A message of the translation.
  both("\\begin{picture}(10,10)\\put(0,0){\\line(1,1){5}}\\end{picture} and more\n");
}

TEST_F(Alongside, AStopInTheFirstStageEndsTheTranslationBesideIt) {
  Outcome out = both(prose(200000) + "\\def\\a{x\\a}\\a\n");
  EXPECT_TRUE(out.stopped);
  EXPECT_TRUE(out.document.empty());
}

fs::path corpusDir() {
  return fs::path(PENDRA_SOURCE_DIR) / ".." / "shared" / "corpus";
}

TEST_F(Alongside, EveryCorpusDocumentGivesWhatTheFinishedFileGives) {
  std::vector<fs::path> sources;
  if (fs::exists(corpusDir()))
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir()))
      if (entry.path().extension() == ".tex") sources.push_back(entry.path());
  if (sources.empty()) GTEST_SKIP() << "no corpus at " << corpusDir();
  testing::TempDir scratch("alongside-corpus");
  int kept = 0;
  for (const fs::path& source : sources) {
    Outcome beside = convert(source, false, scratch.path);
    Outcome finished = convert(source, true, scratch.path);
    EXPECT_EQ(beside.document, finished.document) << source;
    EXPECT_EQ(beside.console, finished.console) << source;
    kept += beside.beside;
  }
  std::printf("%d of %zu documents kept the translation beside the reading\n", kept,
              sources.size());
  // Nearly every document keeps the translation made beside the reading.
  EXPECT_GE(kept * 10, static_cast<int>(sources.size()) * 9);
}

}  // namespace
}  // namespace pendra
