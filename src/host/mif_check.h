// The syntax check the host makes on a MIF file before importing it.
#pragma once

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
MifCheckResult checkMif(std::string_view text);

}  // namespace pendra::host
