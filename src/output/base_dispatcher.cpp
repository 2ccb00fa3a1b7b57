// BaseDispatcher: the codes that every mode shares.
#include <cstring>

#include "common/chars.h"
#include "math/displays.h"
#include "output/char_commands.h"
#include "output/diversions.h"
#include "output/later_codes.h"
#include "output/lists.h"
#include "output/paragraph.h"
#include "output/prologue.h"
#include "output/rule_savebox.h"
#include "output/template.h"
#include "output/xref.h"
#include "reader/arguments.h"
#include "reader/conditionals.h"
#include "reader/construct.h"
#include "reader/counters.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/packages.h"
#include "reader/report.h"
#include "table/tables.h"

namespace pendra::output {

namespace {

using chars::isWhite;
using reader::skipWhiteSpace;

// Code tab: the rest of the input line, a comment included, and its line feed.
void skipRestOfLine() {
  while (reader::peekChar() == ' ') reader::advance();
  if (reader::peekChar() == '%')
    while (reader::peekChar() != '\n' && reader::peekChar() != reader::kEndOfInput)
      reader::advance();
  if (reader::peekChar() == '\n') reader::advance();
}

// %U outside a picture: the note of a theorem, in parentheses.
void theoremNote() {
  skipWhiteSpace();
  if (reader::peekChar() != '[') return;
  reader::advance();
  writeRawString("(");
  reader::parseUntil(reader::kOptionalClose);
  trimBlanks();
  writeRawString(")");
}

// %k outside math: closing quotes, or an underlined argument.
void quoteOrUnderline(const char* argument) {
  // An ellipsis (\ldots, \dots, \cdots) in text is the ellipsis character.
  if (std::strcmp(argument, "0,ldots") == 0 ||
      (argument[0] == '0' && std::strcmp(reader::tokenText(), "\\ldots") == 0))
    runInCurrentMode(R"(%f(T)\xc9 %0)");
  else if (argument[0] == '\'')
    runInCurrentMode(R"(%f(T)\xd5 %0)");
  else if (argument[0] == '"')
    runInCurrentMode(R"(%f(T)\xd3 %0)");
  else
    runInCurrentMode("%s(U)%p%0");
}

void setModeByLetter(char letter) {
  switch (letter) {
    case 'm':
      reader::setCurrentMode(reader::kMathMode);
      break;
    case 'i':
      reader::setCurrentMode(reader::kInlineMathMode);
      break;
    case 'p':
      reader::setCurrentMode(reader::kParaMode);
      break;
    case 't':
      reader::setCurrentMode(reader::kTableMode);
      break;
    case 'f':
      reader::setCurrentMode(reader::kPictMode);
      break;
    default:
      reader::report("unsupported code %c for matching mode", letter);
      break;
  }
}

void inputFile() {
  if (std::optional<std::string> name = reader::readWord()) reader::pushInputFile(name->c_str());
}

bool baseCode(unsigned char code) {
  switch (code) {
    case '\t':
      skipRestOfLine();
      return true;
    case ' ':
      skipWhiteSpace();
      return true;
    case '*':
      reader::takeChar('*');
      return true;
    case '+':
      suppressOutput();
      return true;
    case '-':
      releaseOutput();
      return true;
    case 'L':
      outputState().blankLines = 0;
      outputState().afterDisplay = -1;
      return true;
    case 'O':
      outputState().afterDisplay = 1;
      return true;
    case 'y':
      charCodeProc();
      return true;
    case 'Z':
      return true;
    case 'J':
      generatedListProc();
      return true;
    case 'K':
      reader::usePackageProc();
      return true;
    case 'o':
      reader::skipArgument('[');
      return true;
    case 'x':
      reader::skipArgument('{');
      return true;
    default:
      return false;
  }
}

bool baseArgumentCode(unsigned char code, const char* argument) {
  switch (code) {
    case 'B':
      // Loose in a picture, outside its objects, diverted running text (a title block, a
      // letter's opening) has no line to stand in: it is left out, as the picture's loose words
      // are.
      if (argument[0] == 'I' && reader::currentMode() == reader::kPictMode) return true;
      BufferProc(argument);
      return true;
    case 'D':
      reader::setDelimiter(argument);
      return true;
    case 'E':
      reader::beginEnvironment(argument);
      return true;
    case 'F':
      if (!reader::conditionalProc(argument)) reader::definitionProc(argument);
      return true;
    case 'H':
      horizontalSpace();
      return true;
    case 'y':
      if (argument[0] == 's')
        stringProc();
      else
        charCodeProc();
      return true;
    case 'Z':
      if (argument[0] == 'd')
        reader::skipKern();
      else if (argument[0] == 'g')
        reader::skipGlue();
      else if (argument[0] == 'x')
        xspaceProc();
      return true;
    case 'L':
      reader::LengthProc(argument);
      return true;
    case 'M':
      reader::invokeMacro(reader::tokenText(),
                          argument[0] >= '0' && argument[0] <= '9' ? argument[0] - '0' : 0);
      return true;
    case 'G':
      if (argument[0] == 'b')
        reader::skipBoxSpecification();
      else
        reader::skipGlue();
      return true;
    case 'N':
      if (argument[0] == 'l' || argument[0] == 'v' || argument[0] == 't')
        reader::newListingEnvironmentProc(argument[0]);
      else
        reader::newEnvironmentProc(argument[0]);
      return true;
    case 'P':
      table::boxProc(argument);
      return true;
    case 'R':
      inputFile();
      return true;
    case 'S':
      saveBoxProc(argument);
      return true;
    case 'T':
      reader::report("%s command is valid only inside tabular environment", reader::tokenText());
      return true;
    case 'U':
      theoremNote();
      return true;
    case 'X':
      XRefProc(argument);
      return true;
    case 'e':
      math::equationTextCode(argument);
      return true;
    case 'Y':
    case 'd':
      documentClassProc();
      return true;
    case 'c':
      reader::CounterProc(argument);
      return true;
    case 'k':
      quoteOrUnderline(argument);
      return true;
    case 'm':
      mboxProc();
      return true;
    case 'n':
      reader::newCommandProc(argument[0]);
      return true;
    case 'q':
      setModeByLetter(argument[0]);
      return true;
    case 'r':
      ruleProc();
      return true;
    case 'w':  // paragraph alignment: only paragraph text has any
      return true;
    case 't':
      newTheoremProc(argument[0] == '*');
      return true;
    case 'u':
      switch (argument[0]) {
        case 'u':
        case 'n':
          urlProc(argument[0] == 'u');
          break;
        case 'h':
          hrefProc();
          break;
        case 'g':
          picture::includeGraphicsProc();
          break;
        case 'p':
          picture::graphicsPathProc();
          break;
        default:
          specialProc();
          break;
      }
      return true;
    case 'v':
      if (std::strcmp(argument, "D") == 0)
        writeInlineStatement("!Variable", "%s", "\"Current Date (Long)\"");
      return true;
    case 'z':
      spacingCodes(argument);
      return true;
    default:
      return false;
  }
}

}  // namespace

void runBaseItem(const TemplateItem& item) {
  if (item.literal) {
    reader::report("invalid string %c passed to BaseDispatcher", item.byte);
  } else if (item.hasArgument) {
    if (!baseArgumentCode(item.byte, item.argument))
      reader::report("Base dispatch op %%%c(%s) unknown", item.byte, item.argument);
  } else if (!baseCode(item.byte)) {
    if (item.byte >= 0x20 && item.byte < 0x7f)
      reader::report("Control code %%%c unknown\n", item.byte);
    else
      reader::report("Control code %%\\x%02x unknown", item.byte);
  }
}

void BaseDispatcher(const char* tmpl) {
  TemplateItem item;
  for (const char* p = tmpl; nextTemplateItem(p, item);) {
    if (item.literal)
      reader::report("invalid string %s passed to BaseDispatcher", tmpl);
    else
      runBaseItem(item);
  }
}

}  // namespace pendra::output
