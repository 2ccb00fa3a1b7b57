// Channels kept in memory: written like files, read back at any place without moving the
// position, started over by a seek.
#include <gtest/gtest.h>

#include <algorithm>
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

// Read back whole, whether it stayed in memory or outgrew it into a file.
std::string readWhole(ChannelT channel) {
  std::string back;
  char block[70000];
  std::size_t n;
  while ((n = F_ChannelRead(block, 1, sizeof block, channel)) > 0) back.append(block, n);
  return back;
}

TEST(PassChannel, OutgrowingItsMemoryGoesOnInAFile) {
  ChannelT channel = makePassChannel(3 << 20);
  std::string text;
  for (int i = 0; text.size() < (5u << 20); ++i) text += "row " + std::to_string(i) + "\n";
  for (std::size_t at = 0; at < text.size(); at += 65537)
    F_ChannelWrite(text.data() + at, 1, std::min<std::size_t>(65537, text.size() - at), channel);
  EXPECT_EQ(F_Printf(channel, "%d\n", 42), 3);
  text += "42\n";
  EXPECT_EQ(F_ChannelTell(channel), static_cast<long>(text.size()));
  EXPECT_EQ(readAt(channel, 10, 20), text.substr(10, 20));
  ASSERT_EQ(F_ChannelSeek(channel, 0, SEEK_SET), 0);
  EXPECT_TRUE(readWhole(channel) == text);
  EXPECT_EQ(channelError(channel), 0);
  EXPECT_EQ(F_ChannelCloseTmp(channel), 0);
}

TEST(PassChannel, HoldsWhatWasWrittenUntilItIsReadOnce) {
  ChannelT channel = makePassChannel();
  // More than one block of the channel, written in pieces of odd sizes and by F_Printf.
  std::string text;
  for (int i = 0; text.size() < (3u << 20); ++i) text += "line " + std::to_string(i) + "\n";
  for (std::size_t at = 0; at < text.size(); at += 4093)
    F_ChannelWrite(text.data() + at, 1, std::min<std::size_t>(4093, text.size() - at), channel);
  EXPECT_EQ(F_Printf(channel, "%s %d\n", "end", 7), 6);
  text += "end 7\n";
  EXPECT_EQ(F_ChannelTell(channel), static_cast<long>(text.size()));
  EXPECT_EQ(readAt(channel, (1 << 20) - 3, 6), text.substr((1 << 20) - 3, 6));
  ASSERT_EQ(F_ChannelSeek(channel, 0, SEEK_SET), 0);
  EXPECT_TRUE(readWhole(channel) == text);
  EXPECT_EQ(F_ChannelEof(channel), 1);
  // What was read is released: the start is gone.
  EXPECT_EQ(readAt(channel, 0, 4), "");
  EXPECT_NE(F_ChannelSeek(channel, 0, SEEK_SET), 0);
  EXPECT_EQ(F_ChannelCloseTmp(channel), 0);
}

}  // namespace
}  // namespace pendra::fdk
