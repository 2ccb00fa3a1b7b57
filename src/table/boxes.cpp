// Boxes outside a picture: \fbox, \frame, \framebox, \makebox, \parbox and minipage, each a table
// of one row and one cell. Only the outermost box writes table statements; boxes inside it add
// their text to its cell.
#include <optional>

#include "common/chars.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "table/column_spec.h"
#include "table/tables.h"

namespace pendra::table {

namespace {

using chars::isWhite;

void skipWhite() {
  while (isWhite(reader::peekChar())) reader::advanceWithSubstitution();
}

void expectClosingBracket() {
  reader::skipBlanks();
  if (reader::peekChar() == ']')
    reader::advanceWithSubstitution();
  else
    reader::report("missing ']'");
}

// [width]: 0 when absent.
float optionalWidth() {
  skipWhite();
  if (reader::peekChar() != '[') return 0.0f;
  reader::advance();
  std::optional<float> width = reader::readLength();
  if (!reader::skipStretchTo(']')) reader::report("missing ']'");
  expectClosingBracket();
  return width ? *width : 0.0f;
}

// [letter]: 0 when absent or empty.
char optionalLetter() {
  skipWhite();
  if (reader::peekChar() != '[') return 0;
  reader::advance();
  reader::skipBlanks();
  char letter = 0;
  if (reader::peekChar() != ']' && reader::peekChar() != reader::kEndOfInput) {
    letter = static_cast<char>(reader::peekChar());
    reader::advance();
  }
  expectClosingBracket();
  return letter;
}

// {width} of \parbox and minipage.
float bracedWidth() {
  skipWhite();
  if (reader::peekChar() != '{') {
    reader::report("missing width spec");
    return 0.0f;
  }
  reader::advance();
  std::optional<float> width = reader::readLength();
  bool glue = reader::skipStretchTo('}');
  reader::skipBlanks();
  if (!glue || reader::peekChar() != '}') reader::report("missing `}'");
  if (reader::peekChar() == '}') reader::advanceWithSubstitution();
  return width ? *width : 0.0f;
}

void unknownAlignment(char letter) {
  reader::report("Unknown alignment code `%c'", letter);
}

// The paragraph format of a box's text for \makebox's position letter: the aligned formats are
// FlushL and FlushR.
const char* alignmentTag(char letter) {
  switch (letter) {
    case 0:
    case 'c':
    case 's':
      return "Center";
    case 'l':
      return "FlushL";
    case 'r':
      return "FlushR";
    default:
      unknownAlignment(letter);
      return "Center";
  }
}

// A table anchored in running text belongs to a paragraph with its own tag line; at the start of
// a paragraph that line is written before the table.
void startParagraphForBox() {
  output::OutputState& out = output::outputState();
  if (out.tagLineWritten || out.length > 0 || out.suppression > 0) return;
  if (out.afterDisplay != 0 && out.currentTag == output::kDefaultTag) {
    output::writeTagLine("FirstBody", false);
    output::findParagraphFormat("FirstBody");
  } else {
    output::writeTagLine(out.currentTag.c_str(), false);
  }
}

// What a box changes and gives back when it ends.
struct SavedBox {
  output::ParagraphState paragraph = output::saveParagraphState();
  output::Font font = output::fontState().current;
  output::Font lastWritten = output::fontState().lastWritten;
  const reader::EnvironmentRecord* environment = reader::environmentState().current;
  int mode = reader::currentMode();

  void restore() const {
    output::restoreParagraphState(paragraph);
    output::fontState().current = font;
    output::fontState().lastWritten = lastWritten;
    reader::environmentState().current = environment;
    reader::setCurrentMode(mode);
  }
};

void boxContent(char kind, const char* tag, int ending, const SavedBox& saved) {
  if (kind == 'm') {
    output::setParagraphTag(saved.paragraph.currentTag.c_str());
    reader::setCurrentMode(reader::kParaMode);
    reader::parseUntil(ending);
    return;
  }
  output::setParagraphTag(tag);
  reader::environmentState().current = reader::environmentState().pictText;
  reader::setCurrentMode(reader::kParaMode);
  output::runInCurrentMode("%p");
}

// Past the nesting bound a box is its content alone, read in the current mode.
void plainContent(char kind, int ending) {
  TableState& state = tableState();
  if (!state.boxNestingReported) {
    state.boxNestingReported = true;
    reader::report("boxes nested too deeply; the inner ones are read as text");
  }
  if (kind == 'm')
    reader::parseUntil(ending);
  else
    output::runInCurrentMode("%p");
}

// `environment`: the minipage environment, whose end is a paragraph end as well.
void box(char kind, int ending, bool environment) {
  SavedBox saved;
  TableState& state = tableState();
  const char* tag = "Center";
  float width = 0.0f;
  skipWhite();
  if (kind == 'F' || kind == 'M') {
    width = optionalWidth();
    tag = alignmentTag(optionalLetter());
  } else if (kind == 'P' || kind == 'm') {
    char position = optionalLetter();
    if (position != 0 && position != 'b' && position != 't' && position != 'c')
      unknownAlignment(position);
    // The height and the inner position of \parbox[pos][height][inner]: read and not used.
    optionalWidth();
    optionalLetter();
    width = bracedWidth();
  }
  if (state.boxNesting >= kMaxBoxNesting) {
    plainContent(kind, ending);
    return;
  }
  bool outermost = ++state.boxNesting == 1;
  // The box's statements are written when output is not suppressed as it starts; its end then
  // follows them whatever the suppression is by then.
  bool written = outermost && output::outputState().suppression <= 0;
  if (outermost) {
    state.boxNestingReported = false;
    if (output::outputState().length > 0) output::writeStatementLine("%s", "");
    startParagraphForBox();
    saved.paragraph.tagLineWritten = output::outputState().tagLineWritten;
    saved.paragraph.pendingSpace = output::outputState().pendingSpace;
    output::writeStatementLine("<!Table 1 ");
    output::writeStatementLine(kind == 'f' || kind == 'F' ? "<!TblFrame 1 0>\n"
                                                          : "<!TblFrame 0 0>\n");
    if (width > 0.0f) output::writeStatementLine("<!TblColumnWidth %.2f>\n", width);
    output::writeStatementLine("<!Row\n");
    output::writeStatementLine("<!Cell ");
    ++state.boxTables;
  }
  boxContent(kind, tag, ending, saved);
  if (outermost) --state.boxTables;
  if (outermost && environment) output::writeStatementLine("> > >\n");
  if (outermost && !environment) output::writeStatementLine("%s", "");
  --state.boxNesting;
  saved.restore();
  // After a box command the end of the cell, row and table goes into the paragraph buffer: the
  // text after the box goes on in the paragraph that holds it, and a line feed after the box
  // ends no paragraph.
  if (written && !environment) output::writeFontText("> > >");
}

// "(x,y)" as it stands.
void skipParenthesised() {
  skipWhite();
  if (reader::peekChar() != '(') return;
  while (reader::peekChar() != ')' && reader::peekChar() != reader::kEndOfInput) reader::advance();
  if (reader::peekChar() == ')') reader::advanceWithSubstitution();
}

// \line, \vector, \circle, \oval, \dashbox and \shortstack draw in a picture only: in running
// text their arguments are read, and a text argument is kept as running text.
void pictureObject(char kind) {
  reader::report("%s is supported only inside a picture", reader::tokenText());
  switch (kind) {
    case 'L':
    case 'V':
      skipParenthesised();
      readBracedGroup();
      break;
    case 'C':
    case 'c':
      readBracedGroup();
      break;
    case 'O':
      reader::readOptionLetters();
      skipParenthesised();
      skipWhite();
      reader::readOptionLetters();
      break;
    case 'D':
      readBracedGroup();
      skipParenthesised();
      reader::readOptionLetters();
      output::runInCurrentMode("%p");
      break;
    case 'S':
      reader::readOptionLetters();
      output::runInCurrentMode("%p");
      break;
    default:
      break;
  }
}

}  // namespace

void boxProc(const char* kind) {
  switch (kind[0]) {
    case 'f':
    case 'F':
    case 'M':
    case 'P':
    case 'm':
      box(kind[0], reader::kEndCode, false);
      break;
    default:
      pictureObject(kind[0]);
      break;
  }
}

void minipageBody(int ending) {
  box('m', ending, true);
}

}  // namespace pendra::table
