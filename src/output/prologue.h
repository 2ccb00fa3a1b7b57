// The MLP prologue: page layout from the document class options, and the definitions of the
// character and paragraph formats the body used.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "fdk/fdk.h"

namespace pendra::output {

constexpr std::size_t kOptionNameMax = 255;  // characters kept of a class option or class name

struct LayoutState {
  std::optional<std::string> pageWidth;  // texts of the option table, with their unit
  std::optional<std::string> pageHeight;
  bool landscape = false;
  int columns = 1;
  int sides = 1;
};

LayoutState& layoutState();
void initLayout();
// Changes only what is given: texts when present, landscape when set, counts when above 0.
void setLayout(const char* width, const char* height, bool landscape, int columns, int sides);

struct ClassOption {
  const char* name;
  int documentSize;  // -1: unchanged
  const char* width;
  const char* height;
  bool landscape;
  int columns;
  int sides;
  bool german;
};

constexpr std::size_t kClassOptionCount = 15;
extern const ClassOption kClassOptions[kClassOptionCount];

// %Y and %d: \documentclass and \documentstyle.
void documentClassProc();
// Applies one class option; unknown names change nothing.
void applyClassOption(const char* name);

struct PrologueText {
  int lines = 0;                         // line feeds written
  int statements = 0;                    // statements at the top level, a line each
  std::vector<std::string> formatOrder;  // the paragraph formats, in the order defined
};

// `all` defines every format, not only the used.
PrologueText writePrologue(ChannelT mlp, int all);

// A definition of the prologue, as it would be written now.
struct Definition {
  std::string name;
  std::string text;
  long place = -1;  // a paragraph format's place in the registry; -1 for a font
};

// The definitions of the formats first used since the last call, as the prologue would write
// them now (a translation that runs beside the reading takes them ahead of the body that uses
// them). Nothing is reported and nothing changes but what was handed out.
void takeNewDefinitions(std::vector<Definition>& into);
// Every definition writePrologue writes now, in its order.
std::vector<Definition> prologueDefinitions();

}  // namespace pendra::output
