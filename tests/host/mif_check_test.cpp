#include "host/mif_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "host/standalone_host.h"

namespace pendra::host {
namespace {

constexpr const char* kHeader = "<MIFFile 4.00> # created by pendra 2.01alpha\n";

TEST(MifCheck, AcceptsNestedStatementsStringsAndComments) {
  std::string mif = std::string(kHeader) +
                    "<Units Uin>\n"
                    "<TextFlow\n"
                    " <Para\n"
                    "  <PgfTag `Body'>\n"
                    "  <ParaLine <String `a \\> b \\q\\Q \\\\ \\t \\xd4 x'> > # line 6\n"
                    " > # end of Para\n"
                    ">\n";
  MifCheckResult r = checkMif(mif);
  EXPECT_TRUE(r.ok) << r.line << ": " << r.message;
}

TEST(MifCheck, NamesTheLineOfTheFault) {
  struct Case {
    const char* body;
    int line;
  } cases[] = {
      {"<A <B 1>\n", 3},           // statement never closed: reported at the end
      {"<A>\n>\n", 3},             // '>' with nothing open
      {"<A `unterminated>\n", 2},  // string runs into the line end
      {"<A `bad \\z escape'>\n", 2},
      {"< A>\n", 2},   // no name after '<'
      {"stray\n", 2},  // text outside any statement
  };
  for (const Case& c : cases) {
    MifCheckResult r = checkMif(std::string(kHeader) + c.body);
    EXPECT_FALSE(r.ok) << c.body;
    EXPECT_EQ(r.line, c.line) << c.body << " -> " << r.message;
  }
  EXPECT_FALSE(checkMif("<Units Uin>\n").ok);  // no MIFFile statement
  EXPECT_FALSE(checkMif("").ok);
}

TEST(MifCheck, WhiteSpaceAfterEachTokenKeepsLinesAndFaults) {
  // Indentation, and the spaces after a name or a value, are taken together with what comes
  // before them; the line count and the fault found after them must not change.
  struct Case {
    const char* body;
    const char* verdict;
  } cases[] = {
      {"<A\n\t\n\t  \n\t>\n>\n", "6 '>' without an open statement"},
      {"<A\n\t\t<B 1.0 pt  \t>\t\n\t  >   # end\n", "0 "},
      {"<A\n\t\t<\t>\n>\n", "3 statement name expected after '<'"},
      {"<A\n\t\t<B\t\t`x\\z'>\n>\n", "3 bad escape in string"},
      {"<A\n  <B  12 \t 34\t\t`open\n>\n", "3 unterminated string"},
      {"<A 1 2 \t\n>\n\t\t  stray\n", "4 text outside a statement"},
      {"<A>\n\t  \t", "0 "},  // a blank last line without a line feed
      {"<A\n\t<B>\n\t\t", "4 statement not closed at the end of the file"},
  };
  for (const Case& c : cases) {
    std::string file = std::string(kHeader) + c.body;
    MifCheckResult r = checkMif(file);
    EXPECT_EQ(std::to_string(r.line) + " " + r.message, c.verdict) << c.body;
    for (std::size_t block : {1, 2, 5, 1000}) {
      // Each block in an allocation of its own size, so that a read past its end is caught by
      // the address sanitizer.
      MifChecker checker;
      for (std::size_t at = 0; at < file.size(); at += block) {
        std::size_t size = std::min(block, file.size() - at);
        std::vector<char> copy(file.begin() + static_cast<std::ptrdiff_t>(at),
                               file.begin() + static_cast<std::ptrdiff_t>(at + size));
        checker.feed(copy.data(), copy.size());
      }
      MifCheckResult b = checker.finish();
      EXPECT_EQ(std::to_string(b.line) + " " + b.message, c.verdict) << c.body << " / " << block;
    }
  }
}

TEST(MifCheck, BlocksOfAnySizeGiveTheVerdictOfTheWholeFile) {
  // Faults near block and line boundaries: an escape, a name and a comment at a line end, a file
  // that ends without one.
  const std::string files[] = {
      std::string(kHeader) + "<A `x\\xd4'> # c\n<B\n<C 1>> # end\n",
      std::string(kHeader) + "<A `x\\xd'>\n",
      std::string(kHeader) + "<A\n<\n>\n",
      std::string(kHeader) + "<A <B `open\n>>\n",
      std::string(kHeader) + "<A> >",
      std::string(kHeader) + "<A 1",
      // The last line without a line feed: a backslash or an escape cut by the end of the file,
      // a name or a string running into it, a fault on it.
      std::string(kHeader) + "<A `x\\",
      std::string(kHeader) + "<A `x\\\n'>\n",
      std::string(kHeader) + "<A `x\\xd",
      std::string(kHeader) + "<A `x\\xd4",
      std::string(kHeader) + "<A `x\\xd4'>",
      std::string(kHeader) + "<A `x",
      std::string(kHeader) + "<Abc",
      std::string(kHeader) + "<A>\n<",
      std::string(kHeader) + "<A>\n>",
      std::string(kHeader) + "<A>\nstray",
      std::string(kHeader) + "<A # open at the end",
      "<MIFFile",
      "<MIFFile 4.00>",
  };
  for (const std::string& file : files) {
    MifCheckResult whole = checkMif(file);
    for (std::size_t block : {1, 2, 3, 7, 64}) {
      MifChecker checker;
      for (std::size_t at = 0; at < file.size(); at += block)
        checker.feed(file.data() + at, std::min(block, file.size() - at));
      MifCheckResult r = checker.finish();
      EXPECT_EQ(r.ok, whole.ok) << file << " in blocks of " << block;
      EXPECT_EQ(r.line, whole.line) << file << " in blocks of " << block;
      EXPECT_EQ(r.message, whole.message) << file << " in blocks of " << block;
    }
  }
  EXPECT_TRUE(checkMif(files[0]).ok);
  EXPECT_FALSE(checkMif(files[1]).ok);
  EXPECT_EQ(checkMif(files[3]).line, 2);
  EXPECT_FALSE(checkMif(files[17]).ok);
  EXPECT_TRUE(checkMif(files[18]).ok);
  // What each cut last line gives.
  auto verdict = [&](std::size_t i) {
    MifCheckResult r = checkMif(files[i]);
    return std::to_string(r.line) + " " + r.message;
  };
  EXPECT_EQ(verdict(6), "2 unterminated string");
  EXPECT_EQ(verdict(7), "2 bad escape in string");
  EXPECT_EQ(verdict(8), "2 bad escape in string");
  EXPECT_EQ(verdict(9), "2 unterminated string");
  EXPECT_EQ(verdict(10), "0 ");  // complete: only the line feed is missing
  EXPECT_EQ(verdict(11), "2 unterminated string");
  EXPECT_EQ(verdict(12), "2 statement not closed at the end of the file");
  EXPECT_EQ(verdict(13), "3 statement name expected after '<'");
  EXPECT_EQ(verdict(14), "3 '>' without an open statement");
  EXPECT_EQ(verdict(15), "3 text outside a statement");
  EXPECT_EQ(verdict(16), "2 statement not closed at the end of the file");
}

TEST(StandaloneHost, ImportRefusesAMalformedFileAndKeepsNoDocument) {
  StandaloneHost host;
  fdk::PageGeometry g;
  F_ObjHandleT doc = host.customDoc(g);
  F_ObjHandleT flow = host.getId(0, doc, FP_MainFlowInDoc);
  F_ObjHandleT frame = host.getId(doc, flow, FP_FirstTextFrameInFlow);
  F_ObjHandleT pgf = host.getId(doc, frame, FP_FirstPgf);
  ASSERT_NE(pgf, 0u);
  std::string path = ::testing::TempDir() + "bad-import.mif";
  {
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("<MIFFile 4.00>\n<Para\n", f);
    std::fclose(f);
  }
  F_TextLocT loc{pgf, 0};
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(host.import(doc, loc, path.c_str(), {}, nullptr), 0u);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("line 3"), std::string::npos) << err;
  EXPECT_TRUE(host.importFailed());
  std::remove(path.c_str());
}

TEST(StandaloneHost, ImportedContentOutlivesTheFileName) {
  // The filter deletes the intermediate file right after the import; the document keeps it.
  StandaloneHost host;
  F_ObjHandleT doc = host.customDoc(fdk::PageGeometry{});
  F_ObjHandleT pgf = host.getId(
      doc, host.getId(doc, host.getId(0, doc, FP_MainFlowInDoc), FP_FirstTextFrameInFlow),
      FP_FirstPgf);
  std::string path = ::testing::TempDir() + "good-import.mif";
  std::string body = "<Units Uin>\n<TextFlow <Para <ParaLine <String `kept'>>>>\n";
  {
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs((std::string(kHeader) + body).c_str(), f);
    std::fclose(f);
  }
  F_TextLocT loc{pgf, 0};
  ASSERT_EQ(host.import(doc, loc, path.c_str(), {}, nullptr), doc);
  std::remove(path.c_str());
  host.returnValue(static_cast<IntT>(doc));
  ASSERT_NE(host.returnedDocument(), nullptr);
  std::string saved = savedDocumentText(*host.returnedDocument());
  EXPECT_EQ(saved.rfind(kHeader, 0), 0u);
  EXPECT_NE(saved.find("> # end of Document\n<TextFlow <Para <ParaLine <String `kept'>>>>\n"),
            std::string::npos);
  // Saving twice gives the same text: the content is read from its start each time.
  EXPECT_EQ(savedDocumentText(*host.returnedDocument()), saved);
}

TEST(StandaloneHost, SavedDocumentHasItsGeometryAfterTheHeader) {
  Document doc;
  doc.geometry = {612 * 65536, 792 * 65536, 1,          18 * 65536, 72 * 65536,
                  72 * 65536,  72 * 65536,  72 * 65536, 0,          0};
  doc.mif = contentOf(std::string(kHeader) + "<Units Uin>\n<TextFlow>\n");
  std::string saved = savedDocumentText(doc);
  EXPECT_EQ(saved, std::string(kHeader) +
                       "<Units Uin>\n"
                       "<Document\n"
                       " <DPageSize 8.5\" 11.0\">\n"
                       " <DMargins 1.0\" 1.0\" 1.0\" 1.0\">\n"
                       " <DColumns 1>\n"
                       " <DColumnGap 0.25\">\n"
                       " <DTwoSides No>\n"
                       "> # end of Document\n"
                       "<TextFlow>\n");
  EXPECT_TRUE(checkMif(saved).ok);
}

// The whole content of an open file, read by its descriptor from the start.
std::string contentAt(int fd) {
  std::string text;
  char block[4096];
  ssize_t n;
  for (off_t at = 0; (n = pread(fd, block, sizeof block, at)) > 0; at += n) text.append(block, n);
  return text;
}

// A kept file is written with room after its header lines for the Document statement; where the
// document's statement fits that room, the save writes it there and the file is the saved form.
// Any other geometry, or a file too short to have header lines, is copied as before, the room
// left out.
TEST(StandaloneHost, AKeptFileBecomesTheSavedFormWhereItsStatementFitsTheRoom) {
  const fdk::PageGeometry letter = {612 * 65536, 792 * 65536, 1,          18 * 65536, 72 * 65536,
                                    72 * 65536,  72 * 65536,  72 * 65536, 0,          0};
  fdk::PageGeometry a4 = letter;
  a4.width = 595 * 65536;
  a4.height = 842 * 65536;
  fdk::PageGeometry twoSided = letter;
  twoSided.sidedness = 1;  // "Yes" is one byte longer than "No"
  std::string body = "<Units Uin>\n<TextFlow <Para <ParaLine <String `kept'>>>>\n";
  struct Case {
    std::string mif;
    fdk::PageGeometry geometry;
    bool inPlace;
  };
  const Case cases[] = {
      {std::string(kHeader) + body, letter, true},
      {std::string(kHeader) + "<Units Uin>\n", letter, true},  // nothing after the header
      {std::string(kHeader) + body, a4, false},
      {std::string(kHeader) + body, twoSided, false},
      {"<MIFFile 4.00>\n", letter, false},  // one line: no room was left
      {"<MIFFile 4.00>", letter, false},
  };
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kept-in-place";
  std::filesystem::create_directories(dir);
  for (const Case& c : cases) {
    // Written in pieces of every size, so that the header's line ends fall anywhere in them.
    for (std::size_t piece : {1u, 7u, 4096u}) {
      StandaloneHost host;
      host.keepImportFiles(dir.string());
      std::FILE* stream = nullptr;
      ASSERT_TRUE(host.createFile("paper.mif", &stream));
      ASSERT_NE(stream, nullptr);
      for (std::size_t at = 0; at < c.mif.size(); at += piece)
        std::fwrite(c.mif.data() + at, 1, std::min(piece, c.mif.size() - at), stream);
      ASSERT_EQ(std::fclose(stream), 0);
      F_ObjHandleT doc = host.customDoc(c.geometry);
      F_ObjHandleT pgf = host.getId(
          doc, host.getId(doc, host.getId(0, doc, FP_MainFlowInDoc), FP_FirstTextFrameInFlow),
          FP_FirstPgf);
      ASSERT_EQ(host.import(doc, F_TextLocT{pgf, 0}, "paper.mif", {}, nullptr), doc);
      EXPECT_TRUE(host.deleteFile("paper.mif"));  // as the filter does after the import
      host.returnValue(static_cast<IntT>(doc));
      const Document& saved = *host.returnedDocument();
      std::string expected = savedDocumentText(saved);
      std::size_t headerEnd = c.mif.find('\n', c.mif.find('\n') + 1);
      std::string header =
          c.mif.substr(0, headerEnd == std::string::npos ? c.mif.size() : headerEnd + 1);
      EXPECT_EQ(expected, header + (header.back() == '\n' ? "" : "\n") +
                              documentStatement(c.geometry) + c.mif.substr(header.size()))
          << piece;
      int fd = savedFormInPlace(saved);
      EXPECT_EQ(fd >= 0, c.inPlace) << piece << "\n" << c.mif;
      if (fd >= 0) {
        EXPECT_EQ(contentAt(fd), expected) << piece;
      }
      // The copy is the same after the file was made the saved form.
      EXPECT_EQ(savedDocumentText(saved), expected) << piece;
    }
  }
  std::filesystem::remove_all(dir);
}

// The file's writer gathers the pieces it is given into blocks, which its thread checks and writes
// in order: pieces of any size, smaller than a block, across blocks and larger than all of them
// together, arrive whole and once; the last block, never filled, is checked and written too.
TEST(StandaloneHost, AKeptFileOfManyBlocksArrivesWholeAndInOrder) {
  std::string body = "<Units Uin>\n<TextFlow\n";
  for (int i = 0; body.size() < (std::size_t{3} << 20); ++i)
    body += " <Para <ParaLine <String `line " + std::to_string(i) + "'>>>\n";
  std::string mif = std::string(kHeader) + body + ">\n";
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kept-blocks";
  std::filesystem::create_directories(dir);
  const std::size_t pieces[] = {1, 4095, 131072, 131073, 7, 600000, 65536, 2500000};
  for (bool faultAtTheEnd : {false, true}) {
    std::string text = faultAtTheEnd ? mif + "<Para\n" : mif;
    StandaloneHost host;
    host.keepImportFiles(dir.string());
    std::FILE* stream = nullptr;
    ASSERT_TRUE(host.createFile("paper.mif", &stream));
    ASSERT_NE(stream, nullptr);
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
      std::size_t n = std::min(pieces[i % std::size(pieces)], text.size() - at);
      ASSERT_EQ(std::fwrite(text.data() + at, 1, n, stream), n);
      at += n;
    }
    ASSERT_EQ(std::fclose(stream), 0);
    F_ObjHandleT doc = host.customDoc(fdk::PageGeometry{});
    F_ObjHandleT pgf = host.getId(
        doc, host.getId(doc, host.getId(0, doc, FP_MainFlowInDoc), FP_FirstTextFrameInFlow),
        FP_FirstPgf);
    ::testing::internal::CaptureStderr();
    F_ObjHandleT imported = host.import(doc, F_TextLocT{pgf, 0}, "paper.mif", {}, nullptr);
    std::string err = ::testing::internal::GetCapturedStderr();
    if (faultAtTheEnd) {
      EXPECT_EQ(imported, 0u);
      int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
      EXPECT_NE(err.find("line " + std::to_string(lines + 1)), std::string::npos) << err;
      continue;
    }
    ASSERT_EQ(imported, doc) << err;
    EXPECT_TRUE(host.deleteFile("paper.mif"));
    host.returnValue(static_cast<IntT>(doc));
    std::string saved = savedDocumentText(*host.returnedDocument());
    // The header's two lines, the Document statement, and every byte after them as written.
    std::string header = std::string(kHeader) + "<Units Uin>\n";
    std::string expected =
        header + documentStatement(fdk::PageGeometry{}) + text.substr(header.size());
    EXPECT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pendra::host
