// The host side of the F_Api calls. The FDK stand-in forwards each call to the installed host;
// with no host installed the calls fail the way a host without documents would.
#pragma once

#include <signal.h>

#include <cstdio>

#include "fdk/fdk.h"

namespace pendra::fdk {

struct PageGeometry {
  MetricT width = 0;
  MetricT height = 0;
  IntT columns = 0;
  MetricT columnGap = 0;
  MetricT top = 0;
  MetricT bottom = 0;
  MetricT left = 0;
  MetricT right = 0;
  IntT sidedness = 0;
  BoolT visible = 0;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual void clientRequest(IntT what, IntT value) = 0;
  virtual F_ObjHandleT customDoc(const PageGeometry& geometry) = 0;
  virtual F_ObjHandleT getId(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) = 0;
  virtual void setTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum,
                            const F_TextRangeT& range) = 0;
  virtual F_TextRangeT getTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) = 0;
  virtual F_PropValsT importDefaultParams() = 0;
  virtual F_ObjHandleT import(F_ObjHandleT docId, const F_TextLocT& loc, ConStringT path,
                              const F_PropValsT& params, F_PropValsT* returned) = 0;
  virtual IntT updateDoc(F_ObjHandleT docId, IntT flags) = 0;
  virtual void returnValue(IntT value) = 0;
  virtual void bailOut() = 0;
  // The conversion hit an unrecoverable state and was stopped; no document follows.
  virtual void conversionStopped() = 0;

  // A file the filter makes anew for the host alone (the MIF file it then imports) may be kept by
  // the host instead of the file system. True when the host keeps it: `*stream` is then where it
  // is written (closed by the filter), or nullptr with the reason in errno. A host that keeps it
  // finds it by name when it is imported.
  virtual bool createFile(const char* /*path*/, std::FILE** /*stream*/) { return false; }
  // Forgets a file the host keeps; false when it keeps none by that name.
  virtual bool deleteFile(const char* /*path*/) { return false; }
  // Temporary channels (the MLP between the stages) are held in memory, written once and read
  // once, rather than in temporary files.
  virtual bool temporaryChannelsInMemory() const { return false; }
};

// Installs the host that receives the F_Api calls (nullptr uninstalls it).
void installHost(Host* host);
Host* installedHost();

// Sends console text (F_Printf on no channel) to `console`; nullptr means standard error.
void setConsole(std::FILE* console);

// Files that exist only while a run needs them (the intermediate MIF file, a document being saved):
// when the process is interrupted by a signal they are removed before it dies. Deleting a file with
// F_DeleteFile forgets it too.
void addTransientFile(FilePathT path);
void addTransientFile(const char* path);
void removeTransientFile(const char* path);
// Holds back the signals that remove transient files while it lives: a file is made and registered
// under it, so that no interruption falls between the two (and leaves the file behind).
class CleanupSignalsHeld {
 public:
  CleanupSignalsHeld();
  ~CleanupSignalsHeld();
  CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
  CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

 private:
  sigset_t kept_;
};

// Installs, for every signal whose default action ends the process, a handler that removes the
// transient files and then ends the process the way the signal would have; SIGXFSZ is ignored, so
// that writing past the file size limit fails like any other write.
void installSignalCleanup();

// The system's reason (an errno value) for the first write, flush, seek or close on the channel
// that failed; 0 while none did.
int channelError(ChannelT channel);
// The reason for the last such failure on any channel; 0 while there was none.
int lastChannelError();

// Reads up to `size` bytes at `offset` of a channel's file without moving the channel's position
// (what was written through the channel is flushed first); returns the number of bytes read.
std::size_t readChannelAt(ChannelT channel, long offset, void* buffer, std::size_t size);

// Makes a channel whose bytes stay in memory, for short-lived text that is written once and read
// back with readChannelAt (reading it with F_ChannelRead gives nothing). Closed with
// F_ChannelCloseTmp like a temporary file.
ChannelT makeMemoryChannel();

// Makes a channel in memory that is written once from its start to its end and then read once
// (F_ChannelSeek to 0 starts the reading; readChannelAt reads what is still held); each block of
// it is released once read. Past `memoryLimit` bytes (0: the usual limit of 256 MB) written, what
// it holds goes to a temporary file and it goes on as a file.
ChannelT makePassChannel(long memoryLimit = 0);

// A pass-through channel whose bytes another thread reads while they are written: the writer's
// bytes become readable a chunk at a time (kSharedChunk), `beforePublish` running on the writing
// thread just before each chunk is handed over; F_ChannelRead on the reading thread waits for the
// next chunk and gives 0 once the writing has ended (endSharedWriting) or been abandoned. Each
// block is released once read, so the text is read once only. A reader that falls behind by
// more than the memory limit (0: the usual 256 MB) is let go: the writer abandons the sharing,
// waits for the reader to be done (readerDone), and from then on only counts what it writes.
constexpr long kSharedChunk = 64 * 1024;
constexpr long kFirstSharedChunk = 4 * 1024;
using PublishHook = void (*)(void* data);
ChannelT makeSharedPassChannel(PublishHook beforePublish, void* data, long memoryLimit = 0);
// The writer's end: what is left is handed over and the reader sees the end.
void endSharedWriting(ChannelT channel);
// Ends the reading at once (the reader sees the end at its next read).
void abandonSharing(ChannelT channel);
bool sharingAbandoned(ChannelT channel);
// The reading thread will not read again.
void readerDone(ChannelT channel);

// While one lives, console messages of the calling thread are not printed, only counted.
class ConsoleHeld {
 public:
  ConsoleHeld();
  ~ConsoleHeld();
  ConsoleHeld(const ConsoleHeld&) = delete;
  ConsoleHeld& operator=(const ConsoleHeld&) = delete;
  // Messages held back so far.
  int count() const { return count_; }

 private:
  int count_ = 0;
  int* previous_;
};
// A temporary file, whatever the host: for data read back and forth while it is written.
ChannelT makeScratchFile();

// Closes every channel still open (temporary ones vanish); used when a run is cut short.
void closeAllChannels();

}  // namespace pendra::fdk
