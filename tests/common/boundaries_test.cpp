// The folders' boundaries, read from the sources: which folder may include which, and that only the
// reader touches the reader's state. A new include across a boundary fails here, not in review.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Source {
  std::string folder;  // the folder under src/
  std::string path;    // relative to src/
  std::string text;
};

std::vector<Source> sources() {
  std::vector<Source> all;
  fs::path root = fs::path(PENDRA_SOURCE_DIR) / "src";
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    fs::path rel = fs::relative(entry.path(), root);
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    all.push_back({rel.begin()->string(), rel.generic_string(), text.str()});
  }
  return all;
}

// The project folders a source includes ("reader/input.h" gives "reader").
std::set<std::string> includedFolders(const std::string& text) {
  static const std::regex include(R"re(#include "([a-z_]+)/[^"]+")re");
  std::set<std::string> folders;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), include);
       it != std::sregex_iterator(); ++it)
    folders.insert((*it)[1].str());
  return folders;
}

TEST(Boundaries, EachFolderIncludesOnlyTheFoldersBelowIt) {
  const std::set<std::string> firstStage = {"reader", "output", "math", "picture", "table"};
  std::vector<Source> all = sources();
  ASSERT_GT(all.size(), 50u);
  for (const Source& source : all) {
    for (const std::string& folder : includedFolders(source.text)) {
      SCOPED_TRACE(source.path + " includes " + folder + "/");
      if (source.folder == "common") {
        EXPECT_EQ(folder, "common");
      } else if (source.folder == "fdk") {
        EXPECT_TRUE(folder == "fdk" || folder == "common");
      } else if (source.folder == "mif") {
        EXPECT_TRUE(folder == "mif" || folder == "fdk" || folder == "common");
      }
      if (source.folder == "mlp") {
        EXPECT_EQ(firstStage.count(folder), 0u);
        EXPECT_NE(folder, "driver");
        EXPECT_NE(folder, "host");
      }
      if (firstStage.count(source.folder)) {
        EXPECT_NE(folder, "mlp");
        EXPECT_NE(folder, "mif");
        EXPECT_NE(folder, "driver");
        EXPECT_NE(folder, "host");
      }
    }
  }
}

TEST(Boundaries, OnlyTheReaderTouchesItsState) {
  // The other folders read the input through the reader's functions (peekChar, advance, the
  // argument readers), never through its state: files, strings, frames, line counts and encodings
  // stay in one place.
  // (The MLP reader's state of the same name is another struct, in its own namespace.)
  static const std::regex state(R"re(reader::(readerState|ReaderState|theReader)\b)re");
  static const std::regex inReader(R"re(\b(readerState\s*\(|ReaderState\b|theReader\b))re");
  int readerFiles = 0;
  for (const Source& source : sources()) {
    if (source.folder == "reader") {
      readerFiles += std::regex_search(source.text, inReader);
      continue;
    }
    EXPECT_FALSE(std::regex_search(source.text, state)) << source.path;
  }
  EXPECT_GT(readerFiles, 0);  // the pattern still names what the reader calls its state
}

}  // namespace
