#include "fdk/save_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "fdk/host.h"

namespace pendra::fdk {

namespace {

// The random part mkstemp fills in.
constexpr const char* kRandomPart = "XXXXXX";
// A saved file is written through a larger buffer than the stream's own block.
constexpr std::size_t kSaveBuffer = 1 << 16;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kSetIdBits = S_ISUID | S_ISGID;
// Names tried for a file taken whole before giving up on linking it (each is random).
constexpr int kLinkAttempts = 16;

std::vector<std::pair<unsigned long long, unsigned long long>> filesRead;

// The descriptor that a name such as /dev/stdout or /proc/self/fd/3 stands for, or -1.
int descriptorNamed(const std::string& path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    std::size_t n = std::strlen(prefix);
    if (path.compare(0, n, prefix) != 0 || path.size() == n) continue;
    int fd = 0;
    for (std::size_t i = n; i < path.size(); ++i) {
      if (path[i] < '0' || path[i] > '9' || fd > INT_MAX / 10 - 1) return -1;
      fd = fd * 10 + (path[i] - '0');
    }
    return fd;
  }
  return -1;
}

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameAsInput(const struct stat& st) {
  return wasRead(static_cast<unsigned long long>(st.st_dev),
                 static_cast<unsigned long long>(st.st_ino));
}

}  // namespace

void noteFileRead(int fd) {
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return;
  if (!wasRead(st.st_dev, st.st_ino)) filesRead.emplace_back(st.st_dev, st.st_ino);
}

void forgetFilesRead() {
  filesRead.clear();
}

bool wasRead(unsigned long long device, unsigned long long inode) {
  for (const auto& f : filesRead)
    if (f.first == device && f.second == inode) return true;
  return false;
}

std::string temporaryName(const std::string& base, std::size_t nameMax) {
  std::size_t fixed = std::strlen(kSaveMark) + std::strlen(kRandomPart);
  std::size_t keep = nameMax > fixed ? std::min(base.size(), nameMax - fixed) : 0;
  // Not in the middle of a UTF-8 sequence.
  while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80)
    --keep;
  return base.substr(0, keep) + kSaveMark + kRandomPart;
}

bool SavedFile::fail(int err) {
  if (error_no_ == 0) error_no_ = err ? err : EIO;
  if (error_.empty())
    error_ = "Cannot write " + (path_ == "-" ? std::string("standard output") : path_) + ": " +
             std::strerror(error_no_);
  return false;
}

bool SavedFile::writeThrough(int fd) {
  if (fd < 0) return fail(errno);
  out_ = fdopen(fd, "wb");
  if (!out_) {
    int err = errno;
    close(fd);
    return fail(err);
  }
  ownStream_ = true;
  return true;
}

bool SavedFile::refuseInput(const std::string& path) {
  refusedAsInput_ = true;
  error_ = "pendra: " + path + " is a file this conversion reads; it is not overwritten";
  return false;
}

void SavedFile::writeFailed() {
  fail(errno);
}

bool SavedFile::write(const void* data, std::size_t size) {
  if (!out_ || error_no_) return false;
  if (std::fwrite(data, 1, size, out_) != size) return fail(errno);
  return true;
}

std::string SavedFile::linkBeside(int fd) {
  if (fd < 0 || temporary_.size() < std::strlen(kRandomPart)) return {};
  char from[40];
  std::snprintf(from, sizeof from, "/proc/self/fd/%d", fd);
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string name = temporary_;
  std::size_t first = name.size() - std::strlen(kRandomPart);
  for (int attempt = 0; attempt < kLinkAttempts; ++attempt) {
    for (std::size_t i = first; i < name.size(); ++i)
      name[i] = kLetters[random() % (sizeof kLetters - 1)];
    CleanupSignalsHeld held;  // no interruption between making the name and registering it
    if (linkat(AT_FDCWD, from, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      addTransientFile(name.c_str());
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

bool SavedFile::adopt(int fd) {
  if (!out_ || !ownStream_ || temporary_.empty() || error_no_) return false;
  struct stat made;
  struct stat taken;
  // Only a file no name leads to: one with a name would end up sharing it with the destination.
  if (fstat(fileno(out_), &made) != 0 || fstat(fd, &taken) != 0 || !S_ISREG(taken.st_mode) ||
      taken.st_nlink != 0)
    return false;
  std::string linked = linkBeside(fd);
  if (linked.empty()) return false;
  // The owner and mode open() gave the temporary file.
  mode_t mode = made.st_mode & kPermissionBits;
  if (fchown(fd, made.st_uid, made.st_gid) != 0) mode &= ~kSetIdBits;
  fchmod(fd, mode);
  std::fclose(out_);
  out_ = nullptr;
  unlink(temporary_.c_str());
  removeTransientFile(temporary_.c_str());
  temporary_ = linked;
  adopted_ = true;
  return true;
}

bool SavedFile::open(const std::string& path) {
  abandon();
  path_ = path;
  error_.clear();
  error_no_ = 0;
  refusedAsInput_ = false;
  if (path.empty()) return fail(ENOENT);
  if (path == "-") {
    out_ = stdout;
    ownStream_ = false;
    return true;
  }
  struct stat st;
  int fd = descriptorNamed(path);
  if (fd >= 0) {
    // The name of an open descriptor: written through a copy of it, at its own position.
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && sameAsInput(st)) {
      return refuseInput(path);
    }
    return writeThrough(dup(fd));
  }
  bool exists = stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return fail(errno);
  if (exists && S_ISDIR(st.st_mode)) return fail(EISDIR);
  if (exists && sameAsInput(st)) {
    return refuseInput(path);
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device, a FIFO or a socket stays what it is: the content is written into it.
    return writeThrough(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  }
  // A regular file (or none yet): replaced by a temporary file beside it. A symbolic link keeps
  // pointing where it did and its target gets the new content.
  target_ = path;
  if (exists) {
    char* real = realpath(path.c_str(), nullptr);
    if (real) {
      target_ = real;
      std::free(real);
    }
  }
  std::string dir = directoryOf(target_);
  long nameMax = pathconf(dir.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = NAME_MAX;
  std::string tmp = dir + "/" + temporaryName(baseOf(target_), static_cast<std::size_t>(nameMax));
  {
    CleanupSignalsHeld held;  // no interruption between making the file and registering it
    fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd >= 0) addTransientFile(tmp.c_str());
  }
  if (fd < 0) return fail(errno);
  temporary_ = tmp;
  if (exists) {
    // The replacement keeps the old file's owner where this process may set it, and its mode
    // (without set-id bits where the owner could not be kept).
    mode_t mode = st.st_mode & kPermissionBits;
    if (fchown(fd, st.st_uid, st.st_gid) != 0) mode &= ~kSetIdBits;
    fchmod(fd, mode);
  } else {
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  out_ = fdopen(fd, "wb");
  if (!out_) {
    int err = errno;
    close(fd);
    abandon();
    return fail(err);
  }
  // Given, not asked for by size alone, where the C library would make one of the file's block.
  buffer_.reset(new (std::nothrow) char[kSaveBuffer]);
  if (buffer_ && std::setvbuf(out_, buffer_.get(), _IOFBF, kSaveBuffer) != 0) buffer_.reset();
  ownStream_ = true;
  return true;
}

bool SavedFile::commit() {
  if (!out_ && !adopted_) {
    abandon();
    return error_no_ == 0 && error_.empty() ? fail(EBADF) : false;
  }
  if (out_) {
    if (std::fflush(out_) != 0) fail(errno);
    if (std::ferror(out_)) fail(EIO);
    if (ownStream_ && std::fclose(out_) != 0) fail(errno);
  }
  out_ = nullptr;
  if (error_no_ == 0 && !temporary_.empty()) {
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
      fail(errno);
    } else {
      removeTransientFile(temporary_.c_str());
      temporary_.clear();
    }
  }
  abandon();
  return error_no_ == 0;
}

void SavedFile::abandon() {
  if (out_ && ownStream_) std::fclose(out_);
  out_ = nullptr;
  adopted_ = false;
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());  // removed before it is forgotten (see F_DeleteFile)
    removeTransientFile(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace pendra::fdk
