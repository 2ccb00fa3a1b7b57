// The syntax check the host makes on a MIF file before importing it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pendra::host {

struct MifCheckResult {
  bool ok = true;
  int line = 0;         // the line of the first fault
  std::string message;  // what is wrong there
};

// Statements "<Name values... >" nested to any depth, strings in backquote and quote with MIF
// escapes, and '#' comments to the end of the line; the file starts with a MIFFile statement.
//
// The file is fed in blocks of any size and checked as it arrives: no token of MIF runs across a
// line end, so whole lines are checked at once and only an unfinished last line is held back.
class MifChecker {
 public:
  void feed(const char* data, std::size_t size);
  // Checks what is held back and gives the verdict on the whole file.
  MifCheckResult finish();

 private:
  // Checks text that ends in a line feed; `addedLineEnd` when that line feed was added after the
  // last line of the file, which has none.
  void scan(std::string_view text, bool addedLineEnd = false);
  void fail(const char* message);

  MifCheckResult result_;
  std::string pending_;  // the unfinished line
  bool started_ = false;
  int line_ = 1;
  long depth_ = 0;
};

MifCheckResult checkMif(std::string_view text);

}  // namespace pendra::host
