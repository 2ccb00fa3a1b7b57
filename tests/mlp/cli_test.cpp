// `pendra --from-mlp`: the stage alone, from an MLP file to the MIF file beside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace

#endif
