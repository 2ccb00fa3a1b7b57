// Checks on MLP text shared by the tests of the stages that write it.
#pragma once

#include <string>

namespace pendra::testing {

// Statements open and close in pairs: '<' and '>' outside escapes balance, never going below 0.
inline bool balanced(const std::string& mlp) {
  int depth = 0;
  for (std::size_t i = 0; i < mlp.size(); ++i) {
    if (mlp[i] == '\\') {
      ++i;
    } else if (mlp[i] == '<') {
      ++depth;
    } else if (mlp[i] == '>' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

}  // namespace pendra::testing
