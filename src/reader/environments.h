// Environment records, their lookup table, the current environment and mode, and the operations
// that run environments and math constructs.
#pragma once

#include <cstddef>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pendra::reader {

// Mode numbers.
enum Mode : int {
  kMathMode = 0,
  kInlineMathMode = 1,
  kVerbatimMode = 2,
  kAllttMode = 3,
  kParaMode = 4,
  kMathArrayMode = 5,
  kTabbingMode = 6,
  kTableMode = 7,
  kPictMode = 8,
};

// Delimiter codes: which construct a template ended (set by %D, read by the construct loop).
enum Delimiter : int {
  kEndOfInputCode = 1,
  kDisplayOpen = 2,
  kDisplayClose = 3,
  kOptionalOpen = 4,
  kOptionalClose = 5,
  kInlineOpen = 6,
  kInlineClose = 7,
  kEndCode = 8,
  kGroupOpen = 9,
  kGroupClose = 10,
  kDollarOpen = 11,
  kDollarClose = 12,
  kDoubleDollarOpen = 13,
  kDoubleDollarClose = 14,
  kNoDelimiter = 15,
};

enum class Interpreter : unsigned char { kText, kBoxText, kMath, kPicture, kPut, kTable };

enum class BodyHandler : unsigned char {
  kGeneric,
  kList,
  kVerbatim,
  kListing,
  kAlltt,
  kFloat,
  kNone,
  kMinipage,
  kTabular,
  kPicture,
  kComment,  // the comment package's: the lines up to the \end are left out
};

struct EnvironmentRecord {
  const char* name;
  BodyHandler body;
  Interpreter interpreter;
  const char* beginTemplate;
  const char* endTemplate;
  const char* paragraphTag;  // nullptr: none
  char paragraphKind;        // 'N', 'P' or ' '
  char lineBreakKind;        // 'P', 'H' or ' '
  Mode mode;
};

// The built-in environments (environment_table.cpp), as many as the table has rows.
extern const std::span<const EnvironmentRecord> kBuiltinEnvironments;
extern const EnvironmentRecord kOutermostEnvironment;

constexpr std::size_t kEnvironmentBuckets = 128;
// Open constructs (groups, arguments, environments) read by nested construct loops; a brace
// group deeper than this is read without a loop of its own, and no loop at all is started past
// kMaxConstructDepth.
constexpr int kMaxConstructNesting = 400;
constexpr int kMaxConstructDepth = 500;
// Nested template runs (a handler running a template that runs a handler...).
constexpr int kMaxTemplateNesting = 800;

struct CommandRecord;

// A construct loop that is running: the delimiter code that ends it and, for an environment's
// body, the index of that environment in the open environments.
struct OpenLoop {
  int ending = kNoDelimiter;
  int environment = -1;
};

// An environment begun and not yet ended. `loop` is the index of the loop that reads its body
// (-1 until that loop starts); `ended` is set when its own \end closed that loop, and
// `endCodeRun` when a user environment's end code has already been read by a construct that its
// begin code opened.
struct OpenEnvironment {
  std::string name;
  int line = 0;  // of the \begin
  int loop = -1;
  bool user = false;
  bool ended = false;
  bool endCodeRun = false;
};

struct EnvironmentState {
  std::vector<const EnvironmentRecord*> buckets[kEnvironmentBuckets];  // head is the back
  std::deque<EnvironmentRecord> madeRecords;                           // records for unknown names
  std::deque<std::string> madeNames;
  // The newest record of each name, and which records were made here (and may be redefined), so
  // that neither a lookup nor a definition walks a list however many environments there are.
  std::unordered_map<std::string_view, const EnvironmentRecord*> newest;
  std::unordered_set<const EnvironmentRecord*> made;
  // The made records that stand for names nothing defines (counted for the unknown summary).
  std::unordered_set<const EnvironmentRecord*> unknown;
  const EnvironmentRecord* current = &kOutermostEnvironment;
  int mode = kParaMode;
  int delimiter = kNoDelimiter;
  int listDepth = 0;
  bool firstItem = true;
  const EnvironmentRecord* math = nullptr;
  const EnvironmentRecord* displayMath = nullptr;
  const EnvironmentRecord* tabbing = nullptr;
  const EnvironmentRecord* pictText = nullptr;
  const EnvironmentRecord* put = nullptr;
  const EnvironmentRecord* makeBoxText = nullptr;
  const EnvironmentRecord* tabular = nullptr;
  const EnvironmentRecord* array = nullptr;
  int constructNesting = 0;
  int templateNesting = 0;
  bool nestingReported = false;
  // The running construct loops, innermost last, and the environments they read. A closing
  // delimiter that belongs to an outer loop ends the inner ones: it is kept here as pending and
  // each loop it passes returns it, until the loop it ends takes it.
  std::vector<OpenLoop> loops;
  std::vector<OpenEnvironment> openEnvironments;
  int pendingClose = kNoDelimiter;
  const CommandRecord* pendingRecord = nullptr;
  // The name read after the latest \end (empty when none could be read).
  std::string endName;
};

// The environments' state, the one environmentState() returns; declared here so that the
// accessors that every token's template run goes through are inline.
extern EnvironmentState theEnvironments;
inline EnvironmentState& environmentState() {
  return theEnvironments;
}
void initEnvironments();
void runOutermostTemplate(int mode, const char* tmpl);
int parseUntil(int delimiter);

inline const EnvironmentRecord& currentEnvironment() {
  return *theEnvironments.current;
}
inline int currentMode() {
  return theEnvironments.mode;
}
void setCurrentMode(int mode);
const char* modeName(int mode);
unsigned environmentBucket(const char* name);

// The record of that name; an unknown name gets a copy of the outermost record.
const EnvironmentRecord* findEnvironment(const char* name);
// The record of that name, or nullptr; makes nothing.
const EnvironmentRecord* lookupEnvironment(const char* name);
// A record of that name made at run time, filled from `pattern` with the name kept: the record
// already made for that name, or a new one that hides a built-in record of the same name.
EnvironmentRecord& defineEnvironment(const char* name, const EnvironmentRecord& pattern);
// A copy of `text` that lives as long as the made records (their names and tags).
const char* keepText(std::string text);

// Runs an environment whose content ends with delimiter code `ending`.
void runEnvironment(const EnvironmentRecord& record, int ending);
// Runs a math record (display or inline math) to its closing delimiter code.
void runMathRecord(const EnvironmentRecord& record, int ending);
// %E: `name` empty reads \begin's name from the input; otherwise runs that pseudo-environment.
void beginEnvironment(const char* name);

// The body handlers: generic (also floats, alltt and the others until their parts are built) and
// lists, which raise the list depth.
void genericBody(const EnvironmentRecord& record, int ending);
void listBody(const EnvironmentRecord& record, int ending);

// The paragraph tag of an environment adjusted for the list depth (CBullet2, CStep3...).
std::string listAdjustedTag(const char* tag);

}  // namespace pendra::reader
