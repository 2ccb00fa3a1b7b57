#include "generate.h"

#include <array>
#include <random>

namespace pendra::bench {

namespace {

constexpr std::array kWords = {"the",
                               "drainage",
                               "of",
                               "clay",
                               "soils",
                               "was",
                               "measured",
                               "near",
                               "three",
                               "fields",
                               "and",
                               "water",
                               "table",
                               "after",
                               "rain",
                               "slope",
                               "pits",
                               "\\'etude",
                               "na\\\"ive",
                               "caf\\'e",
                               "results",
                               "show",
                               "that",
                               "tiles",
                               "reduce",
                               "time",
                               "by",
                               "half",
                               "``quoted''",
                               "--",
                               "---",
                               "\\emph{stress}",
                               "\\textbf{bold}",
                               "\\mypair{a}{b}",
                               "$x^2$",
                               "$a_i + b_i$",
                               "$\\frac{1}{n}$",
                               "$\\alpha$",
                               "\\S",
                               "M\\\"uller",
                               "1987"};

class Writer {
 public:
  Writer(std::size_t bytes, std::uint32_t seed) : target_(bytes), rng_(seed) {}

  std::string run() {
    out_ += "\\documentclass[11pt,a4paper]{article}\n";
    out_ += "\\newcommand{\\mypair}[2]{(#1, #2)}\n\\newcommand{\\unit}{\\,m}\n";
    out_ += "\\title{Generated Article}\\author{A. Writer \\and B. Reader}\\date{2026}\n";
    out_ += "\\begin{document}\n\\maketitle\n";
    int section = 0;
    while (out_.size() + 64 < target_) {
      ++section;
      out_ += "\\section{Section " + std::to_string(section) +
              "}\\label{sec:" + std::to_string(section) + "}\n";
      for (int block = 0; block < 12 && out_.size() + 64 < target_; ++block) {
        switch (pick(10)) {
          case 0:
            list();
            break;
          case 1:
            table();
            break;
          case 2:
            display();
            break;
          default:
            paragraph(section);
            break;
        }
      }
    }
    out_ += "\\end{document}\n";
    return out_;
  }

 private:
  unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }
  void words(int n) {
    for (int i = 0; i < n; ++i) {
      if (i) out_ += ' ';
      out_ += kWords[pick(kWords.size())];
    }
  }
  void paragraph(int section) {
    int sentences = 3 + static_cast<int>(pick(4));
    for (int s = 0; s < sentences; ++s) {
      words(8 + static_cast<int>(pick(10)));
      if (pick(12) == 0) {
        out_ += "\\footnote{";
        words(6);
        out_ += ".}";
      }
      if (pick(15) == 0) out_ += " (see Section~\\ref{sec:" + std::to_string(section) + "})";
      out_ += ".\n";
    }
    out_ += '\n';
  }
  void list() {
    const char* kind = pick(2) ? "itemize" : "enumerate";
    out_ += std::string("\\begin{") + kind + "}\n";
    for (int i = 0, n = 2 + static_cast<int>(pick(4)); i < n; ++i) {
      out_ += "\\item ";
      words(6 + static_cast<int>(pick(6)));
      out_ += '\n';
    }
    out_ += std::string("\\end{") + kind + "}\n\n";
  }
  void table() {
    out_ += "\\begin{tabular}{|l|c|r|}\\hline\n";
    for (int r = 0; r < 3; ++r) {
      words(1);
      out_ += " & ";
      words(1);
      out_ += " & " + std::to_string(pick(1000)) + " \\\\\n";
    }
    out_ += "\\hline\\end{tabular}\n\n";
  }
  void display() {
    out_ += "\\begin{equation}\\label{eq:" + std::to_string(equation_++) +
            "} \\sum_{i=1}^{n} x_i^2 = \\frac{a+b}{c} \\end{equation}\n\n";
  }

  std::size_t target_;
  std::mt19937 rng_;
  std::string out_;
  int equation_ = 0;
};

}  // namespace

std::string generateArticle(std::size_t bytes, std::uint32_t seed) {
  return Writer(bytes, seed).run();
}

}  // namespace pendra::bench
