// The math interpreter. Templates run in math mode append nodes to the chain of the current frame:
// tokens become literals, %k codes operators with their arguments, %z spacing; frames are pushed
// and closed by %$, by the arguments of operators and scripts, by \left and \right and by rows.
#include "math/parser.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/chars.h"
#include "math/delimiters.h"
#include "math/displays.h"
#include "math/frames.h"
#include "math/layout.h"
#include "math/state.h"
#include "output/char_commands.h"
#include "output/fonts.h"
#include "output/later_codes.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::math {

namespace {

constexpr const char* kUnexpectedCode = "Internal FrameMath error: unexpected code";
// The font of %h(eq): Times at the normal size, plain.
constexpr MathFont kEquationFont{output::Family::kTimes, output::kNormalSizeIndex, 0};
// Units of the spacing codes; four are one em.
constexpr int kNegativeThinUnits = -1;
constexpr int kThinUnits = 1;
constexpr int kMediumUnits = 2;
constexpr int kThickUnits = 4;
// Between two columns of equations in a line of align: two ems.
constexpr int kAlignColumnGapUnits = 8;
// One Spacing node holds at most this many units; more spacing in a row is not added.
constexpr int kMaxSpacingUnits = 1 << 20;
// Fields of a %k argument: class letter, operator name, format codes.
constexpr int kOperatorFields = 3;

using chars::isLetter;

MathNode* addString(const std::string& text, const MathFont& font) {
  MathNode* node = newNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), font);
  node->string = text;
  return node;
}

MathNode* addChar(char c, const MathFont& font) {
  MathNode* node = newNode(NodeKind::CharLiteral, specialRow(SpecialRow::Char), font);
  node->character = c;
  return node;
}

// A literal byte of a template: a letter is a character, anything else a one-byte string.
void addLiteral(unsigned char byte) {
  if (isLetter(byte))
    addChar(static_cast<char>(byte), output::currentFont());
  else
    addString(std::string(1, static_cast<char>(byte)), output::currentFont());
}

void addSpacing(int units) {
  MathFrame& frame = currentFrame();
  MathNode* last = frame.last;
  if (!last || last->kind != NodeKind::Spacing)
    last = newNode(NodeKind::Spacing, specialRow(SpecialRow::Spacing), output::currentFont());
  long long sum = static_cast<long long>(last->spaces) + units;
  if (sum > kMaxSpacingUnits) sum = kMaxSpacingUnits;
  if (sum < -kMaxSpacingUnits) sum = -kMaxSpacingUnits;
  last->spaces = static_cast<std::int32_t>(sum);
}

int spacingUnits(const char* argument) {
  switch (argument[0]) {
    case '!':
      return kNegativeThinUnits;
    case '&':
      return kColumnSeparatorUnits;
    case ',':
      return kThinUnits;
    case ':':
      return kMediumUnits;
    default:
      return kThickUnits;
  }
}

// %T: the column separator. The one an array puts before itself is dropped inside another
// array, where it would shift the cells of the row it stands in.
void columnSpacing(bool separator) {
  MathFrame& frame = currentFrame();
  // In a line of align and its kin the first & of a pair aligns and adds nothing; the second
  // separates two columns of equations.
  if (separator && frame.alignPoints && mathState().depth <= kMaxMathFrames) {
    if (++frame.ampersands % 2 == 0) addSpacing(kAlignColumnGapUnits);
    return;
  }
  char mode = frame.mode;
  if (!separator && (mode == kArrayFrame || mode == kRowFrame)) return;
  addSpacing(kColumnSeparatorUnits);
}

// %b: the token as math text. Words are italic unless they stand in an \mbox, where a blank
// keeps the words apart.
void addToken() {
  const char* text = reader::tokenText();
  if (!text[0]) return;
  bool inMbox = mathState().mboxFrame == mathState().depth;
  if (text[0] == ' ' && !text[1]) {
    if (inMbox) addSpacing(kThickUnits);
    return;
  }
  output::Font saved = output::currentFont();
  if (isLetter(static_cast<unsigned char>(text[0])) && !inMbox) {
    output::currentFont().family = output::Family::kTimes;
    output::currentFont().style =
        (output::currentFont().style & output::kScriptStyles) | output::kItalic;
  }
  if (isLetter(static_cast<unsigned char>(text[0])) && !text[1])
    addChar(text[0], output::currentFont());
  else
    addString(text, output::currentFont());
  output::currentFont() = saved;
}

// %c: the columns of an array are the letters c, l and r of its column preamble.
void setColumns() {
  std::optional<std::string> preamble = reader::readWord();
  if (!preamble || mathState().depth > kMaxMathFrames) return;
  int columns = 0;
  for (char c : *preamble)
    if ((c == 'c' || c == 'l' || c == 'r') && columns < kMaxMatrixCells) ++columns;
  currentFrame().columns = static_cast<std::int16_t>(columns > 0 ? columns : 1);
}

void skipInputBlanks() {
  for (;;) {
    reader::skipBlanks();
    if (reader::peekChar() != '%') return;
    reader::skipToLineEnd();
  }
}

// A bracketed argument read into a frame of `mode`; the "]" that ends it is the one met at the
// construct level of its own loop, not one inside braces. The '[' is current.
NodePtr readBracketed(char mode) {
  MathState& state = mathState();
  reader::advance();
  int depth = state.depth;
  pushFrame(mode);
  int savedNesting = state.optionalNesting;
  state.optionalNesting = reader::environmentState().constructNesting + 1;
  reader::parseUntil(reader::kOptionalClose);
  state.optionalNesting = savedNesting;
  closeFramesAbove(depth + 1);
  return state.depth == depth + 1 ? closeFrame() : nullptr;
}

// %o in math: a skipped optional argument (\\[2pt], \begin{array}[t]). Its "]" must end it,
// which the "]" of math text would not.
void skipOptional() {
  reader::skipBlanks();
  if (reader::peekChar() != '[') return;
  output::Font font = output::currentFont();
  int mode = reader::currentMode();
  ++output::outputState().suppression;
  readBracketed(kDroppedFrame);
  --output::outputState().suppression;
  reader::setCurrentMode(mode);
  output::currentFont() = font;
}

// %x: the argument is read with output suppressed and its nodes freed.
void skipArgument() {
  MathState& state = mathState();
  int depth = state.depth;
  pushFrame(kDroppedFrame);
  reader::skipArgument('{');
  closeFramesAbove(depth + 1);
  if (state.depth == depth + 1) closeFrame();
}

// %D in math: brackets are text, except the "]" that ends a bracketed argument being read.
void delimiter(const char* argument) {
  reader::setDelimiter(argument);
  int& code = reader::environmentState().delimiter;
  if (code == reader::kOptionalOpen) {
    addString("[", output::currentFont());
    code = reader::kNoDelimiter;
  } else if (code == reader::kOptionalClose &&
             reader::environmentState().constructNesting != mathState().optionalNesting) {
    addString("]", output::currentFont());
    code = reader::kNoDelimiter;
  }
}

// %m: \mbox in math. Its text becomes nodes of the current frame, in the font of the math
// around it; its words are upright. It is read as text, so that a "$" in it opens math of its
// own, which is handed to the frame around it.
void mathBox() {
  output::Font saved = output::currentFont();
  int mode = reader::currentMode();
  int outerBox = mathState().mboxFrame;
  mathState().mboxFrame = mathState().depth;
  reader::setCurrentMode(reader::kParaMode);
  reader::skipBlanks();
  reader::processOneArgument();
  reader::setCurrentMode(mode);
  mathState().mboxFrame = outerBox;
  output::currentFont() = saved;
  reader::environmentState().delimiter = reader::kNoDelimiter;
}

// %k(^) and %k(_): the script goes to the last node of the frame, which becomes a SubSupScript
// unless it is one already or a big operator (whose limits the scripts are).
void script(char which) {
  NodePtr argument = readMathArgument();
  MathNode* last = currentFrame().last;
  if (!last)
    last = newNode(NodeKind::Spacing, specialRow(SpecialRow::Spacing), output::currentFont());
  if (last->kind != NodeKind::SubSupScript && last->kind != NodeKind::BigOp) {
    NodePtr base = moveContent(*last);
    last->op = specialRow(SpecialRow::Indexes);
    last->kind = NodeKind::SubSupScript;
    last->limits[0] = std::move(base);
  }
  last->limits[which == '^' ? 2 : 1] = std::move(argument);
}

// A prime takes the node before it as its operand; with nothing before it, it is the quote
// character itself.
void prime(MathNode* node, char code) {
  MathFrame& frame = currentFrame();
  MathNode* before = nullptr;
  MathNode* beforeThat = nullptr;
  MathNode* n = frame.first.get();
  for (; n && n != node; n = n->next.get()) {
    beforeThat = before;
    before = n;
  }
  if (!n || node->kind != NodeKind::Diacritical) return;
  if (!before) {
    node->kind = NodeKind::StrLiteral;
    node->op = specialRow(SpecialRow::String);
    node->string = std::string(1, code);
    node->font = kEquationFont;
    return;
  }
  NodePtr& slot = beforeThat ? beforeThat->next : frame.first;
  NodePtr operand = std::move(slot);
  NodePtr primed = std::move(operand->next);
  primed->accentCodes[1] = code == '\'' ? '1' : '2';
  primed->accent = std::move(operand);
  slot = std::move(primed);
  frame.last = lastNode(slot.get());
}

struct KindAndTable {
  NodeKind kind;
  OperatorTable table;
  SpecialRow row;  // for the literal and spacing classes
  bool special;
};

KindAndTable classOf(char letter) {
  switch (letter) {
    case ' ':
      return {NodeKind::Spacing, OperatorTable::Special, SpecialRow::Spacing, true};
    case '0':
      return {NodeKind::Nullary, OperatorTable::Nullary, SpecialRow::Char, false};
    case '1':
      return {NodeKind::Prefix, OperatorTable::Unary, SpecialRow::Char, false};
    case 'p':
      return {NodeKind::Postfix, OperatorTable::Unary, SpecialRow::Char, false};
    case 'D':
    case '\'':
    case '"':
      return {NodeKind::Diacritical, OperatorTable::Unary, SpecialRow::Char, false};
    case 'i':
      return {NodeKind::Id, OperatorTable::Unary, SpecialRow::Char, false};
    case '2':
      return {NodeKind::Infix, OperatorTable::TwoOperand, SpecialRow::Char, false};
    case 'n':
      return {NodeKind::Nary, OperatorTable::Nary, SpecialRow::Char, false};
    case 'L':
      return {NodeKind::BigOp, OperatorTable::BigOperator, SpecialRow::Char, false};
    case 'S':
      return {NodeKind::StrLiteral, OperatorTable::Special, SpecialRow::String, true};
    case 'C':
      return {NodeKind::CharLiteral, OperatorTable::Special, SpecialRow::Char, true};
    default:
      return {NodeKind::Root, OperatorTable::Root, SpecialRow::Char, false};
  }
}

// Kinds that hold operands; an operator missing from its table is a literal '?' and keeps its
// arguments beside it instead.
bool takesOperands(const MathNode* node) {
  return node->kind != NodeKind::StrLiteral && node->kind != NodeKind::CharLiteral &&
         node->kind != NodeKind::Nullary && node->kind != NodeKind::Spacing;
}

void giveOperand(MathNode* node, int index, NodePtr operand) {
  if (!operand) return;
  if (takesOperands(node))
    setOperand(node, index, std::move(operand));
  else
    appendToCurrentFrame(std::move(operand));
}

// The format codes of a %k argument, applied in order to `node`.
void applyFormatCodes(MathNode* node, const char* codes, const std::string& command) {
  for (const char* p = codes; *p; ++p) {
    switch (*p) {
      case '1':
      case '2':
        giveOperand(node, *p - '1', readMathArgument());
        break;
      case '#': {
        NodePtr name =
            makeNode(NodeKind::StrLiteral, specialRow(SpecialRow::String), kEquationFont);
        name->string = command;
        giveOperand(node, 0, std::move(name));
        break;
      }
      case 'D': {
        bool accent = node->kind == NodeKind::Diacritical;
        if (accent)
          giveOperand(node, 0, readMathArgument());
        else
          reader::report("%s", kUnexpectedCode);
        // The accent codes follow, one per position; "0" leaves a position as it is.
        for (int i = 0; i < kAccentCodeCount && p[1]; ++i) {
          ++p;
          if (accent && *p != '0') node->accentCodes[static_cast<std::size_t>(i)] = *p;
        }
        break;
      }
      case 'i':
        if (node->kind != NodeKind::Id) reader::report("error handling Id format");
        if (p[1]) node->bracketFormat = {'i', *++p};
        break;
      case 's': {
        if (node->kind != NodeKind::Root) {
          reader::report("%s", kUnexpectedCode);
          break;
        }
        reader::skipBlanks();
        if (reader::peekChar() == '[') {
          NodePtr index = readBracketed(kArgumentFrame);
          node->kind = NodeKind::Infix;
          giveOperand(node, 1, std::move(index));
        } else {
          node->kind = NodeKind::Prefix;
        }
        break;
      }
      case '\'':
      case '"':
        prime(node, *p);
        return;  // the node may have become a literal
      default:
        reader::report("%s", kUnexpectedCode);
        break;
    }
  }
}

}  // namespace

NodePtr readMathArgument() {
  MathState& state = mathState();
  int depth = state.depth;
  pushFrame(kArgumentFrame);
  skipInputBlanks();
  reader::processOneArgument();
  closeFramesAbove(depth + 1);
  return state.depth == depth + 1 ? closeFrame() : nullptr;
}

MathNode* mathOperator(const char* argument) {
  std::string fields[kOperatorFields];
  int field = 0;
  for (const char* p = argument; *p; ++p) {
    if (*p == ',' && field + 1 < kOperatorFields)
      ++field;
    else
      fields[field] += *p;
  }
  char letter = fields[0].empty() ? 0 : fields[0][0];
  if (letter == '^' || letter == '_') {
    script(letter);
    return nullptr;
  }
  const char* token = reader::tokenText();
  std::string command = token[0] == '\\' ? token + 1 : token;
  const std::string& name = fields[1].empty() ? command : fields[1];
  KindAndTable which = classOf(letter);
  const MathOperator* op =
      which.special ? specialRow(which.row) : findOperator(which.table, name.c_str());
  MathNode* node = newNode(which.kind, op, output::currentFont());
  applyFormatCodes(node, fields[2].c_str(), command);
  // A root that met no s code is taken as a prefix, the form without an index.
  if (node->kind == NodeKind::Root) node->kind = NodeKind::Prefix;
  return node;
}

void mathInterpreter(const char* tmpl) {
  output::TemplateNestingGuard guard;
  if (!guard.ok()) return;
  output::Font entryFont = output::currentFont();
  int entryMode = reader::currentMode();
  output::TemplateItem item;
  for (const char* p = tmpl;;) {
    // An MLP escape in a template (8-bit letters, quotes) stands for its one byte.
    if (p[0] == '\\' && p[1] == 'x' && chars::isHexDigit(p[2]) && chars::isHexDigit(p[3]) &&
        p[4] == ' ') {
      char hex[3] = {p[2], p[3], 0};
      addString(std::string(1, static_cast<char>(std::strtol(hex, nullptr, 16))),
                output::currentFont());
      p += 5;
      continue;
    }
    if (!output::nextTemplateItem(p, item)) break;
    if (item.literal) {
      if (item.byte != ' ') addLiteral(item.byte);
      continue;
    }
    const char* a = item.argument;
    if (!item.hasArgument) {
      switch (item.byte) {
        case 0x08:
          output::trimBlanks();
          continue;
        case '!':
          output::TextDispatcher("%!");
          continue;
        case '&':
          rowSeparator();
          continue;
        case '0':
          output::currentFont() = entryFont;
          continue;
        case '@':
          reader::setCurrentMode(entryMode);
          continue;
        case 'T':
          columnSpacing(false);
          continue;
        case 'b':
          addToken();
          continue;
        case 'c':
          setColumns();
          continue;
        case 'n':
          continue;
        case 'o':
          skipOptional();
          continue;
        case 'p':
          skipInputBlanks();
          reader::processOneArgument();
          continue;
        case 'x':
          skipArgument();
          continue;
        case '|':
          output::endParagraph();
          continue;
        default:
          break;
      }
    } else {
      switch (item.byte) {
        case '$':
          if (a[0] == 'E')
            endFrame();
          else if (a[0] == kInlineFrame || a[0] == kDisplayFrame || a[0] == kArrayFrame ||
                   a[0] == kDroppedFrame || a[0] == kLinesFrame || a[0] == kStackFrame)
            pushFrame(a[0]);
          continue;
        case 'D':
          delimiter(a);
          continue;
        case 'G':
          delimiterCode(a);
          continue;
        case 'e':
          equationCode(a);
          continue;
        case 'I':
          output::listItemProc(a);
          continue;
        case 'T':
          if (a[0] == 't') columnSpacing(true);
          continue;
        case 'f':
          output::setFamily(a[0]);
          continue;
        case 'g':
          output::newParagraphWithTag(a);
          continue;
        case 'h':
          output::setSizeByFormat(a);
          continue;
        case 'k':
          mathOperator(a);
          continue;
        case 'm':
          mathBox();
          continue;
        case 's':
          continue;
        case 'z':
          addSpacing(spacingUnits(a));
          continue;
        default:
          break;
      }
    }
    output::runBaseItem(item);
  }
}

bool labelBelongsToEquation() {
  int mode = reader::currentMode();
  return mode == reader::kMathMode || mode == reader::kMathArrayMode;
}

void setPendingEquationLabel(std::string_view label) {
  MathState& state = mathState();
  state.pendingLabel.assign(label);
  state.hasPendingLabel = true;
}

}  // namespace pendra::math
