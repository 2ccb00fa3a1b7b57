// The %e codes of the amsmath displays.
#include "math/displays.h"

#include <cstring>
#include <optional>
#include <string>

#include "math/delimiters.h"
#include "math/frames.h"
#include "math/parser.h"
#include "math/state.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"

namespace pendra::math {

namespace {

// The paragraph format of \intertext's text.
constexpr const char* kIntertextTag = "Body";

// Whether the outermost frame is a line of align and its kin.
bool inLine() {
  return frameModeAt(1) == kLinesFrame;
}

bool skipStar() {
  reader::skipBlanks();
  if (reader::peekChar() != '*') return false;
  reader::advance();
  return true;
}

void tag() {
  bool star = skipStar();
  if (!inLine()) {
    mathInterpreter("%m(m)");
    return;
  }
  reader::skipBlanks();
  std::optional<std::string> text;
  if (reader::peekChar() == '{') text = reader::readTextArgument();
  if (!text) {
    reader::report("missing/malformed argument");
    return;
  }
  MathState& state = mathState();
  state.lineTagged = true;
  state.lineTag = star ? *text : "(" + *text + ")";
}

// The line read so far is written, the text is a paragraph of its own, and a new line starts.
void intertext() {
  MathState& state = mathState();
  if (!inLine() || state.depth != 1) {
    mathInterpreter("%m(m)");
    return;
  }
  closeFrame();
  reader::EnvironmentState& environments = reader::environmentState();
  const reader::EnvironmentRecord* saved = environments.current;
  int mode = reader::currentMode();
  output::Font font = output::currentFont();
  environments.current = &reader::kOutermostEnvironment;
  reader::setCurrentMode(reader::kParaMode);
  output::endParagraph();
  output::newParagraphWithTag(kIntertextTag);
  reader::skipBlanks();
  reader::processOneArgument();
  output::endParagraph();
  environments.current = saved;
  reader::setCurrentMode(mode);
  output::currentFont() = font;
  pushFrame(kLinesFrame);
}

// The letter after L or R; a parenthesis stands escaped as \) in a template's argument.
char delimiterLetter(const char* argument) {
  std::size_t length = std::strlen(argument);
  return length > 1 ? argument[length - 1] : '.';
}

void closeGroup(char right) {
  MathState& state = mathState();
  if (frameModeAt(state.depth) != kLeftFrame) return;
  char left = state.depth <= kMaxMathFrames ? currentFrame().delimiter : 0;
  NodePtr content = closeFrame();
  buildDelimited(left, right, std::move(content));
}

void declareOperator() {
  skipStar();
  std::string name = reader::readMacroArgument();
  reader::skipBlanks();
  std::string text = reader::readMacroArgument();
  std::size_t begin = name.find_first_not_of(" \t\n");
  std::size_t end = name.find_last_not_of(" \t\n");
  if (begin == std::string::npos || name[begin] != '\\') {
    reader::report("missing/malformed argument");
    return;
  }
  reader::defineMacro(name.substr(begin, end - begin + 1), 0, "\\operatorname{" + text + "}");
}

}  // namespace

void equationCode(const char* argument) {
  switch (argument[0]) {
    case 'n':
      if (inLine()) mathState().lineUnnumbered = true;
      break;
    case 't':
      tag();
      break;
    case 'i':
      intertext();
      break;
    case 'L':
      // A matrix or cases outside math: LaTeX stops there; its content is left out.
      if (mathState().depth == 0)
        reader::report("%s environment is valid only in math", reader::currentEnvironment().name);
      pushFrame(kLeftFrame, delimiterLetter(argument));
      break;
    case 'R':
      closeGroup(delimiterLetter(argument));
      break;
    case 'A':
      pushFrame(kArrayFrame);
      if (mathState().depth <= kMaxMathFrames) currentFrame().columns = 0;
      break;
    case 'o':
      declareOperator();
      break;
    default:
      reader::report("unknown equation code %s", argument);
      break;
  }
}

void equationTextCode(const char* argument) {
  switch (argument[0]) {
    case 't':
      output::runInCurrentMode("%*%m(m)");
      break;
    case 'i':
      output::runInCurrentMode("%m(m)");
      break;
    case 'o':
      declareOperator();
      break;
    default:
      break;
  }
}

}  // namespace pendra::math
