// The translation of the MLP body while the first stage is still writing it, on a thread of its
// own. The first stage writes the prologue (the definitions of the formats the body used) only
// when the body is done; here each definition comes ahead of the body that first uses it and is
// run when the body first names it, with the font state around it kept, and the paragraph
// catalog is written at the end in the prologue's order. Whatever could make the result differ
// from a translation of the finished file (a statement before the first format, a definition in
// the body, a name used before its definition came, a message, an error) spoils the result, and
// the caller translates the finished file instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fdk/fdk.h"

namespace pendra::mlp {

// A definition as the prologue will write it: a `<!DefineFont ...>` or `<!DefinePar ...>`.
struct SentDefinition {
  std::string name;
  std::string text;
  long place = -1;  // a paragraph format's place among the formats (the prologue defines the
                    // highest first); -1 for a font
};

// What of the finished prologue the translation of the body depends on.
struct PrologueShape {
  std::vector<std::string> formatOrder;  // the paragraph formats, in the order defined
  int statements = 0;                    // statements at its top level, each on a line of its own
};

// Where the translation takes the definitions; called on the translation's thread.
class DefinitionFeed {
 public:
  virtual ~DefinitionFeed() = default;
  // Moves the definitions that arrived since the last call to the end of `into`. A definition
  // arrives before any of the body text written after its format was first used.
  virtual void takeArrived(std::vector<SentDefinition>& into) = 0;
  // What the finished prologue is; asked once the body has ended.
  virtual PrologueShape prologueShape() = 0;
};

struct AlongsideResult {
  bool usable = false;  // the tree is what the finished file would give
  int bodyLines = 0;    // lines of the body read
};

// Translates the MLP body of `body` (read until it ends) into the current MIF tree.
AlongsideResult translateAlongside(ChannelT body, const char* versionText, DefinitionFeed& feed);

// ---- for the statement loop, the text and the catalogs ------------------------------------------

struct AlongsideState {
  bool active = false;
  bool watchingStart = false;  // no statement has run yet: the first must be a format's
  bool spoiled = false;
};
extern AlongsideState alongsideState;

inline bool translatingAlongside() {
  return alongsideState.active;
}
// The first statement of the body ran: a format's statement sets the whole font state, anything
// else would see the state the prologue leaves, which is not known yet.
void noteFirstStatement(bool formatSwitch);
// A statement name the table does not hold: true when a definition sent for it was run now.
bool defineOnMiss(std::string_view name);
// The body starts after this many line feeds, standing for the prologue's unknown count, which
// only matters once absorbed line feeds bring the count near 1.
constexpr int kLineFeedsUnknown = 1 << 28;
// A line feed was absorbed, leaving `count`.
void noteLineFeedsAbsorbed(int count);
// Takes the definitions that came so far; a definition of a name the table holds marks that
// entry as waiting for it. Changes nothing else, so the reader may call it at any point.
void takeArrivedDefinitions();
// A definition, alias or catalog entry made by the body itself.
void noteBodyDefinition();

// The translation's start and end (translateAlongside).
void startAlongside(DefinitionFeed& feed);
void stopAlongside();
// At the end of the body: runs the definitions not yet run, checks the names used before their
// definitions came, and puts the paragraph formats in the catalog's order.
void finishAlongside();
struct PgfRecord;
const std::vector<const PgfRecord*>& alongsideCatalogOrder();

}  // namespace pendra::mlp
