#include "host/standalone_host.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "common/huge_pages.h"
#include "host/mif_check.h"

namespace pendra::host {

namespace {

// Each document owns four consecutive handles: the document, its main flow, the flow's first
// text frame and that frame's first paragraph.
constexpr F_ObjHandleT kHandlesPerDoc = 4;
constexpr MetricT kMetricInch = 72 * 65536;
// Imported files are read and copied this many bytes at a time.
constexpr std::size_t kBlock = 1 << 16;
// The system copies the document from file to file this much at a time.
constexpr std::size_t kCopyChunk = 1 << 24;
// A kept file that is written out early is sent to the disk this much at a time.
constexpr long kWriteOutStep = 1 << 20;

F_ObjHandleT docOf(F_ObjHandleT handle) {
  return handle == 0 ? 0 : handle - (handle - 1) % kHandlesPerDoc;
}

std::string inches(MetricT m) {
  // Up to four decimals, trailing zeros dropped but one kept: 8.5", 11.0", 0.25".
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(m) / kMetricInch);
  std::string s = buf;
  while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s + "\"";
}

// The page the filter asks for (US Letter, inch margins, one column, one-sided): a kept file
// leaves room for its Document statement before the document is made.
constexpr fdk::PageGeometry kExpectedPage = {
    612 * 65536, 792 * 65536, 1, 18 * 65536, 72 * 65536, 72 * 65536, 72 * 65536, 72 * 65536, 0, 0};

// Writes all `size` bytes at `offset` of `fd`; the reason when the write failed, else 0.
int writeAllAt(int fd, const char* data, size_t size, long offset) {
  for (size_t done = 0; done < size;) {
    ssize_t n = ::pwrite(fd, data + done, size - done,
                         static_cast<off_t>(offset + static_cast<long>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Writes `size` bytes where the file's next byte goes; the reason when the write failed, else 0.
int writeAt(KeptFile& file, const char* data, size_t size) {
  int err = writeAllAt(file.fd, data, size, file.at);
  if (err) return err;
  file.at += static_cast<long>(size);
  if (file.writeOutEarly && file.at - file.writtenOut >= kWriteOutStep) {
    // Only a start: the data stays in the page cache whatever comes of it, and the save reports
    // what fails there.
    sync_file_range(file.fd, file.writtenOut, file.at - file.writtenOut, SYNC_FILE_RANGE_WRITE);
    file.writtenOut = file.at;
  }
  return 0;
}

// Checks a block and writes it to the file, leaving the file's room after the header lines; the
// reason when the write failed, else 0.
int checkAndWrite(KeptFile& file, const char* data, size_t size) {
  file.checker.feed(data, size);
  if (file.headerEnd < 0) {
    const char* end = data + size;
    const char* rest = data;
    while (file.headerLines < 2 && rest < end) {
      const void* nl = std::memchr(rest, '\n', static_cast<size_t>(end - rest));
      if (!nl) break;
      rest = static_cast<const char*>(nl) + 1;
      ++file.headerLines;
    }
    if (file.headerLines < 2) return writeAt(file, data, size);
    if (int err = writeAt(file, data, static_cast<size_t>(rest - data))) return err;
    file.headerEnd = file.at;
    file.at += static_cast<long>(file.room);
    size -= static_cast<size_t>(rest - data);
    data = rest;
  }
  return writeAt(file, data, size);
}

}  // namespace

// The blocks of a kept file are checked and written on a thread of their own, in order, while
// the filter formats the next ones. The writer's pieces (a few kilobytes each) are gathered into
// a ring of kSlots blocks of kBlock bytes, and the thread is woken only when a block is complete:
// a hand-over between the threads costs a wake-up of the other one, far more than checking a
// small piece. The writer waits only while every block of the ring waits. A failed write is the
// file's error from then on.
class KeptWriter {
 public:
  explicit KeptWriter(KeptFile& file) : file_(file), thread_([this] { run(); }) {}
  ~KeptWriter() { finish(); }
  KeptWriter(const KeptWriter&) = delete;
  KeptWriter& operator=(const KeptWriter&) = delete;

  // False (with the reason in file.error) once a write has failed. The block being gathered
  // belongs to this side alone until it is handed over, so the bytes are copied without the lock.
  bool put(const char* data, size_t size) {
    while (size > 0) {
      size_t take = std::min(size, kBlock - fill_);
      std::memcpy(slot(gathered_) + fill_, data, take);
      fill_ += take;
      data += take;
      size -= take;
      if (fill_ == kBlock && !handOver()) return false;
    }
    return true;
  }

  // Waits until every block is written; the reason of a failed write, else 0.
  int finish() {
    {
      std::lock_guard<std::mutex> held(lock_);
      if (fill_ > 0) {
        sizes_[gathered_ % kSlots] = fill_;
        ++gathered_;
        fill_ = 0;
      }
      ending_ = true;
      changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return error_;
  }

  int error() {
    std::lock_guard<std::mutex> held(lock_);
    return error_;
  }

 private:
  // The ring is one huge page: most often one that the MLP between the stages has just let go,
  // whose pages are the process's already.
  static constexpr std::size_t kBlock = std::size_t{128} << 10;
  static constexpr std::size_t kSlots = memory::kHugePage / kBlock;

  // The ring's memory, given back when the writer goes (after its thread has ended).
  struct Ring {
    memory::HugeMemory block = memory::takeHuge(kSlots * kBlock);
    Ring() = default;
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;
    ~Ring() { memory::giveBackHuge(block, kSlots * kBlock); }
  };

  char* slot(std::uint64_t count) { return ring_.block.base + (count % kSlots) * kBlock; }

  // Hands the gathered block to the thread and waits for a free one; false once a write failed.
  bool handOver() {
    std::unique_lock<std::mutex> held(lock_);
    sizes_[gathered_ % kSlots] = fill_;
    ++gathered_;
    fill_ = 0;
    changed_.notify_all();
    changed_.wait(held, [&] { return gathered_ - written_ < kSlots || error_; });
    return !error_;
  }

  void run() {
    pthread_setname_np(pthread_self(), kKeptWriterThreadName);
    std::unique_lock<std::mutex> held(lock_);
    for (;;) {
      changed_.wait(held, [&] { return written_ < gathered_ || ending_; });
      if (written_ == gathered_) return;
      const char* block = slot(written_);
      size_t size = sizes_[written_ % kSlots];
      bool failed = error_ != 0;
      held.unlock();
      int err = failed ? 0 : checkAndWrite(file_, block, size);
      held.lock();
      if (err && !error_) error_ = err;
      ++written_;
      changed_.notify_all();
    }
  }

  KeptFile& file_;
  Ring ring_;
  std::size_t sizes_[kSlots] = {};
  std::uint64_t gathered_ = 0;  // blocks handed over
  std::uint64_t written_ = 0;   // blocks checked and written
  std::size_t fill_ = 0;        // bytes in the block being gathered
  std::mutex lock_;
  std::condition_variable changed_;
  int error_ = 0;
  bool ending_ = false;
  std::thread thread_;  // last: it starts once the rest is made
};

namespace {

ssize_t writeKept(void* cookie, const char* data, size_t size) {
  KeptFile& file = *static_cast<KeptFile*>(cookie);
  if (!file.error && file.writer && !file.writer->put(data, size))
    file.error = file.writer->error();
  if (!file.error && !file.writer) file.error = checkAndWrite(file, data, size);
  if (file.error) {
    errno = file.error;
    return -1;
  }
  return static_cast<ssize_t>(size);
}

int closeKept(void* cookie) {
  KeptFile& file = *static_cast<KeptFile*>(cookie);
  if (file.writer) {
    int err = file.writer->finish();
    if (err && !file.error) file.error = err;
  }
  file.closed = true;
  if (file.error) {
    errno = file.error;
    return -1;
  }
  return 0;
}

// An unnamed file in `dir`, or in the temporary directory; -1 with the reason in errno.
int unnamedFile(const std::string& dir) {
  if (!dir.empty()) {
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
  }
  std::FILE* tmp = std::tmpfile();
  if (!tmp) return -1;
  int fd = fcntl(fileno(tmp), F_DUPFD_CLOEXEC, 0);
  std::fclose(tmp);
  return fd;
}

}  // namespace

KeptFile::KeptFile() = default;

KeptFile::~KeptFile() {
  writer.reset();
  if (fd >= 0) close(fd);
}

void StandaloneHost::keepImportFiles(const std::string& dir, bool writeOutEarly) {
  keepFiles_ = true;
  keepDir_ = dir;
  writeOutEarly_ = writeOutEarly;
}

KeptFile* StandaloneHost::kept(const char* path) {
  for (auto& f : kept_)
    if (f->path == path) return f.get();
  return nullptr;
}

bool StandaloneHost::createFile(const char* path, std::FILE** stream) {
  *stream = nullptr;
  if (!keepFiles_) return false;
  if (kept(path)) {
    errno = EEXIST;  // made anew only
    return true;
  }
  auto file = std::make_unique<KeptFile>();
  file->path = path;
  static const std::size_t expectedRoom = documentStatement(kExpectedPage).size();
  file->room = expectedRoom;
  file->writeOutEarly = writeOutEarly_;
  file->fd = unnamedFile(keepDir_);
  if (file->fd < 0) return true;
  try {
    // The writing thread never takes the cleanup signals (it starts with them held): the main
    // thread holds them while it makes and registers a file, and handles them.
    fdk::CleanupSignalsHeld held;
    file->writer = std::make_unique<KeptWriter>(*file);
  } catch (const std::system_error&) {
    // No thread to be had: the blocks are checked and written as they come.
  } catch (const std::bad_alloc&) {
    // No room for the thread's blocks: the same.
  }
  cookie_io_functions_t io = {nullptr, writeKept, nullptr, closeKept};
  *stream = fopencookie(file.get(), "w", io);
  if (!*stream) return true;
  // The filter's writer hands its output over in blocks of its own, which the file's writer
  // gathers: a buffer of the stream between them would only copy the bytes once more.
  std::setvbuf(*stream, nullptr, _IONBF, 0);
  kept_.push_back(std::move(file));
  return true;
}

bool StandaloneHost::deleteFile(const char* path) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if ((*it)->path == path) {
      kept_.erase(it);
      return true;
    }
  }
  return false;
}

void StandaloneHost::clientRequest(IntT, IntT) {}

F_ObjHandleT StandaloneHost::customDoc(const fdk::PageGeometry& geometry) {
  Document doc;
  doc.id = static_cast<F_ObjHandleT>(documents_.size()) * kHandlesPerDoc + 1;
  doc.geometry = geometry;
  documents_.push_back(doc);
  return doc.id;
}

Document* StandaloneHost::find(F_ObjHandleT id) {
  for (Document& d : documents_)
    if (d.id == id) return &d;
  return nullptr;
}

F_ObjHandleT StandaloneHost::getId(F_ObjHandleT, F_ObjHandleT objId, IntT propNum) {
  Document* doc = find(docOf(objId));
  if (!doc) return 0;
  F_ObjHandleT offset = objId - doc->id;
  if (propNum == FP_MainFlowInDoc && offset == 0) return doc->id + 1;
  if (propNum == FP_FirstTextFrameInFlow && offset == 1) return doc->id + 2;
  if (propNum == FP_FirstPgf && offset == 2) return doc->id + 3;
  return 0;
}

void StandaloneHost::setTextRange(F_ObjHandleT, F_ObjHandleT objId, IntT propNum,
                                  const F_TextRangeT& range) {
  Document* doc = find(objId);
  if (!doc || propNum != FP_TextSelection) return;
  // A selection can only be made inside the document's own paragraph.
  if (range.beg.objId != doc->id + 3 || range.end.objId != doc->id + 3) return;
  doc->selection = range;
}

F_TextRangeT StandaloneHost::getTextRange(F_ObjHandleT, F_ObjHandleT objId, IntT propNum) {
  Document* doc = find(objId);
  if (!doc || propNum != FP_TextSelection) return {};
  return doc->selection;
}

F_PropValsT StandaloneHost::importDefaultParams() {
  F_PropValsT list;
  for (IntT prop : {4, 18, 7}) list.val.push_back({prop, 0});
  return list;
}

F_ObjHandleT StandaloneHost::import(F_ObjHandleT docId, const F_TextLocT& loc, ConStringT path,
                                    const F_PropValsT&, F_PropValsT* returned) {
  if (returned) returned->val.clear();
  Document* doc = find(docId);
  if (!doc || loc.objId != doc->id + 3) {
    std::fprintf(stderr, "Import of %s failed: no such insertion point\n", path);
    importFailed_ = true;
    return 0;
  }
  MifCheckResult check;
  std::shared_ptr<std::FILE> file;
  if (KeptFile* k = kept(path)) {
    // Checked as it was written: read again from its start when the document is saved.
    int fd = k->closed && !k->error ? fcntl(k->fd, F_DUPFD_CLOEXEC, 0) : -1;
    std::FILE* in = fd >= 0 ? fdopen(fd, "rb") : nullptr;
    if (fd >= 0 && !in) close(fd);
    if (in) file.reset(in, std::fclose);
    if (!file || std::fseek(file.get(), 0, SEEK_SET) != 0) {
      std::fprintf(stderr, "Import of %s failed: cannot read the file\n", path);
      importFailed_ = true;
      return 0;
    }
    check = k->checker.finish();
  } else {
    file.reset(std::fopen(path, "rb"), std::fclose);
    if (!file) {
      std::fprintf(stderr, "Import of %s failed: cannot read the file\n", path);
      importFailed_ = true;
      return 0;
    }
    MifChecker checker;
    std::vector<char> block(kBlock);
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), file.get())) > 0)
      checker.feed(block.data(), n);
    bool readFailed = std::ferror(file.get()) != 0;
    check = checker.finish();
    if (readFailed || std::fseek(file.get(), 0, SEEK_SET) != 0) {
      std::fprintf(stderr, "Import of %s failed: cannot read the file\n", path);
      importFailed_ = true;
      return 0;
    }
  }
  if (!check.ok) {
    std::fprintf(stderr, "Import of %s failed: line %d: %s\n", path, check.line,
                 check.message.c_str());
    importFailed_ = true;
    return 0;
  }
  if (KeptFile* k = kept(path); k && k->headerEnd >= 0) {
    doc->headerEnd = k->headerEnd;
    doc->room = k->room;
  } else {
    doc->headerEnd = -1;
    doc->room = 0;
  }
  doc->mif = std::move(file);
  doc->imported = true;
  return doc->id;
}

IntT StandaloneHost::updateDoc(F_ObjHandleT docId, IntT) {
  return find(docId) ? 0 : -1;
}

void StandaloneHost::returnValue(IntT value) {
  returned_ = static_cast<F_ObjHandleT>(value);
}

void StandaloneHost::bailOut() {
  bailedOut_ = true;
}

void StandaloneHost::conversionStopped() {
  stopped_ = true;
}

const Document* StandaloneHost::returnedDocument() const {
  for (const Document& d : documents_)
    if (d.id == returned_) return &d;
  return nullptr;
}

std::shared_ptr<std::FILE> contentOf(const std::string& text) {
  std::shared_ptr<std::FILE> file(std::tmpfile(), std::fclose);
  if (file && (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
               std::fseek(file.get(), 0, SEEK_SET) != 0))
    file.reset();
  return file;
}

// Copies the rest of `in` to `out` file to file inside the system where both are files that allow
// it; `in` is left where the copy stopped, and whatever is left (all of it where the system
// cannot copy) is for the caller to copy through memory. False on a write error.
bool copyRest(std::FILE* in, std::FILE* out) {
  int from = fileno(in);
  int to = fileno(out);
  long at = std::ftell(in);
  if (from < 0 || to < 0 || at < 0 || std::fflush(out) != 0) return true;
  off_t offset = at;
  for (;;) {
    ssize_t n = copy_file_range(from, &offset, to, nullptr, kCopyChunk, 0);
    if (n > 0) continue;
    if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
        errno != EBADF && offset > at)
      return false;  // part of the document went out and then the copy failed
    break;
  }
  return std::fseek(in, static_cast<long>(offset), SEEK_SET) == 0;
}

bool writeSavedDocument(const Document& doc, std::FILE* out) {
  std::FILE* in = doc.mif.get();
  if (!in || std::fseek(in, 0, SEEK_SET) != 0) return false;
  // The two header lines, with a line end after them even where the file has none.
  int c = 0;
  int last = '\n';
  for (int lines = 0; lines < 2 && (c = std::getc(in)) != EOF;) {
    if (std::putc(c, out) == EOF) return false;
    last = c;
    if (c == '\n') ++lines;
  }
  if (last != '\n') std::putc('\n', out);
  std::string head = documentStatement(doc.geometry);
  if (std::fwrite(head.data(), 1, head.size(), out) != head.size()) return false;
  // The room a kept file left there is not the document's.
  if (doc.room > 0 && doc.headerEnd >= 0 &&
      std::fseek(in, doc.headerEnd + static_cast<long>(doc.room), SEEK_SET) != 0)
    return false;
  if (!copyRest(in, out)) return false;
  std::vector<char> block(kBlock);
  std::size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) {
    if (std::fwrite(block.data(), 1, n, out) != n) return false;
  }
  return std::ferror(in) == 0 && std::ferror(out) == 0;
}

std::string documentStatement(const fdk::PageGeometry& g) {
  std::string head = "<Document\n";
  head += " <DPageSize " + inches(g.width) + " " + inches(g.height) + ">\n";
  head += " <DMargins " + inches(g.left) + " " + inches(g.top) + " " + inches(g.right) + " " +
          inches(g.bottom) + ">\n";
  head += " <DColumns " + std::to_string(g.columns) + ">\n";
  head += " <DColumnGap " + inches(g.columnGap) + ">\n";
  head += std::string(" <DTwoSides ") + (g.sidedness ? "Yes" : "No") + ">\n";
  head += "> # end of Document\n";
  return head;
}

int savedFormInPlace(const Document& doc) {
  if (!doc.mif || doc.headerEnd < 0 || doc.room == 0) return -1;
  std::string head = documentStatement(doc.geometry);
  if (head.size() != doc.room) return -1;
  int fd = fileno(doc.mif.get());
  if (fd < 0 || writeAllAt(fd, head.data(), head.size(), doc.headerEnd) != 0) return -1;
  return fd;
}

std::string savedDocumentText(const Document& doc) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&data, &size);
  if (!out) return {};
  bool ok = writeSavedDocument(doc, out);
  std::fclose(out);
  std::string text = ok && data ? std::string(data, size) : std::string();
  std::free(data);
  return text;
}

}  // namespace pendra::host
