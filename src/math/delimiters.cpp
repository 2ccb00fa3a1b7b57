// \left ... \right: a frame per pair, closed into a named construct (abs, norm, floor...), a
// bracket construct, or the content between glyphs in the Symbol font. Also \bmod and \pmod.
#include "math/delimiters.h"

#include <cstring>
#include <string>

#include "math/frames.h"
#include "math/parser.h"
#include "math/state.h"
#include "output/fonts.h"
#include "reader/command_table.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"

namespace pendra::math {

namespace {

constexpr const char* kInvalidDelimiter = "Invalid delimiter after \\left or \\right";
// The glyphs of \left and \right: Times at the size of h3, in the Symbol family.
constexpr int kGlyphSizeIndex = 5;
constexpr MathFont kGlyphFont{output::Family::kSymbol, kGlyphSizeIndex, 0};
// Units on each side of the word of \bmod and before the parenthesis of \pmod: a blank.
constexpr int kModSpacing = 4;

// The delimiter letter of the next token, or 0 (reported) when it is none.
char readDelimiterLetter() {
  reader::skipBlanks();
  const reader::CommandRecord* record = reader::nextToken();
  const char* text = reader::tokenText();
  if (text[0] == '\\' && isalpha(static_cast<unsigned char>(text[1]))) {
    const MathOperator* row = findOperator(OperatorTable::DelimiterName, text + 1);
    if (row && row->tmpl && row->tmpl[0]) return row->tmpl[0];
  } else if (text[0] && !text[1]) {
    char c = text[0];
    if (c == '|')
      return record == reader::specialToken(reader::kDefaultSlashToken) ? kDoubleBarLetter : '|';
    if (std::strchr("().<>/[]{}", c)) return c;
  }
  reader::report("%s", kInvalidDelimiter);
  return 0;
}

int bracketType(char c, const char* brackets) {
  const char* at = std::strchr(brackets, c);
  return c && at ? static_cast<int>(at - brackets) : -1;
}

NodePtr glyphNode(const char* glyph) {
  if (glyph[0] && !glyph[1]) {
    NodePtr node = makeNode(NodeKind::CharLiteral, specialRow(SpecialRow::Char), kGlyphFont);
    node->character = glyph[0];
    return node;
  }
  NodePtr node = makeNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), kGlyphFont);
  node->string = glyph;
  return node;
}

void addSpacingNode(int units) {
  MathNode* node =
      newNode(NodeKind::Spacing, specialRow(SpecialRow::Spacing), output::currentFont());
  node->spaces = units;
}

// \bmod is the word "mod" with a blank on each side; \pmod{n} is "(mod n)" after a blank. The
// argument names the family of the word (its first letter) and the word.
void modulo(const char* argument) {
  std::string fields[4];
  int field = 0;
  for (const char* p = argument; *p; ++p) {
    if (*p == ',' && field < 3)
      ++field;
    else
      fields[field] += *p;
  }
  std::string word = fields[3].size() > 1 ? fields[3].substr(1) : "mod";
  MathFont font = output::currentFont();
  font.style = 0;
  if (!fields[3].empty() && fields[3][0] == 'V')
    font.family = output::Family::kHelvetica;
  else
    font.family = output::Family::kTimes;
  NodePtr text = makeNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), font);
  addSpacingNode(kModSpacing);
  if (fields[0] != "1") {
    text->string = word;
    appendToCurrentFrame(std::move(text));
    addSpacingNode(kModSpacing);
    return;
  }
  text->string = word + " ";
  NodePtr operand = readMathArgument();
  if (operand) text->next = std::move(operand);
  MathNode* group = newNode(NodeKind::Id, specialRow(SpecialRow::Id), font);
  group->bracketFormat = {'i', '0'};
  group->bracket = std::move(text);
}

}  // namespace

void buildDelimited(char left, char right, NodePtr content) {
  if (!content) return;
  output::Font saved = output::currentFont();
  if (const char* kText = findDelimiterPair(left, right)) {
    if (MathNode* node = mathOperator(kText)) {
      if (node->kind == NodeKind::Prefix || node->kind == NodeKind::Id)
        setOperand(node, 0, std::move(content));
      else
        appendToCurrentFrame(std::move(content));
    }
    output::currentFont() = saved;
    return;
  }
  MathNode* node = newNode(NodeKind::Id, specialRow(SpecialRow::Id), output::currentFont());
  int closing = bracketType(right, ")]}");
  if (closing >= 0) {
    node->op = specialRow(SpecialRow::Rparen);
    node->bracketFormat = {'i', static_cast<char>('0' + closing)};
  } else if (const char* glyph = right != '.' ? findDelimiterGlyph(right) : nullptr) {
    lastNode(content.get())->next = glyphNode(glyph);
  }
  node->bracket = std::move(content);
  int opening = bracketType(left, "([{");
  if (opening >= 0) {
    NodePtr inner = moveContent(*node);
    node->op = specialRow(SpecialRow::Lparen);
    node->kind = NodeKind::Id;
    node->bracketFormat = {'i', static_cast<char>('0' + opening)};
    node->bracket = std::move(inner);
  } else if (const char* glyph = left != '.' ? findDelimiterGlyph(left) : nullptr) {
    NodePtr first = glyphNode(glyph);
    first->next = std::move(node->bracket);
    node->bracket = std::move(first);
  }
  output::currentFont() = saved;
}

void delimiterCode(const char* argument) {
  if (std::strcmp(argument, "L") != 0 && std::strcmp(argument, "R") != 0) {
    modulo(argument);
    return;
  }
  char letter = readDelimiterLetter();
  if (!letter) return;
  if (argument[0] == 'L') {
    pushFrame(kLeftFrame, letter);
    return;
  }
  MathState& state = mathState();
  if (frameModeAt(state.depth) != kLeftFrame) {
    reader::report("%s", kUnbalancedDelimiters);
    return;
  }
  char left = state.depth <= kMaxMathFrames ? currentFrame().delimiter : 0;
  NodePtr content = closeFrame();
  buildDelimited(left, letter, std::move(content));
}

}  // namespace pendra::math
