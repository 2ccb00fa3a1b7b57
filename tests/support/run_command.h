// Runs the built pendra command in a shell and collects its exit status and output.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pendra::testing {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// `args` is shell text appended to the pendra binary's path; `dir` is the working directory;
// `prefix` comes before the binary (environment settings, a `timeout`).
inline CommandResult runPendra(const std::string& args, const std::filesystem::path& dir,
                               const std::string& prefix = "") {
  // The output is caught in files of this process's own, never in `dir`: tests that run at the
  // same time may convert in one directory (the corpus).
  static int runs = 0;
  std::string stem = "pendra-cmd-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
  std::filesystem::path out = std::filesystem::temp_directory_path() / (stem + ".out");
  std::filesystem::path err = std::filesystem::temp_directory_path() / (stem + ".err");
  std::string cmd = "cd '" + dir.string() + "' && " + prefix + " '" + PENDRA_BINARY + "' " + args +
                    " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
  int raw = std::system(cmd.c_str());
  CommandResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

// The names of the entries of a directory.
inline std::vector<std::string> namesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  return names;
}

// A fresh temporary directory, removed with the object.
struct TempDir {
  std::filesystem::path path;
  explicit TempDir(const std::string& tag) {
    path =
        std::filesystem::temp_directory_path() / ("pendra-" + tag + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path / name, std::ios::binary) << text;
  }
};

}  // namespace pendra::testing
