// Memory mapped on its own, aligned so that the system can back it with huge pages: on this
// project's machines every small page that a process writes for the first time costs a fault of
// some ten microseconds, and a huge page takes the place of 512 of them. Where the system has no
// huge page to give, the memory serves all the same, a small page at a time.
#pragma once

#include <sys/mman.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

// Under the address sanitizer the memory comes from its allocator instead, which guards the
// bytes around it: a mapping of our own would hide an overrun from it.
#if defined(__SANITIZE_ADDRESS__)
#define PENDRA_HUGE_PAGES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PENDRA_HUGE_PAGES_FROM_HEAP 1
#endif
#endif

namespace pendra::memory {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Whether the process's address space is limited (ulimit -v): a mapping of our own then takes
// room that the heap may need, having reserved much of it for its threads.
inline bool addressSpaceLimited() {
  static const bool limited = [] {
    struct rlimit limit;
    return getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
  }();
  return limited;
}

// Memory taken by takeHuge: mapped on its own, or from the heap.
struct HugeMemory {
  char* base = nullptr;
  bool mapped = false;
};

// Blocks of one huge page given back are kept, up to kWarmBlocks, for the next takeHuge of one:
// their pages are the process's already, where a fresh block costs the system its pages when it
// is first written (about a millisecond per block here). The MLP blocks, let go when the
// translation ends, so serve the writing that follows.
constexpr int kWarmBlocks = 2;
struct WarmBlocks {
  std::mutex lock;
  char* blocks[kWarmBlocks] = {};
  int count = 0;
};
inline WarmBlocks warmBlocks;

// `size` bytes (a multiple of kHugePage) at a kHugePage-aligned address. Where the address space
// has no room for such a mapping, the heap's memory serves instead, in small pages; std::bad_alloc
// where neither can give it. The memory holds whatever it was last given (zeros when new).
inline HugeMemory takeHuge(std::size_t size) {
#ifdef PENDRA_HUGE_PAGES_FROM_HEAP
  return {new char[size], false};
#else
  if (size == kHugePage) {
    std::lock_guard<std::mutex> held(warmBlocks.lock);
    if (warmBlocks.count > 0) return {warmBlocks.blocks[--warmBlocks.count], true};
  }
  void* got =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (got == MAP_FAILED) return {new char[size], false};
  auto start = reinterpret_cast<std::uintptr_t>(got);
  std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  std::size_t head = aligned - start;
  if (head > 0) munmap(got, head);
  if (kHugePage - head > 0) munmap(reinterpret_cast<char*>(aligned + size), kHugePage - head);
  char* base = reinterpret_cast<char*>(aligned);
  madvise(base, size, MADV_HUGEPAGE);  // a hint: refused, the memory still serves
  return {base, true};
#endif
}

inline void giveBackHuge(const HugeMemory& memory, std::size_t size) {
  if (!memory.mapped) {
    delete[] memory.base;
    return;
  }
  if (size == kHugePage) {
    std::lock_guard<std::mutex> held(warmBlocks.lock);
    if (warmBlocks.count < kWarmBlocks) {
      warmBlocks.blocks[warmBlocks.count++] = memory.base;
      return;
    }
  }
  munmap(memory.base, size);
}

}  // namespace pendra::memory
