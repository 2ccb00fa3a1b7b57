#include "reader/packages.h"

#include <string>
#include <vector>

#include "reader/construct.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/package_table.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"
#include "reader/unicode.h"

namespace pendra::reader {

namespace {

struct PackageState {
  std::vector<bool> loaded = std::vector<bool>(kPackages.size(), false);
};

PackageState packages;

// Calls `each` with every name of a comma-separated list, blanks removed.
template <typename Each>
void forEachListed(std::string_view list, Each each) {
  std::string name;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    char c = i < list.size() ? list[i] : ',';
    if (c == ',') {
      if (!name.empty()) each(std::string_view(name));
      name.clear();
    } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
      name += c;
    }
  }
}

// The braced list of names after \usepackage, read as text. A list holds no blank line: at one
// the list is reported as unclosed and ends there, so that a missing brace loses no text.
std::string readNameList() {
  ReaderState& rd = readerState();
  std::string list;
  advance();  // the opening brace
  int lineEnds = 0;
  while (rd.currentChar != '}') {
    int c = rd.currentChar;
    if (c == kEndOfInput || lineEnds > 1) {
      report("unclosed list of packages");
      return list;
    }
    if (c == '\n')
      ++lineEnds;
    else if (c != ' ' && c != '\t' && c != '\r')
      lineEnds = 0;
    if (c == '%') {
      while (rd.currentChar != '\n' && rd.currentChar != kEndOfInput) advance();
      continue;
    }
    if (list.size() < kPackageListMax) list += static_cast<char>(c);
    advance();
  }
  advance();  // the closing brace
  return list;
}

void load(std::string_view name, int depth) {
  if (depth > kPackageLoadDepthMax) return;
  for (std::size_t i = 0; i < kPackages.size(); ++i) {
    const PackageRows& package = kPackages[i];
    if (name != package.name) continue;
    if (packages.loaded[i]) return;
    packages.loaded[i] = true;
    for (const BuiltinCommand& row : package.rows) {
      std::string rowName = row.name;
      if (lookup(rowName) == nullptr) newGlobalRecord(std::move(rowName), row.tmpl);
    }
    forEachListed(package.alsoLoads, [depth](std::string_view other) { load(other, depth + 1); });
    return;
  }
}

// inputenc's option names the encoding of the rest of the document (the last one known counts).
void declareEncoding(std::string_view options) {
  forEachListed(options, [](std::string_view option) {
    Encoding encoding;
    if (encodingOfOption(option, encoding)) {
      declareInputEncoding(encoding);
      return;
    }
    report("input encoding %.*s is not known: its characters beyond ASCII are written as %s",
           static_cast<int>(option.size()), option.data(), kPlaceholder);
    declareInputEncoding(Encoding::kUnknown);
  });
}

}  // namespace

void initPackages() {
  packages = PackageState{};
}

void usePackageProc() {
  skipWhiteSpace();
  std::string options = readBracketArgument();
  skipWhiteSpace();
  if (readerState().currentChar != '{') {
    // A single character stands for the list, as it does for TeX; a command is left to run.
    if (readerState().currentChar == '\\')
      report("missing list of packages");
    else
      skipArgument('{');
    return;
  }
  std::string names = readNameList();
  // The encoding holds from the byte after the list on, before the line end is read.
  forEachListed(names, [&options](std::string_view name) {
    if (name == "inputenc") declareEncoding(options);
  });
  skipWhiteSpace();
  readBracketArgument();  // the version date
  forEachListed(names, [](std::string_view name) { load(name, 0); });
}

void loadPackage(std::string_view name) {
  load(name, 0);
}

void loadClassPackages(std::string_view name) {
  for (const ClassPackages& row : kClassPackages)
    if (name == row.name) forEachListed(row.packages, [](std::string_view p) { load(p, 0); });
}

}  // namespace pendra::reader
