#include <cstdint>
#include <cstring>
#include <string>

#include "reader/command_table.h"
#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

class SymbolsTest : public testing::ReaderFixture {};

TEST_F(SymbolsTest, HashUsesLengthSecondAndLastByte) {
  EXPECT_EQ(symbolHash("\\textit", 7), symbolHash("\\texttt", 7));
  EXPECT_EQ(symbolHash("\\textit", 7), (16u * 't' + 7 + 3 * 't') % 512);
  EXPECT_EQ(symbolHash("~", 1), (1u + 3 * '~') % 512);
  EXPECT_EQ(lookup("\\textit")->tmpl, "%s(I)%p%0");
  EXPECT_EQ(lookup("\\texttt")->tmpl, "%f(C)%p%0");
}

TEST_F(SymbolsTest, LaterRecordOfADoubledNameWins) {
  EXPECT_EQ(lookup("\\perp")->tmpl, "%k(0,bot)");
}

TEST_F(SymbolsTest, LocalDefinitionsEndWithTheirScope) {
  CommandRecord* builtin = lookup("\\textbf");
  beginScope();
  CommandRecord* local = newLocalRecord("\\textbf", "local");
  EXPECT_EQ(lookup("\\textbf"), local);
  EXPECT_EQ(symbolState().foundLevel, 1);
  beginScope();
  newLocalRecord("\\mine", "inner");
  EXPECT_NE(lookup("\\mine"), nullptr);
  endScope();
  EXPECT_EQ(lookup("\\mine"), nullptr);
  EXPECT_EQ(lookup("\\textbf"), local);
  endScope();
  EXPECT_EQ(lookup("\\textbf"), builtin);
  EXPECT_EQ(symbolState().foundLevel, 0);
}

TEST_F(SymbolsTest, GlobalDefinitionStaysHiddenBehindALocalOne) {
  beginScope();
  CommandRecord* local = newLocalRecord("\\foo", "local");
  CommandRecord* global = newGlobalRecord("\\foo", "global");
  EXPECT_EQ(lookup("\\foo"), local);
  endScope();
  EXPECT_EQ(lookup("\\foo"), global);
  // A second global definition hides the first.
  CommandRecord* again = newGlobalRecord("\\foo", "again");
  EXPECT_EQ(lookup("\\foo"), again);
}

TEST_F(SymbolsTest, InitResetsRedefinitionsAndScopes) {
  lookup("\\textbf")->tmpl = "changed";
  beginScope();
  newLocalRecord("\\x", "");
  initSymbols();
  EXPECT_EQ(lookup("\\textbf")->tmpl, "%s(B)%p%0");
  EXPECT_EQ(lookup("\\x"), nullptr);
  EXPECT_EQ(symbolState().level, 0);
}

TEST_F(SymbolsTest, ManyEntriesInOneBucket) {
  // Names of one length with the same second and last letters share a bucket.
  for (int i = 0; i < 20000; ++i) {
    std::string name = "\\a" + std::to_string(100000 + i) + "z";
    newGlobalRecord(name, "");
  }
  EXPECT_NE(lookup("\\a100123z"), nullptr);
  initSymbols();
  EXPECT_EQ(lookup("\\a100123z"), nullptr);
}

// A document's own definitions are local to it: thousands of them in one chain, with global ones
// made among them, end with its scope and leave the global ones found. (The end of each local
// entry and the place of each global one took a walk along the chain: 2.3 s for these, a time
// that grew with the square of their number.)
TEST_F(SymbolsTest, ManyLocalAndGlobalEntriesInOneChainThroughAScope) {
  constexpr int kNames = 20000;
  auto name = [](int i) { return "\\l" + std::to_string(100000 + i) + "z"; };
  ASSERT_EQ(symbolHash(name(1).data(), 9), symbolHash(name(kNames * 2).data(), 9));
  beginScope();
  for (int i = 0; i < kNames; ++i) {
    newLocalRecord(name(i), "local");
    newGlobalRecord(name(kNames + i), "global");
  }
  for (int i = 0; i < kNames; i += 997) {
    ASSERT_NE(lookup(name(i)), nullptr);
    EXPECT_EQ(lookup(name(i))->tmpl, "local");
    EXPECT_EQ(lookup(name(kNames + i))->tmpl, "global");
  }
  endScope();
  for (int i = 0; i < kNames; i += 997) {
    EXPECT_EQ(lookup(name(i)), nullptr);
    ASSERT_NE(lookup(name(kNames + i)), nullptr);
    EXPECT_EQ(lookup(name(kNames + i))->tmpl, "global");
  }
}

// The entry a walk of the name's chain finds first: what a lookup must return.
CommandRecord* chainLookup(const std::string& name) {
  unsigned bucket = symbolHash(name.data(), name.size());
  for (SymbolEntry* e = symbolState().buckets[bucket].get(); e; e = e->next.get())
    if (e->record->name == name) return e->record;
  return nullptr;
}

TEST_F(SymbolsTest, LookupsAgreeWithTheChainsThroughScopesAndRedefinitions) {
  // Names that share chains (same length, second and last byte) and one that does not.
  const std::string names[] = {"\\mxa", "\\mya", "\\mza", "\\textbf", "\\q"};
  std::uint32_t seed = 7;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int step = 0; step < 4000; ++step) {
    const std::string& name = names[next(5)];
    switch (next(6)) {
      case 0:
        if (symbolState().level < 6) beginScope();
        break;
      case 1:
        if (symbolState().level > 0) endScope();
        break;
      case 2:
        if (symbolState().level > 0) newLocalRecord(name, "local");
        break;
      case 3:
        newGlobalRecord(name, "global");
        break;
      default:
        break;
    }
    for (const std::string& n : names) ASSERT_EQ(lookup(n), chainLookup(n)) << n << " at " << step;
    // Every chain holds its local entries first; a global one goes after the last of them.
    for (const std::string& n : names) {
      unsigned bucket = symbolHash(n.data(), n.size());
      SymbolEntry* lastLocal = nullptr;
      bool globalSeen = false;
      for (SymbolEntry* e = symbolState().buckets[bucket].get(); e; e = e->next.get()) {
        if (e->level > 0) {
          ASSERT_FALSE(globalSeen) << n << " at " << step;
          lastLocal = e;
        } else {
          globalSeen = true;
        }
      }
      ASSERT_EQ(symbolState().lastLocal[bucket], lastLocal) << n << " at " << step;
    }
  }
  while (symbolState().level > 0) endScope();
  for (const std::string& n : names) EXPECT_EQ(lookup(n), chainLookup(n)) << n;
}

TEST(CommandTables, CountsAndRows) {
  EXPECT_EQ(std::size(kMainCommands), 683u);
  EXPECT_STREQ(kMainCommands[0].name, "\\textup");
  EXPECT_STREQ(kMainCommands[0].tmpl, "%s(V)%p%0");
  EXPECT_STREQ(kMainCommands[269].name, "\\fill");
  EXPECT_STREQ(kMainCommands[270].name, "\\floatpagefraction");
  EXPECT_STREQ(kMainCommands[539].name, "\\whiledo");
  EXPECT_STREQ(kMainCommands[539].tmpl, "%x%x");
  auto tmplOf = [](const char* name) -> std::string {
    std::string found;
    for (const BuiltinCommand& c : kMainCommands)
      if (std::strcmp(c.name, name) == 0) found = c.tmpl;
    return found;
  };
  EXPECT_EQ(tmplOf("\\part"), "\n\n%o%g(Part)%p%T%O");
  EXPECT_EQ(tmplOf("\\copyright"), "%f(T)\xA9 %0");
  EXPECT_EQ(tmplOf("\\diamondsuit"), "%f(S) \xA8 %0");
  EXPECT_EQ(tmplOf("\\uparrow"), "%f(S)\xAD %0");
  EXPECT_EQ(tmplOf("\\tt"), "% %f(C)%s(P)");
  EXPECT_EQ(tmplOf("\\thanks"), "%-%W()%+");
  EXPECT_EQ(tmplOf("\\backslash"), "%f(T)\\\\%0");  // an escaped backslash in MLP
  for (const char* name : {"\\sum", "\\prod", "\\int", "\\oint", "\\bigcap", "\\bigcup", "\\lim"})
    EXPECT_EQ(tmplOf(name), "%k(L)") << name;

  EXPECT_EQ(std::size(kCharCommands), 110u);
  EXPECT_STREQ(kCharCommands[0].name, "\n");
  EXPECT_STREQ(kCharCommands[14].tmpl, "%k(',+prime,')");
  EXPECT_STREQ(kCharCommands[15].name, "\xA1");
  EXPECT_STREQ(kCharCommands[15].tmpl, R"(\xc1 )");
  EXPECT_STREQ(kCharCommands[109].name, "\xFF");
  EXPECT_STREQ(kCharCommands[109].tmpl, R"(\xd8 )");

  EXPECT_EQ(std::size(slash_chars), 25u);
  EXPECT_STREQ(slash_chars[1].tmpl, "%\x08\\t%!");
  EXPECT_STREQ(slash_chars[3].tmpl, "%D(\\()");
  EXPECT_STREQ(slash_chars[17].name, "\\\n");
  EXPECT_STREQ(slash_chars[21].tmpl, "%A(\")");
}

TEST_F(SymbolsTest, CharacterTablesIndexByByte) {
  EXPECT_EQ(charRecord(0xC4)->tmpl, R"(\x80 )");
  EXPECT_EQ(charRecord('a'), nullptr);
  EXPECT_EQ(charRecord(0x90), nullptr);
  EXPECT_EQ(slashRecord('\'')->tmpl, "%A(')");
  EXPECT_EQ(slashRecord('\n')->tmpl, "");
  EXPECT_EQ(slashRecord('$'), nullptr);
}

}  // namespace
}  // namespace pendra::reader
