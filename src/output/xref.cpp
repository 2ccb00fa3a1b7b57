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
// A byte outside ASCII (keys are UTF-8 after the reader) is written as %XX, as a URL writes it:
// a marker's text holds FrameRoman, not UTF-8, and the label and its references must still
// name the same marker.
std::string stringOperand(const std::string& key) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < key.size() && i < kXRefKeyMax; ++i) {
    auto byte = static_cast<unsigned char>(key[i]);
    if (byte >= 0x80) {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
      continue;
    }
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

// A pre-note as plain text: a tie or a control space is a space.
void writePreNote(const std::string& note) {
  std::string text;
  for (std::size_t i = 0; i < note.size(); ++i) {
    if (note[i] == '~') {
      text += ' ';
    } else if (note[i] == '\\' && i + 1 < note.size() && note[i + 1] == ' ') {
      text += ' ';
      ++i;
    } else {
      text += note[i];
    }
  }
  text = trimmed(text);
  if (text.empty()) return;
  writeTextString(text.c_str());
  writeRawByte(' ');
}

void writeCitation(const std::string& keys, const std::string& preNote = {}) {
  writeRawByte('[');
  writePreNote(preNote);
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

// Cross-references to each label of a comma-separated list, separated as the list is.
void writeReferenceList(const std::string& keys) {
  std::size_t start = 0;
  for (int count = 0;; ++count) {
    std::size_t comma = keys.find(',', start);
    std::string part = trimmed(keys.substr(start, comma - start));
    if (!part.empty()) {
      if (count > 0) writeTextString(", ");
      writeXRef("SectionNumber", "Label:" + part);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

// The .bbl file of the bibliography: the one named after the main file (as BibTeX writes it),
// else one named after a listed database. Reported once when there is none.
void bibliographyProc(const std::string& names) {
  std::vector<std::string> candidates;
  std::string main = reader::mainFileName();
  std::size_t slash = main.find_last_of('/');
  if (slash != std::string::npos) main.erase(0, slash + 1);
  std::size_t dot = main.rfind('.');
  if (dot != std::string::npos && dot > 0) main.erase(dot);
  if (!main.empty()) candidates.push_back(main + ".bbl");
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = names.find(',', start);
    std::string name = trimmed(names.substr(start, comma - start));
    if (!name.empty()) candidates.push_back(name + ".bbl");
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  for (const std::string& file : candidates)
    if (reader::pushFileIfFound(file.c_str())) return;
  if (xref.bibliographyNoted) return;
  xref.bibliographyNoted = true;
  reader::report("no %s beside the source: the bibliography is left out (BibTeX writes it)",
                 candidates.empty() ? "bibliography file" : candidates.front().c_str());
}

}  // namespace

void generatedListProc() {
  std::string name = reader::tokenText();
  for (const std::string& noted : xref.generatedListsNoted)
    if (noted == name) return;
  xref.generatedListsNoted.push_back(name);
  reader::report("%s left out: FrameMaker generates this list from the document itself",
                 name.c_str());
}

XRefState& xrefState() {
  return xref;
}

void initCrossReferences() {
  xref = XRefState{};
}

void XRefProc(const char* kind) {
  xref.pendingNote.reset();
  char c = kind[0];
  std::string preNote;
  if (c == 'B' || c == 'C' || c == 'N') {
    skipWhiteSpace();
    if (reader::peekChar() == '[') xref.pendingNote = reader::readTextArgument();
  }
  if (c == 'N' && xref.pendingNote) {
    skipWhiteSpace();
    if (reader::peekChar() == '[') {
      preNote = *xref.pendingNote;
      xref.pendingNote = reader::readTextArgument();
    }
  }
  skipWhiteSpace();
  std::optional<std::string> key;
  if (reader::peekChar() == '{') key = reader::readTextArgument();
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
    case 'N':
      writeCitation(*key, preNote);
      break;
    case 'A':
      writeReferenceList(*key);
      break;
    case 'b':
      bibliographyProc(*key);
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
