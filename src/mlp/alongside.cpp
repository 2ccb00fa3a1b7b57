#include "mlp/alongside.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "mlp/font.h"
#include "mlp/pgf.h"
#include "mlp/reader.h"
#include "mlp/statements.h"

namespace pendra::mlp {

AlongsideState alongsideState;

namespace {

// Names looked for before any definition of them came are kept to be checked at the end; past
// this many the result is given up rather than the list grown.
constexpr std::size_t kMaxMissedNames = 1024;

struct Pending {
  DefinitionFeed* feed = nullptr;
  std::vector<SentDefinition> arrivals;
  std::unordered_map<std::string, std::string> byName;  // folded name: the definition's text
  std::unordered_set<std::string> missed;
  std::vector<const PgfRecord*> catalogOrder;
  int defining = 0;  // definitions being run
  // The names the table should hold: the built-in ones and one for every definition run whose
  // name was new.
  std::size_t expectedNames = 0;
  std::unordered_set<std::string> replacing;  // definitions of names the table held already
  // The format placed lowest among those that came: the prologue defines it last, so far as is
  // known yet.
  long lowestPlace = -1;
  std::string lowestName;
  int lineFeedsTaken = 0;  // the most line feeds absorbed from those before the body
  // The font state the prologue was taken to leave, when the body began otherwise than with a
  // format's statement.
  bool guessed = false;
  bool guessedFormat = false;
  Font guess;
};

Pending pending;

std::string folded(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

void spoil() {
  alongsideState.spoiled = true;
}

void takeArrivals() {
  pending.feed->takeArrived(pending.arrivals);
  for (SentDefinition& d : pending.arrivals) {
    std::string key = folded(d.name);
    if (d.place >= 0 && (pending.lowestPlace < 0 || d.place < pending.lowestPlace)) {
      pending.lowestPlace = d.place;
      pending.lowestName = key;
    }
    // A name the table holds (a built-in statement) is the definition's from the start of the
    // finished file's body: the body must not have used it yet, and from now on it waits for
    // the definition.
    if (StatementEntry* entry = findStatementToMark(key)) {
      if (entry->dispatched) spoil();
      markAwaiting(*entry);
      pending.replacing.insert(key);
    }
    // Two definitions of one name: which one the prologue's order makes last is not known here.
    if (!pending.byName.try_emplace(std::move(key), std::move(d.text)).second) spoil();
  }
  pending.arrivals.clear();
}

// Runs a definition's text as the statement loop would, in the middle of the body, from the
// paragraph properties a translation starts with (a definition takes what it does not set from
// them, as in the prologue); the font state and paragraph properties the body has are kept
// around it, and the reading goes on where it was.
void runDefinition(const std::string& key, const std::string& text) {
  if (text.empty() || text[0] != '<') {
    spoil();
    return;
  }
  if (!pending.replacing.count(key)) ++pending.expectedNames;
  Font current = currentFont();
  Font written = writtenFont();
  bool changed = fontChanged();
  PgfProps props = currentProps();
  setCurrentProps(PgfProps{});
  bool watching = alongsideState.watchingStart;
  alongsideState.watchingStart = false;
  ++pending.defining;
  int saved = currentChar();
  std::size_t depth = inputDepth();
  // The text without its `<`, which is made current, and with a `>` that ends the loop.
  pushInput(std::make_shared<const std::string>(text.substr(1) + ">"));
  setCurrentChar('<');
  processStatements(true);
  if (currentChar() != '>' || inputDepth() <= depth) spoil();
  while (inputDepth() > depth) popInput();
  setCurrentChar(saved);
  // A definition makes its name and nothing else does.
  if (statementCount() != pending.expectedNames) spoil();
  --pending.defining;
  alongsideState.watchingStart = watching;
  setCurrentFont(current);
  setWrittenFont(written);
  setFontChanged(changed);
  setCurrentProps(props);
}

// Runs the definition sent for `key` if it has not run yet.
void runPending(std::string key) {
  auto found = pending.byName.find(key);
  if (found == pending.byName.end()) return;
  std::string text = std::move(found->second);
  pending.byName.erase(found);
  runDefinition(key, text);
}

// The body begins otherwise than with a format's statement, so it sees the font state the
// prologue leaves: the font of the prologue's last paragraph format (its font statement sets the
// whole font), pending. That format is taken to be the lowest placed one come so far, and the
// end checks that the finished prologue agrees.
void guessPrologueFont() {
  takeArrivals();
  pending.guessed = true;
  if (pending.lowestPlace < 0) return;
  runPending(pending.lowestName);
  const PgfRecord* record = newestRecord(pending.lowestName);
  if (!record) {
    spoil();
    return;
  }
  pending.guessedFormat = true;
  pending.guess = Font{record->props.family, record->props.size, record->props.flags};
  setCurrentFont(pending.guess);
  setFontChanged(true);
}

bool sameFont(const Font& a, const Font& b) {
  return a.family == b.family && a.size == b.size && a.flags == b.flags;
}

}  // namespace

void startAlongside(DefinitionFeed& feed) {
  pending = Pending{};
  pending.feed = &feed;
  pending.expectedNames = statementCount();
  alongsideState = AlongsideState{};
  alongsideState.active = true;
  alongsideState.watchingStart = true;
}

void stopAlongside() {
  alongsideState.active = false;
  alongsideState.watchingStart = false;
  pending.feed = nullptr;
  pending.byName.clear();
  pending.missed.clear();
}

void noteFirstStatement(bool formatSwitch) {
  alongsideState.watchingStart = false;
  if (!formatSwitch) guessPrologueFont();
}

void noteLineFeedsAbsorbed(int count) {
  // Counts far below the stand-in were set afresh by the text since.
  if (count > kLineFeedsUnknown / 2 && kLineFeedsUnknown - count > pending.lineFeedsTaken)
    pending.lineFeedsTaken = kLineFeedsUnknown - count;
}

void takeArrivedDefinitions() {
  takeArrivals();
}

bool defineOnMiss(std::string_view name) {
  takeArrivals();
  auto found = pending.byName.find(folded(name));
  if (found == pending.byName.end()) {
    if (pending.missed.size() >= kMaxMissedNames)
      spoil();
    else
      pending.missed.emplace(name);
    return false;
  }
  std::string key = found->first;
  runPending(key);
  return true;
}

void noteBodyDefinition() {
  if (pending.defining == 0) spoil();
}

void finishAlongside() {
  // The definitions the body never named run now, as the prologue would have run them.
  takeArrivals();
  while (!pending.byName.empty()) runPending(pending.byName.begin()->first);
  // A name the body used before its definition came meant something else at that point.
  for (const std::string& name : pending.missed)
    if (findStatement(name)) spoil();
  // The catalog lists the formats newest first: the prologue's last definition first.
  PrologueShape prologue = pending.feed->prologueShape();
  const std::vector<std::string>& order = prologue.formatOrder;
  // The finished prologue's line feeds stand before the body; the translation stood after a
  // number too large to reach 1 and must not have come closer to 1 than they allow.
  if (pending.lineFeedsTaken >= prologue.statements - 1) spoil();
  pending.catalogOrder.clear();
  for (auto name = order.rbegin(); name != order.rend(); ++name) {
    const PgfRecord* record = newestRecord(folded(*name));
    if (!record) {
      spoil();
      continue;
    }
    pending.catalogOrder.push_back(record);
  }
  if (pending.catalogOrder.size() != pgfRecords().size()) spoil();
  // The font state the body began with was the one the finished prologue leaves.
  if (pending.guessed) {
    const PgfRecord* last = order.empty() ? nullptr : newestRecord(folded(order.back()));
    if (pending.guessedFormat != (last != nullptr)) spoil();
    if (last &&
        !sameFont(pending.guess, Font{last->props.family, last->props.size, last->props.flags}))
      spoil();
  }
}

const std::vector<const PgfRecord*>& alongsideCatalogOrder() {
  return pending.catalogOrder;
}

}  // namespace pendra::mlp
