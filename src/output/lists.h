// Lists and theorems: the item code with its tag choice by environment and list depth, and
// \newtheorem with the numbering stream that all theorem kinds share.
#pragma once

#include <cstddef>

namespace pendra::output {

// Counter positions of the shared theorem numbering stream.
constexpr int kTheoremCounterPositions = 9;

// Item tags of one list environment at one list depth (0: any depth without a row of its own).
struct ItemTagRow {
  const char* environment;
  int depth;
  const char* firstTag;  // the first item of its list
  const char* otherTag;
  int tabs;  // "<Tab>"s after the label
};

constexpr std::size_t kItemTagRowCount = 16;
extern const ItemTagRow kItemTags[kItemTagRowCount];

struct ListState {
  int theoremCount = 0;      // \newtheorem commands so far; names the formats Theorem1, ...
  int theoremSlotCount = 0;  // counter positions handed out
};

ListState& listState();
// Resets the list and theorem state.
void initLists();

// The row for an environment at a list depth; nullptr outside the list environments.
const ItemTagRow* itemTagRow(const char* environment, int depth);

// %I: \item (levels ""), \subitem ("+"), \subsubitem ("++").
void listItemProc(const char* levels);
// %t: \newtheorem{name}[counter]{caption}[within]; %t(*) \newtheorem*{name}{caption}, which
// has no number.
void newTheoremProc(bool unnumbered);

// %l(b): the proof's heading ("Proof." or the optional title, in italics); %l(e): the end mark.
void proofProc(char part);

}  // namespace pendra::output
