// The FrameMath writer: chains, nodes by kind, font and spacing annotations, the template writer
// of `*` operators, matrices, escaping, and the simplicity test.
#include "math/framemath.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/chars.h"
#include "math/state.h"
#include "reader/report.h"

namespace pendra::math {

namespace {

constexpr const char* kBlankString = "string[(*n*)\" \"]";
constexpr const char* kOutputError = "Internal error outputting frame math";
constexpr const char* kTooDeep = "Excessive nesting of equations";

const char* familyName(output::Family family) {
  switch (family) {
    case output::Family::kTimes:
      return "Times";
    case output::Family::kHelvetica:
      return "Helvetica";
    case output::Family::kCourier:
      return "Courier";
    case output::Family::kSymbol:
      return "Symbol";
    case output::Family::kNone:
      break;
  }
  return "";
}

using chars::isLetter;

class Writer {
 public:
  Writer(std::string& out, const WriterSizes& sizes) : out_(out), sizes_(sizes) {}

  // Writes a chain; `blank` asks for a blank string where nothing else would be written.
  void chain(NodePtr head, bool blank, int depth) {
    if (!head) {
      if (blank) out_ += kBlankString;
      return;
    }
    if (depth >= kMaxTreeDepth) {
      if (!reported_) reader::report("%s", kTooDeep);
      reported_ = true;
      out_ += kBlankString;
      return;
    }
    std::int64_t pending = 0;
    bool list = false;
    bool opened = false;
    if (head->next) {
      list = head->next->kind == NodeKind::Spacing;
      out_ += list ? "list[(*n*)" : "times[(*n*)";
      opened = true;
    }
    // A "," is owed between pieces; it is written before the next piece, so that a chain never
    // ends in one.
    bool comma = false;
    for (NodePtr cur = std::move(head); cur;) {
      NodePtr next = std::move(cur->next);
      if (cur->kind == NodeKind::Spacing && cur->op && cur->op->name[0] != '*') {
        pending += cur->spaces;
        if (!next && (blank || comma)) {
          if (comma) out_ += ',';
          out_ += kBlankString;
        }
        blank = false;
      } else {
        if (comma) out_ += ',';
        comma = false;
        node(std::move(cur), pending, list, depth);
        pending = 0;
        if (next) comma = blank = true;
      }
      cur = std::move(next);
    }
    if (opened) out_ += ']';
  }

  void matrix(NodePtr m, char type, int depth) {
    if (type == '2') {
      out_ += "id[(*i2i*)";
      matrix(std::move(m), ' ', depth);
      out_ += ']';
      return;
    }
    out_ += "matrix[";
    if (type != '1') out_ += "(*i1i*)";
    out_ += std::to_string(m->rows) + "," + std::to_string(m->columns);
    for (NodePtr& cell : m->cells) {
      out_ += ',';
      chain(std::move(cell), true, depth + 1);
    }
    out_ += ']';
  }

 private:
  std::string points(std::int64_t units) const {
    int index = sizes_.currentSizeIndex;
    if (index < 0 || index >= output::kSizeIndexCount) index = output::kNormalSizeIndex;
    return std::to_string(units * sizes_.points[static_cast<std::size_t>(index)] / kUnitsPerEm);
  }

  std::string opAnnotation(std::int64_t pending, bool list) const {
    if (pending == 0 || list) return "(*n*)";
    std::string annotation = "(*nl";
    annotation += points(pending);
    annotation += "ptl*)";
    return annotation;
  }

  // The font annotation of a literal: what differs from the last annotation, and the spacing
  // carried before it.
  std::string fontAnnotation(const MathFont& font, std::int64_t pending) {
    MathFont& last = mathState().annotation;
    std::string text;
    if (font.family != last.family) text += std::string("f\"") + familyName(font.family) + "\"f";
    if (font.style != last.style) {
      if (font.style & output::kItalic) text += "B\"Italic\"B";
      text += (font.style & output::kUnderline) ? "U1U" : "U0U";
      if (font.style & output::kBold) text += "W\"Bold\"W";
    }
    if (font.size != last.size && font.size >= 0 && font.size < output::kSizeIndexCount) {
      text += 's';
      text += std::to_string(sizes_.points[static_cast<std::size_t>(font.size)]);
      text += 's';
    }
    if (pending > 0) {
      text += 'l';
      text += points(pending);
      text += "ptl";
    }
    last = font;
    if (text.empty()) return text;
    std::string annotation = "(*n";
    annotation += text;
    annotation += "*)";
    return annotation;
  }

  void string(const std::string& text, const MathFont& font, std::int64_t pending) {
    out_ += "string[";
    out_ += fontAnnotation(font, pending);
    out_ += '"';
    escapeMathText(out_, text);
    out_ += "\"]";
  }

  // name[annotation operand]
  void unary(const MathNode& n, const std::string& annotation, NodePtr operand, int depth) {
    out_ += std::string(n.op->name) + "[" + annotation;
    chain(std::move(operand), true, depth + 1);
    out_ += ']';
  }

  void node(NodePtr n, std::int64_t pending, bool list, int depth) {
    if (!n->op) {
      out_ += kBlankString;
      return;
    }
    if (n->op->name[0] == '*') {
      templateNode(*n, depth);
      return;
    }
    const std::string ann = opAnnotation(pending, list);
    switch (n->kind) {
      case NodeKind::Nullary:
        out_ += "char[" + ann + n->op->name + "]";
        break;
      case NodeKind::StrLiteral:
        string(n->string, n->font, pending);
        break;
      case NodeKind::CharLiteral:
        if (isLetter(n->character)) {
          out_ += "char[";
          out_ += fontAnnotation(n->font, pending);
          out_ += n->character;
          out_ += ']';
        } else {
          string(std::string(1, n->character), n->font, pending);
        }
        break;
      case NodeKind::Prefix:
      case NodeKind::Postfix:
        unary(*n, ann, std::move(n->operands[0]), depth);
        break;
      case NodeKind::Diacritical:
        out_ += "diacritical[" + ann;
        for (char code : n->accentCodes) {
          out_ += code ? code : '0';
          out_ += ',';
        }
        chain(std::move(n->accent), true, depth + 1);
        out_ += ']';
        break;
      case NodeKind::Id:
        id(*n, ann, pending, depth);
        break;
      case NodeKind::Infix:
        out_ += std::string(n->op->name) + "[" + ann;
        chain(std::move(n->operands[0]), true, depth + 1);
        out_ += ',';
        chain(std::move(n->operands[1]), true, depth + 1);
        out_ += ']';
        break;
      case NodeKind::Nary:
        if (n->list.empty())
          separator(*n);
        else
          nary(*n, ann, depth);
        break;
      case NodeKind::BigOp:
        out_ += std::string(n->op->name) + "[" + ann;
        chain(std::move(n->limits[0]), true, depth + 1);
        if (n->limits[1] || n->limits[2]) {
          out_ += ',';
          chain(std::move(n->limits[1]), false, depth + 1);
          if (n->limits[2]) {
            out_ += ',';
            chain(std::move(n->limits[2]), true, depth + 1);
          }
        }
        out_ += ']';
        break;
      case NodeKind::SubSupScript: {
        bool sub = n->limits[1] != nullptr;
        bool sup = n->limits[2] != nullptr;
        out_ += std::string("indexes[(*n*)") + (sup ? '1' : '0') + "," + (sub ? '1' : '0') + ",";
        chain(std::move(n->limits[0]), true, depth + 1);
        if (sub) {
          out_ += ',';
          chain(std::move(n->limits[1]), false, depth + 1);
        }
        if (sup) {
          out_ += ',';
          chain(std::move(n->limits[2]), false, depth + 1);
        }
        out_ += ']';
        break;
      }
      case NodeKind::UndefArity:
        matrix(std::move(n), ' ', depth);
        break;
      default:
        reader::report("%s", kOutputError);
        out_ += kBlankString;
        break;
    }
  }

  void id(MathNode& n, const std::string& ann, std::int64_t pending, int depth) {
    char type = n.bracketType();
    if (n.bracket && n.bracket->kind == NodeKind::UndefArity && !n.bracket->next) {
      matrix(std::move(n.bracket), type, depth + 1);
      return;
    }
    if (type == '0') {
      unary(n, ann, std::move(n.bracket), depth);
    } else if (type == '1' || type == '2') {
      std::string bracket = std::string("(*ni") + type + "i";
      if (pending != 0) {
        bracket += 'l';
        bracket += points(pending);
        bracket += "ptl";
      }
      unary(n, bracket + "*)", std::move(n.bracket), depth);
    } else {
      chain(std::move(n.bracket), true, depth + 1);
    }
  }

  // Every element, an empty one as a blank, and at least two.
  void nary(MathNode& n, const std::string& ann, int depth) {
    out_ += std::string(n.op->name) + "[" + ann;
    std::size_t count = std::max<std::size_t>(n.list.size(), 2);
    for (std::size_t i = 0; i < count; ++i) {
      if (i) out_ += ',';
      chain(i < n.list.size() ? std::move(n.list[i]) : nullptr, true, depth + 1);
    }
    out_ += ']';
  }

  // A Nary without elements draws its separator. The rows without a template (atop) have none
  // to draw and give a blank.
  void separator(const MathNode& n) {
    const char* t = n.op->tmpl;
    if (!t) {
      out_ += kBlankString;
      return;
    }
    const char* end = std::strncmp(t, "%?(", 3) == 0 ? std::strchr(t + 3, ')') : nullptr;
    if (!end) {
      reader::report("%s", kOutputError);
      out_ += kBlankString;
      return;
    }
    bool symbol = false;
    std::string text;
    for (const char* p = t + 3; p < end; ++p) {
      if (*p == '%' && p + 1 < end) {
        symbol = symbol || p[1] == 'y';
        ++p;
      } else {
        text += *p;
      }
    }
    out_ += symbol ? "string[(*nf\"Symbol\"f*)\"" : "string[(*n*)\"";
    out_ += text + "\"]";
  }

  // Operators whose names begin with '*' are drawn from their templates.
  void templateNode(MathNode& n, int depth) {
    NodePtr first = takeOperand(&n, 0);
    NodePtr second = takeOperand(&n, 1);
    bool wrap = first || second;
    if (wrap) out_ += "times[(*n*)";
    int pieces = 0;
    auto piece = [&] {
      if (pieces++) out_ += ',';
    };
    bool symbol = false;
    const char* p = n.op->tmpl ? n.op->tmpl : "";
    while (*p) {
      if (*p != '%') {
        const char* run = p;
        while (*p && *p != '%') ++p;
        piece();
        out_ += symbol ? "string[(*nf\"Symbol\"f*)\"" : "string[\"";
        escapeMathText(out_, std::string_view(run, static_cast<std::size_t>(p - run)));
        out_ += "\"]";
        symbol = false;
        continue;
      }
      char code = p[1];
      if (!code) break;
      p += 2;
      switch (code) {
        case '1':
        case '2': {
          NodePtr& operand = code == '1' ? first : second;
          if (operand) {
            piece();
            chain(std::move(operand), false, depth + 1);
          }
          break;
        }
        case 'a':
          p = stacked(p, piece);
          break;
        case 'y':
          symbol = true;
          break;
        default:
          reader::report("unimplemented math output mode");
          break;
      }
    }
    if (wrap) out_ += ']';
  }

  // %a(x,y): two glyphs set one above the other. Returns where the template goes on.
  template <typename Piece>
  const char* stacked(const char* p, Piece& piece) {
    const char* comma = *p == '(' ? std::strchr(p, ',') : nullptr;
    const char* close = comma ? std::strchr(comma, ')') : nullptr;
    if (!close) {
      reader::report("%s", kOutputError);
      return p;
    }
    std::string_view upper(p + 1, static_cast<std::size_t>(comma - p - 1));
    std::string_view lower(comma + 1, static_cast<std::size_t>(close - comma - 1));
    piece();
    if (upper == "h") {
      out_ += "atop[(*n*)string[(*y917500y*)\"-\"],char[h]]";
    } else {
      out_ += "atop[(*n*)string[(*y943718ys7.00s*)\"";
      escapeMathText(out_, upper);
      out_ += "\"],string[(*nf\"Symbol\"f*)\"";
      escapeMathText(out_, lower);
      out_ += "\"]]";
    }
    return close + 1;
  }

  std::string& out_;
  const WriterSizes& sizes_;
  bool reported_ = false;
};

int simplicityAt(const MathNode* chain, int depth) {
  if (depth >= kMaxTreeDepth) return 0;
  int result = 1;
  auto test = [&](const MathNode* operand) {
    if (!operand) return true;
    int r = simplicityAt(operand, depth + 1);
    result = std::max(result, r);
    return r != 0;
  };
  for (const MathNode* n = chain; n; n = n->next.get()) {
    if (!n->op || !n->op->tmpl) return 0;
    const char* t = n->op->tmpl;
    bool script = false;
    for (std::size_t i = 0; t[i]; ++i) {
      if (t[i] != '%' || !t[i + 1]) continue;
      char code = t[++i];
      switch (code) {
        case '1':
        case 'L':
        case 'P':
        case 'R':
          if (!test(peekOperand(n, 0))) return 0;
          break;
        case '2':
        case '3':
          if (!test(peekOperand(n, code - '1'))) return 0;
          break;
        case '?':
          if (t[i + 1] != '(') {
            reader::report("Internal error in FrameMath");
            break;
          }
          // Every element is tested: one that cannot be plain text must not be dropped.
          for (int k = 0, count = std::max(operandCount(n), 3); k < count; ++k) {
            if (!test(peekOperand(n, k))) return 0;
          }
          break;
        case 'a':
          return 0;
        case '^':
        case '_':
          if (t[i + 1] == '%' && t[i + 2] >= '1' && t[i + 2] <= '3') {
            const MathNode* operand = peekOperand(n, t[i + 2] - '1');
            i += 2;
            if (!operand) break;
            if (script) return 0;  // a base with both scripts
            script = true;
            result = std::max(result, 2);
            if (simplicityAt(operand, depth + 1) != 1) return 0;
          }
          break;
        default:
          break;
      }
    }
  }
  return result;
}

}  // namespace

int simplicity(const MathNode* tree) {
  return simplicityAt(tree, 0);
}

void escapeMathText(std::string& out, std::string_view text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\\') {
      // The MLP reader takes a backslash in a quoted part as an escape.
      out += "\\\\";
    } else if (byte > 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x ", byte);
      out += hex;
    } else {
      out += c;
    }
  }
}

void writeExpression(std::string& out, NodePtr tree, const WriterSizes& sizes) {
  mathState().annotation = kAnnotationStart;
  Writer writer(out, sizes);
  writer.chain(std::move(tree), true, 0);
}

void writeFrameMath(std::string& out, char form, NodePtr tree, const WriterSizes& sizes) {
  out += form == 'D' ? "<!FrameMath D 0.0 0.0 0.0 0.0\"\n" : "<!FrameMath I 0.0 0.0 0.0 0.0\"\n";
  writeExpression(out, std::move(tree), sizes);
  out += "\n>";
  if (form == 'D') out += '\n';
}

}  // namespace pendra::math
