#include "reader/conditionals.h"

#include <cstring>
#include <optional>

#include "output/template.h"
#include "reader/arguments.h"
#include "reader/counters.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/symbols.h"

namespace pendra::reader {

namespace {

ConditionalState conditionals;

// Names beginning with "if" that are commands with arguments, not conditionals closed by \fi.
constexpr const char* kNotConditionals[] = {
    "iff",         "ifthenelse", "ifblank",  "ifstrequal", "ifdef",      "ifundef",
    "ifdefempty",  "ifstrempty", "ifcsdef",  "ifcsundef",  "ifboolexpr", "ifnumcomp",
    "ifdefstring", "ifbool",     "iftoggle", "ifdefmacro"};

int& current() {
  return readerState().currentChar;
}

void skipSpaces() {
  while (current() == ' ' || current() == '\t') advance();
}

// Whether a record's template is a conditional's that a \fi closes.
bool conditionalTemplate(const std::string& tmpl) {
  return tmpl == "%F(if)" || (tmpl.rfind("%F(\\if", 0) == 0 && tmpl != "%F(\\ifthenelse)");
}

// Whether the control word `word` (without its backslash) opens a conditional: one of ours, or an
// unknown word beginning with "if" that is none of the commands with arguments named so.
bool opensConditional(const std::string& word) {
  if (word.size() < 2 || word[0] != 'i' || word[1] != 'f') return false;
  if (const CommandRecord* r = lookup("\\" + word)) return conditionalTemplate(r->tmpl);
  for (const char* name : kNotConditionals)
    if (word == name) return false;
  return true;
}

// Passes over a branch not taken, up to the \fi that closes it (or the \else, when `toElse`),
// which is read as well; nested conditionals are passed whole. Says 'f', 'e', or 0 when the
// input ended first.
int skipBranch(bool toElse) {
  int depth = 0;
  std::string word;
  for (;;) {
    int c = current();
    if (c == kEndOfInput) return 0;
    if (c == '%') {
      while (current() != '\n' && current() != kEndOfInput) advance();
      continue;
    }
    advance();
    if (c != '\\') continue;
    if (!isNameLetter(current())) {
      if (current() != kEndOfInput) advance();  // a control symbol: \\, \%, \{
      continue;
    }
    word.clear();
    while (isNameLetter(current())) {
      if (word.size() < kNameBufferMax) word += static_cast<char>(current());
      advance();
    }
    if (word == "fi") {
      if (depth == 0) {
        skipSpaces();
        return 'f';
      }
      --depth;
    } else if (word == "else" && depth == 0 && toElse) {
      skipSpaces();
      return 'e';
    } else if (opensConditional(word)) {
      ++depth;
    }
  }
}

void push(char branch) {
  if (conditionals.open.size() >= kMaxConditionalDepth) {
    if (!conditionals.depthReported) {
      conditionals.depthReported = true;
      report("conditionals nested too deeply");
    }
    return;
  }
  conditionals.open.push_back(branch);
}

// Starts a conditional whose test gave `value`: the true branch is read, or the false one is
// passed over to its \else (whose branch is then read) or its \fi.
void beginConditional(bool value, const char* name) {
  skipSpaces();
  if (value) {
    push('t');
    return;
  }
  int line = readerState().lineCounter;
  int end = skipBranch(true);
  if (end == 'e') push('e');
  if (end == 0)
    report("%s on line %d is not closed by \\fi before the end of the input", name, line);
}

void elseProc() {
  skipSpaces();
  if (conditionals.open.empty()) {
    report("\\else without a conditional ignored");
    return;
  }
  if (conditionals.open.back() == 'e') {
    report("extra \\else ignored");
    return;
  }
  // The true branch ends here: the \else branch is passed over.
  int line = readerState().lineCounter;
  conditionals.open.pop_back();
  if (skipBranch(false) == 0)
    report("\\else on line %d is not closed by \\fi before the end of the input", line);
}

void fiProc() {
  skipSpaces();
  if (conditionals.open.empty()) {
    report("unbalanced \\fi ignored");
    return;
  }
  conditionals.open.pop_back();
}

// The next token, unexpanded: a control sequence ("\\name", a \csname's name with `csname` set)
// or one character.
std::string readOperand(bool* csname = nullptr) {
  skipBlanks();
  std::string op;
  int c = current();
  if (c == kEndOfInput) return op;
  advance();
  op += static_cast<char>(c);
  if (c != '\\') return op;
  if (!isNameLetter(current())) {
    if (current() != kEndOfInput) {
      op += static_cast<char>(current());
      advance();
    }
    return op;
  }
  while (isNameLetter(current())) {
    if (op.size() < kNameBufferMax) op += static_cast<char>(current());
    advance();
  }
  if (op == "\\csname") {
    op = std::string(1, '\\').append(readCsnameText());
    if (csname) *csname = true;
  }
  return op;
}

// What \ifx compares: a character, or a command's meaning.
std::string meaning(const std::string& op, bool csname) {
  if (op.size() < 2 || op[0] != '\\') return "character " + op;
  const CommandRecord* r = lookup(op);
  if (!r) {
    if (op == "\\empty") return std::string("macro 0 ") + kMacroBodyEnd;
    // A name \csname builds is \relax when it was undefined.
    return csname ? "\\relax" : "undefined";
  }
  if (op == "\\relax") return "\\relax";
  if (r->tmpl.rfind("%M(", 0) == 0)
    return "macro " + std::to_string(r->argCount) + (r->shape ? "shaped " : " ") +
           (r->body ? *r->body : std::string());
  return "command " + r->tmpl;
}

bool compareNumbers(long long a, int relation, long long b) {
  if (relation == '<') return a < b;
  if (relation == '>') return a > b;
  return a == b;
}

int readRelation() {
  skipBlanks();
  int relation = current();
  if (relation == '<' || relation == '=' || relation == '>') {
    advance();
    return relation;
  }
  report("a relation <, = or > was expected");
  return '=';
}

bool ifnumProc() {
  std::optional<int> a = readInteger();
  int relation = readRelation();
  std::optional<int> b = readInteger();
  if (!a || !b) {
    report("\\ifnum: a number could not be read; the test is false");
    return false;
  }
  return compareNumbers(*a, relation, *b);
}

bool ifdimProc() {
  std::optional<float> a = readLength();
  int relation = readRelation();
  std::optional<float> b = readLength();
  if (!a || !b) return false;
  if (relation == '<') return *a < *b;
  if (relation == '>') return *a > *b;
  return *a == *b;
}

// \newif\iffoo, \newboolean{foo}: \iffoo, \footrue and \foofalse, the boolean false.
void newBoolean(const std::string& name, bool provide) {
  if (name.empty()) return;
  if (provide && conditionals.booleans.count(name)) return;
  conditionals.booleans[name] = false;
  auto define = [](const std::string& command, const char* tmpl) {
    CommandRecord* record = lookup(command);
    if (!record || symbolState().foundLevel != symbolState().level)
      record = newLocalRecord(command, "");
    record->tmpl = tmpl;
    record->argCount = 0;
    record->body = nullptr;
    record->shape = nullptr;
  };
  define("\\if" + name, "%F(if)");
  define("\\" + name + "true", "%F(set)");
  define("\\" + name + "false", "%F(set)");
}

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\n");
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\n");
  return text.substr(first, last - first + 1);
}

// A test of \ifthenelse: \boolean{x}, \equal{a}{b}, \isodd{n}, \isundefined{\cmd}, number
// comparisons, joined by \and, \or, \not and \( \).
class TestParser {
 public:
  explicit TestParser(const std::string& text) : s_(text) {}
  bool run() {
    bool value = orTest(0);
    skip();
    if (i_ < s_.size() && !failed_) fail();
    return value;
  }

 private:
  void skip() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n')) ++i_;
  }
  void fail() {
    if (!failed_) report("a test of \\ifthenelse could not be read: %s", s_.c_str());
    failed_ = true;
    i_ = s_.size();
  }
  // The control word at the reading position, passed when it is `word`.
  bool take(const char* word) {
    skip();
    std::size_t n = std::strlen(word);
    if (s_.compare(i_, n, word) != 0) return false;
    std::size_t end = i_ + n;
    if (end < s_.size() && isNameLetter(static_cast<unsigned char>(s_[end])) &&
        isNameLetter(static_cast<unsigned char>(word[n - 1])))
      return false;
    i_ = end;
    return true;
  }
  std::string group() {
    skip();
    if (i_ >= s_.size() || s_[i_] != '{') {
      fail();
      return {};
    }
    int depth = 0;
    std::size_t start = i_ + 1;
    for (; i_ < s_.size(); ++i_) {
      if (s_[i_] == '\\') {
        ++i_;
        continue;
      }
      if (s_[i_] == '{') ++depth;
      if (s_[i_] == '}' && --depth == 0) break;
    }
    if (i_ >= s_.size()) {
      fail();
      return {};
    }
    return s_.substr(start, i_++ - start);
  }
  std::optional<long long> number(const std::string& text) {
    std::string t = trimmed(expandText(text));
    if (t.rfind("\\value", 0) == 0) {
      std::size_t open = t.find('{');
      std::size_t close = t.find('}');
      if (open == std::string::npos || close == std::string::npos || close < open) return {};
      return getCounter(trimmed(t.substr(open + 1, close - open - 1)));
    }
    char* end = nullptr;
    long long v = std::strtoll(t.c_str(), &end, 10);
    if (t.empty() || *end) return {};
    return v;
  }
  bool orTest(int depth) {
    bool value = andTest(depth);
    while (take("\\or") || take("\\OR")) value = andTest(depth) || value;
    return value;
  }
  bool andTest(int depth) {
    bool value = unary(depth);
    while (take("\\and") || take("\\AND")) value = unary(depth) && value;
    return value;
  }
  bool unary(int depth) {
    if (depth > kMaxTestDepth) {
      fail();
      return false;
    }
    if (take("\\not") || take("\\NOT")) return !unary(depth + 1);
    if (take("\\(")) {
      bool value = orTest(depth + 1);
      if (!take("\\)")) fail();
      return value;
    }
    return primary();
  }
  bool primary() {
    if (take("\\boolean")) {
      std::string name = trimmed(expandText(group()));
      auto found = conditionals.booleans.find(name);
      if (found == conditionals.booleans.end()) {
        report("undefined boolean %s", name.c_str());
        return false;
      }
      return found->second;
    }
    if (take("\\equal")) {
      std::string a = trimmed(expandText(group()));
      std::string b = trimmed(expandText(group()));
      return a == b;
    }
    if (take("\\isodd")) {
      std::optional<long long> n = number(group());
      return n && (*n % 2 != 0);
    }
    if (take("\\isundefined")) return !lookup(trimmed(group()));
    if (take("\\lengthtest")) {
      group();
      return false;
    }
    // A comparison of numbers: the text up to the relation, and the text after it up to the
    // next control word.
    skip();
    std::size_t relation = s_.find_first_of("<=>", i_);
    if (relation == std::string::npos) {
      fail();
      return false;
    }
    std::size_t end = relation + 1;
    while (end < s_.size() &&
           !(s_[end] == '\\' && end + 1 < s_.size() &&
             (s_[end + 1] == ')' || s_.compare(end, 4, "\\and") == 0 ||
              s_.compare(end, 3, "\\or") == 0 || s_.compare(end, 4, "\\AND") == 0 ||
              s_.compare(end, 3, "\\OR") == 0)))
      ++end;
    std::optional<long long> a = number(s_.substr(i_, relation - i_));
    std::optional<long long> b = number(s_.substr(relation + 1, end - relation - 1));
    int op = s_[relation];
    i_ = end;
    if (!a || !b) {
      fail();
      return false;
    }
    return compareNumbers(*a, op, *b);
  }

  const std::string& s_;
  std::size_t i_ = 0;
  bool failed_ = false;
};

// An argument of \@ifstar, \@ifnextchar and kin: braced, or one token.
std::string readBranch() {
  skipBlanks();
  if (current() == '{') return readMacroArgument();
  std::string op = readOperand();
  // A name with '@' read again where '@' may be no letter.
  if (op.size() > 2 && op.find('@') != std::string::npos)
    op = "\\csname " + op.substr(1) + "\\endcsname";
  return op;
}

void readChosen(bool value) {
  std::string a = readMacroArgument();
  std::string b = readMacroArgument();
  readNext(value ? a : b);
}

// \IfBooleanTF and kin: `which` is "TF", "T" or "F".
void readTrueFalse(bool value, const char* which) {
  std::string t = which[0] == 'T' ? readMacroArgument() : std::string();
  std::string f = std::strchr(which, 'F') ? readMacroArgument() : std::string();
  readNext(value ? t : f);
}

const EnvironmentRecord* commentPattern() {
  for (const EnvironmentRecord& record : kBuiltinEnvironments)
    if (record.body == BodyHandler::kComment) return &record;
  return nullptr;
}

bool xparseTest(const std::string& k) {
  static constexpr const char* kTests[] = {"\\IfBoolean", "\\IfNoValue", "\\IfValue"};
  for (const char* test : kTests) {
    std::size_t n = std::strlen(test);
    if (k.compare(0, n, test) != 0) continue;
    const char* which = k.c_str() + n;
    std::string arg = trimmed(expandText(readMacroArgument()));
    bool value = k[3] == 'B' ? arg == "\\BooleanTrue" : arg == kNoValue;
    if (k[3] == 'V') value = !value;
    readTrueFalse(value, which);
    return true;
  }
  return false;
}

}  // namespace

ConditionalState& conditionalState() {
  return conditionals;
}

void initConditionals() {
  conditionals = ConditionalState{};
}

bool conditionalProc(const char* kind) {
  std::string k = kind;
  const char* token = readerState().tokenText;
  if (k == "if") {
    std::string name = token + (std::strlen(token) > 3 ? 3 : std::strlen(token));
    auto found = conditionals.booleans.find(name);
    beginConditional(found != conditionals.booleans.end() && found->second, token);
  } else if (k == "set") {
    std::string text = token + 1;
    bool value = text.size() > 4 && text.compare(text.size() - 4, 4, "true") == 0;
    std::string name = text.substr(0, text.size() - (value ? 4 : 5));
    conditionals.booleans[name] = value;
  } else if (k == "\\iftrue" || k == "\\iffalse") {
    beginConditional(k == "\\iftrue", kind);
  } else if (k == "\\ifdefined") {
    std::string op = readOperand();
    beginConditional(op.size() > 1 && lookup(op), kind);
  } else if (k == "\\ifcsname") {
    beginConditional(lookup(std::string(1, '\\').append(readCsnameText())) != nullptr, kind);
  } else if (k == "\\ifx") {
    bool csA = false;
    bool csB = false;
    std::string a = readOperand(&csA);
    std::string b = readOperand(&csB);
    beginConditional(meaning(a, csA) == meaning(b, csB), kind);
  } else if (k == "\\ifnum") {
    beginConditional(ifnumProc(), kind);
  } else if (k == "\\ifodd") {
    std::optional<int> n = readInteger();
    beginConditional(n && *n % 2 != 0, kind);
  } else if (k == "\\ifdim") {
    beginConditional(ifdimProc(), kind);
  } else if (k == "\\ifmmode") {
    int mode = currentMode();
    beginConditional(mode == kMathMode || mode == kInlineMathMode || mode == kMathArrayMode, kind);
  } else if (k == "\\ifother") {
    // A conditional of an engine or package we do not follow (\ifpdf, \ifxetex): false.
    beginConditional(false, token);
  } else if (k == "\\else") {
    elseProc();
  } else if (k == "\\fi") {
    fiProc();
  } else if (k == "\\newif") {
    std::optional<std::string> name = readCommandName();
    if (!name || name->size() < 4 || name->compare(0, 3, "\\if") != 0) {
      report("\\newif needs a name that begins with \\if");
      return true;
    }
    newBoolean(name->substr(3), false);
  } else if (k == "\\newboolean" || k == "\\provideboolean") {
    newBoolean(trimmed(readMacroArgument()), k == "\\provideboolean");
  } else if (k == "\\setboolean") {
    std::string name = trimmed(readMacroArgument());
    std::string value = trimmed(readMacroArgument());
    for (char& c : value) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (!conditionals.booleans.count(name)) report("undefined boolean %s", name.c_str());
    if (value != "true" && value != "false")
      report("a boolean is true or false, not %s", value.c_str());
    conditionals.booleans[name] = value == "true";
  } else if (k == "\\ifthenelse") {
    std::string test = readMacroArgument();
    readChosen(TestParser(test).run());
  } else if (k == "\\@ifundefined") {
    std::string name = trimmed(expandText(readMacroArgument()));
    readChosen(lookup("\\" + name) == nullptr);
  } else if (k == "\\@ifstar") {
    std::string a = readBranch();
    std::string b = readBranch();
    passBodyEnds();
    bool star = current() == '*';
    if (star) advance();
    readNext(star ? a : b);
  } else if (k == "\\@ifnextchar") {
    std::string next = readOperand();
    std::string a = readBranch();
    std::string b = readBranch();
    passBodyEnds();
    skipSpaces();
    if (current() == '\n') advance();
    skipSpaces();
    bool same = next.size() == 1 && current() == static_cast<unsigned char>(next[0]);
    readNext(same ? a : b);
  } else if (xparseTest(k)) {
  } else if (k == "\\excludecomment" || k == "\\includecomment") {
    std::string name = trimmed(readMacroArgument());
    const EnvironmentRecord* pattern = commentPattern();
    if (!name.empty() && pattern)
      defineEnvironment(name.c_str(), k == "\\excludecomment" ? *pattern : kOutermostEnvironment);
  } else {
    return false;
  }
  return true;
}

void commentBody(int) {
  setCurrentMode(kVerbatimMode);
  ReaderState& rd = readerState();
  int line = rd.lineCounter;
  const std::string name = currentEnvironment().name;
  std::string word;
  for (;;) {
    int c = current();
    if (c == kEndOfInput) {
      rd.lineCounter = line;
      report("unclosed \\begin{%s}", name.c_str());
      return;
    }
    advance();
    if (c != '\\') continue;
    word.clear();
    while (chars::isLetter(current()) && word.size() < kNameBufferMax) {
      word += static_cast<char>(current());
      advance();
    }
    if (word != "end") continue;
    skipSpaces();
    if (current() != '{') continue;
    advance();
    word.clear();
    while (current() != '}' && current() != '\n' && current() != kEndOfInput &&
           word.size() < kNameBufferMax) {
      word += static_cast<char>(current());
      advance();
    }
    if (current() != '}' || word != name) continue;
    advance();
    skipSpaces();
    return;
  }
}

}  // namespace pendra::reader
