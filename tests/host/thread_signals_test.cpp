// The threads a run starts beside the main one (the translation of the body, the host's writing
// of the kept MIF file) never take the signals that remove transient files: the main thread
// holds those while it makes and registers a file, and a handler run on another thread in
// between would leave the file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/alongside.h"
#include "fdk/host.h"
#include "host/standalone_host.h"

namespace pendra {
namespace {

namespace fs = std::filesystem;

// The blocked-signal masks of the process's threads other than the calling one.
std::vector<unsigned long long> otherThreadsMasks() {
  std::vector<unsigned long long> masks;
  std::string self = std::to_string(gettid());
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    if (task.path().filename() == self) continue;
    std::ifstream status(task.path() / "status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("SigBlk:", 0) == 0) masks.push_back(std::stoull(line.substr(7), nullptr, 16));
  }
  return masks;
}

bool holdsEndingSignals(unsigned long long mask) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP})
    if (!(mask & (1ull << (sig - 1)))) return false;
  return true;
}

TEST(ThreadSignals, TheTranslationBesideTheReadingHoldsTheCleanupSignals) {
  std::vector<unsigned long long> before = otherThreadsMasks();
  driver::AlongsideTranslation alongside;
  ChannelT body = alongside.makeBodyChannel();
  ASSERT_TRUE(alongside.start(body, "2.01alpha"));
  std::vector<unsigned long long> after = otherThreadsMasks();
  ASSERT_EQ(after.size(), before.size() + 1);
  int holding = 0;
  for (unsigned long long mask : after) holding += holdsEndingSignals(mask);
  EXPECT_GE(holding, 1);
  alongside.stop();
  F_ChannelCloseTmp(body);
}

TEST(ThreadSignals, TheHostsWritingThreadHoldsTheCleanupSignals) {
  std::vector<unsigned long long> before = otherThreadsMasks();
  host::StandaloneHost host;
  host.keepImportFiles(fs::temp_directory_path().string());
  std::FILE* stream = nullptr;
  ASSERT_TRUE(host.createFile("kept.mif", &stream));
  ASSERT_NE(stream, nullptr);
  std::vector<unsigned long long> after = otherThreadsMasks();
  ASSERT_EQ(after.size(), before.size() + 1);
  int holding = 0;
  for (unsigned long long mask : after) holding += holdsEndingSignals(mask);
  EXPECT_GE(holding, 1);
  std::fclose(stream);
  host.deleteFile("kept.mif");
}

}  // namespace
}  // namespace pendra
