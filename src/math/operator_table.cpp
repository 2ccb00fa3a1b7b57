// The built-in math operator tables, as data.
#include "math/operator.h"

namespace pendra::math {

namespace {

// Rows that layout and the writers reach directly (see SpecialRow for the order).
constexpr MathOperator kSpecialRows[] = {
    {"string", "%S", 0},       {"char", "%C", 0},        {"indexes", "%1%_%2%^%3", 0},
    {"function", "%1(%2)", 0}, {"lparen", "%L", 1},      {"rparen", "%R", 1},
    {"", "%s", 200},           {"id", "%P", 0},          {"atop", nullptr, 250},
    {"oppartial", nullptr, 1}, {"matrix", nullptr, 500},
};

// Nullary: Symbol-font glyphs of the letters and signs that take no operand.
constexpr MathOperator kNullaryRows[] = {
    {"aleph", "\xC0", 0}, {"alpha", "a", 0},        {"beta", "b", 0},       {"bot", "^", 0},
    {"chi", "c", 0},      {"cpartial", nullptr, 0}, {"degree", nullptr, 0}, {"delta", "d", 0},
    {"Delta", "D", 0},    {"emptyset", "\xC6", 0},  {"epsilon", "e", 0},    {"eta", "h", 0},
    {"gamma", "g", 0},    {"Gamma", "G", 0},        {"Im", "\xC1", 0},      {"infty", "\xA5", 0},
    {"iota", "i", 0},     {"kappa", "k", 0},        {"lambda", "l", 0},     {"Lambda", "L", 0},
    {"ldots", "\xBC", 0}, {"mu", "m", 0},           {"nabla", "\xD1", 0},   {"nu", "n", 0},
    {"omega", "w", 0},    {"Omega", "W", 0},        {"phi", "f", 0},        {"Phi", "F", 0},
    {"pi", "p", 0},       {"Pi", "P", 0},           {"pprime", "\xB2", 0},  {"prime", "\xA2", 0},
    {"psi", "y", 0},      {"Psi", "Y", 0},          {"Re", "\xC2", 0},      {"rho", "r", 0},
    {"sigma", "s", 0},    {"Sigma", "S", 0},        {"tau", "t", 0},        {"theta", "q", 0},
    {"Theta", "Q", 0},    {"upsilon", "u", 0},      {"Upsilon", "U", 0},    {"varphi", "j", 0},
    {"varpi", "p", 0},    {"varsigma", "V", 0},     {"vartheta", "J", 0},   {"wp", nullptr, 0},
    {"xi", "x", 0},       {"Xi", "X", 0},           {"zeta", "z", 0},       {"*hbar", "%a(h,-)", 0},
};

// Unary: prefix, postfix, accent and bracket operators; priority 1 unless the operand reaches
// further.
constexpr MathOperator kUnaryRows[] = {
    {"abs", "|%1|", 1},
    {"acos", "%# %1", 1},
    {"acosh", "%# %1", 1},
    {"acot", "%# %1", 1},
    {"acoth", "%# %1", 1},
    {"acsc", "%# %1", 1},
    {"acsch", "%# %1", 1},
    {"arg", "%# %1", 1},
    {"asec", "%# %1", 1},
    {"asech", "%# %1", 1},
    {"asin", "%# %1", 1},
    {"asinh", "%# %1", 1},
    {"atan", "%# %1", 1},
    {"atanh", "%# %1", 1},
    {"cos", "%# %1", 1},
    {"cosh", "%# %1", 1},
    {"cot", "%# %1", 1},
    {"coth", "%# %1", 1},
    {"csc", "%# %1", 1},
    {"csch", "%# %1", 1},
    {"exp", "%# %1", 1},
    {"imag", "%# %1", 1},
    {"ln", "%# %1", 1},
    {"real", "%# %1", 1},
    {"sec", "%# %1", 1},
    {"sech", "%# %1", 1},
    {"sgn", "%# %1", 1},
    {"sin", "%# %1", 1},
    {"sinh", "%# %1", 1},
    {"tan", "%# %1", 1},
    {"tanh", "%# %1", 1},
    {"angle", "%y\xD0 %1", 1},
    {"ast", "%1%^*", 1},
    {"box", nullptr, 1},
    {"box2", nullptr, 1},
    {"boxdot", nullptr, 1},
    {"bra", "<%1|", 1},
    {"ceil", "%y\xE9%1%y\xF9", 1},
    {"change", "%yD %1", 1},
    {"curl", "%y\xD1\xB4%1", 1},
    {"dagger", "%1%^%y\xA0", 1},
    {"dangle", "%y\xE1%1%y\xF1", 1},
    {"diff", "%f(H)d%0%1", 1},
    {"diacritical", nullptr, 1},
    {"diver", "%y\xD1\xB7%1", 1},
    {"downbrace", nullptr, 1},
    {"exists", "$%1", 80},
    {"fact", "%1!", 1},
    {"floor", "\xEB%1\xFB", 1},
    {"forall", "%y\"%1", 100},
    {"id", "%P", 1},
    {"ket", "|%1>", 1},
    {"lap", "%y\xD1%^2%=%1", 1},
    {"lparen", "%L", 1},
    {"minus", "-%1", 1},
    {"mp", nullptr, 1},
    {"neg", "%y\xC2%1", 1},
    {"norm", "||%1||", 1},
    {"overline", nullptr, 1},
    {"partial", "%y\xB6%1", 1},
    {"pm", "%y\xB1 %1", 1},
    {"rparen", "%R", 1},
    {"semicolon", ";%1", 100},
    {"star", "%1%^*", 1},
    {"therefore", "%y\\%1", 100},
    {"ucomma", ",%1", 100},
    {"uequal", "=%1", 1},
    {"upbrace", nullptr, 1},
    {"var", "%yd%1", 1},
    {"+prime", "%1\xA2", 1},
};

// Two operands.
constexpr MathOperator kTwoOperandRows[] = {
    {"acmut", "{%1,%2}", 10},        {"atop", nullptr, 10},
    {"bket", "<%1|%2>", 10},         {"choice", nullptr, 10},
    {"cmut", "[%1,%2]", 10},         {"cross", "%1%y\xB4%2", 10},
    {"div", "%1%y\xB8%2", 10},       {"fract", "%1/%2", 10},
    {"function", "%1(%2)", 10},      {"inprod", "(%1,%2)", 10},
    {"over", nullptr, 10},           {"power", "%1%^%2", 10},
    {"sn", "%1\xB4 10%^%2", 10},     {"*circ", "%1%y\xB0%2", 10},
    {"*mid", "%1|%2", 10},           {"*uplus", "%1%a(+,\xC8)%2", 25},
    {"*ominus", "%1%a(-,O)%2", 25},  {"*oslash", "%1%a(/,O)%2", 10},
    {"*odot", "%1%a(\xE1,O)%2", 10},
};

// N-ary: the template holds the separator drawn between the elements.
constexpr MathOperator kNaryRows[] = {
    {"atop", nullptr, 20},
    {"approx", "%?(%y\xBB)", 60},
    {"bullet", "%?(%y\xB7)", 20},
    {"cap", "%?(%y\xC7)", 20},
    {"cdot", "%?(%y\xD7)", 20},
    {"comma", "%?(,)", 55},
    {"cong", "%?(%y\x40)", 20},
    {"cup", "%?(%y\xC8)", 20},
    {"equal", "%?(=)", 60},
    {"equiv", "%?(%y\xBA)", 60},
    {"geq", "%?(%y\xB3)", 50},
    // Much greater and much less than: the Symbol font has no glyph, so two plain signs.
    {"gg", "%?(>>)", 55},
    {"greaterthan", "%?(>)", 50},
    {"in", "%?(%y\xCE)", 50},
    {"jotdot", "%?(%y\xE0)", 20},
    {"leftarrow", "%?(%y\xAC)", 20},
    {"Leftarrow", "%?(%y\xDC)", 20},
    {"leq", "%?(%y\xA3)", 50},
    {"lessthan", "%?(<)", 50},
    {"list", "%?( )", 20},
    {"ll", "%?(<<)", 50},
    {"lrarrow", "%?(%y\xAB)", 20},
    {"LRarrow", "%?(%y\xDB)", 20},
    {"ni", "%?(%y')", 50},
    {"notequal", "%?(%y\xB9)", 50},
    {"notin", "%?(%y\xCF)", 20},
    {"notsubset", "%?(%y\xCB)", 40},
    {"oplus", "%?(%y\xC5)", 20},
    {"parallel", "%?(||)", 20},
    {"perp", "%?(%y^)", 20},
    {"plus", "%?(+)", 25},
    {"propto", "%?(%y\xB5)", 60},
    {"rightarrow", "%?(%y\xAE)", 40},
    {"Rightarrow", "%?(%y\xDE)", 40},
    {"sim", "%?(%y~)", 60},
    {"subset", "%?(%y\xCC)", 40},
    {"subseteq", "%?(%y\xCD)", 40},
    {"supset", "%?(%y\xC9)", 40},
    {"supseteq", "%?(%y\xCA)", 40},
    {"times", "%?( )", 20},
    {"vee", "%?(%y\xDA)", 30},
    {"wedge", "%?(%y\xD9)", 30},
};

// Big operators: the body runs up to the next operator of at least the same priority.
constexpr MathOperator kBigOperatorRows[] = {
    {"bigcap", nullptr, 100}, {"bigcup", nullptr, 100}, {"int", nullptr, 90}, {"oint", nullptr, 90},
    {"prod", nullptr, 90},    {"sum", nullptr, 80},     {"lim", nullptr, 90},
};

// Roots: a %k code of any other class letter; the format code s picks prefix or infix.
constexpr MathOperator kRootRows[] = {
    {"sqrt", nullptr, 0},
    {"indexes", nullptr, 0},
};

// Control words allowed after \left and \right; the template is the delimiter letter.
constexpr MathOperator kDelimiterNameRows[] = {
    {"lfloor", "f", 0},      {"rfloor", "F", 0},  {"lceil", "c", 0},      {"rceil", "C", 0},
    {"langle", "<", 0},      {"rangle", ">", 0},  {"backslash", "\\", 0}, {"uparrow", "u", 0},
    {"downarrow", "d", 0},   {"Uparrow", "U", 0}, {"Downarrow", "D", 0},  {"updownarrow", "a", 0},
    {"Updownarrow", "A", 0},
};

}  // namespace

std::span<const MathOperator> operatorRows(OperatorTable table) {
  switch (table) {
    case OperatorTable::Special:
      return kSpecialRows;
    case OperatorTable::Nullary:
      return kNullaryRows;
    case OperatorTable::Unary:
      return kUnaryRows;
    case OperatorTable::TwoOperand:
      return kTwoOperandRows;
    case OperatorTable::Nary:
      return kNaryRows;
    case OperatorTable::BigOperator:
      return kBigOperatorRows;
    case OperatorTable::Root:
      return kRootRows;
    case OperatorTable::DelimiterName:
      return kDelimiterNameRows;
  }
  return {};
}

const MathOperator* specialRow(SpecialRow row) {
  return &kSpecialRows[static_cast<int>(row)];
}

}  // namespace pendra::math
