// The paragraph layer: the paragraph buffer with its writers, paragraph ends with tag lines and
// the FirstBody rule, and the statements written between and inside paragraphs.
#pragma once

#include <cstddef>
#include <string>

#include "fdk/fdk.h"

namespace pendra::output {

constexpr std::size_t kParagraphBufferSize = 2056;
constexpr std::size_t kParagraphCapacity = kParagraphBufferSize - 1;  // bytes stored at most
constexpr std::size_t kStatementFormatMax = 511;  // bytes of a formatted statement
constexpr const char* kDefaultTag = "Body";
constexpr long kMaxPendingSpace = 1000000000L;  // points; larger values are cut to it

struct OutputState {
  ChannelT body = nullptr;
  char buffer[kParagraphBufferSize] = {};
  std::size_t length = 0;
  bool overflow = false;
  int lastTextChar = 0;
  int suppression = 0;
  int releaseCredit = 0;
  std::string currentTag = kDefaultTag;
  bool tagLineWritten = false;
  int pendingSpace = 0;  // > 0 points above the next paragraph, < 0 top of a column
  int afterDisplay = 0;  // 1 after a heading, -1 after a display or list environment
  int blankLines = 0;
  bool statementFlag = false;
  // The channel's last line holds an inline statement whose ">" waits at the start of the buffer:
  // no tag line may come between them.
  bool statementOpen = false;
  // The paragraph being written took its tag from \centering or kin; the next one takes the
  // environment's again.
  bool aligned = false;
};

// The paragraph state that an environment saves and restores.
struct ParagraphState {
  std::string currentTag;
  bool tagLineWritten;
  int pendingSpace;
};

OutputState& outputState();
void initParagraphOutput(ChannelT body);

// Writers into the paragraph buffer.
void writeRawByte(unsigned char c);
void writeRawString(const char* text);
void writeTextChar(unsigned char c);
void writeTextString(const char* text);
// Writes `n` bytes of text (no zero byte among them) as writeTextString would. The pieces of one
// stretch of text share `fontInSync`, false before the first: whether the font is already written.
void writeTextRun(const char* text, std::size_t n, bool& fontInSync);
void writeStatement(const char* name);
void writeFontText(const char* text);
void trimBlanks();

// Suppression: %+ and %-, and the plain raise and lower of skipped arguments.
void suppressOutput();
void releaseOutput();

void endParagraph();
void setParagraphTag(const char* name);
void newParagraphWithTag(const char* name);
// %e(t): \centering and kin: the paragraph about to begin takes tag t (a paragraph already begun
// keeps its own); the one after it takes the environment's tag again.
void alignFollowingParagraphs(const char* name);
void writeTagLine(const char* name, bool inlineTag);
void startParagraphIfNeeded();
void hardReturn();
// Writes the ">" that closes an open inline statement to the channel the statement stands in, so
// that the text after it can go elsewhere (a diversion) without taking the statement's end along.
void closeOpenStatement();
void writeStatementLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void writeInlineStatement(const char* name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void setPendingSpace(const char* text);
// Writes text left in the buffer when the input has ended.
void flushAtEndOfInput();

ParagraphState saveParagraphState();
void restoreParagraphState(const ParagraphState& state);

// %z, %H and %v.
void spacingCodes(const char* chars);
// \xspace: a space unless what follows is punctuation, a brace, a blank or the end.
void xspaceProc();
void horizontalSpace();
void verticalSpace();

}  // namespace pendra::output
