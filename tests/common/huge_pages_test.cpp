// Memory taken a huge page at a time: a block of one page given back is kept warm for the next
// taker, up to a bound, and a block is never handed to two takers at once.
#include "common/huge_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace pendra::memory {
namespace {

TEST(HugePages, BlocksGivenBackServeAgainAndNeverTwiceAtOnce) {
  std::vector<HugeMemory> taken;
  std::set<char*> bases;
  for (int i = 0; i < kWarmBlocks + 3; ++i) {
    taken.push_back(takeHuge(kHugePage));
    ASSERT_NE(taken.back().base, nullptr);
    if (taken.back().mapped) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(taken.back().base) % kHugePage, 0u);
    }
    EXPECT_TRUE(bases.insert(taken.back().base).second) << "a block handed out twice";
    std::memset(taken.back().base, i + 1, kHugePage);  // every byte is the taker's
  }
  for (int i = 0; i < static_cast<int>(taken.size()); ++i) {
    EXPECT_EQ(taken[i].base[0], static_cast<char>(i + 1));
    EXPECT_EQ(taken[i].base[kHugePage - 1], static_cast<char>(i + 1));
  }
  for (const HugeMemory& block : taken) giveBackHuge(block, kHugePage);
#ifndef PENDRA_HUGE_PAGES_FROM_HEAP
  // The blocks kept are taken again first, with the bytes they held; past them, memory is new
  // (a block given back beyond the bound went back to the system, even where its address returns).
  std::vector<HugeMemory> again;
  for (int i = 0; i < kWarmBlocks; ++i) {
    again.push_back(takeHuge(kHugePage));
    EXPECT_NE(again.back().base[0], 0) << "a kept block, still warm";
    EXPECT_EQ(bases.count(again.back().base), 1u);
  }
  HugeMemory fresh = takeHuge(kHugePage);
  EXPECT_EQ(fresh.base[0], 0) << "no more than kWarmBlocks are kept";
  giveBackHuge(fresh, kHugePage);
  for (const HugeMemory& block : again) giveBackHuge(block, kHugePage);
#endif
  // Blocks of more than one page are never kept: each is a mapping of its own.
  HugeMemory large = takeHuge(2 * kHugePage);
  std::memset(large.base, 7, 2 * kHugePage);
  giveBackHuge(large, 2 * kHugePage);
}

}  // namespace
}  // namespace pendra::memory
