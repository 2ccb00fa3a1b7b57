// Accents, \verb and \mbox.
#include "output/char_commands.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "common/chars.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"
#include "reader/unicode.h"

namespace pendra::output {

namespace {

using chars::isLetter;
using chars::isWhite;

void skipSpaces() {
  while (reader::peekChar() == ' ') reader::advance();
}

// After a braced base the closing brace must follow.
bool takeClosingBrace() {
  if (reader::peekChar() != '}') return false;
  reader::advance();
  return true;
}

}  // namespace

unsigned char accentedLetter(char base, char accent) {
  for (const AccentRow& row : kAccents)
    if (row.base == base && row.accent == accent) return row.code;
  return 0;
}

void accentProc(char accent) {
  if (&reader::currentEnvironment() == reader::environmentState().tabbing &&
      (accent == '=' || accent == '`' || accent == '\'')) {
    runInCurrentMode("%!");
    return;
  }
  if (accent == '?') {
    accent =
        reader::peekChar() == reader::kEndOfInput ? '?' : static_cast<char>(reader::peekChar());
    reader::advance();
    skipSpaces();
  }
  reader::CommandRecord* token = reader::nextToken();
  bool braced = token == reader::charRecord('{');
  if (braced) token = reader::nextToken();

  const char* text = reader::tokenText();
  char base = 0;
  const char* rest = "";
  bool word = token == reader::specialToken(reader::kTextToken);
  if (token->name == "\\i" || token->name == "\\imath") {
    base = 'i';
  } else if (token->name == "\\j" || token->name == "\\jmath") {
    base = 'j';
  } else if (word && isLetter(static_cast<unsigned char>(text[0]))) {
    base = text[0];
    rest = text + 1;
  } else if (!word) {
    if (braced) takeClosingBrace();
    reader::report("bad use of accent command \\%c{..}", accent);
    return;
  }
  if (unsigned char code = base ? accentedLetter(base, accent) : 0) {
    char one[2] = {static_cast<char>(code), 0};
    std::string restText = rest;
    runInCurrentMode(one);
    if (!restText.empty()) runInCurrentMode(restText.c_str());
  } else {
    // No accented letter: the accent command is written as it stands, in Times. The template's
    // bytes reach the MLP as they are, so the text's own <, > and backslashes are escaped here.
    std::string tmpl = "%f(T)\\\\";
    tmpl += accent;
    tmpl += '{';
    for (std::size_t i = 0; text[i] != 0 && i < reader::kTokenTextSize - 1; ++i) {
      if (text[i] == '<' || text[i] == '>' || text[i] == '\\') tmpl += '\\';
      tmpl += text[i];
    }
    tmpl += "%f(T)}%0";
    runInCurrentMode(tmpl.c_str());
  }
  if (braced && !takeClosingBrace()) reader::report("bad use of accent command \\%c{..}", accent);
}

namespace {

// Appends `c` to a template as text: a letter or digit as itself, any other byte by its code.
void appendTemplateChar(std::string& tmpl, unsigned char c) {
  if (isLetter(c) || chars::isDigit(c)) {
    tmpl += static_cast<char>(c);
  } else {
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02x ", c);
    tmpl += code;
  }
}

}  // namespace

void stringProc() {
  // Called at the end of a macro's body, the token is the one after the body.
  reader::passBodyEnds();
  reader::skipBlanks();  // the blanks after \string's own name
  if (reader::peekChar() == '#') reader::substituteParameterHere();
  int c = reader::peekChar();
  if (c == reader::kEndOfInput) return;
  std::string tmpl;
  appendTemplateChar(tmpl, static_cast<unsigned char>(c));
  reader::advance();
  if (c == '\\') {
    // A command's name: its letters, or the one character after the backslash.
    int first = reader::peekChar();
    if (first != reader::kEndOfInput && first < 0x80) {
      appendTemplateChar(tmpl, static_cast<unsigned char>(first));
      reader::advance();
      if (isLetter(first)) {
        for (std::size_t n = 1; isLetter(reader::peekChar()) && n < reader::kNameBufferMax; ++n) {
          appendTemplateChar(tmpl, static_cast<unsigned char>(reader::peekChar()));
          reader::advance();
        }
        // As after any command name, the blanks after it are passed.
        reader::skipBlanks();
      }
    }
  } else if (c >= 0x80) {
    runInCurrentMode(reader::unicodeText(c));
    return;
  }
  runInCurrentMode(tmpl.c_str());
}

void charCodeProc() {
  std::optional<int> code = reader::readCharCode();
  if (!code) {
    reader::report("\\char must be followed by a character code up to %d", reader::kCharCodeMax);
    return;
  }
  int c = *code;
  if (c >= 0x80) {
    const reader::UnicodeRow* row = reader::findUnicodeRow(static_cast<char32_t>(c));
    runInCurrentMode(row ? row->tmpl : reader::kPlaceholder);
    return;
  }
  if (c < ' ' || c == 0x7f) {
    reader::report("\\char%d names no character of the text fonts", c);
    return;
  }
  std::string tmpl;
  appendTemplateChar(tmpl, static_cast<unsigned char>(c));
  runInCurrentMode(tmpl.c_str());
}

void verbProc(bool inlineListing) {
  Font saved = currentFont();
  // Called at the end of a macro's body (\newcommand\code{\verb}), the code follows the body.
  reader::passBodyEnds();
  int line = reader::lineNumber();
  bool starred = reader::peekChar() == '*';
  const char* suffix = starred ? "*" : "";
  if (starred) {
    reader::advance();
    skipSpaces();
  }
  if (isWhite(reader::peekChar())) {
    reader::report("`\\verb%s' must not be followed by white space\n", suffix);
    currentFont() = saved;
    return;
  }
  int delimiter = reader::peekChar();
  // An inline listing's code may stand in braces, and its blanks are its own.
  int close = inlineListing && delimiter == '{' ? '}' : delimiter;
  if (delimiter != reader::kEndOfInput) {
    reader::advance();
    if (!inlineListing) skipSpaces();
  }
  currentFont().family = Family::kCourier;
  currentFont().style = 0;
  int depth = 0;  // braces open inside braced code
  for (;;) {
    int c = reader::peekChar();
    if (inlineListing) {
      if (close == '}' && c == '{') ++depth;
      if (c == close && (close != '}' || depth-- == 0)) {
        reader::advance();
        break;
      }
    }
    if (c == reader::kEndOfInput) {
      reader::MessageLineScope scope(line);
      reader::report("unterminated \\verb%s construct\n", suffix);
      break;
    }
    if (c >= 0x80) {
      // A character beyond ASCII: its bytes are read with it.
      reader::advance();
      writeTextString(reader::unicodeText(c));
    } else {
      if (c == '\n')
        endParagraph();
      else if (c == ' ')
        starred ? writeTextChar('_') : writeRawString("\\x11  ");
      else
        writeTextChar(static_cast<unsigned char>(c));
      reader::advance();
    }
    if (!inlineListing && reader::peekChar() == close) {
      reader::advance();
      break;
    }
  }
  currentFont() = saved;
}

namespace {

// The records that make characters short-verb delimiters, and the records those characters had
// before (restored by \DeleteShortVerb).
struct ShortVerbs {
  reader::CommandRecord records[256];
  reader::CommandRecord* before[256] = {};
};

ShortVerbs& shortVerbs() {
  static ShortVerbs table;
  return table;
}

}  // namespace

void shortVerbProc() {
  int delimiter = static_cast<unsigned char>(reader::tokenText()[0]);
  Font saved = currentFont();
  currentFont().family = Family::kCourier;
  currentFont().style = 0;
  // Like \verb's text, but it cannot run past the end of its line.
  for (;;) {
    int c = reader::peekChar();
    if (c == delimiter) {
      reader::advance();
      break;
    }
    if (c == reader::kEndOfInput || c == '\n') {
      reader::report("unterminated \\verb construct\n");
      break;
    }
    if (c == ' ')
      writeRawString("\\x11  ");
    else
      writeTextChar(static_cast<unsigned char>(c));
    reader::advance();
  }
  currentFont() = saved;
}

void shortVerbDefinition(bool make) {
  reader::takeChar('*');
  reader::skipBlanks();
  bool braced = reader::peekChar() == '{';
  if (braced) reader::advancePastSpaces();
  if (reader::peekChar() != '\\') {
    reader::report("argument must begin with \\");
    return;
  }
  reader::advance();
  int c = reader::peekChar();
  if (c == reader::kEndOfInput) return;
  reader::advance();
  if (braced) {
    reader::skipBlanks();
    reader::takeChar('}');
  }
  setShortVerb(static_cast<unsigned char>(c), make);
}

void setShortVerb(unsigned char c, bool make) {
  // Letters and digits are read as words, never as characters of their own.
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return;
  reader::CommandRecord*& slot = reader::symbolState().charTable[c];
  ShortVerbs& verbs = shortVerbs();
  reader::CommandRecord* record = &verbs.records[c];
  if (make) {
    if (slot == record) return;
    verbs.before[c] = slot;
    record->name.assign(1, static_cast<char>(c));
    record->tmpl = "%V(s)";
    slot = record;
  } else if (slot == record) {
    slot = verbs.before[c];
  }
}

void mboxProc() {
  int mode = reader::currentMode();
  Font saved = currentFont();
  reader::setCurrentMode(reader::kParaMode);
  currentFont().style = 0;
  currentFont().family = Family::kTimes;
  reader::processOneArgument();
  reader::setCurrentMode(mode);
  currentFont() = saved;
  reader::environmentState().delimiter = reader::kNoDelimiter;
}

}  // namespace pendra::output
