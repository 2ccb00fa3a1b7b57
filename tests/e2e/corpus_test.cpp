// Converts every document of the shared corpus of real LaTeX files: none may crash or hang.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace pendra {
namespace {

namespace fs = std::filesystem;

constexpr int kSecondsPerDocument = 60;
// Sanitizer reports exit with this status, apart from every status pendra itself uses.
constexpr int kSanitizerExit = 86;

fs::path corpusDir() {
  return fs::path(PENDRA_SOURCE_DIR) / ".." / "shared" / "corpus";
}

// Words the source writes as text near its end: runs of at least kMinWordLetters letters, not the
// name of a command, from the lines before \end{document} (comments left out), the last first.
constexpr std::size_t kMinWordLetters = 4;
constexpr std::size_t kLastWords = 8;

std::vector<std::string> lastWords(const std::string& source) {
  std::size_t end = source.find("\\end{document}");
  if (end == std::string::npos) end = source.size();
  std::size_t begin = source.find("\\begin{document}");
  std::size_t first = begin == std::string::npos || begin > end ? 0 : begin;
  std::vector<std::string> words;
  std::size_t lineEnd = end;
  while (lineEnd > first && words.size() < kLastWords) {
    std::size_t lineStart = source.rfind('\n', lineEnd - 1);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    std::string line = source.substr(lineStart, lineEnd - lineStart);
    for (std::size_t i = 0; i < line.size(); ++i)
      if (line[i] == '%' && (i == 0 || line[i - 1] != '\\')) {
        line.resize(i);
        break;
      }
    // Math and the names after \\begin and \\end are not text.
    bool math = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '$') {
        ++i;
        continue;
      }
      if (line[i] == '$') {
        math = !math;
        if (i + 1 < line.size() && line[i + 1] == '$') ++i;
      }
      bool begin = line.compare(i, 7, "\\begin{") == 0;
      if (begin || line.compare(i, 5, "\\end{") == 0) {
        // The name, and after \\begin an argument such as a tabular's columns.
        std::size_t close = line.find('}', i);
        if (begin && close != std::string::npos && close + 1 < line.size() &&
            line[close + 1] == '{')
          close = line.find('}', close + 1);
        std::size_t stop = close == std::string::npos ? line.size() : close;
        for (; i < stop; ++i) line[i] = ' ';
      }
      if (math && i < line.size()) line[i] = ' ';
    }
    // The keys of citations and references and the names of files and labels are no text.
    for (std::size_t i = line.find('\\'); i != std::string::npos; i = line.find('\\', i + 1)) {
      std::size_t name = i + 1;
      while (name < line.size() && std::isalpha(static_cast<unsigned char>(line[name]))) ++name;
      std::string command = line.substr(i + 1, name - i - 1);
      bool key = command.find("cite") != std::string::npos ||
                 command.find("ref") != std::string::npos || command == "label" ||
                 command == "bibliography" || command == "input" || command == "include";
      if (!key || name >= line.size() || line[name] != '{') continue;
      std::size_t close = line.find('}', name);
      std::size_t stop = close == std::string::npos ? line.size() : close;
      for (std::size_t k = name; k < stop; ++k) line[k] = ' ';
    }
    std::vector<std::string> inLine;
    for (std::size_t i = 0; i < line.size();) {
      if (!std::isalpha(static_cast<unsigned char>(line[i]))) {
        ++i;
        continue;
      }
      std::size_t start = i;
      while (i < line.size() && std::isalpha(static_cast<unsigned char>(line[i]))) ++i;
      bool command = start > 0 && line[start - 1] == '\\';
      // Letters beside bytes of another encoding than ASCII are part of a word spelled there.
      bool foreign = (start > 0 && static_cast<unsigned char>(line[start - 1]) >= 0x80) ||
                     (i < line.size() && static_cast<unsigned char>(line[i]) >= 0x80);
      // Words with accents written as commands (\\^etre, Fran\\c{c}ais) are spelled otherwise.
      bool accented = (start > 1 && line[start - 2] == '\\' &&
                       std::string("'`^\"~=.").find(line[start - 1]) != std::string::npos) ||
                      (i < line.size() && line[i] == '\\');
      if (foreign || accented) continue;
      if (!command && i - start >= kMinWordLetters) inLine.push_back(line.substr(start, i - start));
    }
    for (auto w = inLine.rbegin(); w != inLine.rend() && words.size() < kLastWords; ++w)
      words.push_back(*w);
    lineEnd = lineStart == 0 ? 0 : lineStart - 1;
  }
  return words;
}

// Whether `words` are in the MIF file's text strings: the document's last words arrived.
bool lastWordsArrived(const std::vector<std::string>& words, const std::string& mif) {
  std::string text;
  for (std::size_t at = mif.find("<String `"); at != std::string::npos;
       at = mif.find("<String `", at + 1)) {
    std::size_t close = mif.find("'>", at);
    if (close == std::string::npos) break;
    text.append(mif, at + 9, close - at - 9);
  }
  // Half of them: a word may stand in an argument that is no text (a label, a file name).
  std::size_t found = 0;
  for (const std::string& w : words)
    if (text.find(w) != std::string::npos) ++found;
  return 2 * found >= words.size();
}

TEST(Corpus, EveryDocumentConvertsWithoutACrashOrAHang) {
  std::vector<fs::path> sources;
  if (fs::is_directory(corpusDir()))
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir()))
      if (entry.is_regular_file() && entry.path().extension() == ".tex")
        sources.push_back(entry.path());
  if (sources.empty()) GTEST_SKIP() << "no corpus at " << corpusDir();
  testing::TempDir out("corpus");
  int converted = 0;
  for (const fs::path& source : sources) {
    std::string args = "-q -o '" + (out.path / "out.mif").string() + "' '" + source.string() + "'";
    std::string env = "ASAN_OPTIONS=exitcode=" + std::to_string(kSanitizerExit) +
                      " UBSAN_OPTIONS=exitcode=" + std::to_string(kSanitizerExit) + " timeout " +
                      std::to_string(kSecondsPerDocument);
    testing::CommandResult r = testing::runPendra(args, out.path, env);
    // 0: a document; 3: no document. No document stops in an unrecoverable state (1).
    EXPECT_TRUE(r.status == 0 || r.status == 3)
        << source.filename() << " exited with " << r.status << "\n"
        << r.err.substr(r.err.size() > 4000 ? r.err.size() - 4000 : 0);
    if (r.status != 0) continue;
    ++converted;
    // No document ends early: the words written last in its source arrive. include.tex ends
    // with files whose lines end in a carriage return alone, which are not read whole (known).
    if (source.filename() == "include.tex") continue;
    std::vector<std::string> words = lastWords(testing::slurp(source));
    EXPECT_TRUE(lastWordsArrived(words, testing::slurp(out.path / "out.mif")))
        << source.filename() << " ends early; its last words did not arrive:" << [&words] {
             std::string all;
             for (const std::string& w : words) all += " " + w;
             return all;
           }();
  }
  EXPECT_GT(converted, 0);
  std::printf("converted %d of %zu corpus documents\n", converted, sources.size());
}

}  // namespace
}  // namespace pendra
