#include "mif/writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace pendra::mif {

namespace {

// Output is gathered and handed to the channel in blocks of about this size.
constexpr std::size_t kOutputBlock = 8192;
// Every line whose number is a multiple of this carries a "# line" comment.
constexpr int kLineCommentEvery = 20;
// Groups with at least this many children close with "# end of <name>".
constexpr std::size_t kEndCommentChildren = 6;

// Output gathers in a buffer that goes to the channel whenever it fills.
constexpr std::size_t kBufferSize = 4 * kOutputBlock;

struct WriterState {
  ChannelT channel = nullptr;
  int line = 0;
  char* buffer = nullptr;
  std::size_t fill = 0;
  bool failed = false;
  bool spilling = false;  // writing nodes out early: lines are marked, not numbered
};

// One writer for the file and one for nodes written out early; `active` is the one at work.
char mainBuffer[kBufferSize];
char spillBuffer[kBufferSize];
WriterState mainWriter{nullptr, 0, mainBuffer};
WriterState spillWriter{nullptr, 0, spillBuffer};
WriterState* active = &mainWriter;

// Marks a counted line in nodes written out early; MIF text never holds a NUL byte.
constexpr char kLineMark = '\0';

void flushOutput() {
  if (!active->failed && active->fill > 0) {
    std::size_t written = F_ChannelWrite(active->buffer, 1, active->fill, active->channel);
    if (written != active->fill) active->failed = true;
  }
  active->fill = 0;
}

inline void putBytes(const char* bytes, std::size_t n) {
  if (active->fill + n > kBufferSize) {
    flushOutput();
    if (n > kBufferSize) {
      if (!active->failed && F_ChannelWrite(bytes, 1, n, active->channel) != n)
        active->failed = true;
      return;
    }
  }
  std::memcpy(active->buffer + active->fill, bytes, n);
  active->fill += n;
}

inline void putChar(char c) {
  if (active->fill == kBufferSize) flushOutput();
  active->buffer[active->fill++] = c;
}

void putf(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline void put(std::string_view text) {
  putBytes(text.data(), text.size());
}

// The number of hundredths (precision 2) or tenths (precision 1) that "%.Nf" prints for `value`,
// rounded half to even from its exact binary value, as printf rounds; false when the value is too
// large for this, or not finite.
bool scaledDigits(float value, int precision, std::uint64_t* scaled) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  int exponent = static_cast<int>((bits >> 23) & 0xFF);
  std::uint64_t mantissa = bits & 0x7FFFFF;
  if (exponent == 0xFF) return false;
  if (exponent == 0) {
    exponent = 1;  // subnormal
  } else {
    mantissa |= 0x800000;
  }
  // value = mantissa * 2^shift
  int shift = exponent - 150;
  std::uint64_t numerator = mantissa * (precision == 1 ? 10u : 100u);
  if (shift >= 0) {
    if (shift > 24) return false;
    *scaled = numerator << shift;
    return true;
  }
  int down = -shift;
  if (down >= 40) {
    *scaled = 0;  // below a thousandth of the smallest step: nothing survives the rounding
    return true;
  }
  std::uint64_t quotient = numerator >> down;
  std::uint64_t rest = numerator & ((std::uint64_t{1} << down) - 1);
  std::uint64_t half = std::uint64_t{1} << (down - 1);
  if (rest > half || (rest == half && (quotient & 1))) ++quotient;
  *scaled = quotient;
  return true;
}

// A number as printf's "%.Nf" writes it, `precision` being 1 or 2.
void putFixed(float value, int precision) {
  std::uint64_t scaled;
  if (scaledDigits(value, precision, &scaled)) {
    char text[40];
    char* end = text + sizeof text;
    char* p = end;
    for (int i = 0; i < precision; ++i) {
      *--p = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    }
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    } while (scaled > 0);
    if (std::signbit(value)) *--p = '-';
    putBytes(p, static_cast<std::size_t>(end - p));
    return;
  }
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                 std::chars_format::fixed, precision);
  if (ec != std::errc()) {
    if (precision == 1) {
      putf("%.1f", static_cast<double>(value));
    } else {
      putf("%.2f", static_cast<double>(value));
    }
    return;
  }
  putBytes(text, static_cast<std::size_t>(end - text));
}

void putInteger(std::int32_t value) {
  char text[16];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  (void)ec;  // sixteen characters hold every 32-bit integer
  putBytes(text, static_cast<std::size_t>(end - text));
}

// " X\"" for each of the numbers, then ">": a point or a rectangle in inches.
void putInches(const float* n, int count) {
  for (int i = 0; i < count; ++i) {
    putChar(' ');
    putFixed(n[i], 2);
    putChar('"');
  }
  put(">");
}

void putf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void putf(const char* format, ...) {
  // Four numbers of a rectangle near the single-precision limit take some 170 characters; the
  // text is measured first, so that a value is never cut short.
  char text[128];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length >= static_cast<int>(sizeof text)) {
    std::string longer(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(longer.data(), longer.size(), format, again);
    longer.resize(static_cast<std::size_t>(length));
    put(longer.c_str());
  } else if (length > 0) {
    put(text);
  }
  va_end(again);
}

// Level L is 2L columns: a tab for every four, spaces for the rest.
void putIndent(int level) {
  static constexpr char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
  constexpr std::size_t kMostTabs = sizeof kTabs - 1;
  std::size_t tabs = static_cast<std::size_t>(level) / 2;
  while (tabs > kMostTabs) {
    putBytes(kTabs, kMostTabs);
    tabs -= kMostTabs;
  }
  putBytes(kTabs, tabs);
  if (level % 2) putBytes("  ", 2);
}

// Bytes that a string holds as they are: printable ASCII and the control characters other than
// tab, line feed and carriage return, except the quotes, '>' and '\\'.
struct PlainTable {
  bool plain[256];
};
constexpr PlainTable makePlainTable() {
  PlainTable t{};
  for (int c = 1; c < 128; ++c) t.plain[c] = true;
  for (int c : {'\t', '\n', '\r', '\'', '>', '\\', '`'}) t.plain[c] = false;
  return t;
}
constexpr PlainTable kPlain = makePlainTable();

void putEscaped(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (;;) {
    const unsigned char* run = p;
    while (kPlain.plain[*p]) ++p;
    if (p > run) putBytes(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
    switch (*p) {
      case 0:
        return;
      case '\t':
        put("\\t");
        break;
      case '\n':
      case '\r':
        break;
      case '\'':
        put("\\q");
        break;
      case '>':
        put("\\>");
        break;
      case '\\':
        put("\\\\");
        break;
      case '`':
        put("\\Q");
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        char escape[] = {'\\', 'x', kHex[*p >> 4], kHex[*p & 15], ' '};
        putBytes(escape, sizeof escape);
      }
    }
    ++p;
  }
}

// The operators' names, measured once: every statement written starts with one.
std::array<std::string_view, kMifOperatorCount> measureOperatorNames() {
  std::array<std::string_view, kMifOperatorCount> names;
  for (std::size_t i = 0; i < kMifOperatorCount; ++i) names[i] = kMifOperators[i].name;
  return names;
}
const std::array<std::string_view, kMifOperatorCount> kOperatorNames = measureOperatorNames();

void countLine() {
  if (active->spilling) {
    putChar(kLineMark);
    return;
  }
  ++active->line;
  if (active->line % kLineCommentEvery == 0) {
    put(" # line ");
    putInteger(active->line);
  }
}

// Copies nodes written out early into the output, numbering their lines now; true when one of
// them ended the output.
bool copySpill(const Spill& spill) {
  if (spill.failed) active->failed = true;
  if (!spill.channel) return spill.stopped;
  flushOutput();
  long end = F_ChannelTell(spill.channel);
  F_ChannelSeek(spill.channel, 0, SEEK_SET);
  static char block[kBufferSize];
  std::size_t n;
  while ((n = F_ChannelRead(block, 1, sizeof block, spill.channel)) > 0) {
    const char* p = block;
    const char* stop = block + n;
    while (p < stop) {
      const char* mark = static_cast<const char*>(std::memchr(p, kLineMark, stop - p));
      const char* upto = mark ? mark : stop;
      putBytes(p, static_cast<std::size_t>(upto - p));
      if (!mark) break;
      countLine();
      p = mark + 1;
    }
  }
  F_ChannelSeek(spill.channel, end, SEEK_SET);
  return spill.stopped;
}

}  // namespace

bool writeNode(const MifNode* node, int level) {
  if (node && node->spill) return copySpill(*node->spill);
  if (!node) {
    putIndent(level);
    put("## ** empty subtree **\n");
    return true;
  }
  if (node->op == kPlaceholderOp) return false;
  putIndent(level);
  if (node->op == kRawTextOp) {
    put(std::string_view(node->text.c_str()));  // up to a NUL byte, as C text
    return false;
  }
  const MifOperator& row = mifOperator(node->op);
  const std::string_view name = kOperatorNames[static_cast<std::size_t>(node->op)];
  putChar('<');
  put(name);
  const float* n = node->number;
  switch (row.kind) {
    case 'C':
      putInches(n, 2);
      break;
    case 'D':
      putChar(' ');
      putFixed(n[0], 1);
      put(" pt>");
      break;
    case 'F':
      putChar(' ');
      putFixed(n[0], 2);
      put(">");
      break;
    case 'N':
      putChar(' ');
      putInteger(node->integer);
      put(">");
      break;
    case 'O':
      put(">");
      break;
    case 'Q':
      putInches(n, 4);
      break;
    case 'S':
    case 's': {
      const char* text =
          row.kind == 'S' ? (node->hasText ? node->text.c_str() : nullptr) : node->ref;
      put(" `");
      if (text) {
        putEscaped(text);
      } else {
        put("** NULL **");
      }
      put("'>");
      break;
    }
    case 'T':
      put(" ");
      put(node->ref ? node->ref : "");
      put(">");
      break;
    case 'P': {
      countLine();
      put("\n");
      std::size_t children = 0;
      for (const MifNode* child = node->child; child; child = child->last ? nullptr : child->next) {
        children += child->spill ? child->spill->nodes : 1;
        if (writeNode(child, level + 1)) return true;
      }
      putIndent(level);
      put(">");
      if (children >= kEndCommentChildren) {
        put(" # end of ");
        put(name);
      }
      break;
    }
    default:
      put("\n");
      return true;
  }
  countLine();
  // Nodes written out early are never the last one built.
  put(!active->spilling && node == cursorNode() ? " # [[last node]]\n" : "\n");
  return false;
}

void writeMif(ChannelT channel, bool final) {
  active = &mainWriter;
  active->channel = channel;
  active->fill = 0;
  active->failed = false;
  if (final) {
    putf("<MIFFile 4.00> # created by pendra %s\n", mifVersionText());
    put("<Verbose No>\n");
  }
  MifTree* tree = currentTree();
  if (tree && tree->first) {
    active->line = 2;
    MifNode* node = tree->first;
    while (node) {
      if (writeNode(node, 0)) break;
      MifNode* following = node->last ? nullptr : node->next;
      if (final) freeNode(node);
      node = following;
    }
  }
  flushOutput();
  active->channel = nullptr;
  if (final && tree) {
    tree->first = nullptr;
    tree->cursor = nullptr;
    tree->spillMarker = nullptr;
  }
  if (final) releaseSpills();
}

void spillNode(Spill& spill, const MifNode* node) {
  if (spill.stopped || spill.failed) return;
  if (!spill.channel) {
    spill.failed = true;  // no file could be made for it
    return;
  }
  WriterState* kept = active;
  active = &spillWriter;
  active->channel = spill.channel;
  active->fill = 0;
  active->failed = false;
  active->spilling = true;
  spill.stopped = writeNode(node, spill.level);
  flushOutput();
  if (active->failed) spill.failed = true;
  active->channel = nullptr;
  active = kept;
}

bool mifWriteFailed() {
  return mainWriter.failed;
}

}  // namespace pendra::mif
