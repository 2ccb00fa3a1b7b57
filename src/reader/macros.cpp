#include "reader/macros.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"

namespace pendra::reader {

DefinitionState theDefinitions;

void initDefinitions() {
  theDefinitions = DefinitionState{};
}

namespace {

constexpr const char* kAfterDefinition = "%\t";

std::string macroTemplate(int argCount) {
  char t[] = "%M(0)";
  t[3] = static_cast<char>('0' + argCount);
  return t;
}

// The optional [count] after a name; `badCount` is reported for counts outside 0..9.
int readArgCount(bool* outOfRange) {
  *outOfRange = false;
  skipBlanks();
  ReaderState& rd = readerState();
  if (rd.currentChar != '[') return 0;
  advance();
  std::optional<int> n = readInteger();
  int count = n.value_or(0);
  skipBlanks();
  if (rd.currentChar == ']')
    advanceWithSubstitution();
  else
    report("mismatched `['");
  if (count < 0 || count > kMaxMacroArgs) {
    *outOfRange = true;
    count = 0;
  }
  return count;
}

// What stood at a '#' read within a macro's body.
enum class Hash { kNone, kSubstituted, kKept };

// At a '#' of a macro's body: #1..#9 of that macro is replaced by its argument (the argument is
// then read), ## and a '#' before anything else keep one '#' (the character after it is then
// current). Outside a body, or for a number past the macro's arguments (left for the macro that
// the text defines), nothing is done.
Hash substituteParameter() {
  ReaderState& rd = readerState();
  int frame = currentFrame();
  if (rd.currentChar != '#' || frame <= 0) return Hash::kNone;
  advance();
  int c = rd.currentChar;
  if (c >= '1' && c <= '9') {
    if (c - '0' > rd.frames[frame - 1].argCount) {
      // Not this macro's: the '#' and the digit stay as written (the digit is current).
      return Hash::kKept;
    }
    advance();
    insertArgument(c - '0', frame);
    return Hash::kSubstituted;
  }
  if (c == '#') advance();
  return Hash::kKept;
}

// At a '#' of text being collected: a parameter of the running macro is read as its argument,
// or one '#' is handed to `keep`; false when the '#' is an ordinary character here.
template <typename Keep>
bool takeParameter(Keep&& keep) {
  Hash hash = substituteParameter();
  if (hash == Hash::kKept) keep('#');
  return hash != Hash::kNone;
}

// Adds `c` to an argument's text while it is within kMacroArgumentMax; past it, counts it dropped.
void keepArgumentChar(std::string& kept, std::size_t& dropped, int c) {
  if (kept.size() < kMacroArgumentMax)
    kept += static_cast<char>(c);
  else
    ++dropped;
}

// Collects a braced ('{' '}') or bracketed ('[' ']') argument character by character.
std::string readDelimited(int open, int close, bool bracket) {
  ReaderState& rd = readerState();
  int startLine = rd.lineCounter;
  if (!bracket) skipBlanks();
  if (rd.currentChar != open) {
    if (!bracket) report("missing argument to macro");
    return {};
  }
  std::string kept;
  std::size_t dropped = 0;
  auto keep = [&](int c) { keepArgumentChar(kept, dropped, c); };
  int depth = 1;
  bool eof = false;
  advance();
  for (;;) {
    int c = rd.currentChar;
    if (c == kEndOfInput) {
      eof = true;
      break;
    }
    if (c == '#' && takeParameter(keep)) continue;
    if (c == '%') {
      keep(c);
      while (rd.currentChar != '\n' && rd.currentChar != kEndOfInput) advance();
      continue;  // the line feed is kept like any other character
    }
    if (c == '\\') {
      keep(c);
      advance();
      if (rd.currentChar == kEndOfInput) {
        eof = true;
        break;
      }
      keep(rd.currentChar);
      advance();
      continue;
    }
    if (c == open && !bracket) ++depth;
    if (c == close && !bracket) --depth;
    if (bracket) {
      if (c == '{') ++depth;
      if (c == '}') --depth;
      if (c == ']' && depth == 1) break;
    } else if (depth == 0) {
      break;
    }
    keep(c);
    advance();
  }
  if (eof) {
    report("unexpected eof while reading argument on line %d", startLine);
    return kept;
  }
  if (dropped > 0) report("overflow of macro argument buffer");
  advance();  // the closing brace or bracket
  return kept;
}

// Whether `code` holds the control word `prefix` + one of the names of the verbatim and listing
// environments (\verbatim, \endlstlisting...): the code of an environment defined as one of them.
bool namesListing(const std::string& code, const char* prefix) {
  static constexpr const char* kNames[] = {"verbatim",  "Verbatim",   "BVerbatim",
                                           "LVerbatim", "lstlisting", "minted"};
  for (const char* name : kNames) {
    std::string word = std::string(prefix) + name;
    for (std::size_t at = code.find(word); at != std::string::npos; at = code.find(word, at + 1)) {
      std::size_t after = at + word.size();
      char next = after < code.size() ? code[after] : ' ';
      if (!((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))) return true;
    }
  }
  return false;
}

// Makes `name` an environment whose lines are copied as a listing's; an environment defined with
// other code than a listing's loses a listing record made for it before.
void defineListingEnvironment(const std::string& name, bool listing) {
  if (name.empty()) return;
  if (listing) {
    if (const EnvironmentRecord* pattern = lookupEnvironment("lstlisting"))
      defineEnvironment(name.c_str(), *pattern);
    return;
  }
  const EnvironmentRecord* found = lookupEnvironment(name.c_str());
  if (found && found->body == BodyHandler::kListing && environmentState().made.count(found))
    defineEnvironment(name.c_str(), kOutermostEnvironment);
}

// A body defined between \makeatletter and \makeatother keeps the names with '@' it had there,
// although it is read again later: each such name is written as \csname name\endcsname.
std::string protectAtNames(const std::string& body) {
  if (body.find('@') == std::string::npos) return body;
  std::string out;
  for (std::size_t i = 0; i < body.size();) {
    if (body[i] != '\\') {
      out += body[i++];
      continue;
    }
    std::size_t end = i + 1;
    bool at = false;
    while (end < body.size() && isNameLetter(static_cast<unsigned char>(body[end]))) {
      at = at || body[end] == '@';
      ++end;
    }
    if (at && end - i > 2) {
      out += "\\csname ";
      out.append(body, i + 1, end - i - 1);
      out += "\\endcsname";
    } else {
      out.append(body, i, std::max<std::size_t>(end - i, 2));
      if (end == i + 1) ++end;  // a control symbol
    }
    i = std::min(end, body.size());
  }
  return out;
}

// The records that a definition of `name` fills: the one of the current level (made when the
// name has none there); for a global definition the one found, whatever its level, and one at
// level 0.
std::vector<CommandRecord*> recordsToDefine(const std::string& name, bool global) {
  CommandRecord* record = lookup(name);
  if (!global) {
    if (!record || symbolState().foundLevel != symbolState().level)
      record = newLocalRecord(name, "");
    return {record};
  }
  if (record && symbolState().foundLevel == 0) return {record};
  std::vector<CommandRecord*> records;
  if (record) records.push_back(record);
  records.push_back(newGlobalRecord(name, ""));
  return records;
}

// Takes the prefixes (\global, \long) read before a definition; `global` is set by a \gdef.
bool takeGlobalPrefix(bool global) {
  DefinitionState& d = definitionState();
  global = global || d.globalPrefix;
  d.globalPrefix = false;
  return global;
}
bool takeLongPrefix() {
  DefinitionState& d = definitionState();
  bool isLong = d.longPrefix;
  d.longPrefix = false;
  return isLong;
}

// Reports a #n of a definition's body past its `count` arguments (## is the '#' of a definition
// made by this body, and is passed over).
void checkParameters(const std::string& body, int count, const std::string& name) {
  for (std::size_t i = 0; i + 1 < body.size(); ++i) {
    if (body[i] == '\\') {
      ++i;
      continue;
    }
    if (body[i] != '#') continue;
    char next = body[i + 1];
    if (next == '#') {
      ++i;
      continue;
    }
    if (next >= '1' && next <= '9' && next - '0' > count) {
      report("Illegal parameter number #%c in definition of %s", next, name.c_str());
      return;
    }
  }
}

// Whether `text` is one braced group ({..} whose first brace closes at its end).
bool oneGroup(const std::string& text) {
  if (text.size() < 2 || text.front() != '{' || text.back() != '}') return false;
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      ++i;
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}' && --depth == 0) return i + 1 == text.size();
  }
  return false;
}

// A control word or symbol (its backslash current): appended to `out`.
void appendControlSequence(std::string& out) {
  ReaderState& rd = readerState();
  out += '\\';
  advance();
  if (isNameLetter(rd.currentChar)) {
    while (isNameLetter(rd.currentChar)) {
      if (out.size() < kMacroArgumentMax) out += static_cast<char>(rd.currentChar);
      advance();
    }
  } else if (rd.currentChar != kEndOfInput) {
    out += static_cast<char>(rd.currentChar);
    advance();
  }
}

// An undelimited argument of a \def macro: a braced group (braces dropped) or one token.
std::string readUndelimited() {
  ReaderState& rd = readerState();
  skipBlanks();
  int c = rd.currentChar;
  if (c == '{') return readDelimited('{', '}', false);
  if (c == kEndOfInput || c == '}') {
    report("missing argument to macro");
    return {};
  }
  std::string text;
  if (c == '\\') {
    appendControlSequence(text);
    return text;
  }
  text += static_cast<char>(c);
  advance();
  return text;
}

// A delimited argument: everything, balanced in braces, up to `delimiter` (which is passed). An
// argument that is one braced group loses its braces. Unless `isLong`, a blank line ends it as
// the end of input does: the delimiter was never met (reported).
std::string readUntilDelimiter(const std::string& delimiter, bool isLong, const char* name) {
  ReaderState& rd = readerState();
  int startLine = rd.lineCounter;
  std::string kept;
  std::string tail;  // the last characters read, as many as the delimiter has
  std::size_t dropped = 0;
  auto keep = [&](int c) {
    keepArgumentChar(kept, dropped, c);
    tail += static_cast<char>(c);
    if (tail.size() > delimiter.size()) tail.erase(0, 1);
  };
  int depth = 0;
  bool lineEnd = false;  // only blanks since the last line feed
  bool met = false;
  for (;;) {
    int c = rd.currentChar;
    if (c == kEndOfInput) break;
    if (c == '#' && takeParameter(keep)) continue;
    if (c == '\n') {
      if (lineEnd && !isLong && depth == 0) break;
      lineEnd = true;
    } else if (c != ' ' && c != '\t') {
      lineEnd = false;
    }
    if (c == '\\') {
      std::string word;
      appendControlSequence(word);
      for (char w : word) keep(static_cast<unsigned char>(w));
    } else {
      if (c == '{') ++depth;
      if (c == '}') {
        if (depth == 0) break;  // the group around the call ends: the argument with it
        --depth;
      }
      keep(c);
      advance();
    }
    if (depth == 0 && tail == delimiter) {
      met = true;
      break;
    }
  }
  if (!met) {
    report("the argument of %s that ends with `%s' (line %d) was not ended before %s", name,
           delimiter.c_str(), startLine,
           rd.currentChar == kEndOfInput ? "the end of the input" : "the end of a paragraph");
    return kept;
  }
  if (dropped > 0) {
    report("overflow of macro argument buffer");
  } else {
    kept.resize(kept.size() - delimiter.size());
  }
  if (oneGroup(kept)) kept = kept.substr(1, kept.size() - 2);
  return kept;
}

// Reads the arguments of a macro of that shape.
std::vector<std::string> readShapedArguments(const MacroShape& shape, const char* name) {
  ReaderState& rd = readerState();
  std::vector<std::string> args;
  passBodyEnds();
  // The blanks after the name (and one line end) are no part of the arguments.
  while (rd.currentChar == ' ' || rd.currentChar == '\t') advance();
  if (rd.currentChar == '\n') advance();
  while (rd.currentChar == ' ' || rd.currentChar == '\t') advance();
  if (!shape.prefix.empty()) {
    skipBlanks();
    for (char p : shape.prefix) {
      if (p == ' ') continue;
      if (rd.currentChar != static_cast<unsigned char>(p)) {
        report("use of %s does not match its definition", name);
        args.resize(shape.params.size());
        return args;
      }
      advance();
    }
  }
  for (const MacroParam& param : shape.params) {
    switch (param.kind) {
      case ParamKind::kBraced:
        args.push_back(readMacroArgument());
        break;
      case ParamKind::kOptional:
        skipBlanks();
        if (rd.currentChar == '[')
          args.push_back(readBracketArgument());
        else
          args.emplace_back(param.hasDefault ? param.text : kNoValue);
        break;
      case ParamKind::kStar: {
        skipBlanks();
        int token = param.text.empty() ? '*' : static_cast<unsigned char>(param.text[0]);
        bool present = rd.currentChar == token;
        if (present) advance();
        args.emplace_back(present ? "\\BooleanTrue" : "\\BooleanFalse");
        break;
      }
      case ParamKind::kUndelimited:
        args.push_back(readUndelimited());
        break;
      case ParamKind::kDelimited:
        args.push_back(readUntilDelimiter(param.text, shape.longArgs, name));
        break;
    }
  }
  return args;
}

// A body that uses \expandafter, or follows one, and names the macro it defines comes from the
// idiom that adds to a macro (\expandafter\def\expandafter\a\expandafter{\a more}), whose chain of
// \expandafter puts the old meaning in place of the name before the definition: that is done here,
// since the chain itself is passed over. Without it the macro would call itself without end.
std::string expandOwnName(const std::string& body, const std::string& name) {
  bool passed = definitionState().expandafter;
  definitionState().expandafter = false;
  if (!passed && body.find("\\expandafter") == std::string::npos) return body;
  const CommandRecord* r = lookup(name);
  std::string meaning;
  if (r) {
    if (r->tmpl != "%M(0)" || r->shape || !r->body) return body;
    meaning = r->body->substr(0, r->body->size() - std::strlen(kMacroBodyEnd));
  }
  std::string out;
  for (std::size_t i = 0; i < body.size();) {
    std::size_t end = i + name.size();
    if (body.compare(i, name.size(), name) == 0 &&
        (end >= body.size() || !isNameLetter(static_cast<unsigned char>(body[end])))) {
      if (out.size() + meaning.size() <= kMaxExpandedText) out += meaning;
      i = end;
      continue;
    }
    out += body[i++];
  }
  return out;
}

// The parameter text of a \def, up to (not past) the body's brace: #1..#9 with the text that
// delimits each and the text before the first. False when no brace came (reported).
bool readParameterText(const std::string& name, MacroShape& shape) {
  ReaderState& rd = readerState();
  std::string* text = &shape.prefix;
  std::size_t read = 0;
  skipBlanks();
  for (;;) {
    int c = rd.currentChar;
    if (c == '{') {
      for (MacroParam& param : shape.params)
        if (!param.text.empty()) param.kind = ParamKind::kDelimited;
      return true;
    }
    if (c == kEndOfInput || c == '}' || ++read > kNameBufferMax) {
      report("missing { after the parameters of %s", name.c_str());
      return false;
    }
    if (c == '%') {
      // A comment, its line end and the blanks that begin the next line.
      while (rd.currentChar != '\n' && rd.currentChar != kEndOfInput) advance();
      skipBlanks();
      continue;
    }
    if (c == '#') {
      // In a definition made by a macro's body, ## stands for the new macro's #.
      Hash hash = substituteParameter();
      if (hash == Hash::kSubstituted) continue;
      if (hash == Hash::kNone) advance();
      int digit = rd.currentChar;
      if (digit == '{') continue;  // #{: the body's brace ends the last argument
      if (digit < '1' || digit > '9') {
        report("illegal parameter #%c in definition of %s", digit, name.c_str());
        continue;
      }
      advance();
      if (digit - '0' != static_cast<int>(shape.params.size()) + 1)
        report("parameters must be numbered consecutively in definition of %s", name.c_str());
      if (static_cast<int>(shape.params.size()) >= kMaxMacroArgs) continue;
      shape.params.push_back({ParamKind::kUndelimited, {}, false});
      text = &shape.params.back().text;
      continue;
    }
    if (c == '\\') {
      // \expandafter and \noexpand there would have been expanded before \def read its text.
      std::size_t at = text->size();
      appendControlSequence(*text);
      std::string_view word(*text);
      word.remove_prefix(at);
      if (word == "\\expandafter" || word == "\\noexpand") {
        definitionState().expandafter = true;
        text->resize(at);
        skipBlanks();
      }
      continue;
    }
    *text += static_cast<char>(c);
    advance();
  }
}

// The argument types of a document command, one letter each (m, o, O{default}, s, +m...).
void parseArgumentTypes(const std::string& types, const std::string& name, MacroShape& shape) {
  for (std::size_t i = 0; i < types.size(); ++i) {
    char c = types[i];
    if (c == ' ' || c == '\n' || c == '\t' || c == '+' || c == '!') continue;
    // A braced group after a letter: O's default, or the defaults of types read as m.
    auto group = [&]() {
      std::string text;
      while (i + 1 < types.size() && types[i + 1] == ' ') ++i;
      if (i + 1 >= types.size() || types[i + 1] != '{') return text;
      int depth = 0;
      for (++i; i < types.size(); ++i) {
        if (types[i] == '{' && depth++ == 0) continue;
        if (types[i] == '}' && --depth == 0) break;
        text += types[i];
      }
      return text;
    };
    if (static_cast<int>(shape.params.size()) >= kMaxMacroArgs) {
      report("Illegal number of macro arguments");
      return;
    }
    MacroParam param;
    switch (c) {
      case 'm':
        break;
      case 'o':
        param.kind = ParamKind::kOptional;
        break;
      case 'O':
        param.kind = ParamKind::kOptional;
        param.hasDefault = true;
        param.text = group();
        break;
      case 's':
        param.kind = ParamKind::kStar;
        break;
      case 't':
        param.kind = ParamKind::kStar;
        if (i + 1 < types.size()) param.text.assign(1, types[++i]);
        break;
      default:
        report("argument type `%c' of %s is read as a braced argument", c, name.c_str());
        if (c == 'r' || c == 'R' || c == 'd' || c == 'D') i = std::min(i + 2, types.size());
        if (c == 'R' || c == 'D' || c == 'G' || c == 'e' || c == 'E') group();
        break;
    }
    shape.params.push_back(param);
  }
}

// Whether a macro read with `shape` needs it (it reads otherwise than braced arguments).
bool needsShape(const MacroShape& shape) {
  if (!shape.prefix.empty()) return true;
  for (const MacroParam& param : shape.params)
    if (param.kind != ParamKind::kBraced) return true;
  return false;
}

std::shared_ptr<const MacroShape> keptShape(MacroShape shape) {
  if (!needsShape(shape)) return nullptr;
  return std::make_shared<const MacroShape>(std::move(shape));
}

// \newcommand's [n] and the optional first argument's [default] after it.
int readCountAndDefault(MacroShape& shape, bool* outOfRange) {
  int count = readArgCount(outOfRange);
  skipBlanks();
  if (count > 0 && readerState().currentChar == '[') {
    MacroParam optional{ParamKind::kOptional, readBracketArgument(), true};
    shape.params.push_back(optional);
  }
  for (int i = static_cast<int>(shape.params.size()); i < count; ++i)
    shape.params.push_back(MacroParam{});
  return count;
}

void expandInto(std::string& out, const std::string& text, int depth, int& expansions) {
  for (std::size_t i = 0; i < text.size() && out.size() < kMaxExpandedText;) {
    if (text[i] != '\\') {
      out += text[i++];
      continue;
    }
    std::size_t end = i + 1;
    while (end < text.size() && isNameLetter(static_cast<unsigned char>(text[end]))) ++end;
    if (end == i + 1) {
      // A control symbol, the end of a body (\?) left out.
      if (end < text.size() && text[end] != kMacroBodyEndChar) out.append(text, i, 2);
      i = end < text.size() ? end + 1 : end;
      continue;
    }
    std::string name = text.substr(i, end - i);
    if (name == "\\noexpand") {
      while (end < text.size() && text[end] == ' ') ++end;
      std::size_t next = end + 1;
      while (next < text.size() && isNameLetter(static_cast<unsigned char>(text[next]))) ++next;
      out.append(text, end, next - end);
      i = next;
      continue;
    }
    const CommandRecord* r = lookup(name);
    if (r && r->tmpl == "%M(0)" && !r->shape && r->body && depth < kMaxTextExpansionDepth &&
        ++expansions <= kMaxTextExpansions) {
      std::shared_ptr<const std::string> body = r->body;
      expandInto(out, *body, depth + 1, expansions);
      while (end < text.size() && text[end] == ' ') ++end;  // as after any control word
    } else {
      out.append(text, i, end - i);
    }
    i = end;
  }
}

}  // namespace

void defineMacro(const std::string& name, int argCount, const std::string& body,
                 std::shared_ptr<const MacroShape> shape, bool global) {
  auto text = std::make_shared<const std::string>(
      (definitionState().atLetter ? protectAtNames(body) : body) + kMacroBodyEnd);
  for (CommandRecord* record : recordsToDefine(name, global)) {
    record->argCount = argCount;
    record->tmpl = macroTemplate(argCount);
    record->body = text;
    record->shape = shape;
  }
}

void invokeMacro(const char* name, int argCount) {
  CommandRecord* record = lookup(std::string(name));
  if (!record) return;
  if (argCount != record->argCount) report("Internal error: wrong number of args to macro");
  std::vector<std::string> args;
  if (record->shape) {
    // Kept: the arguments are read before the body is, and may not outlive the record.
    std::shared_ptr<const MacroShape> shape = record->shape;
    std::shared_ptr<const std::string> body = record->body;
    args = readShapedArguments(*shape, name);
    if (!body) {
      report("Internal error: null macro body");
      return;
    }
    startExpansion(std::move(body), std::move(args), static_cast<int>(shape->params.size()));
    return;
  }
  if (argCount == 0) {
    skipToLineEnd();
  } else {
    for (int i = 0; i < argCount; ++i) args.push_back(readMacroArgument());
  }
  if (!record->body) {
    report("Internal error: null macro body");
    return;
  }
  startExpansion(record->body, std::move(args), argCount);
}

void newCommandProc(char kind) {
  ReaderState& rd = readerState();
  if (rd.currentChar == '*') advance();  // the starred forms: arguments without blank lines
  bool global = takeGlobalPrefix(false);
  std::optional<std::string> name = readCommandName();
  bool outOfRange = false;
  MacroShape shape;
  int count = 0;
  bool document = kind == 'd' || kind == 'D' || kind == 'R' || kind == 'P';
  if (document) {
    std::string types = readMacroArgument();
    parseArgumentTypes(types, name ? *name : std::string(), shape);
    count = static_cast<int>(shape.params.size());
  } else {
    count = readCountAndDefault(shape, &outOfRange);
  }
  std::string body = readMacroArgument();
  if (outOfRange) report("Illegal number of macro arguments");
  if (!name) return;
  if ((kind == 'p' || kind == 'P') && lookup(*name)) return;
  checkParameters(body, count, *name);
  defineMacro(*name, count, body, keptShape(std::move(shape)), global);
  output::runInCurrentMode(kAfterDefinition);
}

void defProc(bool global, bool expand) {
  global = takeGlobalPrefix(global);
  definitionState().expandafter = false;
  MacroShape shape;
  shape.longArgs = takeLongPrefix();
  std::optional<std::string> name = readCommandName();
  bool braced = readParameterText(name ? *name : std::string("\\def"), shape);
  std::string body = braced ? readMacroArgument() : std::string();
  if (!name || !braced) return;
  body = expand ? expandText(body) : expandOwnName(body, *name);
  int count = static_cast<int>(shape.params.size());
  checkParameters(body, count, *name);
  defineMacro(*name, count, body, keptShape(std::move(shape)), global);
  output::runInCurrentMode(kAfterDefinition);
}

void letProc() {
  bool global = takeGlobalPrefix(false);
  std::optional<std::string> name = readCommandName();
  ReaderState& rd = readerState();
  skipBlanks();
  if (rd.currentChar == '=') {
    advance();
    skipBlanks();
  }
  // \LetLtxMacro{\new}{\old}: the target in braces.
  bool braced = rd.currentChar == '{' && name && definitionState().bracedLet;
  if (braced) {
    advance();
    skipBlanks();
  }
  // The meaning copied: a control word's, a control symbol's or a character's. A brace
  // (\let\bgroup={) is passed over, so that it does not open a group.
  std::string target;
  bool symbol = false;
  int character = kEndOfInput;
  if (rd.currentChar == '\\') {
    advance();
    if (isNameLetter(rd.currentChar)) {
      target.assign(1, '\\');
      while (isNameLetter(rd.currentChar)) {
        if (target.size() < kNameBufferMax) target += static_cast<char>(rd.currentChar);
        advance();
      }
      if (target == "\\csname") target = std::string(1, '\\').append(readCsnameText());
      while (rd.currentChar == ' ' || rd.currentChar == '\t') advance();
    } else if (rd.currentChar != kEndOfInput) {
      target = std::string("\\") + static_cast<char>(rd.currentChar);
      symbol = true;
      advance();
    }
  } else if (rd.currentChar != kEndOfInput) {
    character = rd.currentChar;
    advance();
  }
  if (braced) {
    skipBlanks();
    if (rd.currentChar == '}') advance();
  }
  if (!name || target == *name) return;
  if (symbol) {
    // A control symbol: the name stands for it.
    defineMacro(*name, 0, target, nullptr, global);
    return;
  }
  if (target.empty()) {
    if (character != kEndOfInput && character != '{' && character != '}')
      defineMacro(*name, 0, std::string(1, static_cast<char>(character)), nullptr, global);
    return;
  }
  // An environment's name (\let\myquote\quote) makes an environment of that kind as well.
  if (target.size() > 1 && name->size() > 1 && target.rfind("\\end", 0) != 0) {
    if (const EnvironmentRecord* environment = lookupEnvironment(target.c_str() + 1))
      if (environment->body != BodyHandler::kComment)
        defineEnvironment(name->c_str() + 1, *environment);
  }
  const CommandRecord* source = lookup(target);
  if (!source) return;
  // Copied before the record of the name may be made (which may move records).
  CommandRecord copy = *source;
  for (CommandRecord* record : recordsToDefine(*name, global)) {
    record->tmpl = copy.tmpl;
    record->argCount = copy.argCount;
    record->length = copy.length;
    record->counter = copy.counter;
    record->body = copy.body;
    record->shape = copy.shape;
  }
}

void newEnvironmentProc(char kind) {
  ReaderState& rd = readerState();
  if (rd.currentChar == '*') advance();
  skipBlanks();
  int closer = 0;
  if (rd.currentChar == '{' || rd.currentChar == '[') {
    closer = rd.currentChar == '{' ? '}' : ']';
    advancePastSpaces();
  }
  std::string name;
  while ((rd.currentChar >= 'a' && rd.currentChar <= 'z') ||
         (rd.currentChar >= 'A' && rd.currentChar <= 'Z')) {
    if (name.size() < kNameBufferMax) name += static_cast<char>(rd.currentChar);
    advance();
  }
  if (closer) {
    skipBlanks();
    if (rd.currentChar == closer)
      advanceWithSubstitution();
    else
      report("mismatched { or [\n");
  }
  bool outOfRange = false;
  MacroShape shape;
  int count = 0;
  if (kind == 'd') {
    std::string types = readMacroArgument();
    parseArgumentTypes(types, name, shape);
    count = static_cast<int>(shape.params.size());
  } else {
    count = readCountAndDefault(shape, &outOfRange);
  }
  std::string begin = readMacroArgument();
  std::string end = readMacroArgument();
  if (outOfRange) report("Bad number of arguments to environment %s", name.c_str());
  checkParameters(begin, count, name);
  defineMacro("\\" + name, count, begin, keptShape(std::move(shape)));
  defineMacro("\\end" + name, 0, end);
  defineListingEnvironment(name, namesListing(begin, "\\") && namesListing(end, "\\end"));
  output::runInCurrentMode(kAfterDefinition);
}

void newListingEnvironmentProc(char kind) {
  ReaderState& rd = readerState();
  auto skipOptional = [&rd] {
    skipBlanks();
    if (rd.currentChar == '[') readBracketArgument();
  };
  if (kind == 't') skipOptional();  // \newtcblisting[init options]{name}
  std::optional<std::string> name = readWord();
  if (kind == 'v') {
    readMacroArgument();  // the environment it is based on
    readMacroArgument();  // its options
  } else {
    skipOptional();                        // the number of arguments
    skipOptional();                        // the default of the first
    if (kind == 'l') readMacroArgument();  // begin code
    readMacroArgument();                   // end code, or the tcolorbox options
  }
  if (name) defineListingEnvironment(*name, true);
  output::runInCurrentMode(kAfterDefinition);
}

std::string readMacroArgument() {
  return readDelimited('{', '}', false);
}

std::string readBracketArgument() {
  return readDelimited('[', ']', true);
}

void passBodyEnds() {
  ReaderState& rd = readerState();
  for (std::size_t n = 0; n < kMaxStrings; ++n) {
    if (rd.currentChar != '\\' || !rd.pending || rd.pending[0] != kMacroBodyEndChar ||
        rd.pending[1] != 0)
      return;
    advance();
    advance();
  }
}

void substituteParameterHere() {
  ReaderState& rd = readerState();
  if (rd.currentChar != '#' || currentFrame() <= 0) return;
  // Only a parameter of the macro being read: nothing is consumed otherwise.
  const char* next = rd.pending;
  if (!next || *next < '1' || *next > '9') return;
  if (*next - '0' > rd.frames[currentFrame() - 1].argCount) return;
  substituteParameter();
}

std::string readCsnameText() {
  ReaderState& rd = readerState();
  std::string text;
  while (rd.currentChar == ' ' || rd.currentChar == '\t') advance();
  for (;;) {
    int c = rd.currentChar;
    // A name is short and on one line: past that, the \endcsname is missing and the text after
    // the \csname is read as text again.
    if (c == kEndOfInput || c == '\n' || text.size() >= kNameBufferMax) {
      report("\\csname without \\endcsname");
      return text;
    }
    if (c == '#' && takeParameter([&text](char hash) { text += hash; })) continue;
    if (c == '\\') {
      std::string word;
      appendControlSequence(word);
      if (word == "\\endcsname") return text;
      text += expandText(word);
      continue;
    }
    text += static_cast<char>(c);
    advance();
  }
}

std::string expandText(const std::string& text) {
  std::string out;
  int expansions = 0;
  expandInto(out, text, 0, expansions);
  return out;
}

void readNext(const std::string& text) {
  if (text.empty()) return;
  startExpansion(std::make_shared<const std::string>(text + kMacroBodyEnd), {}, 0);
}

void runCommandNamed(const std::string& name) {
  const CommandRecord* record = lookup(name);
  if (!record) return;
  std::string tmpl = record->tmpl;
  char* token = readerState().tokenText;
  std::size_t n = std::min(name.size(), kTokenTextSize - 1);
  std::memcpy(token, name.data(), n);
  token[n] = 0;
  output::runInCurrentMode(tmpl.c_str());
}

void definitionProc(const char* kind) {
  std::string k = kind;
  DefinitionState& d = definitionState();
  if (k == "\\let") {
    letProc();
  } else if (k == "\\LetLtxMacro") {
    d.bracedLet = true;
    letProc();
    d.bracedLet = false;
  } else if (k == "\\gdef") {
    defProc(true, false);
  } else if (k == "\\edef") {
    defProc(false, true);
  } else if (k == "\\xdef") {
    defProc(true, true);
  } else if (k == "\\global") {
    d.globalPrefix = true;
  } else if (k == "\\long") {
    d.longPrefix = true;
  } else if (k == "\\makeatletter") {
    d.atLetter = true;
  } else if (k == "\\makeatother") {
    d.atLetter = false;
  } else if (k == "\\csname" || k == "\\@nameuse") {
    std::string name = "\\";
    name += k == "\\csname" ? readCsnameText() : readMacroArgument();
    runCommandNamed(name);
  } else if (k == "\\@namedef") {
    std::string name(1, '\\');
    name += readMacroArgument();
    MacroShape shape;
    shape.longArgs = takeLongPrefix();
    bool braced = readParameterText(name, shape);
    std::string body = braced ? readMacroArgument() : std::string();
    if (!braced) return;
    int count = static_cast<int>(shape.params.size());
    defineMacro(name, count, body, keptShape(std::move(shape)), takeGlobalPrefix(false));
  } else {
    defProc();
  }
}

}  // namespace pendra::reader
