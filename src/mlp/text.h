// Running text and the text statements: paragraphs, paragraph lines and strings in the MIF text
// flow, special characters, markers, cross-references, variables, footnotes, spaces and rules.
#pragma once

#include <cstdint>
#include <string>

#include "mif/tree.h"
#include "mlp/font.h"
#include "mlp/pgf.h"
#include "mlp/statement_table.h"

namespace pendra::mlp {

// At most this many em spaces come from one horizontal space.
constexpr int kMaxHSpaceEmSpaces = 256;

// What nested objects (footnotes, frames, tables) keep of the surrounding text while their own
// paragraphs are built.
struct SavedText {
  bool started = false;
  bool inPara = false;
  bool inParaLine = false;
  bool inString = false;
  bool textLine = false;
  int lineFeeds = 0;
  int lastChar = ' ';
  Font font;
  Font written;
  bool changed = false;
  WrittenPgf pgf;
  PgfSelection format;
};

void initText();

void handleText();
// One line feed of running text: a space after text, a paragraph's end after another.
void handleLineFeed();
// The count of line feeds the text stands after, for a body read without what came before it.
void setLineFeeds(int count);
// Adds one character of running text.
void addTextChar(int c);

void ensureString();
void ensureParaLine();
void ensurePara();
void ensureDocument();
void closeString();
void closeParaLine();
void endParagraph();

SavedText saveTextState();
void restoreTextState(const SavedText& saved);
// Text of a TextLine goes straight into the open TextLine group, with no paragraphs, starting
// from the initial font written in full. The end puts back the text state of the start.
SavedText beginTextLineMode();
void endTextLineMode(const SavedText& saved);

// Closes the open paragraph and assembles the document when any text was met.
void finishDocument();
bool documentStarted();
// Lets the next line feed pass as neither a space nor half a paragraph end. Objects that follow
// each other with nothing between them share that one line feed.
void absorbNextLineFeed();

void processSpecialChar(Code code);
void hspaceStatement(float width);
void ruleStatement();
void markerStatement();
void markerTypeStatement(std::uint32_t type);
void markerTextStatement(const std::string& text);
void xrefStatement(const std::string& name, const std::string& source);
void variableStatement(const std::string& name);
void footnoteStatement();

}  // namespace pendra::mlp
