#include "reader/input.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "common/chars.h"
#include "reader/report.h"
#include "reader/unicode.h"

namespace pendra::reader {

ReaderState theReader;

namespace {

ReaderState& reader = theReader;

constexpr std::size_t kNameBufferSize = 256;
constexpr const char* kTexExtension = ".tex";
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint64_t kHighBits = 0x8080808080808080;  // the top bit of each of eight bytes

// Whether the bytes above 127 of the file that `channel` reads from its current position form
// UTF-8; the channel is left where it was. A channel that cannot go back is taken as UTF-8 (its
// bytes that form no UTF-8 are then read as Latin-1 one by one).
bool readsAsUtf8(ChannelT channel) {
  long start = F_ChannelTell(channel);
  if (start < 0 || F_ChannelSeek(channel, start, SEEK_SET) != 0) return true;
  unsigned char block[kFileBlockSize + kMaxQueuedBytes];
  std::size_t carried = 0;  // the start of a sequence that the last block cut
  std::uint64_t scanned = 0;
  bool valid = true;
  while (valid && scanned < kEncodingScanLimit) {
    std::size_t n = F_ChannelRead(block + carried, 1, kFileBlockSize, channel);
    if (n == 0) {
      valid = carried == 0;
      break;
    }
    scanned += n;
    std::size_t length = carried + n;
    std::size_t i = 0;
    carried = 0;
    while (i < length) {
      if (block[i] < 0x80) {
        // Runs of ASCII, eight bytes at a time.
        std::uint64_t word = 0;
        while (i + sizeof word <= length &&
               (std::memcpy(&word, block + i, sizeof word), (word & kHighBits) == 0))
          i += sizeof word;
        if (i < length && block[i] < 0x80) ++i;
        continue;
      }
      int sequence = utf8SequenceLength(block + i, length - i);
      if (sequence == 0) {
        valid = false;
        break;
      }
      if (sequence < 0) {
        carried = length - i;
        std::memmove(block, block + i, carried);
        break;
      }
      i += static_cast<std::size_t>(sequence);
    }
  }
  F_ChannelSeek(channel, start, SEEK_SET);
  return valid;
}

// Sets the encoding in force: the declared one, else the file's own.
void settleEncoding() {
  reader.encoding = reader.encodingDeclared ? reader.declaredEncoding : reader.fileEncoding;
  reader.plainBytes = reader.encoding == Encoding::kUtf8 ? kPlainUtf8.plain : kPlainEightBit.plain;
}

// A byte above 127 of an 8-bit file: its character as UTF-8, the first byte now and the others
// queued behind it.
int transcode(int byte) {
  if (reader.encoding == Encoding::kLatin1 && !reader.encodingDeclared && !reader.latin1Reported) {
    reader.latin1Reported = true;
    report("this file is not valid UTF-8: it is read as Latin-1");
  }
  char bytes[kMaxUtf8Length];
  std::size_t n =
      encodeUtf8(eightBitCodePoint(reader.encoding, static_cast<unsigned char>(byte)), bytes);
  for (std::size_t i = n - 1; i >= 2; --i)
    reader.queued[reader.queuedCount++] = static_cast<unsigned char>(bytes[i]);
  if (n > 1) reader.putBack = static_cast<unsigned char>(bytes[1]);
  return static_cast<unsigned char>(bytes[0]);
}

void closeFrame() {
  MacroFrame& frame = reader.frames[reader.frameDepth - 1];
  frame.args.clear();
  frame.argCount = 0;
  frame.stringLevel = 0;
  --reader.frameDepth;
}

// The string on top of the stack has ended: drop it, close its frame when this was the frame's
// last string, and go on in the string below (or in the file).
void endString() {
  StringEntry& top = reader.strings[reader.stringCount - 1];
  top.owner.reset();
  --reader.stringCount;
  if (reader.frameDepth > 0 &&
      reader.stringCount <= reader.frames[reader.frameDepth - 1].stringLevel)
    closeFrame();
  reader.pending = reader.stringCount > 0 ? reader.strings[reader.stringCount - 1].resume : nullptr;
}

void progressTrace() {
  if (!reader.options.progressTrace) return;
  if (reader.lineCounter != reader.progressMark + 1 && reader.hasFileName)
    F_Printf(nullptr, "\nReading file %s\n", reader.fileName.c_str());
  // The number is formatted here, once for every line of the source: printf's conversion of it
  // costs nearly half as much again.
  char number[16] = {' '};
  *std::to_chars(number + 1, number + sizeof number - 1, reader.lineCounter).ptr = '\0';
  F_Printf(nullptr, "%s", number);
  reader.progressMark = reader.lineCounter;
}

void closeFiles() {
  for (SavedInput& saved : reader.inputStack)
    if (saved.channel) F_ChannelClose(saved.channel);
  reader.inputStack.clear();
  if (reader.channel) F_ChannelClose(reader.channel);
  reader.channel = nullptr;
}

// Takes one byte of the current file, folding CR and CR LF into LF; at the end of an included
// file resumes the file that included it.
int rawChar() {
  for (;;) {
    if (reader.putBack != kNoPutBack) {
      int c = reader.putBack;
      reader.putBack = reader.queuedCount > 0 ? reader.queued[--reader.queuedCount] : kNoPutBack;
      return c;
    }
    if (reader.readPos < reader.bufferLength) {
      if (reader.atFileStart) {
        reader.atFileStart = false;
        if (reader.bufferLength >= sizeof kByteOrderMark &&
            std::memcmp(reader.fileBuffer, kByteOrderMark, sizeof kByteOrderMark) == 0)
          reader.readPos = sizeof kByteOrderMark;
        continue;
      }
      int c = static_cast<unsigned char>(reader.fileBuffer[reader.readPos++]);
      if (c == '\r') {
        reader.lastRaw = '\r';
        return '\n';
      }
      bool folded = c == '\n' && reader.lastRaw == '\r';
      reader.lastRaw = c;
      if (folded) continue;
      if (c >= 0x80 && reader.encoding != Encoding::kUtf8) return transcode(c);
      return c;
    }
    if (!reader.channel || !outputWithinBudget()) return kEndOfInput;
    std::size_t n = F_ChannelRead(reader.fileBuffer, 1, kFileBlockSize, reader.channel);
    if (n > 0) {
      reader.fileBytesRead += n;
      if (reader.firstReading) reader.sourceBytesRead += n;
      reader.fileBuffer[n] = 0;
      reader.bufferLength = n;
      reader.readPos = 0;
      continue;
    }
    F_ChannelClose(reader.channel);
    reader.channel = nullptr;
    if (reader.inputStack.empty()) return kEndOfInput;
    SavedInput saved = std::move(reader.inputStack.back());
    reader.inputStack.pop_back();
    reader.lineCounter = saved.lineCounter;
    reader.firstReading = saved.firstReading;
    reader.fileName = std::move(saved.fileName);
    reader.hasFileName = saved.hasFileName;
    reader.channel = saved.channel;
    reader.fileEncoding = saved.encoding;
    reader.invalidUtf8Reported = saved.invalidUtf8Reported;
    reader.latin1Reported = saved.latin1Reported;
    reader.atFileStart = false;
    settleEncoding();
    // What was put back in front of the outer file follows the character that was current.
    reader.putBack = saved.putBack;
    std::memcpy(reader.queued, saved.queued, sizeof reader.queued);
    reader.queuedCount = saved.queuedCount;
    std::memcpy(reader.fileBuffer, saved.rest.data(), saved.rest.size());
    reader.bufferLength = saved.rest.size();
    reader.fileBuffer[reader.bufferLength] = 0;
    reader.readPos = 0;
    // The outer file goes on with the character that was current when the inner one was opened.
    return saved.currentChar;
  }
}

// Makes the current character be read again after a string pushed now.
void saveReadingPosition() {
  if (reader.stringCount > 0)
    reader.strings[reader.stringCount - 1].resume = reader.pending - 1;
  else
    putBackChar(reader.currentChar);
}

// Counts the text about to be read from a string; false (after reporting and ending all reading)
// when the conversion has expanded more text than any document needs.
bool withinExpansionBudget(std::size_t length) {
  reader.expandedBytes += length;
  // Macros can write without reading any more of a file: the output bound is checked here too.
  if (!outputWithinBudget()) {
    finishReading();
    return false;
  }
  if (reader.expandedBytes <= kExpansionAllowance + kExpansionPerInputByte * reader.fileBytesRead)
    return true;
  report("Macro expansion limit reached: the document expands without end, reading stops");
  finishReading();
  return false;
}

// Pushes a string whose first byte becomes the current character.
void pushEntry(const char* text, int frame, std::shared_ptr<const std::string> owner) {
  if (reader.stringCount >= static_cast<int>(kMaxStrings))
    stopConversion("Macro expansion stack overflow");
  StringEntry& entry = reader.strings[reader.stringCount++];
  entry.frame = frame;
  entry.owner = std::move(owner);
  reader.currentChar = static_cast<unsigned char>(text[0]);
  reader.pending = text + 1;
  entry.resume = reader.pending;
  reader.currentFromFile = false;
}

std::filesystem::path pathOf(FilePathT path) {
  char* text = F_FilePathToPathName(path, FDefaultPlatform);
  std::filesystem::path result(text ? text : "");
  F_Free(text);
  return result;
}

// In restricted mode, whether the file's real path (every link followed) lies outside the main
// source's directory: a link beside the document may point anywhere.
bool outsideSourceDir(FilePathT path) {
  if (!reader.options.restricted) return false;
  std::error_code error;
  std::filesystem::path root =
      reader.sourceDir ? pathOf(reader.sourceDir) : std::filesystem::current_path(error);
  std::filesystem::path realRoot = std::filesystem::canonical(root, error);
  if (error) return true;
  std::filesystem::path real = std::filesystem::canonical(pathOf(path), error);
  if (error) return true;
  std::filesystem::path relative = real.lexically_relative(realRoot);
  return relative.empty() || *relative.begin() == "..";
}

}  // namespace

void forgetSourceDir() {
  theReader.sourceDir = nullptr;
}

void initReader(const ReadOptions& options, FilePathT sourceDir) {
  for (SavedInput& saved : reader.inputStack)
    if (saved.channel) F_ChannelClose(saved.channel);
  if (reader.channel) F_ChannelClose(reader.channel);
  reader = ReaderState{};
  reader.options = options;
  reader.sourceDir = sourceDir;
}

const char* currentFileName() {
  return reader.hasFileName ? reader.fileName.c_str() : nullptr;
}

void startInput(ChannelT channel, const char* name) {
  reader.fileEncoding = readsAsUtf8(channel) ? Encoding::kUtf8 : Encoding::kLatin1;
  reader.atFileStart = true;
  reader.invalidUtf8Reported = false;
  reader.latin1Reported = false;
  settleEncoding();
  reader.channel = channel;
  reader.fileName = name ? name : "";
  reader.hasFileName = name != nullptr;
  reader.lineCounter = 0;
  reader.currentChar = '\n';
  reader.currentFromFile = true;
  reader.bufferLength = 0;
  reader.readPos = 0;
}

bool restrictedPathRefused(const char* name) {
  if (!reader.options.restricted) return false;
  std::string_view n(name);
  bool refused = !n.empty() && n[0] == '/';
  while (!refused && !n.empty()) {
    std::size_t slash = n.find('/');
    std::string_view part = n.substr(0, slash);
    refused = part == ".." || (part.size() > 1 && part[0] == '.');
    n = slash == n.npos ? std::string_view() : n.substr(slash + 1);
  }
  if (refused) report("Restricted mode: not reading %s", name);
  return refused;
}

ChannelT searchInputFile(const char* name, bool* refusedOut) {
  if (restrictedPathRefused(name)) {
    if (refusedOut) *refusedOut = true;
    return nullptr;
  }
  bool refused = false;
  auto tryOpen = [&refused](FilePathT path) -> ChannelT {
    if (!path) return nullptr;
    ChannelT channel = nullptr;
    if (F_FilePathProperty(path, 1) == 1) {
      if (outsideSourceDir(path))
        refused = true;
      else
        channel = F_ChannelOpen(path, "r");
    }
    F_FilePathFree(path);
    return channel;
  };
  auto refuse = [name, refusedOut] {
    if (refusedOut) *refusedOut = true;
    report("Restricted mode: not reading %s", name);
    return nullptr;
  };
  if (ChannelT ch = tryOpen(F_PathNameToFilePath(name, reader.sourceDir, FDefaultPlatform)))
    return ch;
  if (refused) return refuse();
  const char* list = std::getenv("TEXINPUTS");
  if (!list) list = kDefaultTexInputs;
  for (;;) {
    while (*list == ':') ++list;
    char element[kMaxPathElement + 1];
    std::size_t len = 0;
    while (*list && *list != ':') {
      if (len < kMaxPathElement) element[len++] = *list;
      ++list;
    }
    element[len] = 0;
    if (len == 0) return nullptr;
    // In restricted mode "." is the document's directory, searched first already, never the
    // directory the command was started in.
    if (reader.options.restricted && std::strcmp(element, ".") == 0) continue;
    FilePathT dir = F_PathNameToFilePath(element, nullptr, FDefaultPlatform);
    if (!dir) continue;
    ChannelT ch = tryOpen(F_PathNameToFilePath(name, dir, FDefaultPlatform));
    F_FilePathFree(dir);
    if (ch) return ch;
    if (refused) return refuse();
  }
}

namespace {
// Opens `file` along the include path and makes it the current input; false when it is refused
// or not found (reported only when `reportMissing`).
bool openAndPush(const std::string& file, bool reportMissing);
}  // namespace

void pushInputFile(const char* name) {
  // The name and ".tex" always fit the name buffer: a longer name is cut first.
  std::string file(name, strnlen(name, kNameBufferSize - 1 - std::strlen(kTexExtension)));
  if (file.size() <= 4 || file.compare(file.size() - 4, 4, kTexExtension) != 0)
    file += kTexExtension;
  openAndPush(file, true);
}

bool pushFileIfFound(const char* file) {
  return openAndPush(file, false);
}

std::string mainFileName() {
  if (!reader.inputStack.empty()) return reader.inputStack.front().fileName;
  return reader.fileName;
}

namespace {
bool openAndPush(const std::string& file, bool reportMissing) {
  if (restrictedPathRefused(file.c_str())) return false;
  if (!inclusionAllowed(file.c_str())) return false;
  if (reader.inputStack.size() + 1 >= kMaxOpenFiles) {
    report("Too many nested input files, not reading %s", file.c_str());
    return false;
  }
  bool refused = false;
  ChannelT channel = searchInputFile(file.c_str(), &refused);
  if (!channel) {
    if (!refused && reportMissing) report("Unable to find file: %s\n", file.c_str());
    return false;
  }
  SavedInput saved;
  saved.channel = reader.channel;
  saved.fileName = std::move(reader.fileName);
  saved.hasFileName = reader.hasFileName;
  saved.putBack = reader.putBack;
  std::memcpy(saved.queued, reader.queued, sizeof saved.queued);
  saved.queuedCount = reader.queuedCount;
  reader.putBack = kNoPutBack;
  reader.queuedCount = 0;
  saved.encoding = reader.fileEncoding;
  saved.invalidUtf8Reported = reader.invalidUtf8Reported;
  saved.latin1Reported = reader.latin1Reported;
  saved.rest.append(reader.fileBuffer + reader.readPos, reader.bufferLength - reader.readPos);
  saved.lineCounter = reader.lineCounter;
  saved.currentChar = reader.currentChar;
  saved.firstReading = reader.firstReading;
  reader.inputStack.push_back(std::move(saved));
  startInput(channel, file.c_str());
  reader.firstReading = reader.filesRead.insert(file).second;
  return true;
}
}  // namespace

bool outputWithinBudget() {
  if (reader.outputBytes <= kOutputAllowance + kOutputPerInputByte * reader.fileBytesRead)
    return true;
  if (!reader.outputLimitReached) {
    reader.outputLimitReached = true;
    report("Output limit reached: the document writes far more than it reads, reading stops");
  }
  closeFiles();
  return false;
}

bool inclusionAllowed(const char* name) {
  if (reader.inclusionLimitReached) return false;
  if (++reader.inclusions <= kMaxFileInclusions &&
      reader.fileBytesRead <= kReadAllowance + kReadPerSourceByte * reader.sourceBytesRead)
    return true;
  reader.inclusionLimitReached = true;
  report("Too many file inclusions: not reading %s or any file after it", name);
  return false;
}

void finishReading() {
  while (reader.frameDepth > 0) closeFrame();
  for (int i = 0; i < reader.stringCount; ++i) reader.strings[i] = StringEntry{};
  reader.stringCount = 0;
  reader.pending = nullptr;
  reader.putBack = kNoPutBack;
  reader.queuedCount = 0;
  closeFiles();
  reader.bufferLength = reader.readPos = 0;
  reader.currentChar = kEndOfInput;
  reader.fileName.clear();
  reader.hasFileName = false;
}

void advanceSlow() {
  while (reader.pending) {
    int c = static_cast<unsigned char>(*reader.pending);
    if (c != 0) {
      ++reader.pending;
      reader.currentChar = c;
      return;
    }
    endString();
  }
  if (reader.currentFromFile && reader.currentChar == '\n') {
    ++reader.lineCounter;
    progressTrace();
  }
  reader.currentChar = rawChar();
  reader.currentFromFile = true;
}

void putBackChar(int c) {
  // A character put back in front of one whose bytes wait: they follow it.
  if (reader.putBack != kNoPutBack && reader.queuedCount < kMaxQueuedBytes)
    reader.queued[reader.queuedCount++] = reader.putBack;
  reader.putBack = c;
}

void declareInputEncoding(Encoding encoding) {
  reader.encodingDeclared = true;
  reader.declaredEncoding = encoding;
  settleEncoding();
}

void advanceWithSubstitution() {
  for (;;) {
    advance();
    while (reader.currentChar == '#') {
      advance();
      int digit = reader.currentChar;
      if (digit < '0' || digit > '9') {
        report("illegal macro argument #%c", digit);
        reader.currentChar = ' ';
        return;
      }
      int frame = currentFrame();
      advance();
      insertArgument(digit - '0', frame);
    }
    if (reader.currentChar != '%') return;
    while (reader.currentChar != '\n' && reader.currentChar != kEndOfInput) advance();
    if (reader.currentChar == kEndOfInput) return;
  }
}

void advancePastSpaces() {
  do advanceWithSubstitution();
  while (reader.currentChar == ' ');
}

void skipToLineEnd() {
  while (reader.currentChar == ' ') advancePastSpaces();
  if (reader.currentChar == '%')
    while (reader.currentChar != '\n' && reader.currentChar != kEndOfInput) advancePastSpaces();
  if (reader.currentChar == '\n') advancePastSpaces();
}

void skipBlanks() {
  while (reader.currentChar == ' ' || reader.currentChar == '\t' || reader.currentChar == '\n')
    advancePastSpaces();
}

void skipWhiteSpace() {
  while (chars::isWhite(reader.currentChar)) advance();
}

void pushString(const char* text) {
  if (!text || !*text) return;
  if (!withinExpansionBudget(std::strlen(text))) return;
  saveReadingPosition();
  pushEntry(text, reader.frameDepth, nullptr);
}

void startExpansion(std::shared_ptr<const std::string> body, std::vector<std::string> args,
                    int argCount) {
  if (!body || body->empty()) return;
  if (reader.frameDepth >= static_cast<int>(kMaxMacroFrames)) {
    report("Too deep nesting of macros");
    // Every open frame holds a string, so the string stack is full as well: this stops the run.
    stopConversion("Macro expansion stack overflow");
  }
  if (reader.stringCount >= static_cast<int>(kMaxStrings))
    stopConversion("Macro expansion stack overflow");
  if (!withinExpansionBudget(body->size())) return;
  saveReadingPosition();
  MacroFrame& frame = reader.frames[reader.frameDepth++];
  frame.args = std::move(args);
  frame.argCount = argCount;
  frame.stringLevel = reader.stringCount;
  const char* text = body->c_str();
  pushEntry(text, reader.frameDepth, std::move(body));
}

void insertArgument(int digit, int frame) {
  if (frame <= 0) {
    report("use of `#' outside macro");
    return;
  }
  const MacroFrame& f = reader.frames[frame - 1];
  if (digit < 1 || digit > f.argCount || digit > static_cast<int>(f.args.size())) {
    report("Macro does not have argument #%d", digit);
    return;
  }
  const std::string& text = f.args[digit - 1];
  if (text.empty()) return;
  if (!withinExpansionBudget(text.size())) return;
  saveReadingPosition();
  pushEntry(text.c_str(), frame - 1, nullptr);
}

int currentFrame() {
  return reader.stringCount > 0 ? reader.strings[reader.stringCount - 1].frame : 0;
}

void advanceInRawArgument(std::string& text) {
  advance();
  while (reader.currentChar == '#' && currentFrame() > 0) {
    int frame = currentFrame();
    advance();
    int digit = reader.currentChar;
    if (digit < '1' || digit > '9') {
      if (digit == '#') advance();  // ## stands for one #; any other # is kept as it is
      text += '#';
      return;
    }
    advance();
    insertArgument(digit - '0', frame);
  }
}

}  // namespace pendra::reader
