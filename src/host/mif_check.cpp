#include "host/mif_check.h"

#include <array>
#include <cstring>

namespace pendra::host {

namespace {

enum CharClass : unsigned char {
  kName = 1,    // letters and digits
  kLetter = 2,  // letters
  kSpace = 4,
  kHex = 8,
  kValueEnd = 16,  // ends a value: white space and < > ` #
};

constexpr std::array<unsigned char, 256> makeClasses() {
  std::array<unsigned char, 256> c{};
  for (int i = '0'; i <= '9'; ++i) c[i] |= kName | kHex;
  for (int i = 'a'; i <= 'z'; ++i) c[i] |= kName | kLetter;
  for (int i = 'A'; i <= 'Z'; ++i) c[i] |= kName | kLetter;
  for (int i = 'a'; i <= 'f'; ++i) c[i] |= kHex;
  for (int i = 'A'; i <= 'F'; ++i) c[i] |= kHex;
  for (int i : {' ', '\t', '\n', '\r', '\f'}) c[i] |= kSpace | kValueEnd;
  for (int i : {'<', '>', '`', '#'}) c[i] |= kValueEnd;
  return c;
}

constexpr std::array<unsigned char, 256> kClasses = makeClasses();

bool is(char c, unsigned char cls) {
  return (kClasses[static_cast<unsigned char>(c)] & cls) != 0;
}

}  // namespace

void MifChecker::fail(const char* message) {
  if (!result_.ok) return;
  result_.ok = false;
  result_.line = line_;
  result_.message = message;
}

void MifChecker::scan(std::string_view text) {
  if (!result_.ok) return;
  if (!started_) {
    started_ = true;
    if (text.substr(0, 9) != "<MIFFile ") return fail("not a MIF file (no MIFFile statement)");
  }
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == '\n') {
      ++line_;
      ++i;
    } else if (is(c, kSpace)) {
      ++i;
    } else if (c == '#') {
      const void* eol = std::memchr(text.data() + i, '\n', n - i);
      i = eol ? static_cast<std::size_t>(static_cast<const char*>(eol) - text.data()) : n;
    } else if (c == '<') {
      ++i;
      if (i >= n || !is(text[i], kLetter)) return fail("statement name expected after '<'");
      while (i < n && is(text[i], kName)) ++i;
      if (i < n && !is(text[i], kSpace) && text[i] != '>' && text[i] != '<' && text[i] != '`')
        return fail("malformed statement name");
      ++depth_;
    } else if (c == '>') {
      if (depth_ == 0) return fail("'>' without an open statement");
      --depth_;
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
          } else if (e == 'x' && i + 3 < n && is(text[i + 2], kHex) && is(text[i + 3], kHex)) {
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
      if (depth_ == 0) return fail("text outside a statement");
      // A value: a number, a unit, a keyword.
      while (i < n && !is(text[i], kValueEnd)) ++i;
    }
  }
}

void MifChecker::feed(const char* data, std::size_t size) {
  if (!result_.ok || size == 0) return;
  const char* end = data + size;
  const char* first = static_cast<const char*>(std::memchr(data, '\n', size));
  if (!first) {
    pending_.append(data, size);
    return;
  }
  const char* after = first + 1;
  if (!pending_.empty()) {
    pending_.append(data, after);
    scan(pending_);
    pending_.clear();
    data = after;
  }
  // Everything up to the last line end is whole lines; the rest waits for more.
  const char* last = end;
  while (last > data && last[-1] != '\n') --last;
  if (last > data) scan(std::string_view(data, static_cast<std::size_t>(last - data)));
  pending_.append(last, end);
}

MifCheckResult MifChecker::finish() {
  scan(pending_);
  pending_.clear();
  if (result_.ok && depth_ != 0) fail("statement not closed at the end of the file");
  return result_;
}

MifCheckResult checkMif(std::string_view text) {
  MifChecker checker;
  checker.feed(text.data(), text.size());
  return checker.finish();
}

}  // namespace pendra::host
