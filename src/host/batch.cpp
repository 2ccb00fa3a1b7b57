#include "host/batch.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace pendra::host {

namespace {

// How much of a worker's messages one read takes.
constexpr std::size_t kReadBlock = 1 << 16;

int severity(int status) {
  switch (status) {
    case kBatchOk:
      return 0;
    case kBatchNoDocument:
      return 1;
    case kBatchUsage:
      return 3;
    default:
      return 2;  // stopped, crashed, or a status no conversion gives
  }
}

void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to report it
    done += static_cast<std::size_t>(n);
  }
}

struct Worker {
  pid_t pid = -1;
  int fd = -1;
  std::size_t index = 0;
  std::string pending;  // the start of a line not yet ended
};

// Passes on every whole line of `w.pending` (and, at the end, what is left) with the prefix, in
// one write so that the lines of two workers never mix. An empty line gets the name alone.
void passLines(Worker& w, const std::string& prefix, int messages, bool atEnd) {
  std::string out;
  std::size_t start = 0;
  while (start < w.pending.size()) {
    std::size_t end = w.pending.find('\n', start);
    std::size_t text = (end == std::string::npos ? w.pending.size() : end) - start;
    std::size_t taken = text;
    if (text > kMaxMessageLine)
      text = taken = kMaxMessageLine;
    else if (end != std::string::npos)
      taken = text + 1;
    else if (!atEnd)
      break;
    if (text == 0)
      out.append(prefix, 0, prefix.size() - 1);
    else
      out += prefix;
    out.append(w.pending, start, text);
    out += '\n';
    start += taken;
  }
  w.pending.erase(0, start);
  if (!out.empty()) writeAll(messages, out);
}

std::string endedText(int raw, int* status) {
  if (WIFEXITED(raw)) {
    *status = WEXITSTATUS(raw);
    return "status " + std::to_string(*status);
  }
  *status = kBatchStopped;
  if (WIFSIGNALED(raw)) {
    int sig = WTERMSIG(raw);
    const char* what = strsignal(sig);
    return "signal " + std::to_string(sig) + (what ? std::string(", ") + what : std::string());
  }
  return "ended abnormally";
}

}  // namespace

int worseStatus(int a, int b) {
  int ra = severity(a);
  int rb = severity(b);
  if (ra == 2 && a != kBatchStopped) a = kBatchStopped;
  if (rb == 2 && b != kBatchStopped) b = kBatchStopped;
  return rb > ra ? b : a;
}

int defaultJobs(std::size_t documents) {
  long cores = sysconf(_SC_NPROCESSORS_ONLN);
  std::size_t jobs = cores > 0 ? static_cast<std::size_t>(cores) : 1;
  jobs = std::min({jobs, documents, static_cast<std::size_t>(kMaxJobs)});
  return jobs > 0 ? static_cast<int>(jobs) : 1;
}

std::string prepareOutputDirectory(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (std::filesystem::is_directory(dir)) return "";
  if (std::filesystem::exists(dir))
    return "pendra: " + dir + " is not a directory; with several FILEs -o names a directory";
  return "pendra: cannot make the directory " + dir + ": " + ec.message();
}

std::string outputInDirectory(const std::string& dir, const std::string& defaultName) {
  std::size_t slash = defaultName.find_last_of('/');
  std::string base = slash == std::string::npos ? defaultName : defaultName.substr(slash + 1);
  return dir + (!dir.empty() && dir.back() == '/' ? "" : "/") + base;
}

std::string sharedOutput(const std::vector<std::string>& sources,
                         const std::vector<std::string>& outputs) {
  std::vector<std::pair<std::string, std::size_t>> keys;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    std::error_code ec;
    std::filesystem::path key =
        std::filesystem::weakly_canonical(std::filesystem::absolute(outputs[i], ec), ec);
    keys.emplace_back(ec ? outputs[i] : key.string(), i);
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t k = 1; k < keys.size(); ++k) {
    if (keys[k].first != keys[k - 1].first) continue;
    std::size_t a = std::min(keys[k].second, keys[k - 1].second);
    std::size_t b = std::max(keys[k].second, keys[k - 1].second);
    return "pendra: " + sources[a] + " and " + sources[b] + " would both be written to " +
           outputs[a];
  }
  return "";
}

int runBatch(const std::vector<std::string>& names, int jobs,
             const std::function<int(std::size_t)>& convert, int messages) {
  std::size_t limit = static_cast<std::size_t>(std::clamp(jobs, 1, kMaxJobs));
  std::vector<int> statuses(names.size(), kBatchOk);
  std::vector<std::string> endings(names.size());
  std::vector<Worker> running;
  std::vector<char> block(kReadBlock);
  std::size_t next = 0;
  auto prefix = [&](std::size_t i) { return names[i] + ": "; };
  // A SIGCHLD ignored by whoever started the run would let the system reap the workers, and
  // their statuses be lost.
  struct sigaction keptChild;
  struct sigaction defaultChild;
  std::memset(&defaultChild, 0, sizeof defaultChild);
  defaultChild.sa_handler = SIG_DFL;
  sigaction(SIGCHLD, &defaultChild, &keptChild);

  while (next < names.size() || !running.empty()) {
    // Start workers up to the limit. Where the system refuses one (too many processes or open
    // files) the document waits for a running one to end; with none running it fails.
    while (next < names.size() && running.size() < limit) {
      std::fflush(stdout);
      std::fflush(stderr);
      int fds[2];
      pid_t pid = -1;
      int error = 0;
      if (pipe(fds) != 0) {
        error = errno;
      } else if ((pid = fork()) < 0) {
        error = errno;
        close(fds[0]);
        close(fds[1]);
      }
      if (pid == 0) {
        close(fds[0]);
        for (const Worker& w : running) close(w.fd);
        dup2(fds[1], STDERR_FILENO);
        close(fds[1]);
        int status = convert(next);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(status);
      }
      if (pid < 0) {
        if (!running.empty()) break;
        writeAll(messages,
                 prefix(next) + "cannot start the conversion: " + std::strerror(error) + "\n");
        statuses[next] = kBatchNoDocument;
        endings[next] = "not started";
        ++next;
        continue;
      }
      close(fds[1]);
      running.push_back({pid, fds[0], next, ""});
      ++next;
    }
    if (running.empty()) continue;

    std::vector<pollfd> polled;
    for (const Worker& w : running) polled.push_back({w.fd, POLLIN, 0});
    if (poll(polled.data(), polled.size(), -1) < 0) continue;  // interrupted: poll again
    for (std::size_t k = polled.size(); k-- > 0;) {
      if (!polled[k].revents) continue;
      Worker& w = running[k];
      ssize_t n = read(w.fd, block.data(), block.size());
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n > 0) {
        w.pending.append(block.data(), static_cast<std::size_t>(n));
        passLines(w, prefix(w.index), messages, false);
        continue;
      }
      // The worker closed its end: it is ending.
      passLines(w, prefix(w.index), messages, true);
      close(w.fd);
      int raw = 0;
      pid_t waited;
      while ((waited = waitpid(w.pid, &raw, 0)) < 0 && errno == EINTR) {
      }
      if (waited < 0) raw = W_EXITCODE(kBatchStopped, 0);  // its status is lost: not a success
      int status = kBatchOk;
      endings[w.index] = endedText(raw, &status);
      statuses[w.index] = status;
      if (!WIFEXITED(raw))
        writeAll(messages,
                 prefix(w.index) + "the conversion ended with " + endings[w.index] + "\n");
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }

  sigaction(SIGCHLD, &keptChild, nullptr);

  int worst = kBatchOk;
  std::size_t converted = 0;
  std::string failed;
  for (std::size_t i = 0; i < names.size(); ++i) {
    worst = worseStatus(worst, statuses[i]);
    if (statuses[i] == kBatchOk) {
      ++converted;
    } else {
      failed += (failed.empty() ? ": " : ", ") + names[i] + " (" + endings[i] + ")";
    }
  }
  writeAll(messages, "pendra: " + std::to_string(names.size()) + " documents, " +
                         std::to_string(converted) + " converted, " +
                         std::to_string(names.size() - converted) + " failed" + failed + "\n");
  return worst;
}

}  // namespace pendra::host
