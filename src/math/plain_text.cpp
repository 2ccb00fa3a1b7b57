// The plain-text math writer.
#include "math/plain_text.h"

#include <cstring>

#include "reader/report.h"

namespace pendra::math {

namespace {

constexpr const char* kBadCode = "Internal FrameMath error: bad format code";
// The font of %h(eq): Times at the normal size, plain.
constexpr MathFont kEquationFont{output::Family::kTimes, output::kNormalSizeIndex, 0};
// Signs and brackets are set in the Symbol family at the equation size.
constexpr MathFont kSymbolState{output::Family::kSymbol, output::kNormalSizeIndex, 0};
// Em spaces written for one Spacing node at most.
constexpr int kMaxEmSpaces = 256;
constexpr char kOpenBrackets[] = "([{";
constexpr char kCloseBrackets[] = ")]}";

class PlainWriter {
 public:
  explicit PlainWriter(std::vector<PlainPiece>& out) : out_(out) {}

  void chain(NodePtr head, int position, int depth) {
    if (depth >= kMaxTreeDepth) return;
    for (NodePtr cur = std::move(head); cur;) {
      NodePtr next = std::move(cur->next);
      if (cur->op && cur->op->tmpl) node(*cur, position, depth);
      cur = std::move(next);
    }
  }

 private:
  void text(std::string_view bytes, MathFont font, int position) {
    if (bytes.empty()) return;
    font.style = (font.style & ~output::kScriptStyles) | position;
    if (!out_.empty() && !out_.back().statement && out_.back().font == font) {
      out_.back().text += bytes;
      return;
    }
    out_.push_back({false, font, std::string(bytes)});
  }

  void statement(const char* line) { out_.push_back({true, {}, line}); }

  // A separator: the template text up to ")", with its two-byte codes dropped.
  static std::string separatorOf(const char* p) {
    std::string sep;
    for (; *p && *p != ')'; ++p) {
      if (*p == '%' && p[1])
        ++p;
      else
        sep += *p;
    }
    return sep;
  }

  void node(MathNode& n, int base, int depth) {
    int position = base;
    MathFont literal = kSymbolState;
    const char* t = n.op->tmpl;
    for (const char* p = t; *p; ++p) {
      if (*p != '%') {
        text(std::string_view(p, 1), literal, position);
        continue;
      }
      char code = *++p;
      if (!code) break;
      switch (code) {
        case '#':
          text(std::string(n.op->name ? n.op->name : "?") + " ", kEquationFont, position);
          break;
        case '1':
        case '2':
        case '3':
          chain(takeOperand(&n, code - '1'), position, depth + 1);
          break;
        case '=':
          position = base;
          break;
        case '^':
          position = output::kSuperscript;
          break;
        case '_':
          position = output::kSubscript;
          break;
        case '?':
          if (n.kind != NodeKind::Nary || p[1] != '(') {
            reader::report("Internal error outputting frame math");
            break;
          }
          nary(n, separatorOf(p + 2), position, depth);
          p = std::strchr(p, ')');
          if (!p) return;
          break;
        case 'C':
          if (n.kind == NodeKind::CharLiteral)
            text(std::string_view(&n.character, 1), n.font, position);
          else
            reader::report("%s", kBadCode);
          break;
        case 'S':
          if (n.kind == NodeKind::StrLiteral)
            text(n.string, n.font, position);
          else
            reader::report("%s", kBadCode);
          break;
        case 'L':
        case 'P':
        case 'R':
          bracket(n, code, position, depth);
          break;
        case 's':
          if (n.kind == NodeKind::Spacing)
            spaces(n.spaces);
          else
            reader::report("%s", kBadCode);
          break;
        case 'f': {
          // %f(H) ... %0 sets the letter d of a differential upright in Helvetica.
          const char* close = p[1] == '(' ? std::strchr(p, ')') : nullptr;
          if (!close) break;
          if (p[2] == 'H') literal = {output::Family::kHelvetica, output::kNormalSizeIndex, 0};
          p = close;
          break;
        }
        case '0':
          literal = kSymbolState;
          break;
        default:
          // %y writes nothing: signs are set in the Symbol family anyway.
          break;
      }
    }
  }

  void nary(MathNode& n, const std::string& sep, int position, int depth) {
    std::size_t count = n.list.size();
    for (std::size_t i = 0; i < count; ++i) {
      // a + (-b) reads a - b.
      bool minus = n.list[i] && n.list[i]->kind == NodeKind::Prefix && n.list[i]->op &&
                   std::strcmp(n.list[i]->op->name, "minus") == 0;
      if (i > 0 && !(minus && sep == "+")) text(sep, kSymbolState, position);
      chain(std::move(n.list[i]), position, depth + 1);
    }
    if (count < 2) text(sep, kSymbolState, position);
  }

  void bracket(MathNode& n, char code, int position, int depth) {
    if (n.kind != NodeKind::Id) {
      reader::report("%s", kBadCode);
      return;
    }
    int type = n.bracketType() - '0';
    bool known = type >= 0 && type <= 2;
    if (known && code != 'R')
      text(std::string_view(&kOpenBrackets[type], 1), kSymbolState, position);
    chain(std::move(n.bracket), position, depth + 1);
    if (known && code != 'L')
      text(std::string_view(&kCloseBrackets[type], 1), kSymbolState, position);
  }

  void spaces(int units) {
    if (units <= 0) return;
    for (int i = 0; i < units / kUnitsPerEm && i < kMaxEmSpaces; ++i) statement("<EmSpace>");
    int rest = units % kUnitsPerEm;
    if (rest >= 2) statement("<EnSpace>");
    if (rest % 2) statement("<ThinSpace>");
  }

  std::vector<PlainPiece>& out_;
};

}  // namespace

void writePlainMath(std::vector<PlainPiece>& out, NodePtr tree) {
  PlainWriter writer(out);
  writer.chain(std::move(tree), 0, 0);
}

}  // namespace pendra::math
