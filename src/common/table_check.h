// Checks that the static tables make at compile time: every row filled, names unique, rows in
// the order a lookup relies on. A table states its checks beside its rows as static_asserts, so
// a duplicate or misplaced row stops the build rather than shadowing another row at run time.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace pendra::tables {

constexpr bool sameText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

// The name of a row whose name is its `name` field, as most tables have it.
inline constexpr auto rowName = [](const auto& row) -> const char* { return row.name; };

constexpr char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Strictly before, comparing byte by byte with ASCII letters folded to lower case.
constexpr bool beforeIgnoringCase(const char* a, const char* b) {
  for (; *a && lowerAscii(*a) == lowerAscii(*b); ++a, ++b) {
  }
  return static_cast<unsigned char>(lowerAscii(*a)) < static_cast<unsigned char>(lowerAscii(*b));
}

// The number of rows whose name is empty or null: a table declared with a count in its header
// and given fewer rows is filled up with such rows.
template <typename Row, std::size_t N, typename Name>
constexpr std::size_t unfilledRows(const Row (&rows)[N], Name name) {
  std::size_t count = 0;
  for (const Row& row : rows) {
    const char* text = name(row);
    if (text == nullptr || *text == '\0') ++count;
  }
  return count;
}

constexpr bool textBefore(const char* a, const char* b) {
  for (; *a && *a == *b; ++a, ++b) {
  }
  return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b);
}

// The number of rows whose name another row already has: a lookup finds one of the two, and the
// other is dead or shadows it. Sorts the names, so that large tables stay within the compiler's
// budget for constant evaluation.
template <typename Row, std::size_t N, typename Name>
constexpr std::size_t duplicateNames(const Row (&rows)[N], Name name) {
  std::array<const char*, N> names{};
  for (std::size_t i = 0; i < N; ++i) names[i] = name(rows[i]);
  std::sort(names.begin(), names.end(), textBefore);
  std::size_t count = 0;
  for (std::size_t i = 1; i < N; ++i) count += sameText(names[i - 1], names[i]) ? 1 : 0;
  return count;
}

// The index of the first row whose name comes before the one of the row above it (case blind;
// equal names may follow each other), or N when the rows are in order.
template <typename Row, std::size_t N, typename Name>
constexpr std::size_t firstOutOfOrder(const Row (&rows)[N], Name name) {
  for (std::size_t i = 1; i < N; ++i)
    if (beforeIgnoringCase(name(rows[i]), name(rows[i - 1]))) return i;
  return N;
}

// The index of the first row whose code is not its own index, or N when every row stands at its
// code.
template <typename Row, std::size_t N, typename Code>
constexpr std::size_t firstMisplacedCode(const Row (&rows)[N], Code code) {
  for (std::size_t i = 0; i < N; ++i)
    if (static_cast<std::size_t>(code(rows[i])) != i) return i;
  return N;
}

// The index of the first row whose code is not above the code of the row before it, or N when
// the codes rise strictly from row to row (as a binary search over them needs).
template <typename Row, std::size_t N, typename Code>
constexpr std::size_t firstCodeOutOfOrder(const Row (&rows)[N], Code code) {
  for (std::size_t i = 1; i < N; ++i)
    if (!(code(rows[i - 1]) < code(rows[i]))) return i;
  return N;
}

}  // namespace pendra::tables
