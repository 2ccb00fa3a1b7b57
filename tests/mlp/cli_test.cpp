// `pendra --from-mlp`: the stage alone, from an MLP file to the MIF file beside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/mif_check.h"

#ifdef PENDRA_BINARY

namespace {

namespace fs = std::filesystem;

class FromMlp : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pendra-mlp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the command on `mlp` written to doc.mlp; returns the exit status.
  int run(const std::string& mlp) {
    std::ofstream(dir_ / "doc.mlp", std::ios::binary) << mlp;
    std::string command = std::string(PENDRA_BINARY) + " --from-mlp '" +
                          (dir_ / "doc.mlp").string() + "' 2>'" + (dir_ / "console").string() + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string read(const char* name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

TEST_F(FromMlp, HelloGivesTheTwentySevenLineFile) {
  ASSERT_EQ(run("Hello\n"), 0) << read("console");
  std::ifstream expected(fs::path(PENDRA_SOURCE_DIR) / "tests/e2e/mlp/hello.mif", std::ios::binary);
  std::ostringstream text;
  text << expected.rdbuf();
  EXPECT_EQ(read("doc.mif"), text.str());
}

TEST_F(FromMlp, FatalErrorsLeaveNoFile) {
  const char* inputs[] = {"<Bold x>",
                          "<Foo <a>",
                          "<!DefineMacro m \"<m>\"><m>",
                          "<Marker <MText \"x\">>",
                          "a<EndOfInput>",
                          "\"\\",
                          "<LeftIndent pt>"};
  for (const char* mlp : inputs) {
    EXPECT_EQ(run(mlp), 3) << mlp;
    EXPECT_FALSE(fs::exists(dir_ / "doc.mif")) << mlp;
    EXPECT_NE(read("console").find("\nError encountered -- translation aborted\n"),
              std::string::npos)
        << mlp;
  }
}

TEST_F(FromMlp, EveryEndToEndFilePassesTheHostCheck) {
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(PENDRA_SOURCE_DIR) / "tests/e2e/mlp")) {
    if (entry.path().extension() != ".mlp") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream mlp;
    mlp << in.rdbuf();
    ASSERT_EQ(run(mlp.str()), 0) << entry.path() << read("console");
    pendra::host::MifCheckResult check = pendra::host::checkMif(read("doc.mif"));
    EXPECT_TRUE(check.ok) << entry.path() << ":" << check.line << ": " << check.message;
    ++checked;
  }
  EXPECT_GE(checked, 9);
}

TEST_F(FromMlp, ObjectsAtTheirLimitsPassTheHostCheck) {
  const char* inputs[] = {
      "<aframe <PolyLine <Pen 0>> <Fill 1>>\n",
      "<!Frame 1e38in 1e38in <!Rectangle no 1e38pt -1e38in -1e38in 1e38in 1e38in>"
      "<!TextLine \\q 4294967295 1e38in 0 x\\>>>\n",
      "<!FrameMath I 0 0 -1pt -1pt \"\\x27\\x3e`\\x5c\\x09\\xe9\">\n",
      "<!TextFrame 0 0 <!Table 1 <!Row <!Cell <!Table 1 <!Row <!Span 9 x>>>>>>>\n",
  };
  for (const char* mlp : inputs) {
    ASSERT_EQ(run(mlp), 0) << mlp << read("console");
    pendra::host::MifCheckResult check = pendra::host::checkMif(read("doc.mif"));
    EXPECT_TRUE(check.ok) << mlp << "\n" << check.line << ": " << check.message;
  }
}

}  // namespace

#endif
