// Conditionals: \newif and its \iffoo, the primitive tests (\iftrue, \ifx, \ifnum...), \else and
// \fi; ifthen's \ifthenelse and booleans; LaTeX's \@ifundefined, \@ifstar, \@ifnextchar;
// xparse's \IfBooleanTF and \IfNoValueTF; the comment package's environments.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace pendra::reader {

// Conditionals open at once; one opened past it is read, and its \fi is then reported.
constexpr std::size_t kMaxConditionalDepth = 255;
// Nested \not and \( in a test of \ifthenelse.
constexpr int kMaxTestDepth = 64;

struct ConditionalState {
  // The conditionals whose branch is being read, innermost last: 't' the true branch (an \else
  // ends it), 'e' the \else branch.
  std::vector<char> open;
  std::unordered_map<std::string, bool> booleans;  // \newif's and \newboolean's, by name
  bool depthReported = false;
};

ConditionalState& conditionalState();
void initConditionals();

// %F(k) for the conditionals: runs the one `kind` names and says true, or says false when it
// names none.
bool conditionalProc(const char* kind);
// The comment environment's body: its text up to its \end is left out.
void commentBody(int ending);

}  // namespace pendra::reader
