#include "output/footnotes.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/chars.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

// What a statement in the middle of a paragraph must leave as it found.
struct SavedParagraph {
  int blankLines = outputState().blankLines;
  std::string tag = outputState().currentTag;
  bool tagLineWritten = outputState().tagLineWritten;
  int pendingSpace = outputState().pendingSpace;
  Font font = currentFont();

  void restore() const {
    OutputState& out = outputState();
    out.blankLines = blankLines;
    out.currentTag = tag;
    out.tagLineWritten = tagLineWritten;
    out.pendingSpace = pendingSpace;
    currentFont() = font;
  }
};

using chars::isWhite;
using reader::skipWhiteSpace;

// [placement]: letters up to ']'; a line end or the end of input first is reported.
void skipPlacement() {
  reader::advance();
  while (reader::peekChar() != ']') {
    if (reader::peekChar() == '\n' || reader::peekChar() == '\r' ||
        reader::peekChar() == reader::kEndOfInput) {
      reader::report("missing ']'");
      return;
    }
    reader::advance();
  }
  reader::advance();
  skipWhiteSpace();
}

}  // namespace

void footnoteProc() {
  writeStatementLine("<!FootNote\n");
  SavedParagraph saved;
  runInCurrentMode("%o%E(*footnote)");
  writeStatementLine("> ");
  saved.restore();
}

void floatBody(int ending) {
  const reader::EnvironmentRecord& record = reader::currentEnvironment();
  SavedParagraph saved;
  reader::setCurrentMode(record.mode);
  skipWhiteSpace();
  if (reader::peekChar() == '[') skipPlacement();
  writeStatementLine("<!TextFrame 0 0 ");
  reader::parseUntil(ending);
  writeStatementLine(">\n");
  saved.restore();
}

const FloatKind* enclosingFloat() {
  const std::vector<reader::OpenEnvironment>& open = reader::environmentState().openEnvironments;
  for (auto e = open.rbegin(); e != open.rend(); ++e)
    for (const FloatKind& kind : kFloatKinds)
      if (e->name == kind.name) return &kind;
  return nullptr;
}

// \captionof: the type names a float environment that is not a part of another.
void captionOfProc() {
  std::optional<std::string> type = reader::readWord();
  const FloatKind* found = nullptr;
  for (const FloatKind& kind : kFloatKinds)
    if (type && *type == kind.name && !kind.sub) found = &kind;
  runInCurrentMode("%o");
  if (!found) {
    reader::report("\\captionof: unknown float type '%s'", type ? type->c_str() : "");
    reader::processOneArgument();
    return;
  }
  endParagraph();
  setParagraphTag(found->captionTag);
  // The caption's paragraph goes on to take a \label after it; the next one takes the
  // environment's tag again, as after \centering.
  outputState().aligned = true;
  reader::processOneArgument();
}

void captionProc(const char* argument) {
  if (std::strcmp(argument, "of") == 0) {
    captionOfProc();
    return;
  }
  const char* tag;
  if (const FloatKind* kind = enclosingFloat()) {
    tag = kind->sub ? "Center" : kind->captionTag;
  } else {
    const char* name = reader::currentEnvironment().name;
    bool figure = std::strcmp(name, "figure") == 0 || std::strcmp(name, "figure*") == 0;
    tag = figure ? "Figure" : "Table";
  }
  setParagraphTag(tag);
  reader::processOneArgument();
}

}  // namespace pendra::output
