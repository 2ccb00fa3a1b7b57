// Memory mapped on its own, aligned so that the system can back it with huge pages: on this
// project's machines every small page that a process writes for the first time costs a fault of
// some ten microseconds, and a huge page takes the place of 512 of them. Where the system has no
// huge page to give, the memory serves all the same, a small page at a time.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
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

// `size` bytes (a multiple of kHugePage) at a kHugePage-aligned address; std::bad_alloc where
// the system cannot map them.
inline char* mapHuge(std::size_t size) {
#ifdef PENDRA_HUGE_PAGES_FROM_HEAP
  return new char[size];
#else
  void* got =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (got == MAP_FAILED) throw std::bad_alloc();
  auto start = reinterpret_cast<std::uintptr_t>(got);
  std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  std::size_t head = aligned - start;
  if (head > 0) munmap(got, head);
  if (kHugePage - head > 0) munmap(reinterpret_cast<char*>(aligned + size), kHugePage - head);
  char* base = reinterpret_cast<char*>(aligned);
  madvise(base, size, MADV_HUGEPAGE);  // a hint: refused, the memory still serves
  return base;
#endif
}

inline void unmapHuge(char* base, std::size_t size) {
#ifdef PENDRA_HUGE_PAGES_FROM_HEAP
  static_cast<void>(size);
  delete[] base;
#else
  munmap(base, size);
#endif
}

}  // namespace pendra::memory
