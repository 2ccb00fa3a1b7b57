// The manual page: it renders without a warning, and it describes every option --help lists.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "support/run_command.h"

namespace pendra::host {
namespace {

const std::string kManual = std::string(PENDRA_SOURCE_DIR) + "/man/pendra.1";

TEST(Manual, RendersWithoutWarnings) {
  if (std::system("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "groff is absent";
  testing::TempDir dir("manual");
  std::string cmd = "groff -man -Tutf8 -ww -P-cbou '" + kManual + "' >'" +
                    (dir.path / "out").string() + "' 2>'" + (dir.path / "err").string() + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(testing::slurp(dir.path / "err"), "");
  std::string text = testing::slurp(dir.path / "out");
  std::string page = testing::slurp(kManual);
  for (std::string section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS",
                              "ENVIRONMENT", "FILES", "EXAMPLES", "SEE ALSO"}) {
    std::string heading = section.find(' ') == std::string::npos ? section : '"' + section + '"';
    EXPECT_NE(page.find("\n.SH " + heading + "\n"), std::string::npos) << section;
  }
  for (const char* variable : {"TEXINPUTS", "SOURCE_DATE_EPOCH"})
    EXPECT_NE(text.find(variable), std::string::npos) << variable;
  EXPECT_GT(text.size(), 2000u);
}

TEST(Manual, DescribesEveryOptionOfTheHelp) {
  testing::TempDir dir("manual-options");
  testing::CommandResult help = testing::runPendra("--help", dir.path);
  ASSERT_EQ(help.status, 0);
  std::string page = testing::slurp(kManual);
  ASSERT_FALSE(page.empty());
  // In roff a minus sign of an option is written \-; an option is a word of its own.
  std::regex option(R"((?:^|[\s,(])(--?[a-z][a-z-]*))");
  std::set<std::string> seen;
  for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end; ++it) {
    std::string name = (*it)[1];
    seen.insert(name);
    std::string roff;
    for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    bool found = false;
    for (const char* after : {" ", "\n", "\""})
      found = found || page.find(" " + roff + after) != std::string::npos;
    EXPECT_TRUE(found) << name << " is not in the manual";
  }
  // The help lists the options the command has; a change that drops them shows here.
  for (const char* name : {"--from-mlp", "--mlp", "-o", "-q", "--quiet", "-j", "--jobs", "-v",
                           "--verbose", "--restricted", "-h", "--help", "--version"})
    EXPECT_TRUE(seen.count(name)) << name;
}

}  // namespace
}  // namespace pendra::host
