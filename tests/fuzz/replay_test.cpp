// Replays the fuzz seed corpora and every input that ever made a fuzz target fail: a fixed crash
// stays fixed, and whatever the conversions produce is a MIF file the host accepts.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_entry.h"
#include "support/run_command.h"

namespace pendra::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const std::string& target) {
  std::vector<fs::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    fs::path dir = fs::path(PENDRA_SOURCE_DIR) / "fuzz" / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
        inputs.push_back(entry.path());
  }
  return inputs;
}

std::string bytesOf(const fs::path& path) {
  return testing::slurp(path);
}

const std::uint8_t* asBytes(const std::string& s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

class FuzzReplay : public ::testing::Test {
 protected:
  void SetUp() override { quietConsole(true); }
  void TearDown() override { quietConsole(false); }
};

TEST_F(FuzzReplay, LatexInputsGiveDocumentsTheHostAccepts) {
  std::vector<fs::path> inputs = inputsOf("latex");
  ASSERT_FALSE(inputs.empty());
  for (const fs::path& input : inputs) {
    std::string bytes = bytesOf(input);
    bool stopped = false;
    std::string doc = convertLatex(asBytes(bytes), bytes.size(), &stopped);
    // Every run that does not stop saves a document: no source makes MLP the second stage rejects.
    EXPECT_TRUE(stopped || !doc.empty()) << input.filename();
    if (!doc.empty()) {
      EXPECT_TRUE(checkMif(asBytes(doc), doc.size())) << input.filename();
    }
    // With the stages at once, the same document (the prologue's date line apart).
    bool stoppedBeside = false;
    std::string beside = convertLatex(asBytes(bytes), bytes.size(), &stoppedBeside, true);
    EXPECT_EQ(stoppedBeside, stopped) << input.filename();
    auto dropHeader = [](const std::string& s) { return s.substr(s.find('\n') + 1); };
    EXPECT_EQ(dropHeader(beside), dropHeader(doc)) << input.filename();
  }
}

TEST_F(FuzzReplay, MlpInputsGiveMifFilesTheHostAccepts) {
  std::vector<fs::path> inputs = inputsOf("mlp");
  ASSERT_FALSE(inputs.empty());
  int translated = 0;
  for (const fs::path& input : inputs) {
    std::string bytes = bytesOf(input);
    std::string mif = translateMlp(asBytes(bytes), bytes.size());
    if (mif.empty()) continue;
    ++translated;
    EXPECT_TRUE(checkMif(asBytes(mif), mif.size())) << input.filename();
  }
  EXPECT_GT(translated, 0);
}

TEST_F(FuzzReplay, MifInputsAreCheckedWithoutFault) {
  std::vector<fs::path> inputs = inputsOf("mif");
  ASSERT_FALSE(inputs.empty());
  for (const fs::path& input : inputs) {
    std::string bytes = bytesOf(input);
    bool ok = checkMif(asBytes(bytes), bytes.size());
    // Seeds are well-formed files; regressions may be anything.
    if (input.parent_path().parent_path().filename() == "corpus") {
      EXPECT_TRUE(ok) << input;
    }
  }
}

TEST_F(FuzzReplay, TheSameInputConvertsTheSameWayTwice) {
  std::string bytes =
      bytesOf(fs::path(PENDRA_SOURCE_DIR) / "fuzz" / "corpus" / "latex" / "features.tex");
  std::string first = convertLatex(asBytes(bytes), bytes.size());
  std::string second = convertLatex(asBytes(bytes), bytes.size());
  EXPECT_FALSE(first.empty());
  // Only the prologue's date line may differ between runs.
  auto dropHeader = [](const std::string& s) { return s.substr(s.find('\n') + 1); };
  EXPECT_EQ(dropHeader(first), dropHeader(second));
}

}  // namespace
}  // namespace pendra::fuzz
