#include "host/mif_check.h"

#include <cctype>

namespace pendra::host {

namespace {

bool isNameChar(unsigned char c) {
  return std::isalnum(c) != 0;
}
bool isSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool isHex(unsigned char c) {
  return std::isxdigit(c) != 0;
}

}  // namespace

MifCheckResult checkMif(std::string_view text) {
  MifCheckResult result;
  int line = 1;
  long depth = 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto fail = [&](const char* message) {
    result.ok = false;
    result.line = line;
    result.message = message;
    return result;
  };
  if (text.substr(0, 9) != "<MIFFile ") return fail("not a MIF file (no MIFFile statement)");
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++line;
      ++i;
    } else if (isSpace(c)) {
      ++i;
    } else if (c == '#') {
      while (i < n && text[i] != '\n') ++i;
    } else if (c == '<') {
      ++i;
      if (i >= n || !std::isalpha(static_cast<unsigned char>(text[i])))
        return fail("statement name expected after '<'");
      while (i < n && isNameChar(static_cast<unsigned char>(text[i]))) ++i;
      if (i < n && !isSpace(static_cast<unsigned char>(text[i])) && text[i] != '>' &&
          text[i] != '<' && text[i] != '`')
        return fail("malformed statement name");
      ++depth;
    } else if (c == '>') {
      if (depth == 0) return fail("'>' without an open statement");
      --depth;
      ++i;
    } else if (c == '`') {
      ++i;
      for (;;) {
        if (i >= n || text[i] == '\n') return fail("unterminated string");
        char s = text[i];
        if (s == '\'') {
          ++i;
          break;
        }
        if (s == '\\') {
          if (i + 1 >= n) return fail("unterminated string");
          char e = text[i + 1];
          if (e == 't' || e == '>' || e == 'q' || e == 'Q' || e == '\\') {
            i += 2;
          } else if (e == 'x' && i + 3 < n && isHex(text[i + 2]) && isHex(text[i + 3])) {
            i += 4;
            if (i < n && text[i] == ' ') ++i;
          } else {
            return fail("bad escape in string");
          }
          continue;
        }
        ++i;
      }
    } else {
      if (depth == 0) return fail("text outside a statement");
      // A value: a number, a unit, a keyword.
      while (i < n && !isSpace(static_cast<unsigned char>(text[i])) && text[i] != '<' &&
             text[i] != '>' && text[i] != '`' && text[i] != '#')
        ++i;
    }
  }
  if (depth != 0) return fail("statement not closed at the end of the file");
  return result;
}

}  // namespace pendra::host
