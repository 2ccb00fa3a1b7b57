// The threads a run starts beside the main one (the translation of the body, the host's writing
// of the kept MIF file) never take the signals that remove transient files: the main thread
// holds those while it makes and registers a file, and a handler run on another thread in
// between would leave the file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "driver/alongside.h"
#include "fdk/host.h"
#include "host/standalone_host.h"

namespace pendra {
namespace {

namespace fs = std::filesystem;

// The blocked-signal mask of the process's thread named `name`, if there is one.
std::optional<unsigned long long> maskOfThread(const std::string& name) {
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::string comm;
    std::getline(std::ifstream(task.path() / "comm"), comm);
    if (comm != name) continue;
    std::ifstream status(task.path() / "status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("SigBlk:", 0) == 0) return std::stoull(line.substr(7), nullptr, 16);
  }
  return std::nullopt;
}

// The thread gives itself its name as it starts.
std::optional<unsigned long long> waitForThread(const std::string& name) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (std::optional<unsigned long long> mask = maskOfThread(name)) return mask;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::nullopt;
}

bool holdsEndingSignals(unsigned long long mask) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP})
    if (!(mask & (1ull << (sig - 1)))) return false;
  return true;
}

TEST(ThreadSignals, TheTranslationBesideTheReadingHoldsTheCleanupSignals) {
  driver::AlongsideTranslation alongside;
  ChannelT body = alongside.makeBodyChannel();
  ASSERT_TRUE(alongside.start(body, "2.01alpha"));
  std::optional<unsigned long long> mask = waitForThread(driver::AlongsideTranslation::kThreadName);
  ASSERT_TRUE(mask.has_value());
  EXPECT_TRUE(holdsEndingSignals(*mask));
  alongside.stop();
  F_ChannelCloseTmp(body);
}

TEST(ThreadSignals, TheHostsWritingThreadHoldsTheCleanupSignals) {
  host::StandaloneHost host;
  host.keepImportFiles(fs::temp_directory_path().string());
  std::FILE* stream = nullptr;
  ASSERT_TRUE(host.createFile("kept.mif", &stream));
  ASSERT_NE(stream, nullptr);
  std::optional<unsigned long long> mask = waitForThread(host::kKeptWriterThreadName);
  ASSERT_TRUE(mask.has_value());
  EXPECT_TRUE(holdsEndingSignals(*mask));
  std::fclose(stream);
  host.deleteFile("kept.mif");
}

}  // namespace
}  // namespace pendra
