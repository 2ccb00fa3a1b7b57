#include "common/byte_runs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace pendra::bytes {
namespace {

// Every length up to three blocks, with the byte of interest at every place (or nowhere), each
// text in an allocation of its own size so that a read past its end is caught by the address
// sanitizer; the searches must find what a byte-by-byte look finds.
TEST(ByteRuns, SearchesFindWhatAByteByByteLookFinds) {
  const char odd[] = {'<', '\n', '\0', '!', '\t', static_cast<char>(0xC3),
                      '@', '[',  '`',  '{', '/',  ':'};
  // Word bytes only, the ends of each range among them.
  const std::string fill = "zaZA9 0yb Ymn XY words and digits 1987 ";
  for (std::size_t length = 0; length <= 48; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      for (char c : odd) {
        auto text = std::make_unique<char[]>(length);
        for (std::size_t i = 0; i < length; ++i) text[i] = fill[i % fill.size()];
        if (at < length) text[at] = c;
        const char* begin = text.get();
        const char* end = begin + length;

        const char* expected = begin;
        while (expected != end && *expected != '<' && *expected != '\n' && *expected != '\0')
          ++expected;
        EXPECT_EQ((findAnyOf<'<', '\n', '\0'>(begin, end)), expected) << length << " " << at;

        expected = begin;
        while (expected != end && isWordByte(*expected)) ++expected;
        EXPECT_EQ(skipWordBytes(begin, end), expected)
            << length << " " << at << " " << static_cast<int>(c);

        expected = begin;
        while (expected != end && isNameByte(*expected)) ++expected;
        EXPECT_EQ(skipNameBytes(begin, end), expected) << length << " " << at;
      }
    }
  }
  // The bytes next to the ranges of letters and digits are no word bytes; the ranges' ends are.
  for (char c : {'a', 'z', 'A', 'Z', '0', '9', ' '}) EXPECT_TRUE(isWordByte(c)) << c;
  EXPECT_FALSE(isNameByte(' '));
  for (char c : {'`', '{', '@', '[', '/', ':', '\t', static_cast<char>(0xE1)})
    EXPECT_FALSE(isWordByte(c)) << c;
}

}  // namespace
}  // namespace pendra::bytes
