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
  std::unique_ptr<SymbolEntry>* link =
      &symbols.buckets[symbolHash(record->name.data(), record->name.size())];
  while (*link && (*link)->level > 0) link = &(*link)->next;
  SymbolEntry* added = entry.get();
  entry->next = std::move(*link);
  *link = std::move(entry);
  // Local entries of the name stay in front of it; otherwise it is the one found from now on.
  auto found = symbols.firstOf.find(added->record->name);
  if (found == symbols.firstOf.end() || found->second->level == 0) setFirst(added);
}

void insertLocal(CommandRecord* record, std::unique_ptr<CommandRecord> owned) {
  auto entry = std::make_unique<SymbolEntry>();
  entry->record = record;
  entry->owned = std::move(owned);
  entry->level = symbols.level;
  std::unique_ptr<SymbolEntry>& head =
      symbols.buckets[symbolHash(record->name.data(), record->name.size())];
  entry->next = std::move(head);
  head = std::move(entry);
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
    std::unique_ptr<SymbolEntry>& head = symbols.buckets[symbolHash(name.data(), name.size())];
    if (head.get() != entry) stopConversion("symbol table inconsistency");
    symbols.scopeChain.pop_back();
    auto found = symbols.firstOf.find(name);
    if (found != symbols.firstOf.end() && found->second == entry) {
      // The next entry of the name in the chain is found from now on, if there is one.
      symbols.firstOf.erase(found);
      for (SymbolEntry* e = entry->next.get(); e; e = e->next.get()) {
        if (e->record->name == name) {
          symbols.firstOf.emplace(e->record->name, e);
          break;
        }
      }
    }
    head = std::move(head->next);
  }
  --symbols.level;
}

}  // namespace pendra::reader
