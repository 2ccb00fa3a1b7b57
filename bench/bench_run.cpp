// Whole-process benchmark of the pendra command: converts generated articles of several sizes and
// prints, per size, the median wall time, the throughput in MB/s of LaTeX input, the peak resident
// memory, the time with the stages one after the other (as when the MLP file is kept) and the
// second stage's alone (on the MLP file); where latex2rtf is installed, its time on the same file,
// run in turn with pendra's, and how many times faster pendra is.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "generate.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 3;
constexpr std::uint32_t kSeed = 20261209;

struct Measure {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

// The program `name` found along PATH; empty when there is none.
std::string onPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t at = 0; at <= dirs.size();) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    fs::path candidate = fs::path(dirs.substr(at, end - at)) / name;
    if (end > at && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    at = end + 1;
  }
  return {};
}

// Runs `args` with standard output and error sent to /dev/null.
Measure runCommand(const std::vector<std::string>& args) {
  std::fflush(nullptr);  // the child must not write our buffered output again
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Measure m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.peakKiB = usage.ru_maxrss;
  m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return m;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pendra_bench PENDRA [MEGABYTES...]\n");
    return 2;
  }
  std::string pendra = fs::absolute(argv[1]).string();
  std::vector<double> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::atof(argv[i]));
  if (sizes.empty()) sizes = {1, 10, 100};
  fs::path dir = fs::temp_directory_path() / ("pendra-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::string latex2rtf = onPath("latex2rtf");
  std::printf("%8s %10s %9s %11s %10s %10s", "MB", "total s", "MB/s", "peak MiB", "in turn s",
              "MLP->MIF s");
  if (!latex2rtf.empty()) std::printf(" %11s %6s", "latex2rtf s", "ratio");
  std::printf("\n");
  int failures = 0;
  for (double mb : sizes) {
    auto bytes = static_cast<std::size_t>(mb * 1024 * 1024);
    fs::path tex = dir / "article.tex";
    std::ofstream(tex, std::ios::binary) << pendra::bench::generateArticle(bytes, kSeed);
    std::string mif = (dir / "article.out.mif").string();
    std::string mlp = (dir / "article.mlp").string();
    runCommand({pendra, "-q", "--mlp", mlp, "-o", mif, tex.string()});
    std::string rtf = (dir / "article.rtf").string();
    std::vector<double> totals, inTurn, seconds2, others;
    long peak = 0;
    for (int r = 0; r < kRuns; ++r) {
      Measure all = runCommand({pendra, "-q", "-o", mif, tex.string()});
      Measure turn = runCommand({pendra, "-q", "--mlp", mlp, "-o", mif, tex.string()});
      Measure second = runCommand({pendra, "--from-mlp", mlp, "-o", mif});
      if (all.status != 0 || turn.status != 0 || second.status != 0) ++failures;
      totals.push_back(all.seconds);
      inTurn.push_back(turn.seconds);
      seconds2.push_back(second.seconds);
      peak = std::max(peak, all.peakKiB);
      // latex2rtf reports the commands it does not know with a status of its own: its time counts.
      if (!latex2rtf.empty())
        others.push_back(runCommand({latex2rtf, "-o", rtf, tex.string()}).seconds);
    }
    double total = median(totals);
    double actualMb = static_cast<double>(fs::file_size(tex)) / (1024.0 * 1024.0);
    std::printf("%8.1f %10.3f %9.2f %11.1f %10.3f %10.3f", actualMb, total, actualMb / total,
                static_cast<double>(peak) / 1024.0, median(inTurn), median(seconds2));
    if (!others.empty()) std::printf(" %11.3f %6.2f", median(others), median(others) / total);
    std::printf("\n");
  }
  fs::remove_all(dir);
  if (failures) std::fprintf(stderr, "%d runs did not end with status 0\n", failures);
  return failures ? 1 : 0;
}
