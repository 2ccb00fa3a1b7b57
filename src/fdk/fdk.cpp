// The FDK utility services on the standard library and POSIX, and the forwarding of the F_Api
// calls to the installed host.
#include "fdk/fdk.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "common/huge_pages.h"
#include "fdk/host.h"
#include "fdk/save_file.h"

// A block of a pass-through channel: one huge page of its own (see common/huge_pages.h), so that
// the megabytes of MLP between the stages cost a fault per block rather than one per 4 KB.
struct GiveBackPassBlock {
  bool mapped = false;
  void operator()(char* block) const {
    pendra::memory::giveBackHuge({block, mapped}, pendra::memory::kHugePage);
  }
};
using PassBlock = std::unique_ptr<char[], GiveBackPassBlock>;

PassBlock newPassBlock() {
  pendra::memory::HugeMemory block = pendra::memory::takeHuge(pendra::memory::kHugePage);
  return PassBlock(block.base, GiveBackPassBlock{block.mapped});
}

// The bytes of a channel that is written once from start to end and then read once from start to
// end (the MLP between the stages): held in blocks, each released as soon as it has been read.
// The state a writing and a reading thread share (see makeSharedPassChannel). The writer fills
// bytes past `published` without the lock, in a block of its own; the block list and what was
// released change only under the lock.
struct SharedPass {
  std::mutex lock;
  std::condition_variable changed;
  long published = 0;
  long readAt = 0;
  bool readerWaiting = false;
  bool ended = false;      // no more bytes will be handed over
  bool abandoned = false;  // the reader takes nothing more
  bool readerGone = false;
  pendra::fdk::PublishHook beforePublish = nullptr;
  void* hookData = nullptr;
  // The writer's bytes go over when this many have gathered: the first chunks are small, so that
  // the reader starts early, and they double up to kSharedChunk.
  long chunk = pendra::fdk::kFirstSharedChunk;
  // The writer's own: the block it fills and the end of the blocks it made.
  char* current = nullptr;
  long madeEnd = 0;
  bool discarding = false;  // abandoned past the memory limit: bytes are counted, not kept
};

struct PassBuffer {
  std::deque<PassBlock> blocks;
  long released = 0;  // bytes of the blocks already released
  long written = 0;
  long readAt = 0;  // -1 while writing
  long limit = 0;   // the most bytes held in memory
  std::unique_ptr<SharedPass> shared;
};

// The stream, and its position and size as far as they are known: kept here so that asking for
// the position (the diversions do it all the time) costs no system call.
struct ChannelObj {
  std::FILE* file = nullptr;
  bool temporary = false;
  long position = 0;
  long size = 0;
  bool positionKnown = false;
  bool sizeKnown = false;  // a file made empty by this channel
  int error = 0;           // the system's reason for the first write that failed, 0 while none did
  // A channel held in memory: the stream writes into this buffer (see makeMemoryChannel).
  bool inMemory = false;
  char* memory = nullptr;
  std::size_t memorySize = 0;
  std::unique_ptr<PassBuffer> pass;  // a pass-through channel in memory (see makePassChannel)
  // The stream's buffer, where the channel gives it one of its own (see giveStreamBuffer).
  std::unique_ptr<char[]> streamBuffer;

  ChannelObj() = default;
  ChannelObj(const ChannelObj&) = delete;
  ChannelObj& operator=(const ChannelObj&) = delete;
  ~ChannelObj() {
    // A stream still open when the channels are let go at exit is flushed by the C library
    // afterwards, through its buffer: the buffer stays.
    if (file) static_cast<void>(streamBuffer.release());
  }
};

struct FilePathObj {
  std::string path;
};

namespace pendra::fdk {

namespace {

constexpr int kMaxTransientFiles = 8;
// A pass-through channel holds its bytes in blocks of this size, and at most this many bytes in
// memory: a source whose macros expand far beyond its own size has the rest go to a temporary
// file, as where the host keeps no channels in memory.
constexpr long kPassBlock = static_cast<long>(pendra::memory::kHugePage);
constexpr long kPassMemoryLimit = 256L << 20;
// F_Printf on a pass-through channel formats into a buffer of this size, or a larger one.
constexpr std::size_t kPrintfBuffer = 1024;
constexpr std::size_t kChannelBuffer = 64 * 1024;
constexpr std::size_t kTransientPathMax = 4096;

// A file to remove if the process is interrupted; kept in plain storage that a signal handler can
// read.
struct TransientFile {
  char path[kTransientPathMax];
  volatile sig_atomic_t used;
};

TransientFile transientFiles[kMaxTransientFiles];

// Every channel and path handed out is owned here, so a run cut short can release them all.
constexpr std::chrono::milliseconds kConsoleFlushInterval{100};

struct FdkState {
  Host* host = nullptr;
  std::FILE* console = nullptr;  // standard error unless redirected
  std::chrono::steady_clock::time_point consoleFlushed;
  std::vector<std::unique_ptr<ChannelObj>> channels;
  std::vector<std::unique_ptr<FilePathObj>> paths;
};

FdkState fdk;

template <typename T>
void release(std::vector<std::unique_ptr<T>>& pool, T* object) {
  auto it = std::find_if(pool.begin(), pool.end(), [&](auto& p) { return p.get() == object; });
  if (it != pool.end()) pool.erase(it);
}

FilePathT newPath(std::string path) {
  fdk.paths.push_back(std::make_unique<FilePathObj>());
  fdk.paths.back()->path = std::move(path);
  return fdk.paths.back().get();
}

// Gives a fresh stream a larger buffer than its own block (the C library makes one of the file's
// block size, 4 KB, whatever size is asked for unless the buffer is given): the stages move tens
// of megabytes through their files, and each system call costs.
void giveStreamBuffer(ChannelObj& channel, std::FILE* file) {
  channel.streamBuffer.reset(new (std::nothrow) char[kChannelBuffer]);
  if (!channel.streamBuffer ||
      std::setvbuf(file, channel.streamBuffer.get(), _IOFBF, kChannelBuffer) != 0)
    channel.streamBuffer.reset();
}

ChannelT newChannel(std::FILE* file, bool temporary, bool empty, bool atStart, bool hostStream) {
  fdk.channels.push_back(std::make_unique<ChannelObj>());
  ChannelObj& channel = *fdk.channels.back();
  // A stream that the host made for a file it keeps is buffered as the host chose.
  if (!hostStream) giveStreamBuffer(channel, file);
  channel.file = file;
  channel.temporary = temporary;
  channel.positionKnown = atStart;
  channel.sizeKnown = empty;
  return &channel;
}

// Bytes have been read or written at the position.
void advanceChannel(ChannelObj& channel, std::size_t bytes, bool wrote) {
  if (!channel.positionKnown) return;
  channel.position += static_cast<long>(bytes);
  if (wrote && channel.sizeKnown && channel.position > channel.size)
    channel.size = channel.position;
}

int lastError = 0;

// A write, flush or seek on the channel failed with the reason in errno.
void channelFailed(ChannelObj& channel) {
  int err = errno ? errno : EIO;
  if (!channel.error) channel.error = err;
  lastError = err;
}

void abandon(SharedPass& shared);
void publish(PassBuffer& pass, bool end);

void passAppend(PassBuffer& pass, const char* data, std::size_t size) {
  while (size > 0) {
    long inBlock = pass.written % kPassBlock;
    if (inBlock == 0 &&
        pass.written - pass.released == static_cast<long>(pass.blocks.size()) * kPassBlock)
      pass.blocks.push_back(newPassBlock());
    std::size_t n = std::min(size, static_cast<std::size_t>(kPassBlock - inBlock));
    std::memcpy(pass.blocks.back().get() + inBlock, data, n);
    pass.written += static_cast<long>(n);
    data += n;
    size -= n;
  }
}

// Writes to a pass-through channel; one that outgrows its memory becomes a temporary file with
// what it held, written before anything was read.
// The writer's side of a shared channel: the reader releases the blocks it has read, so only
// the bytes between the two are held.
void sharedAppend(PassBuffer& pass, const char* data, std::size_t size) {
  SharedPass& shared = *pass.shared;
  if (shared.discarding) {
    pass.written += static_cast<long>(size);
    return;
  }
  while (size > 0) {
    long inBlock = pass.written % kPassBlock;
    if (inBlock == 0 && pass.written == shared.madeEnd) {
      // Most often a block the reader has let go, whose pages are the process's already.
      PassBlock block = newPassBlock();
      shared.current = block.get();
      shared.madeEnd += kPassBlock;
      std::lock_guard<std::mutex> held(shared.lock);
      pass.blocks.push_back(std::move(block));
    }
    std::size_t n = std::min(size, static_cast<std::size_t>(kPassBlock - inBlock));
    std::memcpy(shared.current + inBlock, data, n);
    pass.written += static_cast<long>(n);
    data += n;
    size -= n;
  }
  if (pass.written - shared.published >= shared.chunk) publish(pass, false);
}

void passWrite(ChannelObj& channel, const char* data, std::size_t size) {
  PassBuffer& pass = *channel.pass;
  if (pass.shared) {
    sharedAppend(pass, data, size);
    return;
  }
  if (pass.readAt >= 0 || pass.written + static_cast<long>(size) <= pass.limit) {
    passAppend(pass, data, size);
    return;
  }
  std::FILE* file = std::tmpfile();
  if (!file) {
    channelFailed(channel);
    return;
  }
  giveStreamBuffer(channel, file);
  for (std::size_t i = 0; i < pass.blocks.size(); ++i) {
    long n = std::min(kPassBlock, pass.written - static_cast<long>(i) * kPassBlock);
    if (std::fwrite(pass.blocks[i].get(), 1, static_cast<std::size_t>(n), file) !=
        static_cast<std::size_t>(n))
      channelFailed(channel);
  }
  if (std::fwrite(data, 1, size, file) != size) channelFailed(channel);
  channel.file = file;
  channel.temporary = true;
  channel.position = channel.size = pass.written + static_cast<long>(size);
  channel.positionKnown = channel.sizeKnown = true;
  channel.pass.reset();
}

void abandon(SharedPass& shared) {
  std::lock_guard<std::mutex> held(shared.lock);
  shared.abandoned = true;
  shared.changed.notify_all();
}

// Hands the bytes written so far to the reader; `end` tells it no more will come. A reader that
// has fallen behind by more than the memory limit is let go: once it is done, what is held goes
// and the bytes after it are only counted.
void publish(PassBuffer& pass, bool end) {
  SharedPass& shared = *pass.shared;
  if (shared.beforePublish) shared.beforePublish(shared.hookData);
  shared.chunk = std::min(2 * shared.chunk, kSharedChunk);
  std::unique_lock<std::mutex> held(shared.lock);
  shared.published = pass.written;
  if (end) shared.ended = true;
  if (shared.readerWaiting) shared.changed.notify_all();
  if (shared.discarding || pass.written - pass.released <= pass.limit) return;
  shared.abandoned = true;
  shared.changed.notify_all();
  shared.changed.wait(held, [&] { return shared.readerGone; });
  pass.blocks.clear();
  shared.discarding = true;
}

// Copies up to `size` bytes from `offset` on, where they are still held, up to `end` (what was
// written, or what of it a shared channel has handed over).
std::size_t passCopy(const PassBuffer& pass, long offset, char* out, std::size_t size, long end) {
  std::size_t done = 0;
  while (done < size && offset < end && offset >= pass.released) {
    long from = offset - pass.released;
    const char* block = pass.blocks[static_cast<std::size_t>(from / kPassBlock)].get();
    long inBlock = from % kPassBlock;
    std::size_t n = std::min({size - done, static_cast<std::size_t>(kPassBlock - inBlock),
                              static_cast<std::size_t>(end - offset)});
    std::memcpy(out + done, block + inBlock, n);
    done += n;
    offset += static_cast<long>(n);
  }
  return done;
}

// The reading thread's read of a shared channel: waits for a chunk, the end or the abandoning.
std::size_t sharedRead(PassBuffer& pass, char* out, std::size_t size) {
  SharedPass& shared = *pass.shared;
  std::unique_lock<std::mutex> held(shared.lock);
  shared.readerWaiting = true;
  shared.changed.wait(
      held, [&] { return shared.abandoned || shared.ended || shared.readAt < shared.published; });
  shared.readerWaiting = false;
  if (shared.abandoned) return 0;
  std::size_t n = passCopy(pass, shared.readAt, out, size, shared.published);
  shared.readAt += static_cast<long>(n);
  // Blocks read to their end are given back (kept warm for the next taker, the writer most
  // often); the writer has gone past them.
  while (!pass.blocks.empty() && shared.readAt - pass.released >= kPassBlock) {
    pass.blocks.pop_front();
    pass.released += kPassBlock;
  }
  return n;
}

std::size_t passRead(PassBuffer& pass, char* out, std::size_t size) {
  if (pass.shared) return sharedRead(pass, out, size);
  if (pass.readAt < 0) pass.readAt = pass.released;
  std::size_t n = passCopy(pass, pass.readAt, out, size, pass.written);
  pass.readAt += static_cast<long>(n);
  // Blocks read to their end are released.
  while (!pass.blocks.empty() && pass.readAt - pass.released >= kPassBlock) {
    pass.blocks.pop_front();
    pass.released += kPassBlock;
  }
  return n;
}

char* heapString(const std::string& s) {
  char* p = static_cast<char*>(F_Alloc(s.size() + 1));
  if (p) std::memcpy(p, s.c_str(), s.size() + 1);
  return p;
}

}  // namespace

void installHost(Host* host) {
  fdk.host = host;
}
void setConsole(std::FILE* console) {
  fdk.console = console;
}
void addTransientFile(const char* path) {
  if (!path || std::strlen(path) >= kTransientPathMax) return;
  for (TransientFile& f : transientFiles) {
    if (!f.used) {
      std::strcpy(f.path, path);
      f.used = 1;
      return;
    }
  }
}

void addTransientFile(FilePathT path) {
  if (path) addTransientFile(path->path.c_str());
}

void removeTransientFile(const char* path) {
  for (TransientFile& f : transientFiles)
    if (f.used && std::strcmp(f.path, path) == 0) f.used = 0;
}

namespace {

void cleanupOnSignal(int sig) {
  for (TransientFile& f : transientFiles)
    if (f.used) unlink(f.path);
  signal(sig, SIG_DFL);
  raise(sig);
}

// The signals whose default action ends the process (SIGKILL aside, which cannot be caught).
// SIGXFSZ is not among them: it is ignored, so that a write past the file size limit fails with
// its reason like any other failed write.
const int kEndingSignals[] = {SIGHUP,    SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                              SIGFPE,    SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
#ifdef SIGSTKFLT
                              SIGSTKFLT,
#endif
#ifdef SIGPWR
                              SIGPWR,
#endif
                              SIGXCPU,   SIGVTALRM, SIGPROF, SIGIO,   SIGSYS};

void catchSignal(int sig) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  if (sigaction(sig, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) return;
  action.sa_handler = cleanupOnSignal;
  sigfillset(&action.sa_mask);  // one handler at a time
  action.sa_flags = 0;
  sigaction(sig, &action, nullptr);
}

}  // namespace

void installSignalCleanup() {
  // A signal the caller ignores (nohup's SIGHUP, say) stays ignored.
  for (int sig : kEndingSignals) catchSignal(sig);
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) catchSignal(sig);
  signal(SIGXFSZ, SIG_IGN);
}

CleanupSignalsHeld::CleanupSignalsHeld() {
  sigset_t held;
  sigfillset(&held);
  for (int sig : {SIGILL, SIGTRAP, SIGBUS, SIGFPE, SIGSEGV}) sigdelset(&held, sig);
  sigprocmask(SIG_BLOCK, &held, &kept_);
}

CleanupSignalsHeld::~CleanupSignalsHeld() {
  sigprocmask(SIG_SETMASK, &kept_, nullptr);
}

int channelError(ChannelT channel) {
  if (!channel) return EBADF;
  if (!channel->error && channel->file && std::ferror(channel->file)) channel->error = EIO;
  return channel->error;
}

int lastChannelError() {
  return lastError;
}

Host* installedHost() {
  return fdk.host;
}

void closeAllChannels() {
  for (auto& ch : fdk.channels) {
    if (ch->file) std::fclose(ch->file);
    ch->file = nullptr;
    std::free(ch->memory);
  }
  fdk.channels.clear();
}

ChannelT makeMemoryChannel() {
  fdk.channels.push_back(std::make_unique<ChannelObj>());
  ChannelObj& channel = *fdk.channels.back();
  channel.file = open_memstream(&channel.memory, &channel.memorySize);
  if (!channel.file) {
    fdk.channels.pop_back();
    return nullptr;
  }
  channel.inMemory = true;
  channel.positionKnown = true;
  channel.sizeKnown = true;
  return &channel;
}

ChannelT makePassChannel(long memoryLimit) {
  fdk.channels.push_back(std::make_unique<ChannelObj>());
  ChannelObj& channel = *fdk.channels.back();
  channel.pass = std::make_unique<PassBuffer>();
  channel.pass->readAt = -1;
  channel.pass->limit = memoryLimit > 0 ? memoryLimit : kPassMemoryLimit;
  return &channel;
}

ChannelT makeSharedPassChannel(PublishHook beforePublish, void* data, long memoryLimit) {
  ChannelT channel = makePassChannel(memoryLimit);
  channel->pass->shared = std::make_unique<SharedPass>();
  channel->pass->shared->beforePublish = beforePublish;
  channel->pass->shared->hookData = data;
  return channel;
}

void endSharedWriting(ChannelT channel) {
  if (channel && channel->pass && channel->pass->shared) publish(*channel->pass, true);
}

void abandonSharing(ChannelT channel) {
  if (channel && channel->pass && channel->pass->shared) abandon(*channel->pass->shared);
}

bool sharingAbandoned(ChannelT channel) {
  if (!channel || !channel->pass || !channel->pass->shared) return false;
  std::lock_guard<std::mutex> held(channel->pass->shared->lock);
  return channel->pass->shared->abandoned;
}

void readerDone(ChannelT channel) {
  if (!channel || !channel->pass || !channel->pass->shared) return;
  SharedPass& shared = *channel->pass->shared;
  std::lock_guard<std::mutex> held(shared.lock);
  shared.readerGone = true;
  shared.changed.notify_all();
}

std::size_t readChannelAt(ChannelT channel, long offset, void* buffer, std::size_t size) {
  if (channel && channel->pass && offset >= 0)
    return passCopy(*channel->pass, offset, static_cast<char*>(buffer), size,
                    channel->pass->written);
  if (!channel || !channel->file || offset < 0) return 0;
  if (std::fflush(channel->file) != 0) {
    channelFailed(*channel);
    return 0;
  }
  if (channel->inMemory) {
    // After the flush the buffer holds everything up to the position.
    std::size_t at = static_cast<std::size_t>(offset);
    if (!channel->memory || at >= channel->memorySize) return 0;
    std::size_t n = std::min(size, channel->memorySize - at);
    std::memcpy(buffer, channel->memory + at, n);
    return n;
  }
  ssize_t got = pread(fileno(channel->file), buffer, size, static_cast<off_t>(offset));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

}  // namespace pendra::fdk

using pendra::fdk::fdk;

namespace pendra::fdk {
namespace {
// The count of the ConsoleHeld that holds this thread's console messages, if one does.
thread_local int* heldMessages = nullptr;
}  // namespace

ConsoleHeld::ConsoleHeld() : previous_(heldMessages) {
  heldMessages = &count_;
}
ConsoleHeld::~ConsoleHeld() {
  heldMessages = previous_;
}
}  // namespace pendra::fdk

int F_Printf(ChannelT channel, ConStringT format, ...) {
  if (!channel && pendra::fdk::heldMessages) {
    ++*pendra::fdk::heldMessages;
    return 0;
  }
  if (channel && channel->pass) {
    char small[pendra::fdk::kPrintfBuffer];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) return n;
    if (static_cast<std::size_t>(n) < sizeof small) {
      pendra::fdk::passWrite(*channel, small, static_cast<std::size_t>(n));
    } else {
      std::vector<char> large(static_cast<std::size_t>(n) + 1);
      va_start(args, format);
      std::vsnprintf(large.data(), large.size(), format, args);
      va_end(args);
      pendra::fdk::passWrite(*channel, large.data(), static_cast<std::size_t>(n));
    }
    return n;
  }
  std::FILE* out = channel ? channel->file : fdk.console ? fdk.console : stderr;
  if (!out) return -1;
  va_list args;
  va_start(args, format);
  int n = std::vfprintf(out, format, args);
  va_end(args);
  if (!channel) {
    // The console may be fully buffered (a progress trace writes a number for every source
    // line): it is flushed at every line end, and at least every tenth of a second.
    auto now = std::chrono::steady_clock::now();
    if (std::strchr(format, '\n') ||
        now - fdk.consoleFlushed > pendra::fdk::kConsoleFlushInterval) {
      std::fflush(out);
      fdk.consoleFlushed = now;
    }
  }
  if (channel) {
    if (n >= 0) {
      pendra::fdk::advanceChannel(*channel, static_cast<std::size_t>(n), true);
    } else {
      pendra::fdk::channelFailed(*channel);
      channel->positionKnown = false;
      channel->sizeKnown = false;
    }
  }
  return n;
}

void F_FdeInit() {
  pendra::fdk::forgetFilesRead();
}

FilePathT F_PathNameToFilePath(ConStringT pathName, FilePathT anchor, IntT) {
  if (!pathName || !*pathName) return nullptr;
  std::string path = pathName;
  if (path[0] != '/' && anchor && !anchor->path.empty()) {
    std::string base = anchor->path;
    if (base.back() != '/') base += '/';
    path = base + path;
  }
  return pendra::fdk::newPath(std::move(path));
}

FilePathT F_FilePathParent(FilePathT path, IntT* statusp) {
  if (statusp) *statusp = 0;
  if (!path) {
    if (statusp) *statusp = 1;
    return nullptr;
  }
  const std::string& p = path->path;
  std::size_t slash = p.find_last_of('/');
  std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
  return pendra::fdk::newPath(std::move(parent));
}

StringT F_FilePathBaseName(FilePathT path) {
  if (!path) return nullptr;
  const std::string& p = path->path;
  std::size_t slash = p.find_last_of('/');
  return pendra::fdk::heapString(slash == std::string::npos ? p : p.substr(slash + 1));
}

StringT F_FilePathToPathName(FilePathT path, IntT) {
  return path ? pendra::fdk::heapString(path->path) : nullptr;
}

void F_FilePathFree(FilePathT path) {
  if (path) pendra::fdk::release(fdk.paths, path);
}

IntT F_FilePathProperty(FilePathT path, IntT mask) {
  if (!path) return 0;
  if (mask & 1) {
    struct stat st;
    if (stat(path->path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return access(path->path.c_str(), R_OK) == 0 ? 1 : 0;
  }
  return 0;
}

IntT F_DeleteFile(FilePathT path) {
  if (!path) return -1;
  if (fdk.host && fdk.host->deleteFile(path->path.c_str())) return 0;
  // Removed before it is forgotten: an interruption in between finds nothing left to remove.
  int rc = std::remove(path->path.c_str());
  pendra::fdk::removeTransientFile(path->path.c_str());
  return rc == 0 ? 0 : -1;
}

ChannelT F_ChannelOpen(FilePathT path, ConStringT mode) {
  if (!path || !mode) return nullptr;
  std::string m = mode;
  if (m[0] == 'r') {
    // A directory opens as a stream that cannot be read: refuse it as the host would.
    struct stat st;
    if (stat(path->path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  }
  if (m.find('b') == std::string::npos) m += 'b';
  // A file made anew may be one the host keeps itself.
  std::FILE* f = nullptr;
  bool kept = m[0] == 'w' && m.find('x') != std::string::npos && fdk.host &&
              fdk.host->createFile(path->path.c_str(), &f);
  if (!kept) f = std::fopen(path->path.c_str(), m.c_str());
  bool fresh = m[0] == 'w';
  if (f && m[0] == 'r') pendra::fdk::noteFileRead(fileno(f));
  return f ? pendra::fdk::newChannel(f, false, fresh, fresh || m[0] == 'r', kept) : nullptr;
}

ChannelT F_ChannelMakeTmp(UIntT) {
  // A host that holds the text between the stages itself gets it in memory.
  if (fdk.host && fdk.host->temporaryChannelsInMemory()) return pendra::fdk::makePassChannel();
  return pendra::fdk::makeScratchFile();
}

ChannelT pendra::fdk::makeScratchFile() {
  // tmpfile() unlinks the file at once: it vanishes on close and on any kind of exit.
  std::FILE* f = std::tmpfile();
  return f ? pendra::fdk::newChannel(f, true, true, true, false) : nullptr;
}

std::size_t F_ChannelRead(void* ptr, std::size_t size, std::size_t count, ChannelT channel) {
  if (channel && channel->pass)
    return size == 0
               ? 0
               : pendra::fdk::passRead(*channel->pass, static_cast<char*>(ptr), size * count) /
                     size;
  if (!channel || !channel->file) return 0;
  std::size_t got = std::fread(ptr, size, count, channel->file);
  pendra::fdk::advanceChannel(*channel, got * size, false);
  return got;
}

std::size_t F_ChannelWrite(const void* ptr, std::size_t size, std::size_t count, ChannelT channel) {
  if (channel && channel->pass) {
    pendra::fdk::passWrite(*channel, static_cast<const char*>(ptr), size * count);
    return count;
  }
  if (!channel || !channel->file) return 0;
  std::size_t put = std::fwrite(ptr, size, count, channel->file);
  pendra::fdk::advanceChannel(*channel, put * size, true);
  if (put != count) {
    pendra::fdk::channelFailed(*channel);
    channel->positionKnown = false;  // a part of an item may have gone out
  }
  return put;
}

IntT F_ChannelSeek(ChannelT channel, long offset, IntT whence) {
  if (channel && channel->pass) {
    // Back to the start, to read what was written: possible while nothing has been released.
    PassBuffer& pass = *channel->pass;
    if (whence != SEEK_SET || offset != pass.released) return -1;
    pass.readAt = offset;
    return 0;
  }
  if (!channel || !channel->file) return -1;
  // From the end of a file whose size is known, the seek is made from the start (glibc would
  // otherwise ask the system for the size).
  if (whence == SEEK_END && channel->sizeKnown) {
    offset += channel->size;
    whence = SEEK_SET;
  }
  int rc = std::fseek(channel->file, offset, whence);
  if (rc != 0) {
    // The seek writes out what the buffer holds first: a full disk shows here too.
    pendra::fdk::channelFailed(*channel);
    channel->positionKnown = false;
  } else if (whence == SEEK_SET) {
    channel->position = offset;
    channel->positionKnown = true;
  } else if (whence == SEEK_CUR && channel->positionKnown) {
    channel->position += offset;
  } else {
    channel->positionKnown = false;
  }
  return rc;
}

long F_ChannelTell(ChannelT channel) {
  if (channel && channel->pass)
    return channel->pass->readAt < 0 ? channel->pass->written : channel->pass->readAt;
  if (!channel || !channel->file) return -1;
  if (!channel->positionKnown) {
    long at = std::ftell(channel->file);
    if (at < 0) return at;
    channel->position = at;
    channel->positionKnown = true;
  }
  return channel->position;
}

IntT F_ChannelEof(ChannelT channel) {
  if (channel && channel->pass) return channel->pass->readAt >= channel->pass->written ? 1 : 0;
  if (!channel || !channel->file) return 1;
  return std::feof(channel->file) ? 1 : 0;
}

IntT F_ChannelClose(ChannelT channel) {
  if (!channel) return -1;
  int rc = channel->file ? std::fclose(channel->file) : 0;
  if (rc != 0) pendra::fdk::channelFailed(*channel);
  channel->file = nullptr;
  std::free(channel->memory);
  channel->memory = nullptr;
  pendra::fdk::release(fdk.channels, channel);
  return rc == 0 ? 0 : -1;
}

IntT F_ChannelCloseTmp(ChannelT channel) {
  return F_ChannelClose(channel);
}

void* F_Alloc(std::size_t size) {
  return std::malloc(size ? size : 1);
}
void* F_Realloc(void* ptr, std::size_t size) {
  return std::realloc(ptr, size ? size : 1);
}
void F_Free(void* ptr) {
  std::free(ptr);
}

MetricT F_MetricFractMul(MetricT metric, MetricT numerator, MetricT denominator) {
  if (denominator == 0) return 0;
  return static_cast<MetricT>(static_cast<long long>(metric) * numerator / denominator);
}

// ---- F_Api calls
// ---------------------------------------------------------------------------------

void F_ApiClientRequest(IntT what, IntT value) {
  if (fdk.host) fdk.host->clientRequest(what, value);
}

F_ObjHandleT F_ApiCustomDoc(MetricT width, MetricT height, IntT numCols, MetricT columnGap,
                            MetricT topMargin, MetricT botMargin, MetricT leftinsideMargin,
                            MetricT rightoutsideMargin, IntT sidedness, BoolT makeVisible) {
  if (!fdk.host) return 0;
  return fdk.host->customDoc({width, height, numCols, columnGap, topMargin, botMargin,
                              leftinsideMargin, rightoutsideMargin, sidedness, makeVisible});
}

F_ObjHandleT F_ApiGetId(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) {
  return fdk.host ? fdk.host->getId(docId, objId, propNum) : 0;
}

void F_ApiSetTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum,
                       const F_TextRangeT* range) {
  if (fdk.host && range) fdk.host->setTextRange(docId, objId, propNum, *range);
}

F_TextRangeT F_ApiGetTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) {
  return fdk.host ? fdk.host->getTextRange(docId, objId, propNum) : F_TextRangeT{};
}

F_PropValsT F_ApiGetImportDefaultParams() {
  return fdk.host ? fdk.host->importDefaultParams() : F_PropValsT{};
}

IntT F_ApiGetPropIndex(const F_PropValsT* props, IntT propNum) {
  if (!props) return -1;
  for (UIntT i = 0; i < props->len(); ++i)
    if (props->val[i].propIdent == propNum) return static_cast<IntT>(i);
  return -1;
}

F_ObjHandleT F_ApiImport(F_ObjHandleT enclosingDocId, const F_TextLocT* textLocp,
                         ConStringT filename, const F_PropValsT* importParamsp,
                         F_PropValsT* importReturnParamsp) {
  if (!fdk.host || !textLocp || !filename || !importParamsp) return 0;
  return fdk.host->import(enclosingDocId, *textLocp, filename, *importParamsp, importReturnParamsp);
}

void F_ApiDeallocatePropVals(F_PropValsT* props) {
  if (props) props->val.clear();
}

IntT F_ApiUpdateDoc(F_ObjHandleT docId, IntT flags) {
  return fdk.host ? fdk.host->updateDoc(docId, flags) : -1;
}

void F_ApiReturnValue(IntT value) {
  if (fdk.host) fdk.host->returnValue(value);
}

void F_ApiBailOut() {
  if (fdk.host) fdk.host->bailOut();
}
