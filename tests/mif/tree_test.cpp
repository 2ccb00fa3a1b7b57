#include "mif/tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mif/fatal.h"

namespace pendra::mif {
namespace {

// Every builder check is fatal: it reports and abandons the translation.
class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMif("test");
    setCurrentTree(newMifTree());
  }

  // Runs `build` and returns the message it reported before abandoning (empty if it did not).
  template <typename F>
  std::string failureOf(F build) {
    ::testing::internal::CaptureStderr();
    bool aborted = false;
    try {
      build();
    } catch (const mif::TranslationAbort&) {
      aborted = true;
    }
    std::string console = ::testing::internal::GetCapturedStderr();
    return aborted ? console : std::string();
  }
};

TEST_F(TreeTest, FirstNodeOfAnEmptyTreeIsFirstAndCursor) {
  EXPECT_EQ(currentGroupOp(), Op::ZZZ);
  addLeaf(Op::Verbose, "No");
  ASSERT_NE(currentTree()->first, nullptr);
  EXPECT_EQ(currentTree()->first, cursorNode());
  EXPECT_TRUE(cursorNode()->last);
  EXPECT_EQ(cursorNode()->next, nullptr);
  EXPECT_EQ(currentGroupOp(), Op::ZZZ);
}

TEST_F(TreeTest, ParagraphStructureWithHiddenPlaceholder) {
  beginGroup(Op::Para);
  EXPECT_EQ(currentGroupOp(), Op::Para);
  beginGroup(Op::ParaLine);
  EXPECT_EQ(cursorNode()->op, Op::Placeholder);
  EXPECT_EQ(currentGroupOp(), Op::ParaLine);
  addLeaf(Op::String, "x");
  endGroup(Op::ParaLine);
  endGroup(Op::Para);

  MifNode* para = cursorNode();
  ASSERT_EQ(para->op, Op::Para);
  EXPECT_EQ(currentTree()->first, para);
  ASSERT_EQ(childCount(para), 1u);
  MifNode* line = para->child;
  EXPECT_EQ(line->op, Op::ParaLine);
  EXPECT_TRUE(line->last);
  EXPECT_EQ(line->next, para);
  ASSERT_EQ(childCount(line), 2u);
  EXPECT_EQ(line->child->op, Op::Placeholder);
  MifNode* string = line->child->next;
  EXPECT_EQ(string->op, Op::String);
  EXPECT_EQ(string->text, "x");
  EXPECT_EQ(parentOf(line->child), line);
  EXPECT_EQ(parentOf(string), line);
}

TEST_F(TreeTest, GroupErrors) {
  EXPECT_EQ(failureOf([] {
              beginGroup(Op::Para);
              beginGroup(Op::Pgf);
              endGroup(Op::Pgf);
            }),
            "empty Pgf grouping\n");
  initMif("test");
  setCurrentTree(newMifTree());
  EXPECT_EQ(failureOf([] {
              beginGroup(Op::Tbl);
              beginGroup(Op::Row);
              addLeaf(Op::CellColumns, 2);
              endGroup(Op::Tbl);
            }),
            "mismatched MIF: Row with Tbl\n\n");
  initMif("test");
  setCurrentTree(newMifTree());
  const char* badCall = "bad call to MIF output function\n";
  EXPECT_EQ(failureOf([] { endGroup(Op::Para); }), badCall);
  EXPECT_EQ(failureOf([] { beginGroup(Op::String); }), badCall);
  EXPECT_EQ(failureOf([] { beginString(Op::Para); }), badCall);
  EXPECT_EQ(failureOf([] { addLeaf(Op::FSize, 3); }), badCall);
  EXPECT_EQ(failureOf([] { addLeaf(Op::ZZZ); }), badCall);
  EXPECT_EQ(failureOf([] {
              addLeaf(Op::Pen, 1);
              flushString();
            }),
            badCall);
  // A group at the top level that is closed has no enclosing group to return to.
  EXPECT_EQ(failureOf([] {
              beginGroup(Op::PgfCatalog);
              endGroup(Op::PgfCatalog);
            }),
            badCall);
}

TEST_F(TreeTest, NoCurrentTreeIsABadCall) {
  releaseMif();
  EXPECT_EQ(failureOf([] { addLeaf(Op::Pen, 15); }), "bad call to MIF output function\n");
}

TEST_F(TreeTest, LongStringArrivesWholeAcrossPieces) {
  beginGroup(Op::ParaLine);
  beginString(Op::String);
  std::string expected;
  for (int i = 0; i < 600; ++i) {
    char c = static_cast<char>('a' + i % 26);
    expected += c;
    addStringChar(c);
  }
  // Two full pieces went in already; the remainder of 90 waits for the flush.
  EXPECT_EQ(cursorNode()->text.size(), 2 * kStringPieceLength);
  flushString();
  EXPECT_EQ(cursorNode()->text, expected);
}

TEST_F(TreeTest, StringWithoutCharactersKeepsNoText) {
  beginGroup(Op::Math);
  beginString(Op::MathFullForm);
  flushString();
  EXPECT_FALSE(cursorNode()->hasText);
}

TEST_F(TreeTest, SpliceMovesTopLevelNodesInOrderAndEmptiesTheSource) {
  MifTree* side = newMifTree();
  MifTree* main = setCurrentTree(side);
  addLeaf(Op::Pen, 1);
  beginGroup(Op::Notes);
  addLeaf(Op::Pen, 2);  // left open, as the footnote tree leaves its Notes group
  addLeaf(Op::Pen, 3);
  setCurrentTree(main);
  beginGroup(Op::TextFlow);
  addLeaf(Op::TFTag, "A");
  spliceTree(side);
  endGroup(Op::TextFlow);
  EXPECT_EQ(side->first, nullptr);
  EXPECT_EQ(side->cursor, nullptr);
  MifNode* flow = cursorNode();
  ASSERT_EQ(childCount(flow), 3u);
  MifNode* pen = flow->child->next;
  EXPECT_EQ(pen->integer, 1);
  MifNode* notes = pen->next;
  EXPECT_EQ(notes->op, Op::Notes);
  EXPECT_EQ(childCount(notes), 2u);
  EXPECT_EQ(parentOf(notes), flow);
}

TEST_F(TreeTest, DiscardAndFreeReleaseWholeSubtrees) {
  MifTree* side = newMifTree();
  setCurrentTree(side);
  beginGroup(Op::Tbl);
  beginGroup(Op::Row);
  addLeaf(Op::Pen, 1);
  endGroup(Op::Row);
  endGroup(Op::Tbl);
  MifNode* table = side->first;
  discardTree(side);
  EXPECT_EQ(side->first, nullptr);
  EXPECT_EQ(table->op, Op::ZZZ);
  // Freed nodes are used again.
  addLeaf(Op::Pen, 7);
  EXPECT_EQ(side->first->integer, 7);
}

// Packed nodes' memory: blocks of any size, a chunk's worth and more included, never overlap,
// keep what was written in them while later ones are taken, and are taken again after the spills
// are released.
TEST_F(TreeTest, PackedMemoryBlocksAreDisjointAndHoldTheirBytes) {
  for (int round = 0; round < 2; ++round) {
    std::vector<std::pair<char*, std::size_t>> blocks;
    const std::size_t sizes[] = {1, 1024, 65536, 4095, 2u << 20, (2u << 20) + 1, 3u << 20, 7, 64};
    for (int repeat = 0; repeat < 40; ++repeat) {
      for (std::size_t size : sizes) {
        char* p = packedMemory(size);
        ASSERT_NE(p, nullptr);
        std::memset(p, static_cast<int>(blocks.size() & 0x7F), size);
        blocks.emplace_back(p, size);
      }
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const auto [p, size] = blocks[i];
      auto mark = static_cast<char>(i & 0x7F);
      EXPECT_TRUE(p[0] == mark && p[size - 1] == mark && p[size / 2] == mark) << i;
    }
    releaseSpills();
  }
}

// Nodes are made in chunks (a first small one, then huge pages): a tree of more nodes than the
// first two chunks hold keeps every node's values, a new translation makes them again in memory
// given back by the last one (which holds whatever it held), and its nodes start as new.
TEST_F(TreeTest, ManyNodesAcrossChunksKeepTheirValuesInEveryTranslation) {
  constexpr std::int32_t kLeaves = 45000;
  const std::string longText(40, 'q');  // past a string's own room: its text is allocated
  for (int round = 0; round < 2; ++round) {
    initMif("test");
    MifTree* tree = newMifTree();
    setCurrentTree(tree);
    EXPECT_EQ(liveNodeCount(), 0u);
    for (std::int32_t i = 0; i < kLeaves; ++i) {
      if (i % 7 == 0) {
        beginString(Op::String);
        addStringText(longText.data(), longText.size());
        addStringChar('0' + i % 10);
        flushString();
      } else {
        addLeaf(Op::Pen, i);
      }
    }
    EXPECT_EQ(liveNodeCount(), static_cast<std::size_t>(kLeaves));
    std::int32_t seen = 0;
    bool intact = true;
    for (MifNode* node = tree->first; node; node = node->last ? nullptr : node->next, ++seen) {
      if (seen % 7 == 0)
        intact = intact && node->op == Op::String && node->hasText &&
                 node->text == longText + static_cast<char>('0' + seen % 10) && !node->child &&
                 !node->spill;
      else
        intact = intact && node->op == Op::Pen && node->integer == seen && node->text.empty() &&
                 node->number[0] == 0 && !node->ref && !node->child && !node->spill;
      if (!intact) {
        ADD_FAILURE() << "round " << round << ", node " << seen;
        break;
      }
    }
    EXPECT_EQ(seen, kLeaves);
  }
}

TEST_F(TreeTest, ObjectIdsCountFromOne) {
  EXPECT_EQ(newObjectId(), 1);
  EXPECT_EQ(newObjectId(), 2);
  initMif("test");
  EXPECT_EQ(newObjectId(), 1);
}

}  // namespace
}  // namespace pendra::mif
