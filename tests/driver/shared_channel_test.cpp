// A pass-through channel that one thread reads while another writes it: the reader sees the bytes
// in order, never before the hook that runs ahead of each handing over, and the end; an abandoned
// sharing ends the reading at once, and a reader fallen too far behind is let go.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fdk/fdk.h"
#include "fdk/host.h"

namespace pendra::fdk {
namespace {

// Records how much was written each time a chunk was about to be handed over.
struct Hook {
  std::mutex lock;
  std::vector<long> writtenAt;
  ChannelT channel = nullptr;
  static void run(void* self) {
    auto* hook = static_cast<Hook*>(self);
    std::lock_guard<std::mutex> held(hook->lock);
    hook->writtenAt.push_back(F_ChannelTell(hook->channel));
  }
  long last() {
    std::lock_guard<std::mutex> held(lock);
    return writtenAt.empty() ? -1 : writtenAt.back();
  }
};

// Text of `size` bytes that shows where a byte was lost or repeated.
std::string pattern(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += std::to_string(i) + ' ';
  text.resize(size);
  return text;
}

std::string readToEnd(ChannelT channel, Hook* hook, bool* hookAhead) {
  std::string got;
  char block[5000];
  std::size_t n;
  while ((n = F_ChannelRead(block, 1, sizeof block, channel)) > 0) {
    got.append(block, n);
    if (hook && hook->last() < static_cast<long>(got.size())) *hookAhead = false;
  }
  return got;
}

TEST(SharedChannel, TheReaderTakesEveryByteInOrderAfterItsHookAndTheEnd) {
  Hook hook;
  ChannelT channel = makeSharedPassChannel(&Hook::run, &hook);
  hook.channel = channel;
  // Several of the channel's 2 MB blocks, so that blocks the reader is done with are filled again.
  const std::string text = pattern(std::max<std::size_t>(5 * kSharedChunk, 9000000) + 123);
  std::string got;
  bool hookAhead = true;
  std::thread reader([&] {
    got = readToEnd(channel, &hook, &hookAhead);
    readerDone(channel);
  });
  // Writes of many sizes, as the stages make them, and printf-formatted ones.
  for (std::size_t at = 0; at < text.size();) {
    std::size_t n = std::min<std::size_t>(1 + at % 997, text.size() - at);
    if (n > 3) {
      F_ChannelWrite(text.data() + at, 1, n, channel);
    } else {
      F_Printf(channel, "%.*s", static_cast<int>(n), text.data() + at);
    }
    at += n;
  }
  EXPECT_EQ(F_ChannelTell(channel), static_cast<long>(text.size()));
  endSharedWriting(channel);
  reader.join();
  EXPECT_EQ(got, text);
  EXPECT_TRUE(hookAhead);
  // The first chunk is small, so that the reader starts early; the chunks grow to their full size.
  ASSERT_GE(hook.writtenAt.size(), 8u);
  EXPECT_LT(hook.writtenAt[0], kFirstSharedChunk + 1000);
  EXPECT_LT(hook.writtenAt[1] - hook.writtenAt[0], kSharedChunk);
  EXPECT_GE(hook.writtenAt[7] - hook.writtenAt[6], kSharedChunk);
  EXPECT_FALSE(sharingAbandoned(channel));
  F_ChannelCloseTmp(channel);
}

TEST(SharedChannel, AbandonedSharingEndsTheReadingWhileTheWritingGoesOn) {
  ChannelT channel = makeSharedPassChannel(nullptr, nullptr);
  const std::string text = pattern(3 * kSharedChunk);
  F_ChannelWrite(text.data(), 1, kSharedChunk + 10, channel);
  std::string got;
  std::thread reader([&] {
    char block[100];
    std::size_t n;
    // The first chunk is there; then the reader waits until the sharing is abandoned.
    while ((n = F_ChannelRead(block, 1, sizeof block, channel)) > 0) got.append(block, n);
    readerDone(channel);
  });
  abandonSharing(channel);
  reader.join();
  EXPECT_LE(got.size(), static_cast<std::size_t>(kSharedChunk + 100));
  EXPECT_EQ(got, text.substr(0, got.size()));
  EXPECT_TRUE(sharingAbandoned(channel));
  // The writing goes on, counted.
  F_ChannelWrite(text.data() + kSharedChunk + 10, 1, text.size() - kSharedChunk - 10, channel);
  EXPECT_EQ(F_ChannelTell(channel), static_cast<long>(text.size()));
  endSharedWriting(channel);
  F_ChannelCloseTmp(channel);
}

TEST(SharedChannel, AReaderFallenTooFarBehindIsLetGo) {
  constexpr long kLimit = 4 * kSharedChunk;
  ChannelT channel = makeSharedPassChannel(nullptr, nullptr, kLimit);
  const std::string text = pattern(3 * kLimit);
  // A reader that takes nothing until it is let go.
  std::thread reader([&] {
    while (!sharingAbandoned(channel)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    char block[100];
    EXPECT_EQ(F_ChannelRead(block, 1, sizeof block, channel), 0u);
    readerDone(channel);
  });
  for (std::size_t at = 0; at < text.size(); at += 1000)
    F_ChannelWrite(text.data() + at, 1, std::min<std::size_t>(1000, text.size() - at), channel);
  endSharedWriting(channel);
  reader.join();
  EXPECT_TRUE(sharingAbandoned(channel));
  EXPECT_EQ(F_ChannelTell(channel), static_cast<long>(text.size()));
  EXPECT_EQ(channelError(channel), 0);
  F_ChannelCloseTmp(channel);
}

TEST(ConsoleHeld, MessagesOfTheHoldingThreadAreCountedNotPrinted) {
  std::FILE* console = std::tmpfile();
  ASSERT_NE(console, nullptr);
  setConsole(console);
  int held = 0;
  std::thread other([&] {
    ConsoleHeld hold;
    F_Printf(nullptr, "held %d\n", 1);
    {
      ConsoleHeld inner;
      F_Printf(nullptr, "held %d\n", 2);
      EXPECT_EQ(inner.count(), 1);
    }
    F_Printf(nullptr, "held %d\n", 3);
    held = hold.count();
  });
  other.join();
  F_Printf(nullptr, "printed\n");
  setConsole(nullptr);
  std::rewind(console);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, console), nullptr);
  EXPECT_STREQ(line, "printed\n");
  EXPECT_EQ(std::fgets(line, sizeof line, console), nullptr);
  std::fclose(console);
  EXPECT_EQ(held, 2);
}

}  // namespace
}  // namespace pendra::fdk
