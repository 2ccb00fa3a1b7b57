// Input sources: the stack of open files, buffered reading with line-end folding and line
// counting, the progress trace, the string input stack that macros read through, and the skipping
// routines that argument readers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "fdk/fdk.h"

namespace pendra::reader {

constexpr int kEndOfInput = -1;
constexpr std::size_t kFileBlockSize = 1024;
constexpr std::size_t kTokenTextSize = 256;  // 255 characters and a terminating zero
constexpr std::size_t kMaxStrings = 32;      // entries of the string input stack
constexpr std::size_t kMaxMacroFrames = 32;  // open macro frames
constexpr std::size_t kMaxPathElement = 255;
// Files open at once (the main source and the files it includes): bounds a source that includes
// itself.
constexpr std::size_t kMaxOpenFiles = 32;
// File inclusions (\input, \include, EPS files) asked for in one conversion: a file that includes
// itself twice would otherwise be read 2^32 times within the nesting bound.
constexpr std::size_t kMaxFileInclusions = 10000;
// Bytes read from files may reach this many plus kReadPerSourceByte for each byte of the distinct
// files of the document; past it no more files are included.
constexpr std::uint64_t kReadAllowance = std::uint64_t{1} << 26;
constexpr std::uint64_t kReadPerSourceByte = 64;
// The MLP a conversion writes may reach this many bytes plus kOutputPerInputByte for each byte
// read from files; past it (100 MB of "$" would make gigabytes) reading stops.
constexpr std::uint64_t kOutputAllowance = std::uint64_t{1} << 22;
constexpr std::uint64_t kOutputPerInputByte = 8;
constexpr int kNoProgressMark = 999999;
// Macro text read in one conversion may reach this many bytes plus kExpansionPerInputByte for each
// byte read from files; past that the document expands without end (say, macros that double
// each other thirty times over) and reading stops.
constexpr std::uint64_t kExpansionAllowance = std::uint64_t{1} << 24;
constexpr std::uint64_t kExpansionPerInputByte = 16;
// Bytes of a file looked at to decide whether it is UTF-8; past them the decision stands on what
// was seen.
constexpr std::uint64_t kEncodingScanLimit = std::uint64_t{1} << 24;
// Bytes of a character made from one byte of an 8-bit file, waiting to be read after its first.
constexpr std::size_t kMaxQueuedBytes = 4;
constexpr std::size_t kMaxUtf8Length = 4;
constexpr const char* kDefaultTexInputs = ".:/public/lib/tex/inputs";

// How the bytes above 127 of a file are read. UTF-8 passes them on as they are; the others are
// 8-bit encodings whose bytes the reader turns into UTF-8 as it reads them, so that all text past
// the file (macro bodies, arguments, names) is UTF-8.
// kUnknown: an encoding declared that this reader does not know; its bytes above 127 become the
// replacement character.
enum class Encoding : unsigned char {
  kUtf8,
  kLatin1,
  kLatin9,
  kCp1252,
  kAppleMac,
  kLatin2,
  kCp1250,
  kCp850,
  kCp437,
  kCp852,
  kKoi8r,
  kCp1251,
  kCp866,
  kUnknown
};

// The bytes that the inline step of advance() takes as they are: all but the line ends, and those
// above 127 only where the encoding is UTF-8 (an 8-bit file's go through the slow step).
struct PlainBytes {
  bool plain[256];
};
constexpr PlainBytes makePlainBytes(bool high) {
  PlainBytes bytes{};
  for (int c = 0; c < 256; ++c) bytes.plain[c] = c != '\r' && c != '\n' && (high || c < 0x80);
  return bytes;
}
inline constexpr PlainBytes kPlainUtf8 = makePlainBytes(true);
inline constexpr PlainBytes kPlainEightBit = makePlainBytes(false);

// How a conversion reads its sources; set by the driver for each conversion.
struct ReadOptions {
  bool progressTrace = true;  // print line numbers while reading
  // For documents from others: no absolute, parent-directory or hidden file names are read.
  bool restricted = false;
};

// An outer file saved while an included one is read.
struct SavedInput {
  ChannelT channel = nullptr;
  std::string fileName;
  bool hasFileName = false;
  std::string rest;  // the unread rest of its file buffer
  int lineCounter = 0;
  int currentChar = 0;
  bool firstReading = false;
  Encoding encoding = Encoding::kUtf8;  // found for the file when it was opened
  bool invalidUtf8Reported = false;
  bool latin1Reported = false;
  // What was put back in front of the file (see ReaderState).
  int putBack = -2;
  int queued[kMaxQueuedBytes] = {};
  std::size_t queuedCount = 0;
};

// A string that the reader reads through instead of the file (a macro body or argument).
struct StringEntry {
  const char* resume = nullptr;  // where reading continues when a string above it ends
  int frame = 0;                 // the macro frame that #1..#9 refer to while this is read
  // Keeps a macro body alive while it is read, even if the macro is redefined or its scope ends.
  std::shared_ptr<const std::string> owner;
};

struct MacroFrame {
  std::vector<std::string> args;
  int argCount = 0;
  int stringLevel = 0;  // string count when the frame was opened
};

struct ReaderState {
  int currentChar = '\n';
  bool currentFromFile = true;  // line feeds are counted only when they come from a file
  ChannelT channel = nullptr;
  std::string fileName;
  bool hasFileName = false;
  int lineCounter = 0;
  // The current block of the file; NUL bytes in it are ordinary characters.
  char fileBuffer[kFileBlockSize + 1] = {};
  std::size_t bufferLength = 0;
  std::size_t readPos = 0;
  int lastRaw = 0;
  // A character put back in front of the file while a string is pushed; -2 (kNoPutBack) when
  // none.
  int putBack = -2;
  // Bytes of the current character still to be read after the put-back character, the next last
  // (see putBackChar).
  int queued[kMaxQueuedBytes] = {};
  std::size_t queuedCount = 0;
  // The encoding of the current file: found when it was opened (UTF-8 when its bytes above 127
  // form UTF-8, else Latin-1), or the one declared (\usepackage[enc]{inputenc}), which holds for
  // the rest of the document.
  Encoding fileEncoding = Encoding::kUtf8;
  bool encodingDeclared = false;
  Encoding declaredEncoding = Encoding::kUtf8;
  Encoding encoding = Encoding::kUtf8;              // the one in force
  const bool* plainBytes = kPlainUtf8.plain;        // by the encoding in force
  bool atFileStart = true;                          // a byte order mark is skipped here
  bool invalidUtf8Reported = false;                 // per file
  bool latin1Reported = false;                      // per file
  std::unordered_set<char32_t> reportedCharacters;  // and scripts, by their first code point
  std::vector<SavedInput> inputStack;
  // String input stack and macro frames.
  StringEntry strings[kMaxStrings];
  int stringCount = 0;
  const char* pending = nullptr;
  MacroFrame frames[kMaxMacroFrames];
  int frameDepth = 0;
  std::uint64_t fileBytesRead = 0;
  // Bytes of files read for the first time (by name): the size of the document's own text.
  std::uint64_t sourceBytesRead = 0;
  bool firstReading = true;  // the current file is read for the first time
  std::size_t inclusions = 0;
  std::uint64_t outputBytes = 0;  // MLP written so far
  bool outputLimitReached = false;
  bool inclusionLimitReached = false;
  std::unordered_set<std::string> filesRead;  // names of the included files read so far
  std::uint64_t expandedBytes = 0;            // text of macro bodies and arguments pushed so far
  bool germanQuotes = false;
  char tokenText[kTokenTextSize] = {};
  int progressMark = kNoProgressMark;
  ReadOptions options;
  // Directory of the main source (searched first for included files); owned by the driver.
  FilePathT sourceDir = nullptr;
};

// The reader's state, the one readerState() returns; declared here for the inline step of
// advance().
extern ReaderState theReader;
constexpr int kNoPutBack = -2;

inline ReaderState& readerState() {
  return theReader;
}
// Resets the reader for a new conversion, closing what the last one left open; `sourceDir` is
// searched first for included files and stays the caller's.
void initReader(const ReadOptions& options = {}, FilePathT sourceDir = nullptr);

// The current file name for message prefixes, or nullptr when none is set.
const char* currentFileName();

// Makes `channel` (opened by the caller) the current input named `name`; the reader closes it.
void startInput(ChannelT channel, const char* name);
// In restricted mode, reports and refuses a name that is absolute, goes through "..", or names a
// hidden file or directory (one beginning with a dot).
bool restrictedPathRefused(const char* name);
// Counts one more file inclusion; false (reported once) past the bounds on the number of
// inclusions and on the bytes read from files.
bool inclusionAllowed(const char* name);
// Searches the include path for `name` and opens it for reading; nullptr if not found or refused
// (then `refused`, when given, is set: the refusal has been reported).
ChannelT searchInputFile(const char* name, bool* refused = nullptr);
// \input and \include: opens the named file (".tex" rule applied) and reads it next.
void pushInputFile(const char* name);
// Opens the file of exactly this name (no extension added) and reads it next; false, with no
// message, when it is not there.
bool pushFileIfFound(const char* file);
// The name of the file reading began with (the document's main file), or "".
std::string mainFileName();
// Ends all reading: closes frames, the string stack and the current file.
void finishReading();
// Drops the reader's reference to the source directory, which its owner is about to free.
void forgetSourceDir();

// Moves to the next character: the next one of the string being read, or of the file (where a
// line feed read before counts a line, and CR and CR LF become a line feed).
void advanceSlow();
inline void advance() {
  ReaderState& r = theReader;
  // The common steps inline: within a string, or within the file's block away from line ends.
  if (r.pending) {
    if (*r.pending) {
      r.currentChar = static_cast<unsigned char>(*r.pending++);
      return;
    }
  } else if (r.putBack == kNoPutBack && r.readPos < r.bufferLength &&
             !(r.currentFromFile && r.currentChar == '\n')) {
    auto c = static_cast<unsigned char>(r.fileBuffer[r.readPos]);
    if (r.plainBytes[c]) {
      ++r.readPos;
      r.lastRaw = c;
      r.currentChar = c;
      r.currentFromFile = true;
      return;
    }
  }
  advanceSlow();
}
// Whether the MLP written is within its bound; past it (reported once) no more of any file is read,
// and the document ends as at the end of its input.
bool outputWithinBudget();
// Counts `n` bytes of MLP written; checked against the output bound when the reader next reads
// from a file.
inline void countOutput(std::size_t n) {
  theReader.outputBytes += n;
}
// Puts a character back into the file buffer (used when a string is pushed while the file is read).
void putBackChar(int c);
// \usepackage[enc]{inputenc}: the encoding holds from the next byte of the current file on, and
// for every file read after it.
void declareInputEncoding(Encoding encoding);

// Skipping routines shared by the argument readers.
void advanceWithSubstitution();
void advancePastSpaces();
void skipToLineEnd();
void skipBlanks();
// Moves past white space (space, tab, line feed, carriage return, form feed) with plain steps.
void skipWhiteSpace();

// Moves to the next character of an argument read as raw text (a URL, a file name): inside a
// macro's body, #1..#9 are read as the argument they stand for and ## as one # (appended to
// `text`); in a file, # is a character like any other.
void advanceInRawArgument(std::string& text);

// Pushes `text` (which must outlive its reading) as a string without opening a frame.
void pushString(const char* text);
// Opens a macro frame with `args` and reads `body` next.
void startExpansion(std::shared_ptr<const std::string> body, std::vector<std::string> args,
                    int argCount);
// Reads argument `digit` of frame `frame` next (for '#' followed by a digit).
void insertArgument(int digit, int frame);
// The frame number of the string being read, 0 when the file is read.
int currentFrame();

// The input as the other folders see it. Only the reader touches ReaderState: a template code
// that reads its own arguments a character at a time looks at the current character with
// peekChar() and moves on with advance() and the skipping routines above, so that files,
// strings, macro frames, line counts and encodings stay the reader's own business. A character
// above 127 is the first byte of one in the input's encoding: text copied as it stands passes it
// to unicodeText() (unicode.h), which reads the rest.
inline int peekChar() {
  return theReader.currentChar;
}
// Takes the current character when it is `c`.
inline bool takeChar(int c) {
  if (theReader.currentChar != c) return false;
  advance();
  return true;
}
// The text of the token read last (tokenizer.h).
inline const char* tokenText() {
  return theReader.tokenText;
}
// The line of the current file that is being read.
inline int lineNumber() {
  return theReader.lineCounter;
}
// The counter that prefixes messages with the line (for registerReporter).
inline const int* lineCounter() {
  return &theReader.lineCounter;
}
// While it lives, messages give `line` as their line: for a construct whose fault is found at the
// end of the input but belongs where it began (an unterminated \verb, an unclosed verbatim). The
// line counts on afterwards, also when the message ends a recovery point.
class MessageLineScope {
 public:
  explicit MessageLineScope(int line) : now_(theReader.lineCounter) {
    theReader.lineCounter = line;
  }
  ~MessageLineScope() { theReader.lineCounter = now_; }
  MessageLineScope(const MessageLineScope&) = delete;
  MessageLineScope& operator=(const MessageLineScope&) = delete;

 private:
  int now_;
};

}  // namespace pendra::reader
