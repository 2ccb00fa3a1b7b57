#include "reader/unicode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "common/chars.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::reader {

namespace {

constexpr char32_t kFirstTwoByte = 0x80;
constexpr char32_t kFirstThreeByte = 0x800;
constexpr char32_t kFirstLatin1Letter = 0xA0;  // the first past the control characters
constexpr char32_t kFirstFourByte = 0x10000;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr std::size_t kStandInTextSize = 32;

struct Script {
  char32_t first;
  char32_t last;
  const char* name;
};

// Scripts that FrameRoman and the Symbol font do not hold: a character of one is reported once
// for the whole script rather than once for each letter.
// clang-format off
constexpr Script kScripts[] = {
    {0x0370, 0x03FF, "Greek"},
    {0x0400, 0x052F, "Cyrillic"},
    {0x0530, 0x058F, "Armenian"},
    {0x0590, 0x05FF, "Hebrew"},
    {0x0600, 0x06FF, "Arabic"},
    {0x0900, 0x0DFF, "Indic"},
    {0x0E00, 0x0E7F, "Thai"},
    {0x10A0, 0x10FF, "Georgian"},
    {0x1100, 0x11FF, "Hangul"},
    {0x1F00, 0x1FFF, "Greek"},
    {0x2500, 0x25FF, "Box drawing"},
    {0x2E80, 0x9FFF, "CJK"},
    {0xAC00, 0xD7AF, "Hangul"},
    {0xF900, 0xFAFF, "CJK"},
    {0xFF00, 0xFFEF, "CJK"},
    {0x20000, 0x3FFFF, "CJK"},
};
// clang-format on

constexpr bool scriptsInOrder() {
  for (std::size_t i = 0; i < std::size(kScripts); ++i) {
    if (kScripts[i].first > kScripts[i].last) return false;
    if (i > 0 && kScripts[i].first <= kScripts[i - 1].last) return false;
  }
  return true;
}
static_assert(scriptsInOrder(), "the script ranges are in order and apart");

// One record for each row of the table: the tokenizer returns them as it returns the character
// table's records. Made once from the constant rows.
std::vector<CommandRecord>& unicodeRecords() {
  static std::vector<CommandRecord> records = [] {
    std::vector<CommandRecord> out;
    out.reserve(kUnicodeRows.size());
    for (const UnicodeRow& row : kUnicodeRows) {
      char bytes[kMaxUtf8Length];
      CommandRecord record;
      record.name.assign(bytes, encodeUtf8(row.code, bytes));
      record.tmpl = row.tmpl;
      out.push_back(std::move(record));
    }
    return out;
  }();
  return records;
}

const Script* scriptOf(char32_t code) {
  for (const Script& script : kScripts)
    if (code >= script.first && code <= script.last) return &script;
  return nullptr;
}

// Reports, once for each character (once for each script of scripts that have none), that
// `code` is written as `standIn`.
void reportStandIn(char32_t code, const char* standIn) {
  ReaderState& rd = readerState();
  if (const UnicodeRow* row = findUnicodeRow(code); !row) {
    if (const Script* script = scriptOf(code)) {
      if (!rd.reportedCharacters.insert(script->first).second) return;
      report(
          "%s characters (U+%04X and others) have no character in a MIF document: each is "
          "written as %s",
          script->name, static_cast<unsigned>(code), standIn);
      return;
    }
  }
  if (!rd.reportedCharacters.insert(code).second) return;
  report("character U+%04X has no character in a MIF document: written as %s",
         static_cast<unsigned>(code), standIn);
}

void reportInvalid(int lead) {
  ReaderState& rd = readerState();
  if (rd.invalidUtf8Reported) return;
  rd.invalidUtf8Reported = true;
  report("invalid UTF-8 (byte 0x%02X): such bytes in this file are read as Latin-1", lead);
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Reads the continuation bytes after `lead` from the reader, moving on with `step`; kInvalid when
// they do not complete a UTF-8 sequence (`consumed` says whether any byte after the lead was
// taken).
char32_t readSequence(int lead, bool& consumed, void (*step)()) {
  consumed = false;
  int more = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    code = static_cast<char32_t>(lead & 0x1F);
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    code = static_cast<char32_t>(lead & 0x0F);
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    code = static_cast<char32_t>(lead & 0x07);
  } else {
    return kInvalid;
  }
  ReaderState& rd = readerState();
  for (int i = 0; i < more; ++i) {
    int c = rd.currentChar;
    if (c < 0 || (c & 0xC0) != 0x80) return kInvalid;
    code = (code << 6) | static_cast<char32_t>(c & 0x3F);
    step();
    consumed = true;
  }
  bool overlong = (more == 2 && code < kFirstThreeByte) || (more == 3 && code < kFirstFourByte);
  if (overlong || (code >= kFirstSurrogate && code <= kLastSurrogate) || code > kLastCodePoint)
    return kInvalid;
  return code;
}

// The control characters above ASCII (the bytes 128..159 of Latin-1) are read as a space, as the
// character table reads the bytes it has no row for.
bool isControl(char32_t code) {
  return code >= kFirstTwoByte && code < kFirstLatin1Letter;
}

bool inMath() {
  int mode = currentMode();
  return mode == kMathMode || mode == kInlineMathMode || mode == kMathArrayMode;
}

// The literal text of a template that writes one character and nothing else: the template itself
// when it is literal, the character of "%f(T)x%0" (the FrameRoman characters that commands write
// in Times); nothing for any other.
std::optional<std::string_view> literalText(const char* tmpl) {
  if (!std::strchr(tmpl, '%')) return tmpl;
  // The hard and thin spaces are plain spaces where no command runs.
  if (std::strcmp(tmpl, "%z(~)") == 0 || std::strcmp(tmpl, "%z(,)") == 0) return " ";
  constexpr std::string_view kTimes = "%f(T)";
  constexpr std::string_view kEnd = "%0";
  std::string_view t(tmpl);
  if (t.size() <= kTimes.size() + kEnd.size() || !t.starts_with(kTimes) || !t.ends_with(kEnd))
    return std::nullopt;
  std::string_view inner = t.substr(kTimes.size(), t.size() - kTimes.size() - kEnd.size());
  if (inner.find('%') != inner.npos) return std::nullopt;
  return inner;
}

// The text of a literal template as bytes: its escapes (a FrameRoman byte "\\x8e ", a markup
// character "\\<") made the bytes they stand for.
const char* plainText(std::string_view tmpl, char* buffer) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < tmpl.size() && n + 1 < kStandInTextSize; ++i) {
    bool escape = i + 4 < tmpl.size() && tmpl[i] == '\\' && tmpl[i + 1] == 'x' &&
                  chars::isHexDigit(tmpl[i + 2]) && chars::isHexDigit(tmpl[i + 3]) &&
                  tmpl[i + 4] == ' ';
    bool markup = tmpl[i] == '\\' && i + 1 < tmpl.size() &&
                  (tmpl[i + 1] == '<' || tmpl[i + 1] == '>' || tmpl[i + 1] == '\\');
    if (markup) {
      buffer[n++] = tmpl[++i];
    } else if (escape) {
      buffer[n++] =
          static_cast<char>(chars::hexValue(tmpl[i + 2]) * 16 + chars::hexValue(tmpl[i + 3]));
      i += 4;
    } else {
      buffer[n++] = tmpl[i];
    }
  }
  buffer[n] = 0;
  return buffer;
}

}  // namespace

const UnicodeRow* findUnicodeRow(char32_t code) {
  auto it = std::lower_bound(kUnicodeRows.begin(), kUnicodeRows.end(), code,
                             [](const UnicodeRow& row, char32_t c) { return row.code < c; });
  return it != kUnicodeRows.end() && it->code == code ? &*it : nullptr;
}

char32_t eightBitCodePoint(Encoding encoding, unsigned char byte) {
  if (byte < kEightBitHalf) return byte;
  std::size_t i = byte - kEightBitHalf;
  switch (encoding) {
    case Encoding::kLatin9:
      return kLatin9High[i];
    case Encoding::kCp1252:
      return kCp1252High[i];
    case Encoding::kAppleMac:
      return kAppleMacHigh[i];
    case Encoding::kLatin2:
      return kLatin2High[i];
    case Encoding::kCp1250:
      return kCp1250High[i];
    case Encoding::kCp850:
      return kCp850High[i];
    case Encoding::kCp437:
      return kCp437High[i];
    case Encoding::kCp852:
      return kCp852High[i];
    case Encoding::kKoi8r:
      return kKoi8rHigh[i];
    case Encoding::kCp1251:
      return kCp1251High[i];
    case Encoding::kCp866:
      return kCp866High[i];
    case Encoding::kUnknown:
      return kReplacementCharacter;
    case Encoding::kUtf8:
    case Encoding::kLatin1:
      break;
  }
  return byte;
}

bool encodingOfOption(std::string_view option, Encoding& encoding) {
  struct Name {
    std::string_view option;
    Encoding encoding;
  };
  static constexpr Name kNames[] = {
      {"utf8", Encoding::kUtf8},         {"utf8x", Encoding::kUtf8},
      {"latin1", Encoding::kLatin1},     {"latin9", Encoding::kLatin9},
      {"cp1252", Encoding::kCp1252},     {"ansinew", Encoding::kCp1252},
      {"applemac", Encoding::kAppleMac}, {"latin2", Encoding::kLatin2},
      {"cp1250", Encoding::kCp1250},     {"cp850", Encoding::kCp850},
      {"cp437", Encoding::kCp437},       {"cp437de", Encoding::kCp437},
      {"cp852", Encoding::kCp852},       {"koi8-r", Encoding::kKoi8r},
      {"cp1251", Encoding::kCp1251},     {"cp866", Encoding::kCp866},
  };
  for (const Name& name : kNames) {
    if (name.option == option) {
      encoding = name.encoding;
      return true;
    }
  }
  return false;
}

std::size_t encodeUtf8(char32_t code, char* out) {
  auto byte = [](char32_t v) { return static_cast<char>(static_cast<unsigned char>(v)); };
  if (code < kFirstTwoByte) {
    out[0] = byte(code);
    return 1;
  }
  if (code < kFirstThreeByte) {
    out[0] = byte(0xC0 | (code >> 6));
    out[1] = byte(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < kFirstFourByte) {
    out[0] = byte(0xE0 | (code >> 12));
    out[1] = byte(0x80 | ((code >> 6) & 0x3F));
    out[2] = byte(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = byte(0xF0 | (code >> 18));
  out[1] = byte(0x80 | ((code >> 12) & 0x3F));
  out[2] = byte(0x80 | ((code >> 6) & 0x3F));
  out[3] = byte(0x80 | (code & 0x3F));
  return 4;
}

int utf8SequenceLength(const unsigned char* text, std::size_t length) {
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  int more = 0;
  if (lead >= 0xC2 && lead <= 0xDF)
    more = 1;
  else if (lead >= 0xE0 && lead <= 0xEF)
    more = 2;
  else if (lead >= 0xF0 && lead <= 0xF4)
    more = 3;
  else
    return 0;
  for (int i = 1; i <= more; ++i) {
    if (static_cast<std::size_t>(i) >= length) return -1;
    if ((text[i] & 0xC0) != 0x80) return 0;
  }
  // The second byte bounds what the lead allows: no overlong forms, no surrogates, nothing past
  // the last code point.
  unsigned char second = text[1];
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return more + 1;
}

CommandRecord* unicodeToken(char* tokenText, int lead) {
  bool consumed = false;
  char32_t code = readSequence(lead, consumed, advance);
  if (code == kInvalid) {
    reportInvalid(lead);
    // The byte read as Latin-1, as the character table has it; a cut sequence whose bytes are
    // gone already leaves a stand-in.
    CommandRecord* r = consumed ? nullptr : charRecord(static_cast<unsigned char>(lead));
    if (r) {
      tokenText[0] = static_cast<char>(lead);
      tokenText[1] = 0;
      return r;
    }
    std::strcpy(tokenText, consumed ? kPlaceholder : " ");
    return specialToken(kTextToken);
  }
  if (isControl(code)) {
    std::strcpy(tokenText, " ");
    return specialToken(kTextToken);
  }
  tokenText[encodeUtf8(code, tokenText)] = 0;
  const UnicodeRow* row = findUnicodeRow(code);
  if (!row) {
    reportStandIn(code, kPlaceholder);
    std::strcpy(tokenText, kPlaceholder);
    return specialToken(kTextToken);
  }
  if (row->math && inMath()) {
    if (row->math[0] != '\\') {
      std::strcpy(tokenText, row->math);
      if (CommandRecord* r = charRecord(static_cast<unsigned char>(row->math[0]))) return r;
      return specialToken(kTextToken);
    }
    // The command's name as its token text: math finds its operator by the name.
    if (CommandRecord* r = lookup(row->math, std::strlen(row->math))) {
      std::strcpy(tokenText, row->math);
      return r;
    }
  }
  if (row->fidelity == Fidelity::kStandIn) {
    // The message shows a stand-in of plain letters as it stands.
    std::string_view t(row->tmpl);
    bool plain = t.find_first_of("%\\") == t.npos;
    reportStandIn(code, plain ? row->tmpl : "the nearest character");
  }
  return &unicodeRecords()[static_cast<std::size_t>(row - kUnicodeRows.data())];
}

const char* unicodeText(int lead, void (*step)()) {
  static char buffer[kStandInTextSize];
  bool consumed = false;
  char32_t code = readSequence(lead, consumed, step);
  if (code == kInvalid) {
    reportInvalid(lead);
    CommandRecord* r = consumed ? nullptr : charRecord(static_cast<unsigned char>(lead));
    return r && r->tmpl.find('%') == std::string::npos ? plainText(r->tmpl, buffer) : kPlaceholder;
  }
  if (isControl(code)) return " ";
  const UnicodeRow* row = findUnicodeRow(code);
  std::optional<std::string_view> literal;
  if (row) literal = literalText(row->tmpl);
  if (!literal) {
    reportStandIn(code, kPlaceholder);
    return kPlaceholder;
  }
  const char* text = plainText(*literal, buffer);
  if (row->fidelity == Fidelity::kStandIn) reportStandIn(code, text);
  return text;
}

}  // namespace pendra::reader
