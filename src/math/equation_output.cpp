// Equations into the MLP body, through the paragraph layer.
#include "math/equation_output.h"

#include <string>
#include <vector>

#include "math/framemath.h"
#include "math/plain_text.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "reader/environments.h"

namespace pendra::math {

namespace {

// Bytes handed to the statement-line writer at once; it formats at most kStatementFormatMax.
constexpr std::size_t kStatementChunk = output::kStatementFormatMax / 2;
// Bytes of a label kept in its marker.
constexpr std::size_t kMaxLabelLength = 200;
// Between an equation and the text of its \tag.
constexpr const char* kTagGap = "    ";

bool suppressed() {
  return output::outputState().suppression > 0;
}

WriterSizes currentSizes() {
  WriterSizes sizes;
  for (int i = 0; i < output::kSizeIndexCount; ++i) sizes.points[i] = output::pointSize(i);
  int size = output::currentFont().size;
  sizes.currentSizeIndex =
      size >= 0 && size < output::kSizeIndexCount ? size : output::kNormalSizeIndex;
  return sizes;
}

// The statement text goes straight to the body, in pieces the statement-line writer can format;
// the expression so stays on one line however long it is.
void writeStatementText(const std::string& text) {
  for (std::size_t at = 0; at < text.size(); at += kStatementChunk)
    output::writeStatementLine("%s", text.substr(at, kStatementChunk).c_str());
}

// Most formulas written as text have a few pieces (a letter, an operator, a script): room for
// them is made once.
constexpr std::size_t kUsualPlainPieces = 8;

void writePlainPieces(const std::vector<PlainPiece>& pieces) {
  output::Font saved = output::currentFont();
  for (const PlainPiece& piece : pieces) {
    if (piece.statement) {
      output::writeStatementLine("%s", piece.text.c_str());
      continue;
    }
    output::currentFont() = piece.font;
    const char* p = piece.text.data();
    const char* const end = p + piece.text.size();
    while (p != end) {
      // A run of ASCII goes in as text; each Symbol-font code goes in as an MLP escape, which
      // the reader turns back into the byte.
      const char* run = p;
      while (run != end && static_cast<unsigned char>(*run) <= 127) ++run;
      if (run != p) {
        bool fontInSync = false;
        output::writeTextRun(p, static_cast<std::size_t>(run - p), fontInSync);
        p = run;
        continue;
      }
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x ", static_cast<unsigned char>(*p++));
      output::writeRawString(escape);
    }
  }
  output::currentFont() = saved;
}

}  // namespace

void writeInlineMath(NodePtr tree) {
  if (suppressed()) return;
  if (simplicity(tree.get()) != 0) {
    std::vector<PlainPiece> pieces;
    pieces.reserve(kUsualPlainPieces);
    writePlainMath(pieces, std::move(tree));
    writePlainPieces(pieces);
    return;
  }
  std::string text;
  writeFrameMath(text, 'I', std::move(tree), currentSizes());
  output::startParagraphIfNeeded();
  writeStatementText(text);
  output::writeInlineStatement("Comment", nullptr);
}

void writeDisplayMath(NodePtr tree, const char* tag, const std::string* number) {
  if (suppressed()) return;
  output::endParagraph();
  output::outputState().tagLineWritten = false;
  if (!tag) tag = reader::currentEnvironment().paragraphTag;
  if (tag && *tag) output::setParagraphTag(reader::listAdjustedTag(tag).c_str());
  output::startParagraphIfNeeded();
  std::string text;
  writeFrameMath(text, 'D', std::move(tree), currentSizes());
  writeStatementText(text);
  if (!number) return;
  // The text goes on in the paragraph after the statement, as after inline math.
  output::writeInlineStatement("Comment", nullptr);
  output::Font saved = output::currentFont();
  output::currentFont() = output::Font{};
  for (char c : std::string(kTagGap) + *number)
    output::writeTextChar(static_cast<unsigned char>(c));
  output::currentFont() = saved;
}

void writeEquationLabel(std::string_view label, bool afterDisplay) {
  if (suppressed()) return;
  // The label stands inside a quoted MLP string: quotes, backslashes and angle brackets are left
  // out rather than let it end the string or the statement early.
  std::string text;
  for (char c : label) {
    if (text.size() >= kMaxLabelLength) break;
    if (c != '"' && c != '\\' && c != '<' && c != '>' && c != '\n') text += c;
  }
  output::writeInlineStatement("marker", "<mtype 9> <mtext \"Label:%s\">", text.c_str());
  if (afterDisplay) output::endParagraph();
}

}  // namespace pendra::math
