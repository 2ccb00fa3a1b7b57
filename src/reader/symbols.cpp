#include "reader/symbols.h"

#include <cstring>

#include "fdk/fdk.h"
#include "reader/counters.h"
#include "reader/report.h"

namespace pendra::reader {

SymbolState theSymbols;

namespace {

SymbolState& symbols = theSymbols;

std::vector<CommandRecord> copyTable(std::span<const BuiltinCommand> table) {
  std::vector<CommandRecord> records(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    records[i].name = table[i].name;
    records[i].tmpl = table[i].tmpl;
  }
  return records;
}

// Makes `entry` the one a lookup of its name finds.
void setFirst(SymbolEntry* entry) {
  const std::string& name = entry->record->name;
  symbols.firstOf.erase(name);  // the old key may view a name that is about to go
  symbols.firstOf.emplace(name, entry);
}

// Frees a bucket chain without recursing once per entry.
void clearBucket(std::unique_ptr<SymbolEntry>& head) {
  while (head) head = std::move(head->next);
}

}  // namespace

SymbolState::~SymbolState() {
  for (auto& bucket : buckets) clearBucket(bucket);
}

void loadCharTables() {
  symbols.charRecords = copyTable(kCharCommands);
  symbols.slashRecords = copyTable(slash_chars);
  for (auto& slot : symbols.charTable) slot = nullptr;
  for (auto& slot : symbols.slashTable) slot = nullptr;
  // Each name is one character, or a backslash and one character (checked with the table).
  for (CommandRecord& r : symbols.charRecords)
    symbols.charTable[static_cast<unsigned char>(r.name[0])] = &r;
  for (CommandRecord& r : symbols.slashRecords)
    symbols.slashTable[static_cast<unsigned char>(r.name[1])] = &r;
}

void initSymbols() {
  symbols.firstOf.clear();
  for (auto& bucket : symbols.buckets) clearBucket(bucket);
  for (auto& last : symbols.lastLocal) last = nullptr;
  symbols.scopeChain.clear();
  symbols.mainRecords = copyTable(kMainCommands);
  symbols.specialRecords = copyTable(kSpecialTokens);
  symbols.level = 0;
  symbols.foundLevel = 0;
  for (CommandRecord& r : symbols.mainRecords) insertGlobal(&r);
  createBuiltinCountersAndLengths();
}

unsigned symbolHash(const char* name, std::size_t length) {
  auto byte = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)); };
  unsigned second = length >= 2 ? byte(name[1]) : 0;
  unsigned last = length >= 1 ? byte(name[length - 1]) : 0;
  return (16 * second + static_cast<unsigned>(length) + 3 * last) % kSymbolBuckets;
}

CommandRecord* lookup(const char* name, std::size_t length) {
  auto found = symbols.firstOf.find(std::string_view(name, length));
  if (found == symbols.firstOf.end()) return nullptr;
  symbols.foundLevel = found->second->level;
  return found->second->record;
}

CommandRecord* lookup(const std::string& name) {
  return lookup(name.data(), name.size());
}

void insertGlobal(CommandRecord* record, std::unique_ptr<CommandRecord> owned) {
  auto entry = std::make_unique<SymbolEntry>();
  entry->record = record;
  entry->owned = std::move(owned);
  entry->level = 0;
  unsigned bucket = symbolHash(record->name.data(), record->name.size());
  // After the chain's local entries, before its older global ones.
  SymbolEntry* lastLocal = symbols.lastLocal[bucket];
  std::unique_ptr<SymbolEntry>* link = lastLocal ? &lastLocal->next : &symbols.buckets[bucket];
  SymbolEntry* added = entry.get();
  entry->next = std::move(*link);
  *link = std::move(entry);
  auto found = symbols.firstOf.find(added->record->name);
  if (found == symbols.firstOf.end() || found->second->level == 0) {
    // It is the one found from now on.
    added->sameName = found == symbols.firstOf.end() ? nullptr : found->second;
    setFirst(added);
    return;
  }
  // Local entries of the name stay in front of it (one a level at most): it follows the oldest.
  SymbolEntry* oldest = found->second;
  while (oldest->sameName && oldest->sameName->level > 0) oldest = oldest->sameName;
  added->sameName = oldest->sameName;
  oldest->sameName = added;
}

void insertLocal(CommandRecord* record, std::unique_ptr<CommandRecord> owned) {
  auto entry = std::make_unique<SymbolEntry>();
  entry->record = record;
  entry->owned = std::move(owned);
  entry->level = symbols.level;
  unsigned bucket = symbolHash(record->name.data(), record->name.size());
  std::unique_ptr<SymbolEntry>& head = symbols.buckets[bucket];
  auto found = symbols.firstOf.find(record->name);
  entry->sameName = found == symbols.firstOf.end() ? nullptr : found->second;
  entry->next = std::move(head);
  head = std::move(entry);
  if (!symbols.lastLocal[bucket]) symbols.lastLocal[bucket] = head.get();
  symbols.scopeChain.push_back(head.get());
  setFirst(head.get());
}

CommandRecord* newGlobalRecord(std::string name, std::string tmpl) {
  auto record = std::make_unique<CommandRecord>();
  record->name = std::move(name);
  record->tmpl = std::move(tmpl);
  CommandRecord* r = record.get();
  insertGlobal(r, std::move(record));
  return r;
}

CommandRecord* newLocalRecord(std::string name, std::string tmpl) {
  auto record = std::make_unique<CommandRecord>();
  record->name = std::move(name);
  record->tmpl = std::move(tmpl);
  CommandRecord* r = record.get();
  insertLocal(r, std::move(record));
  return r;
}

void beginScope() {
  ++symbols.level;
}

void endScope() {
  while (!symbols.scopeChain.empty() && symbols.scopeChain.back()->level >= symbols.level) {
    SymbolEntry* entry = symbols.scopeChain.back();
    const std::string& name = entry->record->name;
    unsigned bucket = symbolHash(name.data(), name.size());
    std::unique_ptr<SymbolEntry>& head = symbols.buckets[bucket];
    if (head.get() != entry) stopConversion("symbol table inconsistency");
    symbols.scopeChain.pop_back();
    // The first local entry of its chain was its last one too: the chain has none left.
    if (symbols.lastLocal[bucket] == entry) symbols.lastLocal[bucket] = nullptr;
    auto found = symbols.firstOf.find(name);
    if (found != symbols.firstOf.end() && found->second == entry) {
      // The next entry of the name in the chain is found from now on, if there is one.
      symbols.firstOf.erase(found);
      if (SymbolEntry* next = entry->sameName) symbols.firstOf.emplace(next->record->name, next);
    }
    head = std::move(head->next);
  }
  --symbols.level;
}

}  // namespace pendra::reader
