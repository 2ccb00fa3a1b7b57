// The pendra command: converts a LaTeX file the way FrameMaker would through the filter, and
// saves the resulting document as MIF.
#include <malloc.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/huge_pages.h"
#include "driver/driver.h"
#include "fdk/host.h"
#include "fdk/save_file.h"
#include "host/batch.h"
#include "host/standalone_host.h"
#include "mif/writer.h"
#include "mlp/translate.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoDocument = 3;

const char kUsage[] =
    "usage: pendra [options] FILE...\n"
    "  FILE is LaTeX: convert it and save the document beside it as FILE.mif (extension\n"
    "  replaced), or to -o PATH\n"
    "  With several FILEs each is converted as if alone, its messages prefixed with its name,\n"
    "  then a summary line; -o names a directory (made if absent); the status is the worst.\n"
    "  --from-mlp     FILE is MLP: translate it and write the MIF file only\n"
    "  --mlp PATH     also keep the intermediate MLP file (prologue + body) at PATH\n"
    "  -o PATH        output path; \"-\" writes to standard output\n"
    "  -q, --quiet    no progress trace\n"
    "  -j, --jobs N   with several FILEs, convert N at once (default: one per processor)\n"
    "  -v, --verbose  report skipped MLP statements\n"
    "  --restricted   for documents from others: refuse included and EPS files named by absolute\n"
    "                 path, through .., or hidden (beginning with a dot)\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n"
    "exit status: 0 document written; 1 conversion stopped; 2 usage error; 3 no document\n";

struct Options {
  std::string file;
  std::vector<std::string> files;
  int jobs = 0;
  std::string output;
  std::string keepMlp;
  bool fromMlp = false;
  bool quiet = false;
  bool verbose = false;
  bool restricted = false;
};

// FILE's name with its extension replaced by .mif, in FILE's directory.
std::string defaultOutput(const std::string& file) {
  std::size_t slash = file.find_last_of('/');
  std::string dir = slash == std::string::npos ? "" : file.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  std::vector<char> name(base.begin(), base.end());
  name.resize(base.size() + std::strlen(pendra::driver::kMifExtension) + 1, '\0');
  pendra::driver::replaceExtension(name.data(), pendra::driver::kMifExtension);
  return dir + name.data();
}

constexpr std::size_t kConsoleBuffer = 1 << 14;

int usageError(const char* message) {
  if (message) std::fprintf(stderr, "pendra: %s\n", message);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// Saves the content `write` puts into the stream to `path`, whole or not at all; `whole`, where
// not -1, is an unnamed file that already holds that content, put into place instead of a copy
// where it can be. The exit status on failure: 2 where `path` is a file the run read, 3
// otherwise; 0 when saved.
int save(const std::string& path, const std::function<bool(std::FILE*)>& write, int whole = -1) {
  pendra::fdk::SavedFile file;
  if (file.open(path)) {
    bool taken = whole >= 0 && file.adopt(whole);
    if (!taken && !write(file.stream())) file.writeFailed();
    if (file.commit()) return kExitOk;
  }
  std::fprintf(stderr, "%s\n", file.error().c_str());
  return file.refusedAsInput() ? kExitUsage : kExitNoDocument;
}

struct FileId {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
};

FileId idOf(const std::string& path) {
  struct stat st;
  FileId id;
  if (path != "-" && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    id = {true, st.st_dev, st.st_ino};
  return id;
}

bool sameFile(const FileId& a, const FileId& b) {
  return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

// The output and the MLP copy may be neither the source nor each other: refused before any work
// is done (the files the source includes are checked when they are known, at the save).
int checkDestinations(const Options& opt, const std::string& out) {
  FileId source = idOf(opt.file);
  FileId output = idOf(out);
  FileId mlp = opt.keepMlp.empty() ? FileId() : idOf(opt.keepMlp);
  const std::string* refused = sameFile(source, output) ? &out
                               : sameFile(source, mlp)  ? &opt.keepMlp
                                                        : nullptr;
  if (refused) {
    std::fprintf(stderr, "pendra: %s is a file this conversion reads; it is not overwritten\n",
                 refused->c_str());
    return kExitUsage;
  }
  if (!opt.keepMlp.empty() && (opt.keepMlp == out || sameFile(output, mlp)))
    return usageError("-o and --mlp name the same file");
  return kExitOk;
}

// Where the standalone host keeps the MIF file it imports: beside the output, so that the saved
// document is copied within one file system; the temporary directory where the output is no
// regular file.
std::string scratchDirectory(const std::string& out) {
  struct stat st;
  if (out == "-" || out.rfind("/dev/", 0) == 0 || out.rfind("/proc/", 0) == 0 ||
      (stat(out.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
    return "";
  std::size_t slash = out.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : out.substr(0, slash);
}

// Whether the directory is on ext4 (or ext2 or ext3, which share its magic number and its driver),
// whose rename writes out the blocks of a file that replaces another before it returns.
bool onExt4(const std::string& dir) {
  constexpr long kExt4Magic = 0xEF53;
  struct statfs fs;
  return statfs(dir.c_str(), &fs) == 0 && fs.f_type == kExt4Magic;
}

int convertMlp(const Options& opt) {
  std::string out = opt.output.empty() ? defaultOutput(opt.file) : opt.output;
  if (int status = checkDestinations(opt, out)) return status;
  FilePathT in = F_PathNameToFilePath(opt.file.c_str(), nullptr, FDefaultPlatform);
  ChannelT channel = in ? F_ChannelOpen(in, "r") : nullptr;
  if (in) F_FilePathFree(in);
  if (!channel) {
    std::fprintf(stderr, "Cannot read %s\n", opt.file.c_str());
    return kExitNoDocument;
  }
  bool ok = pendra::mlp::translateMlp(channel, opt.verbose, pendra::driver::kVersionText);
  F_ChannelClose(channel);
  if (!ok) return kExitNoDocument;
  ChannelT mif = F_ChannelMakeTmp(1024);
  if (!mif) return kExitNoDocument;
  pendra::mif::writeMif(mif, true);
  int failure = pendra::fdk::channelError(mif);
  if (pendra::mif::mifWriteFailed() || failure != 0 || F_ChannelSeek(mif, 0, SEEK_SET) != 0) {
    if (!failure) failure = pendra::fdk::lastChannelError();
    std::fprintf(stderr, "Cannot write the temporary MIF file: %s\n",
                 std::strerror(failure ? failure : EIO));
    F_ChannelCloseTmp(mif);
    return kExitNoDocument;
  }
  int status = save(out, [mif](std::FILE* file) {
    std::vector<char> block(1 << 16);
    std::size_t n;
    while ((n = F_ChannelRead(block.data(), 1, block.size(), mif)) > 0) {
      if (std::fwrite(block.data(), 1, n, file) != n) return false;
    }
    return true;
  });
  F_ChannelCloseTmp(mif);
  return status;
}

int convertLatex(const Options& opt) {
  std::string out = opt.output.empty() ? defaultOutput(opt.file) : opt.output;
  if (int status = checkDestinations(opt, out)) return status;
  pendra::host::StandaloneHost host;
  std::string scratch = scratchDirectory(out);
  // An output that is there already is replaced by a rename.
  host.keepImportFiles(scratch, !scratch.empty() && idOf(out).exists && onExt4(scratch));
  pendra::fdk::installHost(&host);
  pendra::driver::DriverOptions dopt;
  dopt.progressTrace = !opt.quiet;
  dopt.verbose = opt.verbose;
  dopt.keepMlpPath = opt.keepMlp;
  dopt.restricted = opt.restricted;
  pendra::driver::setOptions(dopt);
  F_ApiInitialize(1);
  F_ApiNotify(0, 0, opt.file.c_str(), 0);
  pendra::fdk::installHost(nullptr);
  if (host.stopped()) return kExitStopped;
  if (pendra::driver::inputOverwriteRefused()) return kExitUsage;
  const pendra::host::Document* doc = host.returnedDocument();
  if (!doc || host.importFailed() || !doc->imported) return kExitNoDocument;
  // The kept MIF file becomes the saved document where it has the room for its statement.
  return save(
      out, [doc](std::FILE* file) { return pendra::host::writeSavedDocument(*doc, file); },
      pendra::host::savedFormInPlace(*doc));
}

// Several FILEs: each converted by the one-document path in a worker process of its own.
int convertSeveral(const Options& opt) {
  if (opt.output == "-") return usageError("-o - holds one document; several FILEs need -o DIR");
  if (!opt.keepMlp.empty()) return usageError("--mlp keeps the MLP of one FILE only");
  std::vector<std::string> outputs;
  for (const std::string& file : opt.files) {
    std::string out = defaultOutput(file);
    outputs.push_back(opt.output.empty() ? out : pendra::host::outputInDirectory(opt.output, out));
  }
  std::string message = pendra::host::sharedOutput(opt.files, outputs);
  if (message.empty() && !opt.output.empty())
    message = pendra::host::prepareOutputDirectory(opt.output);
  if (!message.empty()) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitUsage;
  }
  int jobs = opt.jobs ? opt.jobs : pendra::host::defaultJobs(opt.files.size());
  return pendra::host::runBatch(opt.files, jobs, [&](std::size_t i) {
    Options one = opt;
    one.file = opt.files[i];
    one.output = outputs[i];
    return opt.fromMlp ? convertMlp(one) : convertLatex(one);
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Under a limit on the address space (ulimit -v) every thread allocates from the one heap: a
  // heap of its own reserves 64 MB of address space for a thread at once, which a limit of some
  // tens of megabytes cannot spare beside the blocks the conversion maps.
  if (pendra::memory::addressSpaceLimited()) mallopt(M_ARENA_MAX, 1);
  // Messages and the progress trace go to standard error through a buffer that the console
  // flushes at line ends and every tenth of a second, rather than a system call per number.
  // (The buffer is given: asked for by size alone, the C library makes one of the file's block.)
  static char consoleBuffer[kConsoleBuffer];
  std::setvbuf(stderr, consoleBuffer, _IOFBF, kConsoleBuffer);
  pendra::fdk::installSignalCleanup();
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (a == "--version") {
      std::printf("pendra %s (MLP translator %s)\n", PENDRA_VERSION, pendra::driver::kVersionText);
      return kExitOk;
    } else if (a == "--from-mlp") {
      opt.fromMlp = true;
    } else if (a == "--mlp") {
      const char* v = value();
      if (!v) return usageError("--mlp needs a path");
      opt.keepMlp = v;
    } else if (a == "-o") {
      const char* v = value();
      if (!v) return usageError("-o needs a path");
      opt.output = v;
    } else if (a == "-q" || a == "--quiet") {
      opt.quiet = true;
    } else if (a == "-v" || a == "--verbose") {
      opt.verbose = true;
    } else if (a == "-j" || a == "--jobs" || (a.rfind("-j", 0) == 0 && a.size() > 2)) {
      const char* v = a.size() > 2 && a[1] == 'j' ? argv[i] + 2 : value();
      char* end = nullptr;
      long n = v ? std::strtol(v, &end, 10) : 0;
      if (!v || *end || end == v || n < 1 || n > pendra::host::kMaxJobs)
        return usageError(
            ("-j needs a number from 1 to " + std::to_string(pendra::host::kMaxJobs)).c_str());
      opt.jobs = static_cast<int>(n);
    } else if (a == "--restricted") {
      opt.restricted = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return usageError(("unknown option " + a).c_str());
    } else {
      opt.files.push_back(a);
    }
  }
  if (opt.files.empty()) return usageError(nullptr);
  if (opt.files.size() == 1) {
    opt.file = opt.files[0];
    return opt.fromMlp ? convertMlp(opt) : convertLatex(opt);
  }
  return convertSeveral(opt);
}
