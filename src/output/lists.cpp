#include "output/lists.h"

#include <cstring>
#include <optional>
#include <string>

#include "output/diversions.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/template.h"
#include "output/xref.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

constexpr const char* kMalformedTheorem = "malformed \\newtheorem command\n";
constexpr const char* kCounterPosition = "+";
constexpr const char* kIdlePosition = "< \\>";

ListState lists;

using reader::skipWhiteSpace;

// The counter position of the theorem environment `name`: one more than the idle positions
// before its counting one; nullopt when `name` is no theorem.
std::optional<int> theoremSlotOf(const std::string& name) {
  const reader::EnvironmentRecord* env = reader::lookupEnvironment(name.c_str());
  if (!env || !env->paragraphTag) return std::nullopt;
  const RegisteredFormat* format = newestFormat(env->paragraphTag);
  if (!format || !format->numberFormat || format->numberFormat->rfind("Z:", 0) != 0)
    return std::nullopt;
  const std::string& text = *format->numberFormat;
  std::size_t plus = text.find('+');
  if (plus == std::string::npos) return std::nullopt;
  int slot = 1;
  for (std::size_t i = 0; i < plus; ++i)
    if (text[i] == '<') ++slot;
  return slot;
}

int newTheoremSlot() {
  if (lists.theoremSlotCount >= kTheoremCounterPositions) {
    reader::report("more than %d theorem counters; the last one is shared",
                   kTheoremCounterPositions);
    return kTheoremCounterPositions;
  }
  return ++lists.theoremSlotCount;
}

// The caption as number format text: the bytes that number formats and MLP strings give a
// meaning of their own are left out, so that the counter positions are all the '<'s there are.
std::string captionText(const std::string& caption) {
  std::string text;
  for (char c : caption)
    if (c != '<' && c != '>' && c != '"' && c != '\\' && c != '\n' && c != '\t') text += c;
  return text;
}

// Slot 0: a theorem without a number (\newtheorem*).
void defineTheorem(const std::string& name, int slot, const std::string& caption) {
  const reader::EnvironmentRecord* pattern = reader::lookupEnvironment("*theorem");
  if (!pattern) return;
  reader::EnvironmentRecord& record = reader::defineEnvironment(name.c_str(), *pattern);
  record.beginTemplate = "%T%U()";
  ++lists.theoremCount;
  std::string tag = "Theorem" + std::to_string(lists.theoremCount);
  record.paragraphTag = reader::keepText(tag);

  const RegisteredFormat* firstBody = newestFormat("FirstBody");
  RegisteredFormat format = firstBody ? *firstBody : RegisteredFormat{};
  format.name = tag;
  format.used = false;
  std::string number = "Z:";
  number += captionText(caption);
  number += ' ';
  if (slot > 0) {
    for (int position = 1; position <= kTheoremCounterPositions; ++position)
      number += position == slot ? kCounterPosition : kIdlePosition;
    number += ' ';
  }
  format.numberFormat = number;
  format.numberFont = "bf";
  registerFormat(std::move(format));
}

}  // namespace

ListState& listState() {
  return lists;
}

void initLists() {
  lists = ListState{};
}

const ItemTagRow* itemTagRow(const char* environment, int depth) {
  const ItemTagRow* fallback = nullptr;
  for (const ItemTagRow& row : kItemTags) {
    if (std::strcmp(row.environment, environment) != 0) continue;
    if (row.depth == depth) return &row;
    if (row.depth == 0) fallback = &row;
  }
  return fallback;
}

void listItemProc(const char* levels) {
  endParagraph();
  int subLevel = 0;
  while (levels[subLevel] == '+') ++subLevel;
  if (levels[subLevel]) runInCurrentMode(levels + subLevel);

  reader::EnvironmentState& env = reader::environmentState();
  int tabs = subLevel;
  if (const ItemTagRow* row = itemTagRow(env.current->name, env.listDepth)) {
    setParagraphTag(env.firstItem ? row->firstTag : row->otherTag);
    tabs += row->tabs;
  }
  runInCurrentMode("%s(B)%q%0% ");
  for (int i = 0; i < tabs; ++i) writeRawString("<Tab>");
  env.firstItem = false;
}

// The environment and its format are made only when every argument is there: a half-read
// command leaves no theorem whose paragraphs name a format that was never registered.
void proofProc(char part) {
  if (part == 'e') {
    runInCurrentMode(R"(%)"
                     "\x08"
                     R"( %f(T)\xd7 %0)");
    return;
  }
  skipWhiteSpace();
  if (reader::peekChar() == '[')
    runInCurrentMode("%s(I)%q.%0 ");
  else
    runInCurrentMode("%s(I)Proof.%0 ");
}

void newTheoremProc(bool unnumbered) {
  std::optional<std::string> name = reader::readWord();
  if (!name) {
    reader::report("%s", kMalformedTheorem);
    return;
  }
  skipWhiteSpace();
  std::optional<int> slot;
  if (!unnumbered && reader::peekChar() == '[') {
    std::optional<std::string> counter = reader::readWord();
    if (!counter) {
      reader::report("%s", kMalformedTheorem);
      return;
    }
    slot = theoremSlotOf(*counter);
    if (!slot)
      reader::report("\\newtheorem counter %s names no theorem; %s is numbered on its own",
                     counter->c_str(), name->c_str());
  }
  skipWhiteSpace();
  if (reader::peekChar() != '{') {
    reader::report("%s", kMalformedTheorem);
    return;
  }
  std::optional<std::string> caption = reader::readTextArgument();
  if (!caption) {
    reader::report("%s", kMalformedTheorem);
    return;
  }
  skipWhiteSpace();
  if (reader::peekChar() == '[') reader::readBracketArgument();
  defineTheorem(*name, unnumbered ? 0 : slot ? *slot : newTheoremSlot(), *caption);
}

}  // namespace pendra::output
