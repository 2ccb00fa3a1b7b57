#include "host/mif_check.h"

#include <array>
#include <cstring>

#include "common/byte_runs.h"

namespace pendra::host {

namespace {

enum CharClass : unsigned char {
  kLetter = 2,  // letters
  kSpace = 4,
  kHex = 8,
  kBlank = 16,  // white space other than a line feed
};

constexpr std::array<unsigned char, 256> makeClasses() {
  std::array<unsigned char, 256> c{};
  for (int i = '0'; i <= '9'; ++i) c[i] |= kHex;
  for (int i = 'a'; i <= 'z'; ++i) c[i] |= kLetter;
  for (int i = 'A'; i <= 'Z'; ++i) c[i] |= kLetter;
  for (int i = 'a'; i <= 'f'; ++i) c[i] |= kHex;
  for (int i = 'A'; i <= 'F'; ++i) c[i] |= kHex;
  for (int i : {' ', '\t', '\n', '\r', '\f'}) c[i] |= kSpace;
  for (int i : {' ', '\t', '\r', '\f'}) c[i] |= kBlank;
  return c;
}

constexpr std::array<unsigned char, 256> kClasses = makeClasses();

// What a byte at the start of a token begins; the scan's loop switches on it.
enum Token : unsigned char {
  kValueToken,  // a number, a unit, a keyword: any byte the others do not name
  kLineEnd,
  kBlankRun,
  kComment,
  kOpen,
  kClose,
  kString,
};

constexpr std::array<unsigned char, 256> makeTokens() {
  std::array<unsigned char, 256> t{};
  for (int i : {' ', '\t', '\r', '\f'}) t[i] = kBlankRun;
  t['\n'] = kLineEnd;
  t['#'] = kComment;
  t['<'] = kOpen;
  t['>'] = kClose;
  t['`'] = kString;
  return t;
}

constexpr std::array<unsigned char, 256> kTokens = makeTokens();
static_assert(kTokens['a'] == kValueToken && kTokens['\''] == kValueToken);

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

void MifChecker::scan(std::string_view text, bool addedLineEnd) {
  if (!result_.ok) return;
  if (!started_) {
    started_ = true;
    if (text.substr(0, 9) != "<MIFFile ") return fail("not a MIF file (no MIFFile statement)");
  }
  // The text ends in a line feed, which ends every token: the loops inside a line need no check
  // of the end. A line feed added to the last line of a file stands for the end of the file.
  const char* p = text.data();
  const char* const end = p + text.size();
  const char* const fileEnd = addedLineEnd ? end - 1 : nullptr;
  while (p < end) {
    switch (kTokens[static_cast<unsigned char>(*p)]) {
      case kLineEnd:
        ++line_;
        ++p;
        // A line's indentation is taken here, without a turn through the switch; the line feed
        // may have been the text's last byte.
        if (p < end)
          while (is(*p, kBlank)) ++p;
        break;
      case kBlankRun:
        do ++p;
        while (is(*p, kBlank));
        break;
      case kComment:
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        break;
      case kOpen:
        ++p;
        if (!is(*p, kLetter)) return fail("statement name expected after '<'");
        p = bytes::skipNameBytes(p + 1, end);
        if (!is(*p, kSpace) && *p != '>' && *p != '<' && *p != '`')
          return fail("malformed statement name");
        ++depth_;
        while (is(*p, kBlank)) ++p;
        break;
      case kClose:
        if (depth_ == 0) return fail("'>' without an open statement");
        --depth_;
        ++p;
        break;
      case kString:
        ++p;
        for (;;) {
          p = bytes::findAnyOf<'\n', '\'', '\\'>(p, end);
          if (*p == '\n') return fail("unterminated string");
          if (*p == '\'') {
            ++p;
            break;
          }
          // A backslash.
          if (p + 1 == fileEnd) return fail("unterminated string");
          char e = p[1];
          if (e == 't' || e == '>' || e == 'q' || e == 'Q' || e == '\\') {
            p += 2;
          } else if (e == 'x' && is(p[2], kHex) && is(p[3], kHex)) {
            p += 4;
            if (*p == ' ') ++p;
          } else {
            return fail("bad escape in string");
          }
        }
        break;
      default:
        if (depth_ == 0) return fail("text outside a statement");
        // Values (numbers, units, keywords) and the blanks between them, inside a statement, run
        // to the next byte that begins anything else.
        p = bytes::findAnyOf<'<', '>', '`', '#', '\n'>(p + 1, end);
        break;
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
  if (!pending_.empty()) {
    // The last line has no line feed of its own; the one added for the scan is not counted.
    pending_ += '\n';
    scan(pending_, true);
    if (result_.ok) --line_;
  } else if (!started_) {
    scan(pending_);  // an empty file
  }
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
