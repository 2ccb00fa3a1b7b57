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
};

char mainBuffer[kBufferSize];
WriterState mainWriter{nullptr, 0, mainBuffer};
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
  ++active->line;
  if (active->line % kLineCommentEvery == 0) {
    put(" # line ");
    putInteger(active->line);
  }
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
// A varint of a size_t takes at most this many bytes.
constexpr std::size_t kMostVarintBytes = 10;

// Room for `n` more bytes at the end of the spill's last block, in one piece.
char* packRoom(Spill& spill, std::size_t n) {
  std::vector<std::string>& blocks = spill.blocks;
  if (blocks.empty() || blocks.back().capacity() - blocks.back().size() < n) {
    std::size_t size = blocks.empty() ? kFirstPackedBlock
                                      : std::min(2 * blocks.back().capacity(), kLargestPackedBlock);
    blocks.emplace_back().reserve(std::max(size, n));
  }
  std::string& block = blocks.back();
  std::size_t at = block.size();
  block.resize(at + n);  // within the capacity: the block does not move
  return block.data() + at;
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
  char head[1 + kMostVarintBytes];
  head[0] = static_cast<char>(op);
  std::size_t headLength = 1 + packedVarint(head + 1, prefix);
  std::size_t textBytes = text ? length + 1 : 0;
  char* p = packRoom(spill, headLength + textBytes);
  std::memcpy(p, head, headLength);
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
    std::vector<std::string>& inner = node->spill->blocks;
    for (std::string& block : inner) spill.blocks.push_back(std::move(block));
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

// Reads a spill's packed nodes in order; a packed node lies within one block.
class PackedReader {
 public:
  explicit PackedReader(const std::vector<std::string>& blocks) : blocks_(blocks) {}
  bool atEnd() {
    settle();
    return block_ == blocks_.size();
  }
  unsigned char peek() {
    settle();
    return static_cast<unsigned char>(blocks_[block_][at_]);
  }
  const char* take(std::size_t n) {
    settle();
    const char* p = blocks_[block_].data() + at_;
    at_ += n;
    return p;
  }
  std::size_t varint() {
    std::size_t value = 0;
    for (int shift = 0;; shift += 7) {
      auto byte = static_cast<unsigned char>(*take(1));
      value |= static_cast<std::size_t>(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return value;
    }
  }

 private:
  void settle() {
    while (block_ < blocks_.size() && at_ == blocks_[block_].size()) {
      ++block_;
      at_ = 0;
    }
  }
  const std::vector<std::string>& blocks_;
  std::size_t block_ = 0;
  std::size_t at_ = 0;
};

bool writeLeaf(Op op, const float* n, std::int32_t integer, const char* text, bool last);

// Formats one packed node at `level`, as writeNode writes the node it was packed from; true when
// writing must stop.
bool formatPacked(PackedReader& in, int level) {
  auto op = static_cast<Op>(static_cast<unsigned char>(*in.take(1)));
  if (op == kPlaceholderOp) return false;
  putIndent(level);
  if (op == kRawTextOp) {
    std::size_t length = in.varint();
    putBytes(in.take(length + 1), length);
    return false;
  }
  float n[4] = {};
  std::int32_t integer = 0;
  const char* text = nullptr;
  switch (opKind(op)) {
    case 'C':
      std::memcpy(n, in.take(2 * sizeof(float)), 2 * sizeof(float));
      break;
    case 'Q':
      std::memcpy(n, in.take(4 * sizeof(float)), 4 * sizeof(float));
      break;
    case 'D':
    case 'F':
      std::memcpy(n, in.take(sizeof(float)), sizeof(float));
      break;
    case 'N':
      std::memcpy(&integer, in.take(sizeof integer), sizeof integer);
      break;
    case 'S':
    case 's':
      if (std::size_t prefix = in.varint(); prefix > 0) text = in.take(prefix);
      break;
    case 'T': {
      std::size_t length = in.varint();
      text = in.take(length + 1);
      break;
    }
    case 'P': {
      putChar('<');
      put(kOperatorNames[static_cast<std::size_t>(op)]);
      countLine();
      put("\n");
      std::size_t children = 0;
      for (;;) {
        if (in.atEnd()) return true;  // packing stopped inside the group
        if (in.peek() == kGroupEnd) break;
        ++children;
        if (formatPacked(in, level + 1)) return true;
      }
      in.take(1);
      putIndent(level);
      put(">");
      if (children >= kEndCommentChildren) {
        put(" # end of ");
        put(kOperatorNames[static_cast<std::size_t>(op)]);
      }
      countLine();
      put("\n");
      return false;
    }
    default:
      break;
  }
  return writeLeaf(op, n, integer, text, false);
}

// Formats the nodes of a spill into the output in their place; true when one of them ended it.
bool formatSpill(const Spill& spill, int level) {
  PackedReader in(spill.blocks);
  while (!in.atEnd()) {
    if (formatPacked(in, level)) return true;
  }
  return spill.stopped;
}

// Writes a statement that is not a group, after its indentation: its operator, its numbers or its
// text (for S and s none stands for a string without text; for T it is the keyword), and the end
// of its line; true when the operator cannot be written and writing must stop.
bool writeLeaf(Op op, const float* n, std::int32_t integer, const char* text, bool last) {
  putChar('<');
  put(kOperatorNames[static_cast<std::size_t>(op)]);
  switch (opKind(op)) {
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
      putInteger(integer);
      put(">");
      break;
    case 'O':
      put(">");
      break;
    case 'Q':
      putInches(n, 4);
      break;
    case 'S':
    case 's':
      put(" `");
      if (text) {
        putEscaped(text);
      } else {
        put("** NULL **");
      }
      put("'>");
      break;
    case 'T':
      put(" ");
      put(text ? text : "");
      put(">");
      break;
    default:
      put("\n");
      return true;
  }
  countLine();
  put(last ? " # [[last node]]\n" : "\n");
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
  putIndent(level);
  if (node->op == kRawTextOp) {
    put(std::string_view(node->text.c_str()));  // up to a NUL byte, as C text
    return false;
  }
  bool last = node == cursorNode();
  switch (opKind(node->op)) {
    case 'P': {
      const std::string_view name = kOperatorNames[static_cast<std::size_t>(node->op)];
      putChar('<');
      put(name);
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
      countLine();
      put(last ? " # [[last node]]\n" : "\n");
      return false;
    }
    case 'S':
      return writeLeaf(node->op, node->number, node->integer,
                       node->hasText ? node->text.c_str() : nullptr, last);
    case 's':
    case 'T':
      return writeLeaf(node->op, node->number, node->integer, node->ref, last);
    default:
      return writeLeaf(node->op, node->number, node->integer, nullptr, last);
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
