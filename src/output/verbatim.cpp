#include "output/verbatim.h"

#include <string>

#include "output/paragraph.h"
#include "output/template.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"
#include "reader/unicode.h"

namespace pendra::output {

namespace {

// A space that FrameMaker keeps at its full width, as the verbatim commands write it.
constexpr const char* kFixedSpace = R"(\x11  )";

bool isControlWord(const std::string& name) {
  return name.size() > 1 && name[0] == '\\' &&
         ((name[1] >= 'a' && name[1] <= 'z') || (name[1] >= 'A' && name[1] <= 'Z'));
}

// Reports `message` with the line of the \begin.
void reportAtLine(const char* message, int line) {
  reader::MessageLineScope scope(line);
  reader::report("%s", message);
}

// At a backslash: whether the closing text follows; the part of it that matched before a
// character that did not is written as text.
bool atClosingText(const std::string& closing) {
  std::size_t matched = 0;
  while (matched < closing.size() &&
         reader::peekChar() == static_cast<unsigned char>(closing[matched])) {
    ++matched;
    reader::advance();
  }
  if (matched == closing.size()) return true;
  for (std::size_t i = 0; i < matched; ++i) writeTextChar(static_cast<unsigned char>(closing[i]));
  return false;
}

// The rest of the \begin line when it holds nothing but blanks: LaTeX starts the text on the
// next line, and the line end would otherwise make an empty first line.
void skipBlankRestOfLine() {
  while (reader::peekChar() == ' ' || reader::peekChar() == '\t') reader::advance();
  if (reader::peekChar() == '\r') reader::advance();
  if (reader::peekChar() == '\n') reader::advance();
}

}  // namespace

namespace {

// Writes the current character `c` of verbatim text and moves past it: a space as a fixed space,
// a character beyond ASCII read with all its bytes, any other as itself. Line ends are the
// caller's.
void copyVerbatimChar(int c) {
  if (c >= 0x80) {
    reader::advance();
    writeTextString(reader::unicodeText(c));
    return;
  }
  if (c == ' ')
    writeRawString(kFixedSpace);
  else
    writeTextChar(static_cast<unsigned char>(c));
  reader::advance();
}

// Copies the lines up to `\end{name}` (the current environment's name) as verbatim text; at the
// end of input reports `unclosed` with the line of the \begin.
void copyVerbatimLines(const std::string& unclosed, int line) {
  const reader::EnvironmentRecord& record = reader::currentEnvironment();
  std::string closing = "\\end{";
  closing += record.name;
  closing += '}';
  for (;;) {
    int c = reader::peekChar();
    if (c == reader::kEndOfInput) {
      reportAtLine(unclosed.c_str(), line);
      return;
    }
    if (c == '\\') {
      if (atClosingText(closing)) break;
      continue;
    }
    if (c == '\n' || c == '\r') {
      endParagraph();
      reader::advance();
    } else {
      copyVerbatimChar(c);
    }
  }
  reader::skipToLineEnd();
}

// Passes over a bracketed or braced group of options (it may run over several lines).
void skipOptionGroup() {
  int open = reader::peekChar();
  int close = open == '[' ? ']' : '}';
  int depth = 0;
  while (reader::peekChar() != reader::kEndOfInput) {
    int c = reader::peekChar();
    reader::advance();
    if (c == '\\') {
      if (reader::peekChar() != reader::kEndOfInput) reader::advance();
      continue;
    }
    if (c == open || (open == '[' && c == '{')) ++depth;
    if (c == close || (open == '[' && c == '}')) --depth;
    if (depth == 0) return;
  }
}

}  // namespace

void verbatimBody(int) {
  reader::setCurrentMode(reader::kVerbatimMode);
  int line = reader::lineNumber();
  skipBlankRestOfLine();
  copyVerbatimLines("unclosed \\begin{verbatim} command", line);
}

void listingBody(int) {
  reader::setCurrentMode(reader::kVerbatimMode);
  int line = reader::lineNumber();
  for (;;) {
    while (reader::peekChar() == ' ' || reader::peekChar() == '\t') reader::advance();
    if (reader::peekChar() != '[' && reader::peekChar() != '{') break;
    skipOptionGroup();
  }
  while (reader::peekChar() != '\n' && reader::peekChar() != reader::kEndOfInput) reader::advance();
  if (reader::peekChar() == '\n') reader::advance();
  copyVerbatimLines(
      std::string("unclosed \\begin{") + reader::currentEnvironment().name + "} command", line);
}

void allttBody(int) {
  reader::EnvironmentState& env = reader::environmentState();
  const reader::EnvironmentRecord& record = *env.current;
  reader::setCurrentMode(record.mode);
  int line = reader::lineNumber();
  bool firstItem = env.firstItem;
  env.firstItem = true;
  skipBlankRestOfLine();
  for (;;) {
    int c = reader::peekChar();
    if (c == reader::kEndOfInput) {
      reportAtLine("unclosed \\begin{alltt} command\n", line);
      break;
    }
    if (c == '\\') {
      env.delimiter = reader::kNoDelimiter;
      const reader::CommandRecord* r = reader::nextToken();
      if (reader::peekChar() == ' ' && isControlWord(r->name)) reader::advance();
      runInCurrentMode(r->tmpl.c_str());
      int code = env.delimiter;
      env.delimiter = reader::kNoDelimiter;
      if (code == reader::kEndCode) break;
      if (code == reader::kDisplayOpen)
        reader::runMathRecord(*env.displayMath, reader::kDisplayClose);
      else if (code == reader::kInlineOpen)
        reader::runMathRecord(*env.math, reader::kInlineClose);
      continue;
    }
    if (c == '{') {
      reader::advance();
      reader::parseUntil(reader::kGroupClose);
      continue;
    }
    if (c == '}' || c == '\n') {
      if (c == '}')
        reader::report("unmatched right brace character\n");
      else
        endParagraph();
      reader::advance();
    } else {
      copyVerbatimChar(c);
    }
  }
  env.firstItem = firstItem;
}

}  // namespace pendra::output
