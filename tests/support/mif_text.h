// Reading a converted document's MIF text in tests.
#pragma once

#include <cstddef>
#include <string>

namespace pendra::testing {

// The MIF statements named `name`: "<name" followed by a blank or the line's end.
inline std::size_t statements(const std::string& mif, const std::string& name) {
  std::size_t n = 0;
  std::string open = "<" + name;
  for (std::size_t at = mif.find(open); at != std::string::npos; at = mif.find(open, at + 1)) {
    char after = at + open.size() < mif.size() ? mif[at + open.size()] : '\n';
    if (after == ' ' || after == '\n') ++n;
  }
  return n;
}

}  // namespace pendra::testing
