#include "reader/environments.h"

#include <cstring>

#include "output/fonts.h"
#include "output/footnotes.h"
#include "output/later_codes.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "output/verbatim.h"
#include "picture/picture.h"
#include "reader/arguments.h"
#include "reader/conditionals.h"
#include "reader/construct.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "table/tables.h"

namespace pendra::reader {

EnvironmentState theEnvironments;

namespace {

EnvironmentState& environments = theEnvironments;

void enter(const EnvironmentRecord* record) {
  environments.buckets[environmentBucket(record->name)].push_back(record);
  environments.newest[record->name] = record;
}

// Sets the paragraph tag of the current environment again, as %T does.
void retagFromEnvironment() {
  const char* tag = environments.current->paragraphTag;
  if (tag && *tag) output::setParagraphTag(listAdjustedTag(tag).c_str());
}

void runBody(const EnvironmentRecord& record, int ending) {
  switch (record.body) {
    case BodyHandler::kGeneric:
      genericBody(record, ending);
      break;
    case BodyHandler::kList:
      listBody(record, ending);
      break;
    case BodyHandler::kVerbatim:
      output::verbatimBody(ending);
      break;
    case BodyHandler::kListing:
      output::listingBody(ending);
      break;
    case BodyHandler::kAlltt:
      output::allttBody(ending);
      break;
    case BodyHandler::kFloat:
      output::floatBody(ending);
      break;
    case BodyHandler::kNone:
      break;
    case BodyHandler::kMinipage:
      table::minipageBody(ending);
      break;
    case BodyHandler::kTabular:
      table::tabularBody(ending);
      break;
    case BodyHandler::kPicture:
      picture::pictureBody(ending);
      break;
    case BodyHandler::kComment:
      commentBody(ending);
      break;
  }
}

void setTokenText(const std::string& text) {
  char* token = readerState().tokenText;
  std::size_t n = text.size() < kTokenTextSize - 1 ? text.size() : kTokenTextSize - 1;
  std::memcpy(token, text.data(), n);
  token[n] = 0;
}

// A user environment's macro: defined, and a macro (its template runs %M).
const CommandRecord* environmentMacro(const std::string& name) {
  const CommandRecord* r = lookup(name);
  return r && r->tmpl.rfind("%M(", 0) == 0 ? r : nullptr;
}

// After an environment's own \end (whose name its loop has read): the rest of the line.
void closeEnvironment() {
  skipToLineEnd();
}

// After the \end of an environment whose body handler reads its content itself (alltt): the name
// is read here and checked against the name after \begin.
void closeHandledEnvironment(const std::string& opening, int line) {
  std::optional<std::string> closing = readWord();
  skipToLineEnd();
  if (closing) {
    if (*closing != opening)
      report("closing env. name (%s) != opening name (%s) on line %d", closing->c_str(),
             opening.c_str(), line);
  } else if (readerState().currentChar != kEndOfInput) {
    report("missing argument to \\end command");
  }
}

// Keeps an environment on the open environments while it runs.
class OpenEnvironmentEntry {
 public:
  OpenEnvironmentEntry(const std::string& name, int line, bool user) {
    index_ = environments.openEnvironments.size();
    OpenEnvironment open;
    open.name = name;
    open.line = line;
    open.user = user;
    environments.openEnvironments.push_back(std::move(open));
  }
  ~OpenEnvironmentEntry() { environments.openEnvironments.resize(index_); }
  OpenEnvironmentEntry(const OpenEnvironmentEntry&) = delete;
  OpenEnvironmentEntry& operator=(const OpenEnvironmentEntry&) = delete;
  const OpenEnvironment& get() const { return environments.openEnvironments[index_]; }

 private:
  std::size_t index_;
};

void runMacroAs(const std::string& name) {
  if (const CommandRecord* macro = environmentMacro(name)) {
    std::string tmpl = macro->tmpl;
    setTokenText(name);
    output::runInCurrentMode(tmpl.c_str());
  }
}

void runUserEnvironment(const std::string& name, int line) {
  OpenEnvironmentEntry open(name, line, true);
  beginScope();
  runMacroAs("\\" + name);
  parseUntil(kEndCode);
  bool ended = open.get().ended;
  bool endCodeRun = open.get().endCodeRun;
  if (ended) closeEnvironment();
  if (!endCodeRun) runMacroAs("\\end" + name);
  endScope();
}

}  // namespace

void initEnvironments() {
  environments = EnvironmentState{};
  for (const EnvironmentRecord& record : kBuiltinEnvironments) enter(&record);
  environments.math = lookupEnvironment("math");
  environments.displayMath = lookupEnvironment("displaymath");
  environments.tabbing = lookupEnvironment("tabbing");
  environments.pictText = lookupEnvironment("*picttext");
  environments.put = lookupEnvironment("*put");
  environments.makeBoxText = lookupEnvironment("*makeboxtext");
  environments.tabular = lookupEnvironment("tabular");
  environments.array = lookupEnvironment("array");
}

void runOutermostTemplate(int mode, const char* tmpl) {
  environments.mode = mode;
  output::runInCurrentMode(tmpl);
}

void setCurrentMode(int mode) {
  environments.mode = mode;
}

const char* modeName(int mode) {
  static constexpr const char* kNames[] = {"math",     "inline math", "verbatim",
                                           "verbatim", "para or lr",  "math array",
                                           "tabbing",  "table",       "pict"};
  return mode >= 0 && mode < 9 ? kNames[mode] : "??";
}

unsigned environmentBucket(const char* name) {
  std::size_t length = std::strlen(name);
  if (length == 0) return 0;
  unsigned first = static_cast<unsigned char>(name[0]);
  unsigned last = static_cast<unsigned char>(name[length - 1]);
  return static_cast<unsigned>((length + first + last) % kEnvironmentBuckets);
}

const EnvironmentRecord* lookupEnvironment(const char* name) {
  // The newest record of the name, which is the last of that name in its bucket.
  auto found = environments.newest.find(name);
  return found == environments.newest.end() ? nullptr : found->second;
}

const EnvironmentRecord* findEnvironment(const char* name) {
  if (const EnvironmentRecord* found = lookupEnvironment(name)) return found;
  environments.madeNames.emplace_back(name);
  EnvironmentRecord record = kOutermostEnvironment;
  record.name = environments.madeNames.back().c_str();
  environments.madeRecords.push_back(record);
  environments.made.insert(&environments.madeRecords.back());
  if (name[0] != '*') environments.unknown.insert(&environments.madeRecords.back());
  enter(&environments.madeRecords.back());
  return &environments.madeRecords.back();
}

EnvironmentRecord& defineEnvironment(const char* name, const EnvironmentRecord& pattern) {
  const EnvironmentRecord* found = lookupEnvironment(name);
  if (found && environments.made.count(found)) {
    // A record made here is redefined in place (it is no built-in one, so it may change).
    auto& made = const_cast<EnvironmentRecord&>(*found);
    environments.unknown.erase(found);
    const char* kept = made.name;
    made = pattern;
    made.name = kept;
    return made;
  }
  EnvironmentRecord record = pattern;
  record.name = keepText(name);
  environments.madeRecords.push_back(record);
  environments.made.insert(&environments.madeRecords.back());
  enter(&environments.madeRecords.back());
  return environments.madeRecords.back();
}

const char* keepText(std::string text) {
  environments.madeNames.push_back(std::move(text));
  return environments.madeNames.back().c_str();
}

std::string listAdjustedTag(const char* tag) {
  std::string name = tag;
  if (environments.listDepth >= 2 &&
      (name == "CBullet" || name == "CBlockIndent" || name == "CStep"))
    name += environments.listDepth == 2 ? "2" : "3";
  return name;
}

void genericBody(const EnvironmentRecord& record, int ending) {
  environments.mode = record.mode;
  bool firstItem = environments.firstItem;
  if (ending == kGroupClose)
    processOneArgument();
  else
    parseUntil(ending);
  environments.firstItem = firstItem;
}

// A list's items count from its own first item, a list nested in an item's text included.
void listBody(const EnvironmentRecord& record, int ending) {
  int depth = environments.listDepth;
  bool firstItem = environments.firstItem;
  if (std::strcmp(record.name, "enumerate") == 0 || std::strcmp(record.name, "itemize") == 0 ||
      std::strcmp(record.name, "description") == 0) {
    ++environments.listDepth;
    environments.firstItem = true;
    // enumitem's options ([label=(\alph*), noitemsep]) and the enumerate package's label form:
    // read and left out; the list keeps the numbering of its paragraph format.
    skipWhiteSpace();
    if (readerState().currentChar == '[') readBracketArgument();
  }
  genericBody(record, ending);
  environments.listDepth = depth;
  environments.firstItem = firstItem;
}

void runEnvironment(const EnvironmentRecord& record, int ending) {
  const EnvironmentRecord* savedEnvironment = environments.current;
  int savedMode = environments.mode;
  output::Font savedFont = output::currentFont();
  output::ParagraphState savedParagraph = output::saveParagraphState();
  environments.current = &record;
  beginScope();
  output::runWithInterpreter(record.interpreter, record.beginTemplate);
  runBody(record, ending);
  output::runInCurrentMode(record.endTemplate);
  endScope();
  environments.mode = savedMode;
  environments.current = savedEnvironment;
  output::restoreParagraphState(savedParagraph);
  output::currentFont() = savedFont;
  if (&record != environments.math) {
    retagFromEnvironment();
    output::outputState().afterDisplay = -1;
  } else {
    output::outputState().tagLineWritten = true;
  }
}

void runMathRecord(const EnvironmentRecord& record, int ending) {
  const EnvironmentRecord* savedEnvironment = environments.current;
  int savedMode = environments.mode;
  int savedDepth = environments.listDepth;
  bool savedFirstItem = environments.firstItem;
  output::Font savedFont = output::currentFont();
  environments.current = &record;
  output::runWithInterpreter(record.interpreter, record.beginTemplate);
  environments.mode = record.mode;
  environments.firstItem = true;
  parseUntil(ending);
  environments.firstItem = savedFirstItem;
  environments.listDepth = savedDepth;
  output::runInCurrentMode(record.endTemplate);
  output::currentFont() = savedFont;
  environments.mode = savedMode;
  environments.current = savedEnvironment;
  environments.delimiter = kNoDelimiter;
  if (record.paragraphTag && ending != kDollarClose) retagFromEnvironment();
}

void beginEnvironment(const char* name) {
  if (*name) {
    output::outputState().blankLines = 0;
    runEnvironment(*findEnvironment(name), kGroupClose);
    return;
  }
  int line = readerState().lineCounter;
  std::optional<std::string> opening = readWord();
  if (!opening) {
    report("missing argument to \\begin command");
    return;
  }
  // A verbatim or listing environment is read as one even where a document defines its begin
  // and end macros, whose code could only run the verbatim lines as commands.
  const EnvironmentRecord* known = lookupEnvironment(opening->c_str());
  bool lines =
      known && (known->body == BodyHandler::kVerbatim || known->body == BodyHandler::kListing ||
                known->body == BodyHandler::kComment);
  if (!lines && environmentMacro("\\end" + *opening) && environmentMacro("\\" + *opening)) {
    runUserEnvironment(*opening, line);
    return;
  }
  const EnvironmentRecord* record = findEnvironment(opening->c_str());
  if (environments.unknown.count(record)) noteUnknownEnvironment(*opening);
  // In running text an array is read as the tabular it would be set as. (In math it is a
  // matrix; in a table's cell it stays one too, as a table cannot stand in a cell.)
  if (record == environments.array && environments.mode == kParaMode) record = environments.tabular;
  OpenEnvironmentEntry open(*opening, line, false);
  runEnvironment(*record, kEndCode);
  // The verbatim body has read its \end line itself; a body that an outer construct's end closed
  // has no \end of its own.
  if (record->mode == kVerbatimMode) return;
  if (open.get().loop < 0)
    closeHandledEnvironment(*opening, line);
  else if (open.get().ended)
    closeEnvironment();
}

}  // namespace pendra::reader
