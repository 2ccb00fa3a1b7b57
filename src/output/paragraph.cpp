#include "output/paragraph.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/fonts.h"
#include "output/paragraph_formats.h"
#include "output/prologue.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

OutputState output;

// The length of the longest start of the buffer that ends between two whole pieces of MLP text:
// not inside a statement, its quoted strings, or an escape.
std::size_t wellFormedLength() {
  std::size_t safe = 0;
  int depth = 0;
  bool quoted = false;
  const std::size_t n = output.length;
  for (std::size_t i = 0; i < n; ++i) {
    char c = output.buffer[i];
    if (c == '\\') {
      i += (i + 1 < n && output.buffer[i + 1] == 'x' && depth == 0) ? 4 : 1;
    } else if (quoted) {
      quoted = c != '"';
    } else if (c == '"' && depth > 0) {
      quoted = true;
    } else if (c == '<') {
      ++depth;
    } else if (c == '>' && depth > 0) {
      --depth;
    }
    if (depth == 0 && !quoted && i < n) safe = i + 1;
  }
  return safe;
}

void store(unsigned char c) {
  if (output.overflow) return;
  if (output.length < kParagraphCapacity) {
    output.buffer[output.length++] = static_cast<char>(c);
    output.buffer[output.length] = 0;
  } else {
    // What does not fit is lost; the text kept must not end in the middle of a statement or an
    // escape, which would spoil the rest of the MLP file.
    output.overflow = true;
    output.length = wellFormedLength();
    output.buffer[output.length] = 0;
  }
}

// Stores `n` bytes as store() one by one would, at once while they fit.
void storeBytes(const char* bytes, std::size_t n) {
  if (!output.overflow && output.length + n <= kParagraphCapacity) {
    std::memcpy(output.buffer + output.length, bytes, n);
    output.length += n;
    output.buffer[output.length] = 0;
    return;
  }
  for (std::size_t i = 0; i < n; ++i) store(static_cast<unsigned char>(bytes[i]));
}

void storeString(const char* text) {
  while (*text) store(static_cast<unsigned char>(*text++));
}

void channelWrite(const char* text) {
  std::size_t n = std::strlen(text);
  reader::countOutput(n);
  F_ChannelWrite(text, 1, n, output.body);
}

// Whether the five bytes ending at `end` are an MLP hex escape: backslash, x, two bytes, space.
bool hexEscapeEndsAt(std::size_t end) {
  if (end < 5) return false;
  const char* p = output.buffer + end - 5;
  return p[0] == '\\' && p[1] == 'x' && p[4] == ' ';
}

void emptyBuffer() {
  output.length = 0;
  output.buffer[0] = 0;
}

// The tag of the current environment, as %T sets it.
void setTagFromEnvironment() {
  const char* tag = reader::currentEnvironment().paragraphTag;
  if (tag && *tag) setParagraphTag(reader::listAdjustedTag(tag).c_str());
}

}  // namespace

OutputState& outputState() {
  return output;
}

void initParagraphOutput(ChannelT body) {
  output = OutputState{};
  output.body = body;
}

void writeRawByte(unsigned char c) {
  if (output.suppression > 0) return;
  synchroniseFont();
  store(c);
  output.lastTextChar = 0;
}

void writeRawString(const char* text) {
  if (output.suppression > 0) return;
  synchroniseFont();
  storeString(text);
  output.lastTextChar = 0;
}

namespace {

// Whether a text character is stored as it is, with nothing before it: not a space (which may be
// dropped), not a byte that is escaped, and not the end of the text.
inline bool isPlainTextByte(unsigned char c) {
  return c != 0 && c != ' ' && c != '<' && c != '>' && c != '\\';
}

// A text character, the font brought up to date first unless `fontInSync` says it is.
void writeTextCharacter(unsigned char c, bool& fontInSync) {
  if (output.suppression > 0) return;
  if (c == ' ' && reader::currentMode() != reader::kVerbatimMode) {
    if (output.length == 0) return;
    // A second space after a hex escape would be read as part of the text, not its end.
    if (output.lastTextChar == ' ' && hexEscapeEndsAt(output.length) &&
        (output.length == 5 || output.buffer[output.length - 6] != '\\'))
      return;
  }
  if (!fontInSync) {
    synchroniseFont();
    // The fonts now agree, and nothing in a run of text changes them; a style that is not known
    // is written again at every character.
    fontInSync = fontState().current.style != kUnknownStyle;
  }
  output.lastTextChar = c;
  if (c == '<' || c == '>' || c == '\\') store('\\');
  store(c);
}

}  // namespace

void writeTextChar(unsigned char c) {
  bool fontInSync = false;
  writeTextCharacter(c, fontInSync);
}

void writeTextString(const char* text) {
  if (output.suppression > 0) return;
  bool fontInSync = false;
  while (*text) {
    // Once the font is written, a run of characters that need nothing of their own (no space,
    // no escape) goes into the buffer at once.
    if (fontInSync) {
      const char* run = text;
      while (isPlainTextByte(static_cast<unsigned char>(*run))) ++run;
      if (run != text) {
        storeBytes(text, static_cast<std::size_t>(run - text));
        output.lastTextChar = static_cast<unsigned char>(run[-1]);
        text = run;
        continue;
      }
    }
    writeTextCharacter(static_cast<unsigned char>(*text++), fontInSync);
  }
}

namespace {

// The end of the words that start at `p` with a plain byte: plain bytes and single spaces, each
// space followed by a plain byte or by the end of the text. Sixteen bytes are looked at a time
// where the processor can, each beside the byte after it.
const char* wordsEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  auto stops = [](__m128i v) {
    __m128i s =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()), _mm_cmpeq_epi8(v, _mm_set1_epi8('<')));
    s = _mm_or_si128(s, _mm_cmpeq_epi8(v, _mm_set1_epi8('>')));
    return _mm_or_si128(s, _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
  };
  while (end - p > 16) {
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    __m128i space = _mm_cmpeq_epi8(here, _mm_set1_epi8(' '));
    __m128i spaceAfter = _mm_or_si128(_mm_cmpeq_epi8(next, _mm_set1_epi8(' ')), stops(next));
    __m128i ends = _mm_or_si128(stops(here), _mm_and_si128(space, spaceAfter));
    if (int mask = _mm_movemask_epi8(ends)) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p != end; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c == ' ' ? p + 1 != end && !isPlainTextByte(static_cast<unsigned char>(p[1]))
                 : !isPlainTextByte(c))
      break;
  }
  return p;
}

}  // namespace

void writeTextRun(const char* text, std::size_t n, bool& fontInSync) {
  if (output.suppression > 0) return;
  const char* end = text + n;
  while (text != end) {
    if (fontInSync && isPlainTextByte(static_cast<unsigned char>(*text))) {
      // A single space after a stored character is stored as it is (the buffer is not empty and
      // the character before is no space), so words with single spaces between them go in at
      // once while they fit; else the first word alone.
      const char* words = wordsEnd(text, end);
      const char* run = words;
      if (output.overflow ||
          output.length + static_cast<std::size_t>(words - text) > kParagraphCapacity) {
        run = text;
        while (run != end && isPlainTextByte(static_cast<unsigned char>(*run))) ++run;
      }
      storeBytes(text, static_cast<std::size_t>(run - text));
      output.lastTextChar = static_cast<unsigned char>(run[-1]);
      text = run;
      continue;
    }
    writeTextCharacter(static_cast<unsigned char>(*text++), fontInSync);
  }
}

void writeStatement(const char* name) {
  store('<');
  storeString(name);
  store('>');
  output.lastTextChar = 0;
}

void writeFontText(const char* text) {
  storeString(text);
}

// A space that ends a hex escape is part of the escape and stays, even when the escape is all
// the buffer holds: without it the escape would swallow the line feed that ends the line.
void trimBlanks() {
  while (output.length > 0 && output.buffer[output.length - 1] == ' ' &&
         !hexEscapeEndsAt(output.length))
    --output.length;
  output.buffer[output.length] = 0;
}

void suppressOutput() {
  output.suppression += 1 - output.releaseCredit;
  output.releaseCredit = 0;
}

void releaseOutput() {
  if (output.suppression > 0)
    --output.suppression;
  else
    ++output.releaseCredit;
}

void endParagraph() {
  if (output.length > 0 && output.suppression > 0) return;
  trimBlanks();
  const reader::EnvironmentRecord& env = reader::currentEnvironment();
  if (env.mode == reader::kVerbatimMode || env.mode == reader::kAllttMode) {
    writeTagLine(env.paragraphTag ? env.paragraphTag : kDefaultTag, true);
    channelWrite(output.buffer);
    channelWrite("\n");
    output.statementOpen = false;
  } else if (output.length > 0) {
    if (output.blankLines >= 2 && output.afterDisplay < 0) output.afterDisplay = 0;
    output.blankLines = 0;
    if (!output.tagLineWritten) {
      if (output.afterDisplay != 0 && output.currentTag == kDefaultTag) {
        writeTagLine("FirstBody", false);
        findParagraphFormat("FirstBody");
      } else {
        writeTagLine(output.currentTag.c_str(), false);
      }
    }
    const char* text = output.buffer;
    while (*text == ' ' || *text == '\t') ++text;
    channelWrite(text);
    channelWrite("\n");
    output.statementOpen = false;
    output.lastTextChar = 0;
    if (env.paragraphKind == 'P' && env.paragraphTag) {
      setParagraphTag(env.paragraphTag);
      output.aligned = false;
    }
    output.afterDisplay = 0;
  } else if (!output.statementFlag) {
    int before = output.blankLines++;
    if (before == 0) {
      bool ended = output.tagLineWritten;
      if (output.tagLineWritten) {
        channelWrite("\n");
      } else if (env.paragraphKind == 'N') {
        setTagFromEnvironment();
        writeTagLine(output.currentTag.c_str(), false);
      } else {
        channelWrite("\n");
      }
      // The paragraph that \centering began has ended: the next takes the environment's tag.
      if (ended && output.aligned) {
        output.aligned = false;
        if (env.paragraphTag && *env.paragraphTag)
          setTagFromEnvironment();
        else
          setParagraphTag(kDefaultTag);
      }
    } else {
      output.tagLineWritten = false;
    }
  }
  emptyBuffer();
  if (output.overflow) {
    reader::report("The output buffer overflowed\n");
    output.overflow = false;
  }
}

void setParagraphTag(const char* name) {
  RegisteredFormat* format = findParagraphFormat(name);
  if (!format) return;
  output.currentTag = format->name;
  output.tagLineWritten = false;
  Font font = currentFont();
  if (const CharacterFormat* row = findCharacterFormat(format->font.c_str()))
    font = formatFont(*row);
  fontState().current = font;
  fontState().lastWritten = font;
}

void alignFollowingParagraphs(const char* name) {
  if (output.length > 0) return;
  setParagraphTag(name);
  output.aligned = true;
}

void closeOpenStatement() {
  if (!output.statementOpen || output.length == 0 || output.buffer[0] != '>') return;
  channelWrite(">");
  std::memmove(output.buffer, output.buffer + 1, output.length);  // the terminating zero too
  --output.length;
  output.statementOpen = false;
}

void newParagraphWithTag(const char* name) {
  endParagraph();
  setParagraphTag(name);
}

void writeTagLine(const char* name, bool inlineTag) {
  // Inside an open inline statement a tag line would split it; the text goes on in its paragraph.
  if (output.statementOpen) return;
  // "<name>", cut to kStatementFormatMax bytes as a formatted statement is.
  char line[kStatementFormatMax + 1];
  std::size_t n = strnlen(name, kStatementFormatMax - 1);
  line[0] = '<';
  std::memcpy(line + 1, name, n);
  std::size_t length = n + 1;
  if (length < kStatementFormatMax) line[length++] = '>';
  line[length] = 0;
  reader::countOutput(length);
  F_ChannelWrite(line, 1, length, output.body);
  output.tagLineWritten = true;
  if (!inlineTag) channelWrite("\n");
  output.afterDisplay = 0;
  if (output.pendingSpace != 0) {
    if (output.pendingSpace > 0) {
      std::snprintf(line, sizeof line, "<SpaceBefore %dpt>", output.pendingSpace);
      channelWrite(line);
    } else {
      channelWrite("<ColumnTop Yes>");
    }
    if (!inlineTag) channelWrite("\n");
    output.pendingSpace = 0;
  }
}

void startParagraphIfNeeded() {
  if (!output.tagLineWritten) writeTagLine(output.currentTag.c_str(), false);
}

// Inside a skipped argument nothing is written, a hard return included.
void hardReturn() {
  if (output.suppression > 0) return;
  trimBlanks();
  writeStatement("HardReturn");
}

namespace {

// Writes a statement's text, formatted and cut to kStatementFormatMax bytes, to the channel.
void channelWriteFormatted(const char* format, va_list args) {
  // The two shapes most statements come in, a text as it is and a format with no conversion,
  // go out without the formatting, cut to the same length.
  const char* plain = nullptr;
  if (format[0] == '%' && format[1] == 's' && format[2] == 0) {
    plain = va_arg(args, const char*);
  } else if (!std::strchr(format, '%')) {
    plain = format;
  }
  if (plain) {
    std::size_t n = strnlen(plain, kStatementFormatMax);
    reader::countOutput(n);
    F_ChannelWrite(plain, 1, n, output.body);
    return;
  }
  char text[kStatementFormatMax + 1];
  std::vsnprintf(text, sizeof text, format, args);
  channelWrite(text);
}

}  // namespace

void writeStatementLine(const char* format, ...) {
  output.statementFlag = true;
  endParagraph();
  if (output.suppression <= 0) {
    va_list args;
    va_start(args, format);
    channelWriteFormatted(format, args);
    va_end(args);
    output.tagLineWritten = true;
  }
  output.statementFlag = false;
}

void writeInlineStatement(const char* name, const char* format, ...) {
  if (output.suppression > 0) return;
  // Loose in a picture, outside its objects, a statement of running text has no line to stand in
  // (the frame holds graphics only; words there are refused too).
  if (reader::currentMode() == reader::kPictMode) return;
  store('<');
  storeString(name);
  output.statementFlag = true;
  endParagraph();
  if (format) {
    va_list args;
    va_start(args, format);
    channelWriteFormatted(format, args);
    va_end(args);
  }
  store('>');
  output.statementFlag = false;
  output.statementOpen = true;
  output.tagLineWritten = true;
}

// Only C asks for the top of a column: a negative space (\vspace{-2mm}) asks for none.
void setPendingSpace(const char* text) {
  if (text[0] == 'C') {
    output.pendingSpace = -1;
    return;
  }
  if (*text == '+') ++text;
  long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > kMaxPendingSpace) value = kMaxPendingSpace;
  }
  output.pendingSpace = static_cast<int>(value);
}

void flushAtEndOfInput() {
  if (output.length > 0) endParagraph();
}

ParagraphState saveParagraphState() {
  return {output.currentTag, output.tagLineWritten, output.pendingSpace};
}

void restoreParagraphState(const ParagraphState& state) {
  output.currentTag = state.currentTag;
  output.tagLineWritten = state.tagLineWritten;
  output.pendingSpace = state.pendingSpace;
}

}  // namespace pendra::output
