#include <cmath>

#include "output/template.h"
#include "picture/picture_internal.h"
#include "reader/counters.h"
#include "reader/input.h"
#include "reader/macros.h"

namespace pendra::picture {

namespace {

PictureState pictures;

float bounded(float inch) {
  if (std::isnan(inch)) return 0.0f;
  if (inch > kMaxInches) return kMaxInches;
  if (inch < -kMaxInches) return -kMaxInches;
  return inch;
}

}  // namespace

std::optional<reader::CoordinatePair> readPair() {
  reader::skipBlanks();
  bool opened = reader::peekChar() == '(';
  std::optional<reader::CoordinatePair> pair = reader::readCoordinatePair();
  if (!pair && opened) {
    while (reader::peekChar() != ')' && reader::peekChar() != '{' && reader::peekChar() != '}' &&
           reader::peekChar() != reader::kEndOfInput)
      reader::advance();
    reader::takeChar(')');
  }
  return pair;
}

void skipToClosingBrace() {
  int depth = 1;
  while (reader::peekChar() != reader::kEndOfInput) {
    int c = reader::peekChar();
    reader::advance();
    if (c == '\\' && reader::peekChar() != reader::kEndOfInput) {
      reader::advance();
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return;
    }
  }
}

void passToBase(const output::TemplateItem& item) {
  output::runBaseItem(item);
}

PictureState& pictureState() {
  return pictures;
}

void initPicture() {
  pictures = PictureState{};
  reader::newLength("\\unitlength", 1.0f);
  reader::newLength("\\endlinethickness", 1.0f);
  std::string body = "\\setlength{";
  body += "\\endlinethickness";
  body += "}{#1}";
  reader::defineMacro("\\linethickness", 1, body);
  reader::defineMacro("\\thinlines", 0, "\\linethickness{1pt}");
  reader::defineMacro("\\thicklines", 0, "\\linethickness{2pt}");
}

float unitScale() {
  float unit = reader::getLength("\\unitlength");
  if (!(unit >= kSmallestLength)) unit = 1.0f;
  return unit / 72.0f;
}

float lineThickness() {
  float pen = reader::getLength("\\endlinethickness");
  if (!(pen >= kSmallestLength)) return 1.0f;
  return pen < kMaxPenWidth ? pen : kMaxPenWidth;
}

float inchX(float x) {
  const PictEnv& e = pictures.env;
  return bounded((x + e.xOffset) * e.scale);
}

float inchY(float y) {
  const PictEnv& e = pictures.env;
  return bounded((e.height - y - e.yOffset) * e.scale);
}

float inches(float units) {
  return bounded(units * pictures.env.scale);
}

}  // namespace pendra::picture
