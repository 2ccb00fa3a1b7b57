// Command records and the hashed symbol table with its scope levels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reader/command_table.h"

namespace pendra::reader {

constexpr std::size_t kSymbolBuckets = 512;

struct MacroShape;  // macros.h

// One command: its name (with the backslash; a single character for the character table; the bare
// name for counters), its action template, and for run-time kinds their value. The kind follows
// from the template: "%L(u)" a length, "%c(e)" a counter, "%M(0)".."%M(9)" a macro.
struct CommandRecord {
  std::string name;
  std::string tmpl;
  int argCount = 0;
  float length = 0.0f;
  std::int32_t counter = 0;
  std::shared_ptr<const std::string> body;  // a macro's body; shared with the reader while read
  std::shared_ptr<const MacroShape> shape;  // how a macro reads its arguments, when not braced
};

struct SymbolEntry {
  std::unique_ptr<SymbolEntry> next;  // the bucket owns its chain
  CommandRecord* record = nullptr;
  std::unique_ptr<CommandRecord> owned;  // records made at run time
  int level = 0;
  // The next entry of the same name in the chain, found once this one is gone: a scope's end
  // takes it at once instead of looking along a chain that any number of names may share.
  SymbolEntry* sameName = nullptr;
};

struct SymbolState {
  std::unique_ptr<SymbolEntry> buckets[kSymbolBuckets];
  // The entry a lookup of each name finds (the first of that name in its chain), so that a lookup
  // takes the same time however many names share a chain. Keys view the entries' own names.
  std::unordered_map<std::string_view, SymbolEntry*> firstOf;
  std::vector<SymbolEntry*> scopeChain;  // local entries, newest last
  // Each chain holds its local entries first, newest first, then its global ones: the last local
  // entry of each chain (none when it has none), after which a global entry goes.
  SymbolEntry* lastLocal[kSymbolBuckets] = {};
  int level = 0;
  int foundLevel = 0;
  // Mutable copies of the built-in tables (a redefinition changes a record in place).
  std::vector<CommandRecord> mainRecords;
  std::vector<CommandRecord> charRecords;
  std::vector<CommandRecord> slashRecords;
  std::vector<CommandRecord> specialRecords;
  CommandRecord* charTable[256] = {};
  CommandRecord* slashTable[256] = {};

  SymbolState() = default;
  SymbolState(const SymbolState&) = delete;
  SymbolState& operator=(const SymbolState&) = delete;
  ~SymbolState();
};

// The symbol table, the one symbolState() returns; declared here for the inline accessors, which
// the tokenizer calls for every token.
extern SymbolState theSymbols;
inline SymbolState& symbolState() {
  return theSymbols;
}

// Loads the character and backslash-symbol lookup arrays (part of the reader's reset).
void loadCharTables();
// Creates the table with every main command as a global entry, at scope level 0.
void initSymbols();

unsigned symbolHash(const char* name, std::size_t length);
CommandRecord* lookup(const char* name, std::size_t length);
CommandRecord* lookup(const std::string& name);
void insertGlobal(CommandRecord* record, std::unique_ptr<CommandRecord> owned = nullptr);
void insertLocal(CommandRecord* record, std::unique_ptr<CommandRecord> owned = nullptr);
// Makes a record owned by the table, entered globally or at the current level.
CommandRecord* newGlobalRecord(std::string name, std::string tmpl);
CommandRecord* newLocalRecord(std::string name, std::string tmpl);
void beginScope();
void endScope();

inline CommandRecord* specialToken(SpecialToken which) {
  return &theSymbols.specialRecords[which];
}
inline CommandRecord* charRecord(unsigned char c) {
  return theSymbols.charTable[c];
}
inline CommandRecord* slashRecord(unsigned char c) {
  return theSymbols.slashTable[c];
}

}  // namespace pendra::reader
