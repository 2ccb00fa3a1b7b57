#include "mlp/statements.h"

#include <array>
#include <forward_list>
#include <string_view>
#include <vector>

#include "fdk/fdk.h"
#include "mif/fatal.h"
#include "mlp/alongside.h"
#include "mlp/catalogs.h"
#include "mlp/font.h"
#include "mlp/intern.h"
#include "mlp/objects.h"
#include "mlp/pgf.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::fatal;

namespace {

// Every entry by name: the chains hold the entries, this finds them without a walk (a document
// can define thousands of formats, and each one is a statement). An open-addressed table of
// pointers to the entries, a power of two long and at most half full, so that a lookup is a hash
// and a comparison or two.
class NameIndex {
 public:
  void clear() {
    slots_.assign(kFirstSize, nullptr);
    used_ = 0;
  }

  StatementEntry* find(std::string_view name) const { return find(name, hash(name)); }

  // `nameHash` is hash(name), taken as the name was read.
  StatementEntry* find(std::string_view name, std::size_t nameHash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = nameHash & mask; slots_[i]; i = (i + 1) & mask)
      if (slots_[i]->name == name) return slots_[i];
    return nullptr;
  }

  static std::size_t hashOf(std::string_view name) { return hash(name); }
  std::size_t size() const { return used_; }

  // Adds an entry whose name is not in the index yet. An entry that is replaced in place keeps
  // its name and so its slot.
  void insert(StatementEntry* entry) {
    if (2 * (used_ + 1) > slots_.size()) grow();
    place(slots_, entry);
    ++used_;
  }

 private:
  static constexpr std::size_t kFirstSize = 512;

  // Statement names are short: a simple multiplicative hash does (the reader's, see
  // nameHashStep).
  static std::size_t hash(std::string_view name) {
    std::uint64_t h = kNameHashStart;
    for (unsigned char c : name) h = nameHashStep(h, c);
    return nameHashEnd(h);
  }

  static void place(std::vector<StatementEntry*>& slots, StatementEntry* entry) {
    const std::size_t mask = slots.size() - 1;
    std::size_t i = hash(entry->name) & mask;
    while (slots[i]) i = (i + 1) & mask;
    slots[i] = entry;
  }

  void grow() {
    std::vector<StatementEntry*> larger(slots_.size() * 2, nullptr);
    for (StatementEntry* entry : slots_)
      if (entry) place(larger, entry);
    slots_.swap(larger);
  }

  std::vector<StatementEntry*> slots_ = std::vector<StatementEntry*>(kFirstSize, nullptr);
  std::size_t used_ = 0;
};

struct StatementState {
  std::array<std::forward_list<StatementEntry>, kStatementChains> chains;
  NameIndex byName;
  int nesting = 0;
  int macroInvocations = 0;
  std::uint64_t changes = 1;  // counts the changes of the table (see StatementEntry::fontOps)
};

bool fontMacroLists = true;

StatementState statements;

std::size_t chainOf(const std::string& name) {
  std::uint32_t h = 0;
  for (unsigned char c : name) h = h * 7u + c;
  return h & (kStatementChains - 1);
}

StatementEntry* lookup(const std::string& name) {
  return statements.byName.find(name);
}

// Enters an entry, replacing one of the same name.
StatementEntry makeEntry(std::string name, Code code, std::string operands,
                         std::shared_ptr<const std::string> macroText = nullptr) {
  StatementEntry entry;
  entry.name = std::move(name);
  entry.code = code;
  entry.operands = std::move(operands);
  entry.macroText = std::move(macroText);
  return entry;
}

void enter(StatementEntry entry) {
  ++statements.changes;
  if (StatementEntry* existing = lookup(entry.name)) {
    *existing = std::move(entry);
  } else {
    auto& chain = statements.chains[chainOf(entry.name)];
    chain.push_front(std::move(entry));
    statements.byName.insert(&chain.front());
  }
}

void aliasStatement(const std::string& alias, const std::string& original) {
  const StatementEntry* entry = lookup(original);
  if (!entry) return;
  StatementEntry copy = *entry;
  copy.name = alias;
  enter(std::move(copy));
}

struct NestingGuard {
  NestingGuard() {
    if (++statements.nesting > kMaxStatementNesting) fatal("Too deep statement nesting");
  }
  ~NestingGuard() { --statements.nesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

void readOperands(const std::string& letters, Operands& o) {
  for (char letter : letters) {
    switch (letter) {
      case '#':
        o.integer = readInteger();
        break;
      case 'a':
        o.name2 = readName();
        break;
      case 'b':
        o.boolean = readBoolean();
        break;
      case 'c':
        o.character = readCharacter();
        break;
      case 'd':
      case 'm':
        o.measure = readMeasure();
        break;
      case 'f':
        o.pair[0] = readFloat();
        o.pair[1] = readFloat();
        break;
      case 'n':
        o.name = readName();
        break;
      case 'p':
        o.pair[0] = readMeasure();
        o.pair[1] = readMeasure();
        break;
      case 'q':
        for (float& value : o.rect) value = readMeasure();
        break;
      case 's':
        o.text = readString();
        break;
      case 't':
        o.angles[0] = readInteger();
        o.angles[1] = readInteger();
        break;
      case 'u':
        // The unit is written after white space (<Units cm>), so that is skipped first.
        skipWhite();
        o.unit = readUnits();
        break;
      case 'x':
        skipToClose();
        break;
      case 'z':
        break;
      default:
        fatal("unimplemented operand format `%c'", letter);
    }
  }
}

// `name` is the statement's name as read, ending in a NUL.
void runStatement(Code code, const char* name, const Operands& o) {
  switch (code) {
    case Code::Skip:
    case Code::NoEffect:
      break;
    case Code::DefineMacro:
      if (translatingAlongside()) noteBodyDefinition();
      defineMacro(o.name, o.text);
      break;
    case Code::DefineChar:
    case Code::Include:
      F_Printf(nullptr, "%s statement is unsupported", name);
      break;
    case Code::Units:
      setDefaultUnit(o.unit);
      break;
    case Code::Alias:
      if (translatingAlongside()) noteBodyDefinition();
      aliasStatement(o.name, o.name2);
      break;
    case Code::EndOfInput:
      mif::abandon();
    case Code::Message:
      F_Printf(nullptr, "MML Message: %s\n", o.text.c_str());
      break;
    case Code::Family:
    case Code::Italic:
    case Code::NoItalic:
    case Code::Bold:
    case Code::NoBold:
    case Code::Underline:
    case Code::NoUnderline:
    case Code::Strike:
    case Code::NoStrike:
    case Code::Oblique:
    case Code::NoOblique:
    case Code::Plain:
    case Code::Superscript:
    case Code::Subscript:
    case Code::Normal:
    case Code::Pts:
      fontStatement(code, o.name.c_str(), o.integer);
      break;
    case Code::DefineFont:
      if (translatingAlongside()) noteBodyDefinition();
      defineMacro(o.name, collectOperation(name));
      break;
    case Code::Add2FontCat:
      // The catalog is written at the end beside the reading, at the first text otherwise.
      if (translatingAlongside()) noteBodyDefinition();
      addToFontCatalog(internString(o.name.c_str()));
      break;
    case Code::LeftIndent:
    case Code::RightIndent:
    case Code::FirstIndent:
    case Code::SpaceBefore:
    case Code::SpaceAfter:
    case Code::Leading:
    case Code::Alignment:
    case Code::AutoNumber:
    case Code::NumberFormat:
    case Code::NumberFont:
    case Code::PgfNumAtEnd:
    case Code::Hyphenate:
    case Code::ColumnTop:
    case Code::WithNext:
    case Code::Tolerance:
    case Code::BlockSize:
    case Code::TabStop:
    case Code::TabStopType:
    case Code::TabStopLeader:
      pgfStatement(code, o);
      break;
    case Code::TabStops:
      tabStopsStatement();
      break;
    case Code::DefinePar:
      if (translatingAlongside()) noteBodyDefinition();
      defineStatement(o.name, Code::ParFormat);
      definePgf(o.name, true);
      break;
    case Code::DefineTag:
      if (translatingAlongside()) noteBodyDefinition();
      defineStatement(o.name, Code::TagFormat);
      definePgf(o.name, false);
      break;
    case Code::ParFormat:
    case Code::TagFormat:
      switchPgf(std::string(name));
      break;
    case Code::Character:
      addTextChar(static_cast<int>(o.integer & 0xFFu));
      break;
    case Code::Tab:
    case Code::HardSpace:
    case Code::EmSpace:
    case Code::EnSpace:
    case Code::ThinSpace:
    case Code::DiscHyphen:
    case Code::NoHyphen:
    case Code::Cent:
    case Code::Pound:
    case Code::Yen:
    case Code::EnDash:
    case Code::EmDash:
    case Code::Dagger:
    case Code::DoubleDagger:
    case Code::Bullet:
    case Code::HardReturn:
      processSpecialChar(code);
      break;
    case Code::Marker:
      markerStatement();
      break;
    case Code::MType:
      markerTypeStatement(o.integer);
      break;
    case Code::MText:
      markerTextStatement(o.text);
      break;
    case Code::Footnote:
      footnoteStatement();
      break;
    case Code::Rule:
      ruleStatement();
      break;
    case Code::HSpace:
      hspaceStatement(o.measure);
      break;
    case Code::Variable:
      variableStatement(o.text);
      break;
    case Code::XRef:
      xrefStatement(o.name, o.text);
      break;
    case Code::Macro:
      break;
    case Code::AFrame:
    case Code::Frame:
    case Code::InlineFrame:
    case Code::Line:
    case Code::Arrow:
    case Code::Arc:
    case Code::Ellipse:
    case Code::Rectangle:
    case Code::TextLine:
    case Code::TextFrame:
    case Code::Table:
    case Code::TblFrame:
    case Code::Span:
    case Code::Row:
    case Code::Cell:
    case Code::CLine:
    case Code::TblHeading:
    case Code::TblFooting:
    case Code::Straddle:
    case Code::EpsFile:
    case Code::ImportFile:
    case Code::FrameMath:
      objectStatement(code, name, o);
      break;
  }
}

}  // namespace

void initStatements() {
  statements = StatementState{};
}

void buildStatementTable() {
  statements.byName.clear();
  for (auto& chain : statements.chains) chain.clear();
  for (const StatementRow& row : kBuiltinStatements)
    enter(makeEntry(row.name, row.code, row.operands));
}

const StatementEntry* findStatement(const std::string& name) {
  return lookup(name);
}

StatementEntry* findStatementToMark(const std::string& name) {
  return lookup(name);
}

std::size_t statementCount() {
  return statements.byName.size();
}

void useFontMacroLists(bool on) {
  fontMacroLists = on;
}

void markAwaiting(StatementEntry& entry) {
  entry.awaiting = true;
  ++statements.changes;
}

void defineStatement(const std::string& name, Code code) {
  enter(makeEntry(name, code, ""));
}

void defineMacro(const std::string& name, const std::string& text) {
  enter(makeEntry(name, Code::Macro, "*", std::make_shared<const std::string>(text)));
}

namespace {

// The font statements: the codes from Family to Pts.
constexpr bool isFontCode(Code code) {
  return code >= Code::Family && code <= Code::Pts;
}
static_assert(isFontCode(Code::Italic) && isFontCode(Code::Normal) && !isFontCode(Code::Message) &&
              !isFontCode(Code::DefineFont));

bool isFontStatement(const StatementEntry& entry) {
  return isFontCode(entry.code) && !entry.awaiting &&
         (entry.operands.empty() || entry.operands == "n" || entry.operands == "#");
}

// Reads a macro's text as the statement loop would after the macro's name, and lists its
// statements when they are all font statements, each `<`-opened right after the one before and
// closed by its `>` with nothing between: then running the list does what reading the text does.
// Any other text is left to be read.
void readFontMacro(StatementEntry& macro) {
  macro.fontOps.clear();
  macro.fontOpsTable = statements.changes;
  macro.fontOpsUsable = false;
  const std::string& text = *macro.macroText;
  if (text.empty() || text[0] != '<') return;
  int saved = currentChar();
  std::size_t depth = inputDepth();
  // The text's `<` is made current without a step of the reader (which may stand at the end of
  // its input), and a `>` behind the text marks its end.
  pushInput(std::make_shared<const std::string>(text.substr(1) + ">"));
  setCurrentChar('<');
  bool usable = true;
  std::vector<StatementEntry*> ran;
  // The current character is the end mark: the readers stop at a `>` and never take it, so only
  // moving on from it would leave the text.
  auto atMark = [depth] {
    return inputDepth() == depth + 1 && charCursor.pos == charCursor.size && currentChar() == '>';
  };
  while (usable && currentChar() == '<' && !atMark()) {
    nextChar();
    TagName tag;
    readTagName(tag);
    skipWhite();
    StatementEntry* entry =
        statements.byName.find(std::string_view(tag.text, tag.length), tag.hash);
    if (!entry || !isFontStatement(*entry)) {
      usable = false;
      break;
    }
    Operands operands;
    readOperands(entry->operands, operands);
    skipWhite();
    // A statement left open at the text's end would be closed by what follows the macro.
    if (currentChar() != '>' || atMark()) {
      usable = false;
      break;
    }
    nextChar();
    macro.fontOps.push_back({entry->code, operands.name, operands.integer});
    ran.push_back(entry);
  }
  // Nothing may follow the last statement: the end mark stands alone at the text's end.
  usable = usable && atMark();
  while (inputDepth() > depth) popInput();
  setCurrentChar(saved);
  if (!usable) {
    macro.fontOps.clear();
    return;
  }
  for (StatementEntry* entry : ran) entry->dispatched = true;
  macro.fontOpsUsable = true;
}

// Runs a font macro from its list; false when it is to be read as text.
bool runFontMacro(StatementEntry& macro) {
  if (!fontMacroLists) return false;
  if (macro.fontOpsTable != statements.changes) readFontMacro(macro);
  if (!macro.fontOpsUsable) return false;
  for (const FontOp& op : macro.fontOps) fontStatement(op.code, op.name.c_str(), op.integer);
  return true;
}

// `name` ends in a NUL; `hash` is its hash as the statement table takes it.
void dispatchNamed(const char* name, std::size_t length, std::size_t hash) {
  StatementEntry* entry = statements.byName.find(std::string_view(name, length), hash);
  if (!entry || entry->awaiting) [[unlikely]] {
    // Beside the reading, a format's definition may have come without being run yet.
    if (translatingAlongside() && defineOnMiss(std::string_view(name, length)))
      entry = statements.byName.find(std::string_view(name, length), hash);
    if (!entry) {
      skipOperation(name);
      return;
    }
  }
  entry->dispatched = true;
  // The handler may redefine this very entry, so its code is copied; reading the operands runs
  // no statement, and the operand letters are read in place.
  Code code = entry->code;
  if (alongsideState.watchingStart)
    noteFirstStatement(code == Code::ParFormat || code == Code::TagFormat);
  const std::string& letters = entry->operands;
  if (!letters.empty() && letters[0] == '*') {
    if (!runFontMacro(*entry)) pushInput(entry->macroText);
    return;
  }
  Operands operands;
  readOperands(letters, operands);
  runStatement(code, name, operands);
}

}  // namespace

void dispatchStatement(const std::string& name) {
  dispatchNamed(name.c_str(), name.size(), statements.byName.hashOf(name));
}

void dispatchStatement(const std::string& name, std::size_t hash) {
  dispatchNamed(name.c_str(), name.size(), hash);
}

void processStatements(bool skipTrailingWhite, bool skipLeadingWhite) {
  NestingGuard guard;
  if (skipLeadingWhite) skipWhite();
  while (currentChar() != kEndOfInput) {
    int c = currentChar();
    if (c == '>') return;
    if (c != '<') {
      if (alongsideState.watchingStart) [[unlikely]] {
        // Line feeds before the first statement leave the font state alone.
        if (c == '\n') {
          handleLineFeed();
          continue;
        }
        noteFirstStatement(false);
      }
      handleText();
      continue;
    }
    nextChar();
    TagName tag;
    readTagName(tag);
    skipWhite();
    dispatchNamed(tag.text, tag.length, tag.hash);
    skipWhite();
    if (currentChar() != '>') fatal("Missing '>' after %s tag", tag.text);
    nextChar();
    if (skipTrailingWhite) skipWhite();
  }
}

void invokeMacro(const char* name) {
  if (statements.macroInvocations > 0) fatal("recursive call to invokeMacro");
  struct InvocationGuard {
    InvocationGuard() { ++statements.macroInvocations; }
    ~InvocationGuard() { --statements.macroInvocations; }
  } guard;
  int saved = currentChar();
  std::size_t depth = inputDepth();
  pushInput(std::make_shared<const std::string>(std::string(name) + ">>"));
  setCurrentChar('<');
  processStatements(true);
  if (currentChar() != '>' || inputDepth() <= depth) fatal("error in invokeMacro()");
  while (inputDepth() > depth) popInput();
  setCurrentChar(saved);
}

}  // namespace pendra::mlp
