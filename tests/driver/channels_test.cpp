// Channels kept in memory: written like files, read back at any place without moving the
// position, started over by a seek.
#include <gtest/gtest.h>

#include <string>

#include "fdk/fdk.h"
#include "fdk/host.h"

namespace pendra::fdk {
namespace {

std::string readAt(ChannelT channel, long offset, std::size_t size) {
  std::string text(size, '\0');
  text.resize(readChannelAt(channel, offset, text.data(), size));
  return text;
}

TEST(MemoryChannel, ReadsBackWhatWasWrittenWithoutMovingThePosition) {
  ChannelT channel = makeMemoryChannel();
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(F_ChannelWrite("abcdef", 1, 6, channel), 6u);
  EXPECT_EQ(F_Printf(channel, "<%d>", 42), 4);
  EXPECT_EQ(F_ChannelTell(channel), 10);
  EXPECT_EQ(readAt(channel, 2, 3), "cde");
  EXPECT_EQ(readAt(channel, 6, 100), "<42>");  // cut at the end of what was written
  EXPECT_EQ(readAt(channel, 10, 4), "");
  EXPECT_EQ(readAt(channel, 500, 4), "");
  EXPECT_EQ(readAt(channel, -1, 4), "");
  EXPECT_EQ(F_ChannelTell(channel), 10);
  F_ChannelWrite("g", 1, 1, channel);
  EXPECT_EQ(readAt(channel, 0, 11), "abcdef<42>g");

  // Started over: the new bytes replace the old ones from the start.
  EXPECT_EQ(F_ChannelSeek(channel, 0, SEEK_SET), 0);
  F_ChannelWrite("XY", 1, 2, channel);
  EXPECT_EQ(F_ChannelTell(channel), 2);
  EXPECT_EQ(readAt(channel, 0, 2), "XY");

  // A large text grows the buffer as it goes.
  std::string big(200000, 'q');
  big[199999] = 'z';
  EXPECT_EQ(F_ChannelWrite(big.data(), 1, big.size(), channel), big.size());
  EXPECT_EQ(readAt(channel, 200000, 2), "qz");
  EXPECT_EQ(F_ChannelCloseTmp(channel), 0);
}

}  // namespace
}  // namespace pendra::fdk
