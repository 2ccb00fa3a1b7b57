#include "output/rule_savebox.h"

#include <cstdio>
#include <optional>
#include <string>

#include "output/paragraph.h"
#include "reader/arguments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

constexpr float kPointsPerInch = 72.0f;
constexpr std::size_t kBoxHeadSize = 128;

using reader::skipWhiteSpace;

// The head of a saved box: \makebox with the width or the picture size given, else \mbox.
std::optional<std::string> boxHead() {
  char head[kBoxHeadSize];
  reader::skipBlanks();
  if (reader::peekChar() == '[') {
    reader::advance();
    std::optional<float> width = reader::readLength();
    if (!width) {
      reader::report("malformed width");
      return std::nullopt;
    }
    reader::skipStretchTo(']');
    reader::skipBlanks();
    if (reader::peekChar() != ']') {
      reader::report("mismatched `['");
      return std::nullopt;
    }
    reader::advance();
    std::snprintf(head, sizeof head, "\\makebox[%.1f]", *width);
    return std::string(head);
  }
  if (reader::peekChar() == '(') {
    std::optional<reader::CoordinatePair> size = reader::readCoordinatePair();
    if (!size) {
      reader::report("malformed x,y pair");
      return std::nullopt;
    }
    std::snprintf(head, sizeof head, "\\makebox(%.1f,%.1f)", size->x, size->y);
    return std::string(head);
  }
  return std::string("\\mbox");
}

}  // namespace

void ruleProc() {
  skipWhiteSpace();
  std::optional<float> raise = 0.0f;
  if (reader::peekChar() == '[') raise = reader::readDelimitedLength('[', ']');
  std::optional<float> width = reader::readDelimitedLength('{', '}');
  std::optional<float> height = reader::readDelimitedLength('{', '}');
  if (!raise || !width || !height) {
    reader::report("bad argument to \\rule");
    return;
  }
  writeInlineStatement("!Rule", "%.2f\" %.2f\" %.2f\"\n", *raise / kPointsPerInch,
                       *width / kPointsPerInch, *height / kPointsPerInch);
}

void saveBoxProc(const char* kind) {
  std::optional<std::string> name = reader::readCommandName();
  if (!name) return;
  std::optional<std::string> head = std::string("\\mbox");
  std::string position;
  if (kind[0] == 'a') {
    head = boxHead();
    if (!head) return;
    reader::skipBlanks();
    if (reader::peekChar() == '[') position = reader::readBracketArgument();
  }
  std::string body = *head;
  if (!position.empty()) {
    body += '[';
    body += position;
    body += ']';
  }
  reader::skipBlanks();
  body += '{';
  body += reader::readMacroArgument();
  body += '}';
  reader::defineMacro(*name, 0, body);
}

}  // namespace pendra::output
