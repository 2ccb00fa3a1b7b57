#include "mif/writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  int linesToComment = kLineCommentEvery;  // lines to the next that carries its number
  char* buffer = nullptr;
  std::size_t fill = 0;
  bool failed = false;
};

char mainBuffer[kBufferSize];
WriterState mainWriter{nullptr, 0, kLineCommentEvery, mainBuffer};
WriterState* active = &mainWriter;

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

// Room for `n` bytes at the end of the output, which the caller writes and then commits.
inline char* room(std::size_t n) {
  if (active->fill + n > kBufferSize) flushOutput();
  return active->buffer + active->fill;
}

inline void commit(const char* end) {
  active->fill = static_cast<std::size_t>(end - active->buffer);
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

// The longest number fixedAt writes: the digits of the largest float, a point, two decimals and
// a sign fit with room to spare.
constexpr std::size_t kMostNumberBytes = 64;

// Writes a number at `out` as printf's "%.Nf" writes it, `precision` being 1 or 2; returns the end.
char* fixedAt(char* out, float value, int precision) {
  // Positive zero, the most frequent number of all (frames at the origin, empty offsets).
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (bits == 0) {
    std::memcpy(out, "0.00", 4);
    return out + 2 + precision;
  }
  std::uint64_t scaled;
  if (scaledDigits(value, precision, &scaled)) {
    if (std::signbit(value)) *out++ = '-';
    // The integer part has one digit more for every power of ten below it.
    std::size_t digits = static_cast<std::size_t>(precision) + 1;
    for (std::uint64_t rest = scaled / (precision == 1 ? 10u : 100u); rest >= 10; rest /= 10)
      ++digits;
    char* end = out + digits + 1;
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
    return end;
  }
  char text[kMostNumberBytes];
  auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                 std::chars_format::fixed, precision);
  std::size_t length = static_cast<std::size_t>(end - text);
  if (ec != std::errc()) {
    int printed = std::snprintf(text, sizeof text, precision == 1 ? "%.1f" : "%.2f",
                                static_cast<double>(value));
    length = printed < 0 ? 0 : std::min(static_cast<std::size_t>(printed), sizeof text - 1);
  }
  std::memcpy(out, text, length);
  return out + length;
}

// " X\"" for each of the numbers, then ">": a point or a rectangle in inches.
char* inchesAt(char* out, const float* n, int count) {
  for (int i = 0; i < count; ++i) {
    *out++ = ' ';
    out = fixedAt(out, n[i], 2);
    *out++ = '"';
  }
  *out++ = '>';
  return out;
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
constexpr char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
constexpr std::size_t kMostTabs = sizeof kTabs - 1;

void putIndent(int level) {
  std::size_t tabs = static_cast<std::size_t>(level) / 2;
  while (tabs > kMostTabs) {
    putBytes(kTabs, kMostTabs);
    tabs -= kMostTabs;
  }
  putBytes(kTabs, tabs);
  if (level % 2) putBytes("  ", 2);
}

// Room for a line's indentation at `level` and `n` bytes after it, the indentation written: the
// usual depth copies a whole row of tabs and the output ends where it should.
inline char* indentedRoom(int level, std::size_t n) {
  std::size_t tabs = static_cast<std::size_t>(level) / 2;
  if (tabs > kMostTabs) {
    putIndent(level);
    return room(n);
  }
  char* out = room(n + kMostTabs + 2);
  std::memcpy(out, kTabs, kMostTabs);
  out += tabs;
  if (level % 2) {
    out[0] = ' ';
    out[1] = ' ';
    out += 2;
  }
  return out;
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

// The first byte in [p, end) that a string does not hold as it is, or `end`; sixteen bytes are
// looked at a time where the processor can.
const unsigned char* skipPlain(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Bytes of 128 and above have their top bit set: movemask finds them with the matches.
    __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()),
                                 _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('\'')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('>')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
    stops = _mm_or_si128(stops, _mm_cmpeq_epi8(v, _mm_set1_epi8('`')));
    stops = _mm_or_si128(stops, v);
    if (int mask = _mm_movemask_epi8(stops)) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && kPlain.plain[*p]) ++p;
  return p;
}

// The most bytes one byte of a string's text takes escaped ("\\xhh ").
constexpr std::size_t kMostEscapedBytes = 5;

// Writes the `length` bytes of a string's text (it holds no NUL) at `out`, escaped; there is room
// for kMostEscapedBytes a byte. Returns the end.
char* escapeAt(char* out, const char* text, std::size_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* const end = p + length;
  for (;;) {
    const unsigned char* run = p;
    p = skipPlain(p, end);
    std::memcpy(out, run, static_cast<std::size_t>(p - run));
    out += p - run;
    if (p == end) return out;
    switch (*p) {
      case '\t':
        out[0] = '\\';
        out[1] = 't';
        out += 2;
        break;
      case '\n':
      case '\r':
        break;
      case '\'':
        out[0] = '\\';
        out[1] = 'q';
        out += 2;
        break;
      case '>':
        out[0] = '\\';
        out[1] = '>';
        out += 2;
        break;
      case '\\':
        out[0] = '\\';
        out[1] = '\\';
        out += 2;
        break;
      case '`':
        out[0] = '\\';
        out[1] = 'Q';
        out += 2;
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        char escape[] = {'\\', 'x', kHex[*p >> 4], kHex[*p & 15], ' '};
        std::memcpy(out, escape, sizeof escape);
        out += sizeof escape;
      }
    }
    ++p;
  }
}

// A string's text is escaped into the output this many bytes at a time.
constexpr std::size_t kEscapeChunk = 1024;
static_assert(kEscapeChunk * kMostEscapedBytes < kBufferSize);

// The `length` bytes of a string's text (it holds no NUL), escaped, of any length.
void putEscaped(const char* text, std::size_t length) {
  while (length > 0) {
    std::size_t n = std::min(length, kEscapeChunk);
    commit(escapeAt(room(n * kMostEscapedBytes), text, n));
    text += n;
    length -= n;
  }
}

// The operators' names, each in a row of fixed size with its length: every statement written
// starts with one, copied whole and cut to its length.
constexpr std::size_t kNameRow = 24;
struct NameRow {
  char text[kNameRow];
  std::size_t length;
};
std::array<NameRow, kMifOperatorCount> measureOperatorNames() {
  std::array<NameRow, kMifOperatorCount> names{};
  for (std::size_t i = 0; i < kMifOperatorCount; ++i) {
    std::string_view name = kMifOperators[i].name;
    if (name.size() > kNameRow) name = {};  // never so: the longest name has 19 letters
    std::memcpy(names[i].text, name.data(), name.size());
    names[i].length = name.size();
  }
  return names;
}
const std::array<NameRow, kMifOperatorCount> kOperatorNames = measureOperatorNames();

inline char* nameAt(char* out, Op op) {
  const NameRow& row = kOperatorNames[static_cast<std::size_t>(op)];
  std::memcpy(out, row.text, kNameRow);
  return out + row.length;
}

// The most a statement's line holds besides its strings and its indentation: '<', the name, four
// numbers, the closing bytes, a line comment and the end of the line.
constexpr std::size_t kMostLineBytes = 1 + kNameRow + 4 * (kMostNumberBytes + 2) + 64;
static_assert(kMostLineBytes < kBufferSize);

// The end of a line at most: a line comment with its number, the last node's mark.
constexpr std::size_t kMostLineEndBytes = 8 + 11 + 17;
// A string's text (escaped) or a keyword of up to this many bytes goes into the room taken for
// its line, with '<', the name and the quotes around it.
constexpr std::size_t kTextInLine = 48;
static_assert(1 + kNameRow + 2 + kTextInLine * kMostEscapedBytes + 2 + kMostLineEndBytes <=
              kMostLineBytes);

// The end of a line: the line is counted, every twentieth carries its number.
char* lineEndAt(char* out, bool last) {
  ++active->line;
  if (--active->linesToComment == 0) {
    active->linesToComment = kLineCommentEvery;
    std::memcpy(out, " # line ", 8);
    out += 8;
    out = std::to_chars(out, out + 16, active->line).ptr;
  }
  if (last) {
    static constexpr std::string_view kLast = " # [[last node]]\n";
    std::memcpy(out, kLast.data(), kLast.size());
    return out + kLast.size();
  }
  *out++ = '\n';
  return out;
}

// The first line of a group at `level`: '<' and its name.
void openGroup(Op op, int level) {
  char* out = indentedRoom(level, kMostLineBytes);
  *out++ = '<';
  out = nameAt(out, op);
  commit(lineEndAt(out, false));
}

// The last line of a group at `level` of `children` children.
void closeGroup(Op op, int level, std::size_t children, bool last) {
  char* out = indentedRoom(level, kMostLineBytes);
  *out++ = '>';
  if (children >= kEndCommentChildren) {
    std::memcpy(out, " # end of ", 10);
    out = nameAt(out + 10, op);
  }
  commit(lineEndAt(out, last));
}

// The packed form of nodes written out early. A node is its operator's byte and its values: C two
// floats, Q four, D and F one, N a 32-bit integer, as they are in memory; T and raw text a length
// (a varint) and the bytes with a NUL after them; S and s the same with one more than the length,
// 0 standing for a string that has no text; a group its children and then kGroupEnd. A
// placeholder and an operator that cannot be written are the byte alone. Numbers are formatted
// only when the file is written, from the same values, so the bytes are those of the nodes.
constexpr unsigned char kGroupEnd = 0xFF;
static_assert(kMifOperatorCount < kGroupEnd, "an operator's byte must not be the group end");
// A spill's blocks double from the first size up to the largest.
constexpr std::size_t kFirstPackedBlock = 1024;
constexpr std::size_t kLargestPackedBlock = 64 * 1024;

// Starts a block with room for at least `n` bytes: the blocks double from the first size up to
// the largest.
PackedBlock& newPackedBlock(Spill& spill, std::size_t n) {
  std::vector<PackedBlock>& blocks = spill.blocks;
  std::size_t size = blocks.empty() ? kFirstPackedBlock
                                    : std::min(2 * blocks.back().capacity, kLargestPackedBlock);
  size = std::max(size, n);
  PackedBlock& block = blocks.emplace_back();
  block.bytes = packedMemory(size);
  block.capacity = size;
  return block;
}

// Room for `n` more bytes at the end of the spill's last block, in one piece.
inline char* packRoom(Spill& spill, std::size_t n) {
  std::vector<PackedBlock>& blocks = spill.blocks;
  PackedBlock* block = blocks.empty() ? nullptr : &blocks.back();
  if (!block || block->capacity - block->size < n) block = &newPackedBlock(spill, n);
  char* room = block->bytes + block->size;
  block->size += n;
  return room;
}

std::size_t packedVarint(char* out, std::size_t value) {
  std::size_t n = 0;
  while (value >= 0x80) {
    out[n++] = static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out[n++] = static_cast<char>(value);
  return n;
}

// Packs a node's operator byte followed by `size` bytes of values.
void packFixed(Spill& spill, Op op, const void* values, std::size_t size) {
  char* p = packRoom(spill, 1 + size);
  p[0] = static_cast<char>(op);
  if (size > 0) std::memcpy(p + 1, values, size);
}

// Packs a node's operator byte, `prefix` as a varint, and the text (if any) with its NUL.
void packText(Spill& spill, Op op, std::size_t prefix, const char* text, std::size_t length) {
  std::size_t headLength = 2;  // the operator and the varint's last byte
  for (std::size_t rest = prefix; rest >= 0x80; rest >>= 7) ++headLength;
  std::size_t textBytes = text ? length + 1 : 0;
  char* p = packRoom(spill, headLength + textBytes);
  p[0] = static_cast<char>(op);
  packedVarint(p + 1, prefix);
  if (text) {
    std::memcpy(p + headLength, text, length);
    p[headLength + length] = '\0';
  }
}

// Packs a node and its descendants, as writeNode would write them; true where writeNode would
// stop.
bool packNode(Spill& spill, const MifNode* node) {
  if (node->spill) {
    // A nested stand-in, complete: its packed nodes move in whole, in their place.
    std::vector<PackedBlock>& inner = node->spill->blocks;
    for (PackedBlock& block : inner) spill.blocks.push_back(std::move(block));
    inner.clear();
    return node->spill->stopped;
  }
  if (node->op == kPlaceholderOp) {
    packFixed(spill, node->op, nullptr, 0);
    return false;
  }
  if (node->op == kRawTextOp) {
    const char* text = node->text.c_str();  // up to a NUL byte, as the writer takes it
    std::size_t length = std::strlen(text);
    packText(spill, node->op, length, text, length);
    return false;
  }
  switch (mifOperator(node->op).kind) {
    case 'C':
      packFixed(spill, node->op, node->number, 2 * sizeof(float));
      return false;
    case 'Q':
      packFixed(spill, node->op, node->number, 4 * sizeof(float));
      return false;
    case 'D':
    case 'F':
      packFixed(spill, node->op, node->number, sizeof(float));
      return false;
    case 'N':
      packFixed(spill, node->op, &node->integer, sizeof node->integer);
      return false;
    case 'O':
      packFixed(spill, node->op, nullptr, 0);
      return false;
    case 'S':
    case 's': {
      const char* text =
          opKind(node->op) == 'S' ? (node->hasText ? node->text.c_str() : nullptr) : node->ref;
      std::size_t length = text ? std::strlen(text) : 0;
      packText(spill, node->op, text ? length + 1 : 0, text, length);
      return false;
    }
    case 'T': {
      const char* text = node->ref ? node->ref : "";
      std::size_t length = std::strlen(text);
      packText(spill, node->op, length, text, length);
      return false;
    }
    case 'P':
      packFixed(spill, node->op, nullptr, 0);
      for (const MifNode* child = node->child; child; child = child->last ? nullptr : child->next) {
        if (packNode(spill, child)) return true;
      }
      *packRoom(spill, 1) = static_cast<char>(kGroupEnd);
      return false;
    default:
      packFixed(spill, node->op, nullptr, 0);
      return true;
  }
}

// Reads a spill's packed nodes in order; a packed node lies within one block, so that its bytes
// are read from one pointer.
class PackedReader {
 public:
  explicit PackedReader(const std::vector<PackedBlock>& blocks) : blocks_(blocks) {
    if (!blocks_.empty()) enter(0);
  }
  bool atEnd() {
    settle();
    return at_ == end_;
  }
  unsigned char peek() {
    settle();
    return static_cast<unsigned char>(*at_);
  }
  // The next node's bytes; the caller reads them and moves on with `passed`.
  const char* node() {
    settle();
    return at_;
  }
  void passed(const char* p) { at_ = p; }

 private:
  void enter(std::size_t block) {
    block_ = block;
    at_ = blocks_[block].bytes;
    end_ = at_ + blocks_[block].size;
  }
  // Moves on to the next block with bytes left when the current one is read whole.
  void settle() {
    while (at_ == end_ && block_ + 1 < blocks_.size()) enter(block_ + 1);
  }
  const std::vector<PackedBlock>& blocks_;
  std::size_t block_ = 0;
  const char* at_ = nullptr;
  const char* end_ = nullptr;
};

std::size_t readVarint(const char*& p) {
  std::size_t value = 0;
  for (int shift = 0;; shift += 7) {
    auto byte = static_cast<unsigned char>(*p++);
    value |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return value;
  }
}

bool writeLeaf(Op op, int level, const float* n, std::int32_t integer, const char* text,
               std::size_t textLength, bool last);

// Formats one packed node at `level`, as writeNode writes the node it was packed from; true when
// writing must stop.
bool formatPacked(PackedReader& in, int level) {
  const char* p = in.node();
  auto op = static_cast<Op>(static_cast<unsigned char>(*p++));
  if (op == kPlaceholderOp) {
    in.passed(p);
    return false;
  }
  if (op == kRawTextOp) {
    putIndent(level);
    std::size_t length = readVarint(p);
    putBytes(p, length);
    in.passed(p + length + 1);
    return false;
  }
  float n[4];
  std::int32_t integer = 0;
  const char* text = nullptr;
  std::size_t textLength = 0;
  switch (opKind(op)) {
    case 'C':
      std::memcpy(n, p, 2 * sizeof(float));
      p += 2 * sizeof(float);
      break;
    case 'Q':
      std::memcpy(n, p, 4 * sizeof(float));
      p += 4 * sizeof(float);
      break;
    case 'D':
    case 'F':
      std::memcpy(n, p, sizeof(float));
      p += sizeof(float);
      break;
    case 'N':
      std::memcpy(&integer, p, sizeof integer);
      p += sizeof integer;
      break;
    case 'S':
    case 's':
      if (std::size_t prefix = readVarint(p); prefix > 0) {
        text = p;
        textLength = prefix - 1;
        p += prefix;
      }
      break;
    case 'T':
      textLength = readVarint(p);
      text = p;
      p += textLength + 1;
      break;
    case 'P': {
      in.passed(p);
      openGroup(op, level);
      std::size_t children = 0;
      for (;;) {
        if (in.atEnd()) return true;  // packing stopped inside the group
        if (in.peek() == kGroupEnd) break;
        ++children;
        if (formatPacked(in, level + 1)) return true;
      }
      in.passed(in.node() + 1);
      closeGroup(op, level, children, false);
      return false;
    }
    default:
      break;
  }
  in.passed(p);
  return writeLeaf(op, level, n, integer, text, textLength, false);
}

// Formats the nodes of a spill into the output in their place; true when one of them ended it.
bool formatSpill(const Spill& spill, int level) {
  PackedReader in(spill.blocks);
  while (!in.atEnd()) {
    if (formatPacked(in, level)) return true;
  }
  return spill.stopped;
}

// Writes a statement that is not a group at `level`: its indentation, its operator, its numbers or
// its text (for S and s none stands for a string without text; for T it is the keyword), and the
// end of its line; true when the operator cannot be written and writing must stop.
bool writeLeaf(Op op, int level, const float* n, std::int32_t integer, const char* text,
               std::size_t textLength, bool last) {
  char* out = indentedRoom(level, kMostLineBytes);
  *out++ = '<';
  out = nameAt(out, op);
  switch (opKind(op)) {
    case 'C':
      out = inchesAt(out, n, 2);
      break;
    case 'D':
      *out++ = ' ';
      out = fixedAt(out, n[0], 1);
      std::memcpy(out, " pt>", 4);
      out += 4;
      break;
    case 'F':
      *out++ = ' ';
      out = fixedAt(out, n[0], 2);
      *out++ = '>';
      break;
    case 'N':
      *out++ = ' ';
      out = std::to_chars(out, out + 16, integer).ptr;  // sixteen hold every 32-bit integer
      *out++ = '>';
      break;
    case 'O':
      *out++ = '>';
      break;
    case 'Q':
      out = inchesAt(out, n, 4);
      break;
    case 'S':
    case 's':
      out[0] = ' ';
      out[1] = '`';
      out += 2;
      if (!text) {
        std::memcpy(out, "** NULL **", 10);
        out += 10;
      } else if (textLength <= kTextInLine) {
        out = escapeAt(out, text, textLength);
      } else {
        commit(out);
        putEscaped(text, textLength);
        out = room(kMostLineBytes);
      }
      out[0] = '\'';
      out[1] = '>';
      out += 2;
      break;
    case 'T':
      *out++ = ' ';
      if (text && textLength <= kTextInLine) {
        std::memcpy(out, text, textLength);
        out += textLength;
      } else if (text) {
        commit(out);
        put(std::string_view(text, textLength));
        out = room(kMostLineBytes);
      }
      *out++ = '>';
      break;
    default:
      *out++ = '\n';
      commit(out);
      return true;
  }
  commit(lineEndAt(out, last));
  return false;
}

}  // namespace

bool writeNode(const MifNode* node, int level) {
  if (!node) {
    putIndent(level);
    put("## ** empty subtree **\n");
    return true;
  }
  if (node->spill) return formatSpill(*node->spill, level);
  if (node->op == kPlaceholderOp) return false;
  if (node->op == kRawTextOp) {
    putIndent(level);
    put(std::string_view(node->text.c_str()));  // up to a NUL byte, as C text
    return false;
  }
  bool last = node == cursorNode();
  switch (opKind(node->op)) {
    case 'P': {
      openGroup(node->op, level);
      std::size_t children = 0;
      for (const MifNode* child = node->child; child; child = child->last ? nullptr : child->next) {
        children += child->spill ? child->spill->nodes : 1;
        if (writeNode(child, level + 1)) return true;
      }
      closeGroup(node->op, level, children, last);
      return false;
    }
    case 'S':
    case 's':
    case 'T': {
      // Text up to a NUL byte, as C text.
      const char* text = opKind(node->op) != 'S' ? node->ref
                         : node->hasText         ? node->text.c_str()
                                                 : nullptr;
      return writeLeaf(node->op, level, node->number, node->integer, text,
                       text ? std::strlen(text) : 0, last);
    }
    default:
      return writeLeaf(node->op, level, node->number, node->integer, nullptr, 0, last);
  }
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
    active->linesToComment = kLineCommentEvery - 2;
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
  if (spill.stopped) return;
  spill.stopped = packNode(spill, node);
}

bool mifWriteFailed() {
  return mainWriter.failed;
}

}  // namespace pendra::mif
