#include "output/xref.h"

#include <memory>
#include <vector>

#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

XRefState xref;

using reader::skipWhiteSpace;

// A key as the operand of an MLP string: quotes and backslashes escaped, cut to kXRefKeyMax.
std::string stringOperand(const std::string& key) {
  std::string text;
  for (std::size_t i = 0; i < key.size() && i < kXRefKeyMax; ++i) {
    if (key[i] == '"' || key[i] == '\\') text += '\\';
    text += key[i];
  }
  return text;
}

std::string trimmed(const std::string& text) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

void writeMarker(const char* space, const std::string& key) {
  writeInlineStatement("marker", "<mtype 9> <mtext \"%s:%s\">", space, stringOperand(key).c_str());
}

void writeXRef(const char* format, const std::string& key) {
  writeInlineStatement("!xref", "%s \"%s\"", format, stringOperand(key).c_str());
}

void writeCitation(const std::string& keys) {
  writeRawByte('[');
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = keys.find(',', start);
    std::string part = trimmed(keys.substr(start, comma - start));
    writeXRef("Number", "Ref:" + part);
    if (comma == std::string::npos) break;
    writeRawByte(',');
    start = comma + 1;
  }
  if (xref.pendingNote && !xref.pendingNote->empty()) {
    // The note is read next as LaTeX text, after the references.
    auto text = std::make_shared<const std::string>(", " + *xref.pendingNote + "]");
    xref.pendingNote.reset();
    reader::startExpansion(std::move(text), {}, 0);
  } else {
    writeRawByte(']');
  }
}

}  // namespace

XRefState& xrefState() {
  return xref;
}

void initCrossReferences() {
  xref = XRefState{};
}

void XRefProc(const char* kind) {
  xref.pendingNote.reset();
  char c = kind[0];
  if (c == 'B' || c == 'C') {
    skipWhiteSpace();
    if (reader::readerState().currentChar == '[') xref.pendingNote = reader::readTextArgument();
  }
  skipWhiteSpace();
  std::optional<std::string> key;
  if (reader::readerState().currentChar == '{') key = reader::readTextArgument();
  if (!key || key->empty()) {
    reader::report("missing/malformed argument");
    return;
  }
  switch (c) {
    case 'B':
      runInCurrentMode("%g(Reference)% ");
      startParagraphIfNeeded();
      writeMarker("Ref", *key);
      xref.pendingNote.reset();
      break;
    case 'C':
      writeCitation(*key);
      break;
    case 'L':
      if (reader::currentMode() == reader::kMathMode ||
          reader::currentMode() == reader::kMathArrayMode)
        xref.pendingEquationLabel = *key;
      else
        writeMarker("Label", *key);
      xref.pendingNote.reset();
      break;
    case 'P':
      writeXRef("PageNumber", "Label:" + *key);
      break;
    case 'R':
      writeXRef("SectionNumber", "Label:" + *key);
      break;
    default:
      reader::report("bad control for XRefProc");
      break;
  }
}

std::optional<std::string> takePendingEquationLabel() {
  std::optional<std::string> label = std::move(xref.pendingEquationLabel);
  xref.pendingEquationLabel.reset();
  return label;
}

}  // namespace pendra::output
