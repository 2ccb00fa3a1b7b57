// Saving the command's files: whole or not at all, never over an input, devices written through.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "driver/driver.h"
#include "fdk/host.h"
#include "fdk/save_file.h"
#include "host/standalone_host.h"
#include "support/run_command.h"

namespace pendra::fdk {
namespace {

using testing::CommandResult;
using testing::runPendra;
using testing::slurp;
using testing::TempDir;

// A document of about `paragraphs` * 62 bytes whose MLP is about 1.4 times and whose MIF about
// six times its size.
std::string article(int paragraphs) {
  std::string text = "\\documentclass{article}\\begin{document}\n";
  for (int i = 0; i < paragraphs; ++i)
    text += "Some \\textbf{bold} caf\\'e text $x^2$ -- and more words here.\n\n";
  return text + "\\end{document}\n";
}

std::string afterFirstLine(const std::string& text) {
  std::size_t end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end);
}

mode_t modeOf(const std::filesystem::path& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(TemporaryName, FitsTheNameLimitAndSaysWhoseItIs) {
  EXPECT_EQ(temporaryName("paper.mif", 255), "paper.mif.pendra-XXXXXX");
  std::string longName(254, 'n');
  std::string tmp = temporaryName(longName, 255);
  EXPECT_EQ(tmp.size(), 255u);
  EXPECT_EQ(tmp.substr(tmp.size() - 14), ".pendra-XXXXXX");
  // A multibyte character is dropped whole, not cut.
  std::string accented = std::string(240, 'a') + "\xC3\xA9" + "tail";
  EXPECT_EQ(temporaryName(accented, 255), std::string(240, 'a') + ".pendra-XXXXXX");
}

// An unnamed file holding the whole content is put into place as the saved file, with the mode
// and owner the destination would have had; a file that has a name is never taken (it would end
// up sharing it with the destination), and then the content is written as usual.
TEST(Saving, AnUnnamedFileIsTakenWholeAndANamedOneNever) {
  TempDir dir("save-adopt");
  auto unnamed = [&](const std::string& text) {
    int fd = open(dir.path.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
      EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    }
    return fd;
  };
  mode_t mask = umask(022);
  // A new destination, and one whose mode is kept.
  for (bool exists : {false, true}) {
    if (exists) {
      dir.write("out.mif", "old\n");
      chmod((dir.path / "out.mif").c_str(), 0640);
    }
    int fd = unnamed("the whole content\n");
    ASSERT_GE(fd, 0);
    SavedFile file;
    ASSERT_TRUE(file.open((dir.path / "out.mif").string()));
    EXPECT_TRUE(file.adopt(fd));
    EXPECT_TRUE(file.commit());
    close(fd);
    EXPECT_EQ(slurp(dir.path / "out.mif"), "the whole content\n");
    EXPECT_EQ(modeOf(dir.path / "out.mif") & 07777, exists ? 0640u : 0644u);
    EXPECT_EQ(testing::namesIn(dir.path).size(), 1u);
  }
  // Never taken: a named file, a file that had a name and lost it, and any file where the
  // destination is written through.
  dir.write("named", "named\n");
  int named = open((dir.path / "named").c_str(), O_RDWR | O_CLOEXEC);
  std::FILE* lost = std::tmpfile();
  std::fputs("lost\n", lost);
  std::fflush(lost);
  for (int fd : {named, fileno(lost)}) {
    SavedFile file;
    ASSERT_TRUE(file.open((dir.path / "out.mif").string()));
    EXPECT_FALSE(file.adopt(fd));
    EXPECT_TRUE(file.write("written\n", 8));
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(slurp(dir.path / "out.mif"), "written\n");
    EXPECT_EQ(slurp(dir.path / "named"), "named\n");
    EXPECT_EQ(testing::namesIn(dir.path).size(), 2u);
  }
  int fd = unnamed("through\n");
  SavedFile through;
  ASSERT_TRUE(through.open("/dev/null"));
  EXPECT_FALSE(through.adopt(fd));
  EXPECT_TRUE(through.commit());
  close(fd);
  close(named);
  std::fclose(lost);
  umask(mask);
}

TEST(Saving, AFailedWriteEndsTheRunAndKeepsThePreviousOutput) {
  TempDir dir("save-full");
  dir.write("paper.tex", article(4000));
  dir.write("paper.mif", "the previous output\n");
  // The file size limit (in kilobytes) is hit by the MIF file (the MLP between the stages is
  // held in memory); the run must notice and leave the previous output as it was.
  for (const char* limit : {"100", "700"}) {
    CommandResult r =
        runPendra("-q paper.tex", dir.path, std::string("ulimit -f ") + limit + " &&");
    EXPECT_EQ(r.status, 3) << limit << "\n" << r.err;
    EXPECT_NE(r.err.find("File too large\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Cannot write the MIF file: File too large\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(slurp(dir.path / "paper.mif"), "the previous output\n");
    EXPECT_EQ(testing::namesIn(dir.path).size(), 2u);
  }
  // A device that refuses the bytes: the output and the MLP copy.
  CommandResult r = runPendra("-q -o /dev/full paper.tex", dir.path);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("Cannot write /dev/full: No space left on device\n"), std::string::npos)
      << r.err;
  dir.write("kept.mlp", "kept\n");
  r = runPendra("-q --mlp /dev/full -o kept.mif paper.tex", dir.path);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("Cannot write /dev/full: No space left on device\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "kept.mif"));
}

TEST(Saving, NoOutputReplacesTheSourceOrAnIncludedFile) {
  TempDir dir("save-input");
  dir.write("paper.tex", "Text \\input{part}\n");
  dir.write("part.tex", "included\n");
  std::filesystem::create_hard_link(dir.path / "paper.tex", dir.path / "alias.tex");
  for (const char* args :
       {"-o paper.tex paper.tex", "-o ./alias.tex paper.tex", "--mlp paper.tex paper.tex",
        "-o part.tex paper.tex", "--mlp part.tex paper.tex", "--from-mlp -o part.tex part.tex"}) {
    CommandResult r = runPendra(std::string("-q ") + args, dir.path);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
    EXPECT_NE(r.err.find("it is not overwritten\n"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(dir.path / "paper.tex"), "Text \\input{part}\n");
    EXPECT_EQ(slurp(dir.path / "part.tex"), "included\n");
    EXPECT_EQ(testing::namesIn(dir.path).size(), 3u) << args;
  }
  EXPECT_EQ(runPendra("-q -o same.mif --mlp same.mif paper.tex", dir.path).status, 2);
}

TEST(Saving, DevicesAndFifosAreWrittenThroughAndLinksKeptPointing) {
  TempDir dir("save-nodes");
  dir.write("a.tex", "text\n");
  ASSERT_EQ(runPendra("-q a.tex", dir.path).status, 0);
  CommandResult r = runPendra("-q -o /dev/stdout a.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<MIFFile 4.00>", 0), 0u);
  ASSERT_EQ(mkfifo((dir.path / "pipe").c_str(), 0600), 0);
  r = runPendra("-q -o pipe a.tex", dir.path, "(cat pipe > got &) &&");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(S_ISFIFO(modeOf(dir.path / "pipe")));
  // The command has closed its end; the reader's copy settles soon after.
  std::string got;
  for (int i = 0; i < 100; ++i) {
    usleep(20000);
    std::string now = slurp(dir.path / "got");
    if (!now.empty() && now == got) break;
    got = now;
  }
  EXPECT_EQ(got.rfind("<MIFFile 4.00>", 0), 0u);
  EXPECT_EQ(got, slurp(dir.path / "a.mif")) << "the same bytes as a file gets";
  // A symbolic link to a regular file: the target gets the new content and keeps its mode.
  dir.write("real.mif", "old\n");
  chmod((dir.path / "real.mif").c_str(), 0640);
  std::filesystem::create_symlink("real.mif", dir.path / "link.mif");
  r = runPendra("-q -o link.mif a.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(S_ISLNK(modeOf(dir.path / "link.mif")));
  EXPECT_EQ(modeOf(dir.path / "real.mif") & 07777, 0640u);
  EXPECT_EQ(slurp(dir.path / "real.mif").rfind("<MIFFile 4.00>", 0), 0u);
  // The longest name the system allows is a name the output may have.
  std::string longName = std::string(250, 'x') + ".mif";
  r = runPendra("-q -o " + longName + " --mlp " + std::string(250, 'y') + ".mlp a.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(dir.path / longName).rfind("<MIFFile 4.00>", 0), 0u);
}

TEST(Saving, NoSignalLeavesAFileBehindOrTakesAnExistingOne) {
  TempDir dir("save-signals");
  dir.write("big.tex", article(25000));
  ASSERT_EQ(runPendra("-q --mlp big.mlp -o out.mif big.tex", dir.path).status, 0);
  std::string whole = slurp(dir.path / "big.mlp");
  std::filesystem::remove(dir.path / "out.mif");
  dir.write("big.mlp", "an earlier MLP file\n");
  for (const char* sig : {"USR1", "ALRM", "XCPU", "PIPE"}) {
    for (const char* delay : {"0.05", "0.2", "0.4"}) {
      std::string cmd = "cd '" + dir.path.string() + "' && ('" + PENDRA_BINARY +
                        "' -q --mlp big.mlp -o out.mif big.tex 2>/dev/null & pid=$!; sleep " +
                        delay + "; kill -" + sig + " $pid 2>/dev/null; wait $pid) >/dev/null 2>&1";
      EXPECT_EQ(std::system(cmd.c_str()) == -1, false);
      bool finished = std::filesystem::exists(dir.path / "out.mif");
      EXPECT_EQ(testing::namesIn(dir.path).size(), finished ? 3u : 2u) << sig << " " << delay;
      // The MLP copy is the earlier file or the whole new one (its first line has the time).
      std::string mlp = slurp(dir.path / "big.mlp");
      EXPECT_TRUE(mlp == "an earlier MLP file\n" || afterFirstLine(mlp) == afterFirstLine(whole))
          << sig << " " << delay;
      std::filesystem::remove(dir.path / "out.mif");
      dir.write("big.mlp", "an earlier MLP file\n");
    }
  }
}

// Converts paper.tex of `dir` in a child process whose files may not pass 100 KB, with the
// standalone host keeping the import files or not; true when a document was handed back. The
// console goes to `dir`/err.
bool convertUnderFileSizeLimit(const TempDir& dir, bool keepImportFiles) {
  std::filesystem::path err = dir.path / "err";
  pid_t child = fork();
  if (child < 0) return true;
  if (child == 0) {
    std::freopen(err.c_str(), "w", stderr);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100 * 1024, 100 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    host::StandaloneHost host;
    if (keepImportFiles) host.keepImportFiles(dir.path.string());
    installHost(&host);
    driver::DriverOptions options;
    options.progressTrace = false;
    driver::setOptions(options);
    F_ApiNotify(0, 0, (dir.path / "paper.tex").c_str(), 0);
    std::fflush(stderr);
    _exit(host.returnedDocument() ? 0 : 3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 3);
}

// Where the host keeps no files of its own (as inside FrameMaker), the MLP between the stages is
// in temporary files; a write that fails there ends the run with the reason, and no document.
// The standalone host writes the MIF file it keeps on a thread of its own: a write that fails
// there does the same.
TEST(Saving, AFailedWriteOfATemporaryFileIsNoticed) {
  for (bool keep : {false, true}) {
    TempDir dir(keep ? "save-kept-mif" : "save-tmp-mlp");
    dir.write("paper.tex", article(4000));
    EXPECT_FALSE(convertUnderFileSizeLimit(dir, keep));
    std::string err = slurp(dir.path / "err");
    const char* reason = keep ? "Cannot write the MIF file: File too large\n"
                              : "Cannot write the temporary MLP file: File too large\n";
    EXPECT_NE(err.find(reason), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "paper.mif"));
  }
}

TEST(Saving, NothingIsMadeBesideTheSource) {
  TempDir dir("save-beside");
  dir.write("paper.tex", article(2000));
  // A source in a directory where no file can be made, even by root.
  CommandResult r = runPendra("-q -o out.mif /proc/self/fd/3 3<paper.tex", dir.path);
  EXPECT_EQ(r.status, 0) << r.err;
  std::string expected = slurp(dir.path / "out.mif");
  EXPECT_NE(expected.find("# end of TextFlow"), std::string::npos);
  // Two runs on one source take no name from each other.
  for (int i = 0; i < 10; ++i) {
    std::string cmd = "cd '" + dir.path.string() + "' && ('" + PENDRA_BINARY +
                      "' -q paper.tex & '" + PENDRA_BINARY +
                      "' -q -o other.mif paper.tex; wait) >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(slurp(dir.path / "paper.mif"), expected) << i;
    EXPECT_EQ(slurp(dir.path / "other.mif"), expected) << i;
    EXPECT_EQ(testing::namesIn(dir.path).size(), 4u);
  }
}

// An output that replaces a file (on ext4, here) has its blocks sent to the disk a megabyte at a
// time as it is written: the document is the same as one written to standard output or in place
// of nothing.
TEST(Saving, AReplacedOutputIsTheDocumentWrittenAnyOtherWay) {
  TempDir dir("save-replace");
  dir.write("paper.tex", article(6000));  // some 2 MB of MIF
  CommandResult piped = runPendra("-q -o - paper.tex", dir.path);
  ASSERT_EQ(piped.status, 0) << piped.err;
  ASSERT_GT(piped.out.size(), std::size_t{2} << 20);
  for (int run = 0; run < 3; ++run) {
    CommandResult r = runPendra("-q paper.tex", dir.path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(slurp(dir.path / "paper.mif") == piped.out) << run;  // no 2 MB diff on failure
    EXPECT_EQ(testing::namesIn(dir.path).size(), 2u) << run;
  }
}

TEST(Saving, AKilledRunLeavesAtMostOneTemporaryNamedAsPendras) {
  TempDir dir("save-kill");
  dir.write("big.tex", article(25000));
  for (const char* delay : {"0.05", "0.15", "0.3", "0.45"}) {
    std::string cmd = "cd '" + dir.path.string() + "' && ('" + PENDRA_BINARY +
                      "' -q big.tex 2>/dev/null & pid=$!; sleep " + delay +
                      "; kill -KILL $pid 2>/dev/null; wait $pid) >/dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), -1);
    int others = 0;
    for (const std::string& name : testing::namesIn(dir.path)) {
      if (name == "big.tex" || name == "big.mif") continue;
      ++others;
      EXPECT_EQ(name.rfind("big.mif.pendra-", 0), 0u) << name;
      std::filesystem::remove(dir.path / name);
    }
    EXPECT_LE(others, 1) << delay;
    std::filesystem::remove(dir.path / "big.mif");
  }
}

}  // namespace
}  // namespace pendra::fdk
