// Saving a file the way an editor does: the new content goes into a temporary file beside the
// destination, is checked, and is renamed into place, so that the destination holds either its old
// content or the whole new one. The temporary file is removed on every way out, an interrupting
// signal included.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace pendra::fdk {

// The temporary file's name: the destination's name, shortened where need be so that the whole
// fits within `nameMax` bytes, followed by this mark and six random characters.
constexpr const char* kSaveMark = ".pendra-";
std::string temporaryName(const std::string& base, std::size_t nameMax);

class SavedFile {
 public:
  SavedFile() = default;
  ~SavedFile() { abandon(); }
  SavedFile(const SavedFile&) = delete;
  SavedFile& operator=(const SavedFile&) = delete;

  // Prepares to save to `path`; "-" is standard output. An existing destination that is not a
  // regular file (a device, a FIFO, a name of an open descriptor such as /dev/stdout) is written
  // through rather than replaced; a symbolic link to a regular file has its target replaced. A
  // destination that is a file this run has read (by device and inode) is refused. False when
  // the file cannot be saved; error() says why.
  bool open(const std::string& path);
  // The stream to write the content to; every write is checked when the file is committed.
  std::FILE* stream() const { return out_; }
  bool write(const void* data, std::size_t size);
  // Notes that writing through stream() failed, with the system's reason in errno.
  void writeFailed();
  // Takes the unnamed file `fd` (made with O_TMPFILE on the destination's file system, holding
  // the whole content) as the file to put into place, instead of what stream() would get: it is
  // linked beside the destination and given the temporary file's owner and mode. False, with
  // nothing changed, where that cannot be done (a destination written through, another file
  // system, a file that has had a name): the content is then to be written to stream().
  bool adopt(int fd);
  // Flushes and closes the content and puts it into place. False when any write failed or the
  // file could not be closed or renamed; the destination keeps its old content then.
  bool commit();
  // Drops what was written (a temporary file is removed).
  void abandon();

  // "Cannot write PATH: reason", or the refusal to overwrite an input.
  const std::string& error() const { return error_; }
  // The destination is a file this run read (exit status 2 rather than 3).
  bool refusedAsInput() const { return refusedAsInput_; }

 private:
  bool fail(int err);
  // Writes into the open descriptor `fd` (a device, a FIFO, a copy of an open one), which the
  // stream then owns; a negative `fd` is the failure in errno.
  bool writeThrough(int fd);
  bool refuseInput(const std::string& path);
  // Links the file `fd` under a new temporary name beside the destination; empty on failure.
  std::string linkBeside(int fd);
  std::string path_;
  std::string target_;     // where the temporary file is renamed to
  std::string temporary_;  // empty when writing through
  std::FILE* out_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // out_'s buffer, where it has one of its own
  bool ownStream_ = false;          // out_ is closed at the end (not standard output)
  bool adopted_ = false;            // temporary_ is a file taken whole (adopt)
  int error_no_ = 0;
  std::string error_;
  bool refusedAsInput_ = false;
};

// The files a run opened for reading, by device and inode, so that no output replaces one of
// them. Forgotten at the start of every run.
void noteFileRead(int fd);
void forgetFilesRead();
bool wasRead(unsigned long long device, unsigned long long inode);

}  // namespace pendra::fdk
