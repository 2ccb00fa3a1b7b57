#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/reader_fixture.h"

namespace pendra::reader {
namespace {

namespace fs = std::filesystem;

class InputTest : public testing::ReaderFixture {
 protected:
  void SetUp() override {
    ReaderFixture::SetUp();
    dir_ = fs::temp_directory_path() / ("pendra-input-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    const char* old = std::getenv("TEXINPUTS");
    hadTexInputs_ = old != nullptr;
    if (old) oldTexInputs_ = old;
    sourceDir_ = F_PathNameToFilePath(dir_.c_str(), nullptr, 0);
    readerState().sourceDir = sourceDir_;
  }
  void TearDown() override {
    ReaderFixture::TearDown();
    readerState().sourceDir = nullptr;
    F_FilePathFree(sourceDir_);
    if (hadTexInputs_)
      setenv("TEXINPUTS", oldTexInputs_.c_str(), 1);
    else
      unsetenv("TEXINPUTS");
    fs::remove_all(dir_);
  }
  void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  // Reads characters to the end, noting the line of each one that is not a line feed.
  std::string linesOf() {
    std::string out;
    while (readerState().currentChar != kEndOfInput) {
      advance();
      int c = readerState().currentChar;
      if (c != '\n' && c != kEndOfInput)
        out += std::string(1, static_cast<char>(c)) + std::to_string(readerState().lineCounter);
    }
    return out;
  }
  std::string readAll() {
    std::string out;
    for (;;) {
      advance();
      if (readerState().currentChar == kEndOfInput) return out;
      out += static_cast<char>(readerState().currentChar);
    }
  }
  fs::path dir_;
  FilePathT sourceDir_ = nullptr;
  bool hadTexInputs_ = false;
  std::string oldTexInputs_;
};

TEST_F(InputTest, EachKindOfLineEndCountsOneLine) {
  feed("a\rb\nc\r\nd\r\re");
  EXPECT_EQ(linesOf(), "a1b2c3d4e6");
}

TEST_F(InputTest, LastLineWithoutLineFeedIsRead) {
  feed("one\ntwo");
  EXPECT_EQ(readAll(), "one\ntwo");
  EXPECT_EQ(readerState().lineCounter, 2);
}

TEST_F(InputTest, EmptyFileEndsAtOnce) {
  feed("");
  advance();
  EXPECT_EQ(readerState().currentChar, kEndOfInput);
}

TEST_F(InputTest, BlocksLongerThanTheBufferArriveWhole) {
  // A CR LF split across two blocks still ends one line.
  std::string text = std::string(kFileBlockSize - 1, 'a') + "\r\n";
  for (int i = 0; i < 5000; ++i) text += static_cast<char>('a' + i % 26);
  feed(text + "\nend");
  std::string expect =
      std::string(kFileBlockSize - 1, 'a') + "\n" + text.substr(kFileBlockSize + 1);
  EXPECT_EQ(readAll(), expect + "\nend");
  EXPECT_EQ(readerState().lineCounter, 3);
}

TEST_F(InputTest, IncludedFileResumesAfterTheArgument) {
  write(dir_ / "chap1.tex", "in1\nin2\n");
  feed("before\nxy rest\nlast");
  // Read up to the space after "xy", as the \input argument reader would leave it.
  while (!(readerState().currentChar == ' ' && readerState().lineCounter == 2)) advance();
  pushInputFile("chap1");
  EXPECT_STREQ(currentFileName(), "chap1.tex");
  std::string got;
  std::vector<int> lines;
  for (;;) {
    advance();
    int c = readerState().currentChar;
    if (c == kEndOfInput) break;
    got += static_cast<char>(c);
    lines.push_back(readerState().lineCounter);
  }
  EXPECT_EQ(got, "in1\nin2\n rest\nlast");
  EXPECT_EQ(lines[0], 1);  // first character of the included file
  EXPECT_EQ(lines[4], 2);  // "in2"
  EXPECT_EQ(lines[8], 2);  // the space after the argument, back on the including file's line
  EXPECT_EQ(lines.back(), 3);
}

TEST_F(InputTest, TexExtensionRule) {
  ::testing::internal::CaptureStderr();
  feed("x");
  pushInputFile("nofile");
  pushInputFile("a.tex");
  pushInputFile(".tex");
  pushInputFile("b.texx");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Unable to find file: nofile.tex\n"), std::string::npos);
  EXPECT_NE(err.find("Unable to find file: a.tex\n"), std::string::npos);
  EXPECT_NE(err.find("Unable to find file: .tex.tex\n"), std::string::npos);
  EXPECT_NE(err.find("Unable to find file: b.texx.tex\n"), std::string::npos);
  // The message carries the file and line prefixes.
  EXPECT_NE(err.find("test.tex: "), std::string::npos);
}

TEST_F(InputTest, SearchOrderSourceDirectoryThenTexInputs) {
  write(dir_ / "p1" / "x.tex", "first");
  write(dir_ / "p2" / "x.tex", "second");
  write(dir_ / "p2" / "y.tex", "only-in-p2");
  std::string list = ":" + (dir_ / "p1").string() + "::" + (dir_ / "p2").string();
  setenv("TEXINPUTS", list.c_str(), 1);
  auto contentOf = [](ChannelT ch) {
    char buf[64] = {};
    std::size_t n = F_ChannelRead(buf, 1, sizeof buf - 1, ch);
    F_ChannelClose(ch);
    return std::string(buf, n);
  };
  ChannelT ch = searchInputFile("x.tex");
  ASSERT_NE(ch, nullptr);
  EXPECT_EQ(contentOf(ch), "first");
  ch = searchInputFile("y.tex");
  ASSERT_NE(ch, nullptr);
  EXPECT_EQ(contentOf(ch), "only-in-p2");
  // Beside the main source comes first of all.
  write(dir_ / "x.tex", "beside");
  ch = searchInputFile("x.tex");
  ASSERT_NE(ch, nullptr);
  EXPECT_EQ(contentOf(ch), "beside");
  EXPECT_EQ(searchInputFile("none.tex"), nullptr);
}

TEST_F(InputTest, LongTexInputsElementIsCutAt255) {
  std::string base = dir_.string() + "/";
  std::string deep = base + std::string(255 - base.size(), 'd');
  ASSERT_EQ(deep.size(), 255u);
  write(fs::path(deep) / "cut.tex", "found");
  std::string element = deep + std::string(45, 'e');
  setenv("TEXINPUTS", element.c_str(), 1);
  ChannelT ch = searchInputFile("cut.tex");
  ASSERT_NE(ch, nullptr);
  F_ChannelClose(ch);
}

TEST_F(InputTest, SelfIncludingFileStopsAtTheDepthBound) {
  write(dir_ / "self.tex", "s");
  ::testing::internal::CaptureStderr();
  feed("main");
  for (std::size_t i = 0; i < kMaxOpenFiles + 5; ++i) pushInputFile("self");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(readerState().inputStack.size(), kMaxOpenFiles - 1);
  EXPECT_NE(err.find("Too many nested input files, not reading self.tex"), std::string::npos);
  std::string all = readAll();
  EXPECT_EQ(static_cast<std::size_t>(std::count(all.begin(), all.end(), 's')), kMaxOpenFiles - 1);
  EXPECT_TRUE(all.ends_with("\nmain"));
}

TEST_F(InputTest, InclusionsAreBoundedInNumberForTheWholeRun) {
  write(dir_ / "one.tex", "1");
  ::testing::internal::CaptureStderr();
  feed("main");
  for (std::size_t i = 0; i < kMaxFileInclusions; ++i) ASSERT_TRUE(inclusionAllowed("x.tex"));
  EXPECT_FALSE(inclusionAllowed("y.tex"));
  EXPECT_FALSE(inclusionAllowed("z.tex"));
  pushInputFile("one");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "test.tex: Too many file inclusions: not reading y.tex or any file after it\n");
  EXPECT_TRUE(readerState().inputStack.empty());
}

TEST_F(InputTest, ProgressTrace) {
  readerState().options.progressTrace = true;
  ::testing::internal::CaptureStderr();
  feed("a\nb\nc");
  readAll();
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "\nReading file test.tex\n 1 2 3");
}

}  // namespace
}  // namespace pendra::reader

namespace pendra::reader {
namespace {

class RestrictedTest : public testing::ReaderFixture {
 protected:
  void TearDown() override {
    readerState().options.restricted = false;
    ReaderFixture::TearDown();
  }
};

TEST_F(RestrictedTest, RefusesAbsoluteParentAndHiddenNames) {
  readerState().options.restricted = true;
  ::testing::internal::CaptureStderr();
  for (const char* name : {"/etc/passwd", "../up", "a/../../b", ".hidden", "dir/.git/config"})
    EXPECT_TRUE(restrictedPathRefused(name)) << name;
  for (const char* name : {"chap1.tex", "./chap1.tex", "sub/dir/x.tex", "a.b.tex"})
    EXPECT_FALSE(restrictedPathRefused(name)) << name;
  feed("x");
  pushInputFile("/etc/passwd");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Restricted mode: not reading /etc/passwd.tex"), std::string::npos) << err;
  EXPECT_EQ(err.find("Unable to find file"), std::string::npos);
  EXPECT_TRUE(readerState().inputStack.empty());
}

// Links inside the document's directory are followed by the system: in restricted mode the real
// path decides.
TEST_F(InputTest, RestrictedModeRefusesLinksLeadingOutOfTheDocumentsDirectory) {
  fs::path outside = dir_.parent_path() / ("pendra-outside-" + std::to_string(getpid()));
  fs::create_directories(outside);
  std::ofstream(outside / "secret.tex") << "S";
  fs::create_symlink(outside / "secret.tex", dir_ / "notes.tex");
  fs::create_directory_symlink(outside, dir_ / "linked");
  write(dir_ / "sub" / "ok.tex", "K");
  fs::create_symlink(dir_ / "sub" / "ok.tex", dir_ / "inner.tex");
  // "." is the document's directory in restricted mode, not the current directory.
  fs::path cwd = fs::current_path();
  fs::current_path(outside);
  setenv("TEXINPUTS", ".", 1);
  readerState().options.restricted = true;
  ::testing::internal::CaptureStderr();
  feed("m");
  for (const char* name : {"notes", "linked/secret", "secret", "sub/ok", "inner"})
    pushInputFile(name);
  std::string all = readAll();
  std::string err = ::testing::internal::GetCapturedStderr();
  // Without restricted mode the same link is read.
  readerState().options.restricted = false;
  feed("m");
  pushInputFile("notes");
  std::string unrestricted = readAll();
  fs::current_path(cwd);
  fs::remove_all(outside);
  EXPECT_EQ(all.find('S'), std::string::npos) << all;
  EXPECT_EQ(std::count(all.begin(), all.end(), 'K'), 2);
  EXPECT_NE(err.find("Restricted mode: not reading notes.tex"), std::string::npos) << err;
  EXPECT_NE(err.find("Restricted mode: not reading linked/secret.tex"), std::string::npos);
  EXPECT_NE(err.find("Unable to find file: secret.tex"), std::string::npos);
  EXPECT_EQ(err.find("Unable to find file: notes.tex"), std::string::npos);
  EXPECT_NE(unrestricted.find('S'), std::string::npos);
}

TEST_F(RestrictedTest, OffByDefault) {
  EXPECT_FALSE(restrictedPathRefused("/etc/passwd"));
}

}  // namespace
}  // namespace pendra::reader
