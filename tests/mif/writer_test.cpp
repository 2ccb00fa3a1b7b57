#include "mif/writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "mif/tree.h"

namespace pendra::mif {
namespace {

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMif("9.9");
    setCurrentTree(newMifTree());
  }

  static std::string written(bool final) {
    ChannelT channel = F_ChannelMakeTmp(1024);
    writeMif(channel, final);
    F_ChannelSeek(channel, 0, SEEK_SET);
    std::string text;
    char block[4096];
    std::size_t n;
    while ((n = F_ChannelRead(block, 1, sizeof block, channel)) > 0) text.append(block, n);
    F_ChannelCloseTmp(channel);
    return text;
  }
};

constexpr const char* kHeader = "<MIFFile 4.00> # created by pendra 9.9\n<Verbose No>\n";

TEST_F(WriterTest, EmptyTreeWritesOnlyTheHeader) {
  EXPECT_EQ(written(true), kHeader);
  EXPECT_EQ(written(false), "");
}

TEST_F(WriterTest, ValueFormats) {
  addLeaf(Op::FSize, 10.0f);
  addLeaf(Op::TLOrigin, 1.0f, 2.5f);
  addLeaf(Op::Pen, 15);
  addLeaf(Op::FBold, "Yes");
  addLeaf(Op::ScaleFactor, 0.25f);
  addLeaf(Op::XRefEnd);
  addLeaf(Op::BRect, 0.0f, 0.125f, 6.5f, -1.0f);
  addLeaf(Op::TFTag, "A");
  beginGroup(Op::Math);
  beginString(Op::MathFullForm);
  flushString();
  endGroup(Op::Math);
  EXPECT_EQ(written(true), std::string(kHeader) +
                               "<FSize 10.0 pt>\n"
                               "<TLOrigin 1.00\" 2.50\">\n"
                               "<Pen 15>\n"
                               "<FBold Yes>\n"
                               "<ScaleFactor 0.25>\n"
                               "<XRefEnd>\n"
                               "<BRect 0.00\" 0.12\" 6.50\" -1.00\">\n"
                               "<TFTag `A'>\n"
                               "<Math\n"
                               "  <MathFullForm `** NULL **'>\n"
                               "> # [[last node]]\n");
  // Written with `final`, the tree is empty afterwards.
  EXPECT_EQ(currentTree()->first, nullptr);
}

TEST_F(WriterTest, NumbersComeOutAsPrintfWritesThem) {
  // Halfway cases, negative zero and values that round to it, the float limits, NaN, and a spread
  // of bit patterns: each must read as "%.2f" (F) and "%.1f" (D) print it.
  std::vector<float> values = {0.125f,
                               0.375f,
                               2.675f,
                               0.005f,
                               1.005f,
                               0.0f,
                               -0.0f,
                               -0.001f,
                               -0.05f,
                               0.05f,
                               0.25f,
                               FLT_MAX,
                               -FLT_MAX,
                               FLT_MIN,
                               1e10f,
                               12345.678f,
                               std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity()};
  std::uint32_t bits = 12345;
  for (int i = 0; i < 2000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    float f;
    std::uint32_t b = (bits & 0x807fffffu) | ((100u + (bits >> 23) % 60u) << 23);
    std::memcpy(&f, &b, sizeof f);
    values.push_back(f);
    // Values of the usual size, many of them exact halves at the printed precision.
    values.push_back(static_cast<float>(static_cast<int>(bits % 400000) - 200000) / 64.0f);
    values.push_back(static_cast<float>(static_cast<int>(bits % 4000) - 2000) / 8.0f);
  }
  for (float big : {16777216.0f, 16777217.0f, 33554432.0f, 4294967296.0f, 3e20f, 1e-40f, -1e-45f})
    values.push_back(big);
  std::vector<std::string> expected;
  for (float v : values) {
    addLeaf(Op::ScaleFactor, v);
    addLeaf(Op::FSize, v);
    char text[128];
    std::snprintf(text, sizeof text, "<ScaleFactor %.2f>", static_cast<double>(v));
    expected.push_back(text);
    std::snprintf(text, sizeof text, "<FSize %.1f pt>", static_cast<double>(v));
    expected.push_back(text);
  }
  std::string text = written(true);
  std::vector<std::string> lines;
  std::size_t at = text.find("<Verbose No>\n") + 13;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    std::string line = text.substr(at, end - at);
    line = line.substr(0, line.find(" #"));
    lines.push_back(line);
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != expected[i]) {
      ADD_FAILURE() << "line " << i << ": " << lines[i] << " instead of " << expected[i];
      break;
    }
  }
}

TEST_F(WriterTest, StringEscapes) {
  addLeaf(Op::String, "`q'>\\\t\nx\r\xE9y");
  addLeaf(Op::PgfTag, "a>b");
  EXPECT_EQ(written(false),
            "<String `\\Qq\\q\\>\\\\\\tx\\xe9 y'>\n"
            "<PgfTag `a\\>b'> # [[last node]]\n");
}

// Strings are searched sixteen bytes at a time for the bytes that need an escape: each such byte
// at every place of a first, second and third block, and plain text of every length around it.
TEST_F(WriterTest, StringEscapesAtEveryPlaceOfALongString) {
  const std::pair<char, std::string> escapes[] = {
      {'`', "\\Q"},  {'\'', "\\q"}, {'>', "\\>"},       {'\\', "\\\\"},
      {'\t', "\\t"}, {'\n', ""},    {'\xE9', "\\xe9 "}, {'\x80', "\\x80 "}};
  std::string expected = kHeader;
  int line = 2;
  for (const auto& [byte, escaped] : escapes) {
    for (std::size_t at = 0; at < 40; at += 3) {
      std::string text(at, 'a');
      text += byte;
      text += std::string(47 - at, 'b');
      addLeaf(Op::String, text.c_str());
      expected += "<String `" + std::string(at, 'a') + escaped + std::string(47 - at, 'b') + "'>";
      if (++line % 20 == 0) expected += " # line " + std::to_string(line);
      expected += "\n";
    }
  }
  std::string text = written(true);
  ASSERT_GE(text.size(), expected.size());
  // The last line is marked as the cursor's; the lines before it are compared whole.
  EXPECT_EQ(text.substr(0, expected.rfind('\n', expected.size() - 2)),
            expected.substr(0, expected.rfind('\n', expected.size() - 2)));
}

// A short string goes into its line's room, a long one into the output in pieces: an escape at
// either end of strings of every length around those limits, as a string and as a keyword.
TEST_F(WriterTest, StringsAroundTheLengthsTheyAreWrittenBy) {
  std::deque<std::string> texts;  // tags and keywords are held by reference
  std::string expected = kHeader;
  int line = 2;
  for (std::size_t length : {1u, 47u, 48u, 49u, 50u, 204u, 205u, 1023u, 1024u, 1025u, 5121u}) {
    const std::string& front = texts.emplace_back(length, 'a');
    texts.back()[0] = '>';
    const std::string& back = texts.emplace_back(std::string(length - 1, 'b') + "\xE9");
    const std::string& keyword = texts.emplace_back(length, 'k');
    addLeaf(Op::String, front.c_str());
    addLeaf(Op::PgfTag, back.c_str());
    addLeaf(Op::AnchorAlign, keyword.c_str());
    std::string statements[3] = {"<String `\\>", "<PgfTag `", "<AnchorAlign "};
    statements[0].append(front, 1).append("'>");
    statements[1].append(back, 0, length - 1).append("\\xe9 '>");
    statements[2].append(keyword).append(">");
    for (const std::string& statement : statements) {
      expected += statement;
      if (++line % 20 == 0) expected += " # line " + std::to_string(line);
      expected += "\n";
    }
  }
  std::string text = written(true);
  EXPECT_EQ(text.substr(0, expected.rfind('\n', expected.size() - 2)),
            expected.substr(0, expected.rfind('\n', expected.size() - 2)));
}

TEST_F(WriterTest, IndentationAndEndComments) {
  beginGroup(Op::TextFlow);
  beginGroup(Op::Para);
  beginGroup(Op::Pgf);
  beginGroup(Op::PgfFont);
  for (int i = 0; i < 5; ++i) addLeaf(Op::Pen, i);
  endGroup(Op::PgfFont);
  for (int i = 0; i < 5; ++i) addLeaf(Op::Fill, i);
  endGroup(Op::Pgf);
  endGroup(Op::Para);
  endGroup(Op::TextFlow);
  std::string expected =
      "<TextFlow\n"
      "  <Para\n"
      "\t<Pgf\n"
      "\t  <PgfFont\n";
  for (int i = 0; i < 5; ++i) expected += "\t\t<Pen " + std::to_string(i) + ">\n";
  expected += "\t  >\n";  // five children: no end comment
  for (int i = 0; i < 5; ++i) expected += "\t  <Fill " + std::to_string(i) + ">\n";
  expected +=
      "\t> # end of Pgf\n"  // six children
      "  >\n"
      "> # line 20 # [[last node]]\n";  // 18 lines after the two of the header
  EXPECT_EQ(written(false), expected);
}

TEST_F(WriterTest, EveryTwentiethLineCarriesItsNumber) {
  // Counting the two header lines, the group opening is line 3 and the leaves follow.
  beginGroup(Op::TextFlow);
  for (int i = 0; i < 17; ++i) addLeaf(Op::Pen, i);   // lines 4 to 20
  beginGroup(Op::Para);                               // line 21 opens, 40 will close
  for (int i = 0; i < 18; ++i) addLeaf(Op::Fill, i);  // lines 22 to 39
  endGroup(Op::Para);
  endGroup(Op::TextFlow);
  std::string text = written(true);
  EXPECT_NE(text.find("  <Pen 16> # line 20\n"), std::string::npos);
  EXPECT_NE(text.find("  > # end of Para # line 40\n"), std::string::npos);
  EXPECT_EQ(text.find("# line 21"), std::string::npos);
  // A group opening on a twentieth line carries the comment on its opening line.
  initMif("9.9");
  setCurrentTree(newMifTree());
  for (int i = 0; i < 17; ++i) addLeaf(Op::Pen, i);  // lines 3 to 19
  beginGroup(Op::Para);                              // line 20
  addLeaf(Op::Pen, 99);
  endGroup(Op::Para);
  EXPECT_NE(written(true).find("<Para # line 20\n  <Pen 99>\n> # [[last node]]\n"),
            std::string::npos);
}

TEST_F(WriterTest, CursorInsideAGroupIsMarked) {
  beginGroup(Op::Notes);
  addLeaf(Op::Pen, 1);
  EXPECT_EQ(written(false), "<Notes\n  <Pen 1> # [[last node]]\n>\n");
}

TEST_F(WriterTest, PlaceholderIsSkippedAndRawTextStandsAsItIs) {
  beginGroup(Op::Frame);
  addRawText("<Pen 0>\n<Fill 7>\n");
  endGroup(Op::Frame);
  beginGroup(Op::ParaLine);
  addLeaf(Op::String, "x");
  endGroup(Op::ParaLine);
  EXPECT_EQ(written(false),
            "<Frame\n"
            "  <Pen 0>\n<Fill 7>\n"
            ">\n"
            "<ParaLine\n"
            "  <String `x'>\n"
            "> # [[last node]]\n");
}

// A document built the way the translation builds one: a body and notes in trees of their own,
// spliced into the text flow at the end. Streaming must not change a byte of the file.
std::string streamedDocument(bool streaming, std::size_t* bodyNodesHeld,
                             std::string (*written)(bool), int paragraphs = 200) {
  setStreaming(streaming);
  initMif("9.9");
  MifTree* top = newMifTree();
  setCurrentTree(top);
  addLeaf(Op::Units, "Uin");
  MifTree* notes = newMifTree();
  setCurrentTree(notes);
  beginGroup(Op::Notes);
  streamTree(notes);
  MifTree* body = newMifTree();
  setCurrentTree(body);
  streamTree(body);
  for (int i = 0; i < paragraphs; ++i) {
    beginGroup(Op::Para);
    addLeaf(Op::PgfTag, "Body");
    beginGroup(Op::ParaLine);
    addLeaf(Op::String, i % 3 ? "plain `text' with > and \\" : "\x8a caf\xe9");
    if (i % 7 == 0) addRawText("<Char HardReturn>\n<Char Tab>\n");
    endGroup(Op::ParaLine);
    endGroup(Op::Para);
    if (i % 5 == 0) {
      setCurrentTree(notes);
      beginGroup(Op::FNote);
      addLeaf(Op::ID, i);
      endGroup(Op::FNote);
      setCurrentTree(body);
    }
  }
  *bodyNodesHeld = 0;
  for (MifNode* n = body->first; n; n = n->last ? nullptr : n->next) ++*bodyNodesHeld;
  setCurrentTree(top);
  beginGroup(Op::TextFlow);
  spliceTree(notes);
  spliceTree(body);
  endGroup(Op::TextFlow);
  std::string text = written(true);
  setStreaming(true);
  return text;
}

TEST_F(WriterTest, StreamedTreesWriteTheSameFileWhileHoldingLittle) {
  std::size_t heldWhole = 0;
  std::size_t heldStreamed = 0;
  std::string whole = streamedDocument(false, &heldWhole, written);
  std::string streamed = streamedDocument(true, &heldStreamed, written);
  EXPECT_EQ(streamed, whole);
  // The comparison covers line numbers, end comments and raw text across the streamed part.
  EXPECT_NE(whole.find("# line 200\n"), std::string::npos);
  EXPECT_NE(whole.find("> # end of TextFlow"), std::string::npos);
  EXPECT_NE(whole.find("> # end of Notes"), std::string::npos);
  EXPECT_NE(whole.find("\n<Char Tab>\n"), std::string::npos);
  EXPECT_EQ(heldWhole, 200u);
  EXPECT_LE(heldStreamed, kSpillBatch + 1);  // the stand-in and the last batch of paragraphs
}

// Many batches: the nodes written out come back to be built again, and the file is the same.
TEST_F(WriterTest, LongStreamedDocumentWritesTheSameFile) {
  std::size_t held = 0;
  std::string whole = streamedDocument(false, &held, written, 6000);
  std::string streamed = streamedDocument(true, &held, written, 6000);
  EXPECT_EQ(streamed.size(), whole.size());
  EXPECT_TRUE(streamed == whole);
  EXPECT_NE(whole.find("<ID 5995>"), std::string::npos);
  EXPECT_LE(held, kSpillBatch + 1);
}

// A streamed tree dropped after some of its nodes were written out: its file goes, and nothing of
// it reaches the document.
TEST_F(WriterTest, DroppingAStreamedTreeWhileItIsWritten) {
  initMif("9.9");
  MifTree* top = newMifTree();
  setCurrentTree(top);
  addLeaf(Op::Units, "Uin");
  for (int round = 0; round < 3; ++round) {
    MifTree* dropped = newMifTree();
    setCurrentTree(dropped);
    beginGroup(Op::Notes);
    streamTree(dropped);
    for (int i = 0; i < 3000; ++i) {
      beginGroup(Op::FNote);
      addLeaf(Op::ID, 100000 + i);
      endGroup(Op::FNote);
    }
    endGroup(Op::Notes);
    discardTree(dropped);
    setCurrentTree(top);
  }
  addLeaf(Op::Units, "Ucm");
  std::string text = written(true);
  EXPECT_EQ(text.find("100000"), std::string::npos);
  EXPECT_NE(text.find("<Units Ucm>"), std::string::npos);
}

// Tables and pictures built the way the translation builds them: rows of `cells[i]` cells, whose
// cells are streamed inside the streamed table body, and a picture whose objects (and those of a
// picture nested in it) are streamed inside the streamed AFrames group. Counts the most nodes held
// and spills at once while the rows and pictures are built.
struct Held {
  std::size_t nodes = 0;
  std::size_t spills = 0;
};
std::string nestedDocument(bool streaming, const std::vector<int>& cells, int objects, Held* peak,
                           std::string (*written)(bool)) {
  setStreaming(streaming);
  initMif("9.9");
  *peak = Held{};
  auto measure = [peak] {
    peak->nodes = std::max(peak->nodes, liveNodeCount());
    peak->spills = std::max(peak->spills, spillCount());
  };
  MifTree* top = newMifTree();
  setCurrentTree(top);
  addLeaf(Op::Units, "Uin");
  MifTree* tables = newMifTree();
  setCurrentTree(tables);
  beginGroup(Op::Tbls);
  streamTree(tables);
  MifTree* table = newMifTree();
  setCurrentTree(table);
  beginGroup(Op::Tbl);
  addLeaf(Op::TblID, 1);
  beginGroup(Op::TblBody);
  streamTree(table);
  for (std::size_t row = 0; row < cells.size(); ++row) {
    beginGroup(Op::Row);
    streamGroup();
    for (int cell = 0; cell < cells[row]; ++cell) {
      beginGroup(Op::Cell);
      if (cell % 9 == 4) addLeaf(Op::CellColumns, 2);
      beginGroup(Op::CellContent);
      beginGroup(Op::Para);
      addLeaf(Op::PgfTag, "CellBody");
      beginGroup(Op::ParaLine);
      addLeaf(Op::String, cell % 3 ? "x" : "`cell' > 0");
      endGroup(Op::ParaLine);
      endGroup(Op::Para);
      endGroup(Op::CellContent);
      endGroup(Op::Cell);
      measure();
    }
    endGroup(Op::Row);
  }
  endGroup(Op::TblBody);
  endGroup(Op::Tbl);
  setCurrentTree(tables);
  spliceTree(table);
  MifTree* frames = newMifTree();
  setCurrentTree(frames);
  beginGroup(Op::AFrames);
  streamTree(frames);
  auto picture = [&](int count, int depth, auto& self) -> void {
    beginGroup(Op::Frame);
    streamGroup();
    addLeaf(Op::ID, depth);
    for (int i = 0; i < count; ++i) {
      if (depth < 3 && i == count / 2) self(count, depth + 1, self);
      beginGroup(Op::PolyLine);
      addLeaf(Op::Point, 0.0f, static_cast<float>(i));
      addLeaf(Op::Point, 1.0f, static_cast<float>(depth));
      endGroup(Op::PolyLine);
      measure();
    }
    endGroup(Op::Frame);
  };
  picture(objects, 1, picture);
  setCurrentTree(top);
  spliceTree(tables);
  spliceTree(frames);
  std::string text = written(true);
  setStreaming(true);
  return text;
}

// Every row length from one cell to a few batches and one far past them: each batch boundary of a
// row, and of the rows around it, must leave the file as it is without streaming.
TEST_F(WriterTest, StreamedRowsAndPicturesWriteTheSameFile) {
  std::vector<int> cells;
  for (int n = 1; n <= 3 * static_cast<int>(kSpillBatch) + 2; ++n) cells.push_back(n);
  cells.push_back(500);
  Held peakWhole;
  Held peakStreamed;  // (held nodes: see the next test)
  std::string whole = nestedDocument(false, cells, 300, &peakWhole, written);
  std::string streamed = nestedDocument(true, cells, 300, &peakStreamed, written);
  EXPECT_EQ(streamed.size(), whole.size());
  EXPECT_TRUE(streamed == whole);
  EXPECT_NE(whole.find("> # end of Row"), std::string::npos);
  EXPECT_NE(whole.find("> # end of Frame"), std::string::npos);
  EXPECT_NE(whole.find("\t\t<Cell\n"), std::string::npos);  // cells four levels in
}

// One row of many cells and one picture of many objects hold a bounded number of nodes however
// long they grow, and the spills of finished rows and pictures are used again.
TEST_F(WriterTest, LongRowsAndPicturesHoldABoundedNumberOfNodes) {
  auto peakFor = [](int length) {
    Held peak;
    std::vector<int> rows(300, 40);
    rows.push_back(length);
    nestedDocument(true, rows, length, &peak, written);
    return peak;
  };
  Held shorter = peakFor(2000);
  Held longer = peakFor(40000);
  // A completed row waits in its table's batch with its last cells (eight nodes each) until the
  // batch goes out: at most a batch of rows, each with a batch of cells (seven or eight nodes),
  // whatever their length.
  EXPECT_LT(longer.nodes, kSpillBatch * kSpillBatch * 8);
  EXPECT_LE(longer.nodes, shorter.nodes + 8 * kSpillBatch);
  // A spill for each completed row in that batch and for each open group: reused, not kept.
  EXPECT_LT(longer.spills, kSpillBatch + 10);
  // Without streaming the same rows hold every cell.
  Held whole;
  nestedDocument(false, {40000}, 10, &whole, written);
  EXPECT_GT(whole.nodes, 40000u * 7);
}

// Nodes of every kind, `count` of them in a streamed group of a streamed tree, with a picture
// nested in it; with `stopAt` the node there is one that cannot be written.
std::string everyKind(bool streaming, int count, int stopAt, std::string (*written)(bool)) {
  setStreaming(streaming);
  initMif("9.9");
  MifTree* top = newMifTree();
  setCurrentTree(top);
  addLeaf(Op::Units, "Uin");
  MifTree* body = newMifTree();
  setCurrentTree(body);
  streamTree(body);
  std::string longText(100000, 'w');
  longText[70000] = '>';
  for (int round = 0; round < 2; ++round) {
    beginGroup(Op::Para);
    streamGroup();
    for (int i = 0; i < count; ++i) {
      switch (i % 14) {
        case 0:
          addLeaf(Op::TLOrigin, 1.0f, -2.5f);
          break;
        case 1:
          addLeaf(Op::BRect, 0.0f, 0.125f, FLT_MAX, -1e-9f);
          break;
        case 2:
          addLeaf(Op::FSize, 10.05f);
          break;
        case 3:
          addLeaf(Op::ScaleFactor, 0.125f);
          break;
        case 4:
          addLeaf(Op::Pen, -i);
          break;
        case 5:
          addLeaf(Op::XRefEnd);
          break;
        case 6:
          addLeaf(Op::String, (i / 14) % 2 ? "`q'>\\\t\nx\r\xE9y" : longText.c_str());
          break;
        case 7:
          beginString(Op::String);
          flushString();
          break;
        case 8:
          addLeaf(Op::FTag, (i / 14) % 2 ? "note" : nullptr);
          break;
        case 9:
          addLeaf(Op::Cropped, (i / 14) % 2 ? "Yes" : nullptr);
          break;
        case 10:
          addRawText("<Char Tab>\n");
          break;
        case 11:
          beginGroup(Op::ParaLine);  // with its placeholder
          addLeaf(Op::String, "line");
          endGroup(Op::ParaLine);
          break;
        case 12:
          beginGroup(Op::Frame);
          streamGroup();
          for (int j = 0; j < i; ++j) addLeaf(Op::Pen, j);
          endGroup(Op::Frame);
          break;
        default:
          addLeaf(Op::Fill, i);
          break;
      }
      if (i == stopAt) cursorNode()->op = kSentinelOp;
    }
    endGroup(Op::Para);
  }
  setCurrentTree(top);
  beginGroup(Op::TextFlow);
  spliceTree(body);
  endGroup(Op::TextFlow);
  std::string text = written(true);
  setStreaming(true);
  return text;
}

// The packed form keeps every value of every kind: each count around the batch boundaries, long
// strings past the largest block, and a node that stops the writing, inside a nested group or not.
TEST_F(WriterTest, PackedNodesWriteTheBytesOfTheNodes) {
  for (int count : {1, 5, 6, 31, 32, 33, 34, 64, 65, 66, 140}) {
    std::string whole = everyKind(false, count, -1, written);
    EXPECT_TRUE(everyKind(true, count, -1, written) == whole) << count;
  }
  std::string whole = everyKind(false, 140, -1, written);
  EXPECT_NE(whole.find("<FTag `** NULL **'>"), std::string::npos);
  EXPECT_NE(whole.find("<String `** NULL **'>"), std::string::npos);
  EXPECT_NE(whole.find("<Cropped >"), std::string::npos);
  EXPECT_NE(whole.find(std::string(60000, 'w') + "\\>"), std::string::npos);
  EXPECT_NE(whole.find("> # end of Frame"), std::string::npos);
  for (int stopAt : {0, 40, 99}) {
    std::string stopped = everyKind(false, 140, stopAt, written);
    EXPECT_TRUE(everyKind(true, 140, stopAt, written) == stopped) << stopAt;
    EXPECT_LT(stopped.size(), whole.size());
    EXPECT_NE(stopped.find("<ZZZ\n"), std::string::npos);
  }
}

TEST_F(WriterTest, MissingNodeStopsTheWriting) {
  ChannelT channel = F_ChannelMakeTmp(1024);
  writeMif(channel, false);  // binds nothing; writeNode is used directly below
  F_ChannelCloseTmp(channel);
  EXPECT_TRUE(writeNode(nullptr, 1));
}

}  // namespace
}  // namespace pendra::mif
