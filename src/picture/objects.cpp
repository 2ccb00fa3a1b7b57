// The objects of \put and \multiput (the picture text interpreter) and the curves.
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "output/char_commands.h"
#include "output/diversions.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "picture/picture_internal.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"

namespace pendra::picture {

namespace {

// Slopes of \line and \vector are whole numbers within this bound.
constexpr float kMaxSlope = 1000.0f;
constexpr const char* kObjectCommand = "picture mode command";
constexpr const char* kCurveCommand = "\\qbezier";

// A number in braces; what follows the number up to the closing brace is skipped.
std::optional<float> readBracedNumber() {
  reader::skipBlanks();
  if (reader::peekChar() != '{') return std::nullopt;
  reader::advance();
  std::optional<float> v = reader::readDecimal();
  skipToClosingBrace();
  return v;
}

float slope(float v) {
  float t = std::trunc(v);
  if (t > kMaxSlope) return kMaxSlope;
  if (t < -kMaxSlope) return -kMaxSlope;
  return t;
}

void erroneous(const char* command) {
  reader::report("erroneous argument to %s", command);
}

void counted() {
  ++pictureState().env.graphicCount;
}

void writeLine(const char* name, float x1, float y1, float x2, float y2) {
  wrapPendingText();
  output::writeStatementLine("<!%s %.2fpt %.2f\" %.2f\" %.2f\" %.2f\">\n", name, lineThickness(),
                             inchX(x1), inchY(y1), inchX(x2), inchY(y2));
}

// \line and \vector.
void lineObject(const char* name) {
  std::optional<reader::CoordinatePair> direction = readPair();
  std::optional<float> length = readBracedNumber();
  if (!direction || !length) {
    erroneous(kObjectCommand);
    return;
  }
  float dx = slope(direction->x);
  float dy = slope(direction->y);
  float len = *length;
  const PictEnv& env = pictureState().env;
  float x2 = env.x;
  float y2 = env.y;
  if (dx > 0) {
    x2 = env.x + len;
    y2 = env.y + dy * len / dx;
  } else if (dx < 0) {
    x2 = env.x - len;
    y2 = env.y - dy * len / dx;
  } else {
    y2 = dy >= 0 ? env.y + len : env.y - len;
  }
  writeLine(name, env.x, env.y, x2, y2);
  counted();
}

void circleObject(bool filled) {
  std::optional<float> diameter = readBracedNumber();
  if (!diameter) {
    erroneous(kObjectCommand);
    return;
  }
  // Sizes are drawn as their magnitudes: graphic objects have no negative extent.
  float d = std::fabs(*diameter);
  const PictEnv& env = pictureState().env;
  wrapPendingText();
  output::writeStatementLine("<!Ellipse %s %.2fpt %.2f\" %.2f\" %.2f\" %.2f\">\n",
                             filled ? "Yes" : "No", lineThickness(), inchX(env.x - d / 2),
                             inchY(env.y + d / 2), inches(d), inches(d));
  counted();
}

int partMask(const std::string& letters) {
  int mask = 0;
  for (char c : letters) {
    if (c == 'b') mask |= 1;
    if (c == 't') mask |= 2;
    if (c == 'r') mask |= 4;
    if (c == 'l') mask |= 8;
  }
  return mask;
}

void ovalObject() {
  std::optional<reader::CoordinatePair> size = readPair();
  std::optional<std::string> parts = reader::readOptionLetters();
  if (!size) {
    erroneous(kObjectCommand);
    return;
  }
  const PictEnv& env = pictureState().env;
  float x = inchX(env.x - std::fabs(size->x) / 2);
  float y = inchY(env.y + std::fabs(size->y) / 2);
  float w = inches(std::fabs(size->x));
  float h = inches(std::fabs(size->y));
  const OvalPart& part = kOvalParts[parts ? partMask(*parts) : 0];
  wrapPendingText();
  if (part.sweep == 360)
    output::writeStatementLine("<!Ellipse No %.2fpt %.2f\" %.2f\" %.2f\" %.2f\">\n",
                               lineThickness(), x, y, w, h);
  else
    output::writeStatementLine("<!Arc %.2fpt %.2f\" %.2f\" %.2f\" %.2f\" %d %d>\n", lineThickness(),
                               x, y, w, h, part.start, part.sweep);
  counted();
}

// The position letters of a box: the text line's alignments.
void setAlignments(const std::optional<std::string>& position) {
  PictEnv& env = pictureState().env;
  env.alignment = "Center";
  env.verticalAlignment = "Middle";
  if (!position) return;
  for (char c : *position) {
    if (c == 'l') env.alignment = "Left";
    if (c == 'r') env.alignment = "Right";
    if (c == 'b') env.verticalAlignment = "Bottom";
    if (c == 't') env.verticalAlignment = "Top";
  }
}

// Runs the box text in *makeboxtext.
void boxText() {
  reader::EnvironmentState& environments = reader::environmentState();
  const reader::EnvironmentRecord* saved = environments.current;
  int savedMode = reader::currentMode();
  environments.current = environments.makeBoxText;
  reader::setCurrentMode(environments.makeBoxText->mode);
  reader::processOneArgument();
  environments.current = saved;
  reader::setCurrentMode(savedMode);
}

// \framebox (F), \dashbox (D) and \makebox (M) with a size.
void boxObject(char letter) {
  if (letter == 'D') readBracedNumber();
  std::optional<reader::CoordinatePair> size = readPair();
  std::optional<std::string> position = reader::readOptionLetters();
  if (!size) {
    erroneous(kObjectCommand);
    reader::skipArgument('{');
    return;
  }
  PictEnv& env = pictureState().env;
  float w = size->x;
  float h = size->y;
  if (letter != 'M') {
    wrapPendingText();
    // The MLP rectangle has no dashes: a dash box is drawn as an outline, like a frame box.
    // A negative size reaches left or down from the position.
    float left = w < 0 ? env.x + w : env.x;
    float top = h < 0 ? env.y : env.y + h;
    output::writeStatementLine("<!Rectangle No %.2fpt %.2f\" %.2f\" %.2f\" %.2f\">\n",
                               lineThickness(), inchX(left), inchY(top), inches(std::fabs(w)),
                               inches(std::fabs(h)));
    // The rectangle goes out ahead of the text line that the object ends with.
    output::BufferProc("E8");
    output::BufferProc("I8");
    output::BufferProc("S");
  }
  setAlignments(position);
  if (std::strcmp(env.alignment, "Center") == 0) env.x += w / 2;
  if (std::strcmp(env.alignment, "Right") == 0) env.x += w;
  if (std::strcmp(env.verticalAlignment, "Middle") == 0) env.y += h / 2;
  if (std::strcmp(env.verticalAlignment, "Top") == 0) env.y += h;
  boxText();
}

// \parbox in an object: its text, without a box.
void parboxObject() {
  reader::skipBlanks();
  reader::readOptionLetters();
  reader::readMacroArgument();
  reader::processOneArgument();
}

void readOptionalCount() {
  reader::skipBlanks();
  if (reader::peekChar() == '[') reader::readBracketArgument();
}

std::optional<reader::CoordinatePair> readPoint() {
  std::optional<reader::CoordinatePair> point = readPair();
  if (!point) erroneous(kCurveCommand);
  return point;
}

void bezier() {
  std::optional<reader::CoordinatePair> p[3];
  for (auto& point : p)
    if (!(point = readPoint())) return;
  output::writeStatementLine("<!Bezier %.2fpt 3 %.2f\" %.2f\" %.2f\" %.2f\" %.2f\" %.2f\">\n",
                             lineThickness(), inchX(p[0]->x), inchY(p[0]->y), inchX(p[1]->x),
                             inchY(p[1]->y), inchX(p[2]->x), inchY(p[2]->y));
  counted();
}

void polyline() {
  std::optional<reader::CoordinatePair> from = readPoint();
  if (!from) return;
  while (reader::peekChar() == '(') {
    std::optional<reader::CoordinatePair> to = readPoint();
    if (!to) return;
    writeLine("Line", from->x, from->y, to->x, to->y);
    counted();
    from = to;
  }
}

}  // namespace

void putObject(char letter) {
  switch (letter) {
    case 'L':
      lineObject("Line");
      break;
    case 'V':
      lineObject("Arrow");
      break;
    case 'C':
      circleObject(false);
      break;
    case 'c':
      circleObject(true);
      break;
    case 'O':
      ovalObject();
      break;
    case 'F':
    case 'D':
    case 'M':
      boxObject(letter);
      break;
    case 'S':
      setAlignments(reader::readOptionLetters());
      reader::processOneArgument();
      break;
    case 'f':
      reader::processOneArgument();
      break;
    case 'P':
      parboxObject();
      break;
    default:
      break;
  }
}

void curveProc(const char* kind) {
  readOptionalCount();
  if (kind[0] == 'd') readBracedNumber();
  if (kind[0] == 0)
    bezier();
  else
    polyline();
}

void rotateProc() {
  reader::skipBlanks();
  std::optional<int> angle;
  if (reader::peekChar() == '{') {
    reader::advance();
    angle = reader::readInteger();
    skipToClosingBrace();
  } else {
    angle = reader::readInteger();
  }
  if (angle)
    pictureState().env.angle = *angle;
  else
    reader::report("missing angle argument");
}

void putInterpreter(const char* tmpl) {
  output::Font entryFont = output::currentFont();
  output::TemplateItem item;
  for (const char* p = tmpl; output::nextTemplateItem(p, item);) {
    if (item.literal) {
      output::writeRawByte(item.byte);
    } else if (!item.hasArgument) {
      switch (item.byte) {
        case 'b':
          output::writeTextString(reader::tokenText());
          output::currentFont() = entryFont;
          break;
        case '0':
          output::currentFont() = entryFont;
          break;
        case 'p':
          reader::processOneArgument();
          break;
        case 0x08:
          output::trimBlanks();
          break;
        case '\t':
        case '*':
        case '+':
        case '-':
        case 'o':
        case 'x':
          passToBase(item);
          break;
        default:
          break;
      }
    } else {
      switch (item.byte) {
        case 'A':
          output::accentProc(item.argument[0]);
          break;
        case 'P':
          putObject(item.argument[0]);
          break;
        case 'j':
          rotateProc();
          break;
        case 'Q':
          curveProc(item.argument);
          break;
        case 'V':
          output::verbProc();
          break;
        case 'B':
        case 'D':
        case 'E':
        case 'H':
        case 'L':
        case 'M':
        case 'R':
        case 'X':
        case 'c':
        case 'n':
        case 'u':
        case 'v':
        case 'z':
          passToBase(item);
          break;
        default:
          output::fontArgumentCode(item.byte, item.argument);
          break;
      }
    }
  }
}

}  // namespace pendra::picture
