#include "output/template.h"

#include <string>

#include "output_fixture.h"
#include "reader/construct.h"

namespace pendra::testing {
namespace {

using output::nextTemplateItem;
using output::TemplateItem;

std::vector<std::string> items(const char* tmpl) {
  std::vector<std::string> out;
  TemplateItem item;
  for (const char* p = tmpl; nextTemplateItem(p, item);) {
    std::string s;
    if (!item.literal) s += '%';
    s += static_cast<char>(item.byte);
    if (item.hasArgument) {
      s += '(';
      s += item.argument;
      s += ')';
    }
    out.push_back(s);
  }
  return out;
}

TEST(TemplateItems, ArgumentsEndAtTheFirstUnescapedParenthesis) {
  EXPECT_EQ(items(R"(%D(\))x)"), (std::vector<std::string>{R"(%D(\)))", "x"}));
  EXPECT_EQ(items("%s(B)%S(a)% %\t%\x08"),
            (std::vector<std::string>{"%s(B)", "%S(a)", "% ", "%\t", "%\x08"}));
  EXPECT_EQ(items("a%p()b"), (std::vector<std::string>{"a", "%p()", "b"}));
  // A lone % at the end is code 0; an unclosed argument ends with the template.
  EXPECT_EQ(items("%").size(), 1u);
  EXPECT_EQ(items("%f(T"), (std::vector<std::string>{"%f(T)"}));
}

TEST(TemplateItems, LongArgumentsAreCutAt31Bytes) {
  std::string arg(40, 'a');
  std::string tmpl = "%a(" + arg + ")z";
  auto got = items(tmpl.c_str());
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], "%a(" + std::string(31, 'a') + ")");
  EXPECT_EQ(got[1], "z");
}

class Dispatch : public ConvertFixture {};

TEST_F(Dispatch, DelimiterCodes) {
  struct {
    const char* arg;
    int code;
  } cases[] = {{R"(\))", 7}, {R"(\()", 6}, {R"(\[)", 2}, {R"(\])", 3}, {"[", 4},   {"]", 5},
               {"e", 8},     {"{", 9},     {"}", 10},    {"$", 11},    {"$$", 13}, {"?", 15}};
  for (const auto& c : cases) {
    reader::setDelimiter(c.arg);
    EXPECT_EQ(reader::environmentState().delimiter, c.code) << c.arg;
  }
  reader::setCurrentMode(reader::kMathMode);
  reader::setDelimiter("$");
  EXPECT_EQ(reader::environmentState().delimiter, 12);
  reader::setDelimiter("$$");
  EXPECT_EQ(reader::environmentState().delimiter, 14);
}

TEST_F(Dispatch, SuppressionCountAndReleaseCredit) {
  output::BaseDispatcher("%-%+");
  EXPECT_EQ(output::outputState().suppression, 0);
  EXPECT_EQ(output::outputState().releaseCredit, 0);
  output::BaseDispatcher("%+%+%-");
  EXPECT_EQ(output::outputState().suppression, 1);
  // While suppressed nothing is stored; the text of a paragraph end waits.
  output::TextDispatcher("abc%n");
  EXPECT_EQ(buffer(), "");
}

TEST_F(Dispatch, UnknownCodesAndMalformedStrings) {
  ::testing::internal::CaptureStderr();
  output::BaseDispatcher("%j(x)");
  output::BaseDispatcher("%Q");
  output::BaseDispatcher("%\x01");
  output::BaseDispatcher("ab");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Base dispatch op %j(x) unknown\n"), std::string::npos);
  EXPECT_NE(err.find("Control code %Q unknown\n\n"), std::string::npos);
  EXPECT_NE(err.find("Control code %\\x01 unknown\n"), std::string::npos);
  std::size_t first = err.find("invalid string ab passed to BaseDispatcher");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(err.find("invalid string ab passed to BaseDispatcher", first + 1), std::string::npos);
}

TEST_F(Dispatch, BoxTextIgnoresParagraphEndsAndReportsParagraphCodes) {
  ::testing::internal::CaptureStderr();
  output::BoxTextDispatcher("a%nb%T%g(Body)%a(3)");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(buffer(), "ab");
  EXPECT_NE(err.find("Control code %T unknown"), std::string::npos);
  EXPECT_NE(err.find("Base dispatch op %g(Body) unknown"), std::string::npos);
  EXPECT_NE(err.find("Base dispatch op %a(3) unknown"), std::string::npos);
}

TEST_F(Dispatch, TableDispatcherKeepsCellParagraphsOpenAtLineEnds) {
  output::TableDispatcher("x%ny");
  EXPECT_EQ(buffer(), "xy");
}

TEST_F(Dispatch, TableCommandsOutsideATableAreReported) {
  std::string err;
  convert("a & b\n", &err);
  EXPECT_NE(err.find("& command is valid only inside tabular environment"), std::string::npos);
}

TEST_F(Dispatch, QuotesAndUnderlineOutsideMath) {
  EXPECT_EQ(convert("it's ''x'' \\_ _y\n"), "\n<Body>\nit\\xd5 s \\xd3 x\\xd3  _ <Underline>y\n");
}

TEST_F(Dispatch, ModeLetters) {
  ::testing::internal::CaptureStderr();
  output::BaseDispatcher("%q(t)%q(z)");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(reader::currentMode(), reader::kTableMode);
  EXPECT_NE(err.find("unsupported code z for matching mode"), std::string::npos);
  // %@ restores the mode saved when its run started.
  output::TextDispatcher("%q(m)%@");
  EXPECT_EQ(reader::currentMode(), reader::kTableMode);
}

TEST_F(Dispatch, TheoremNoteAndDateVariable) {
  feedTokens("  [Note  ]rest");
  output::TextDispatcher("%U(c)");
  EXPECT_EQ(buffer(), "(Note)");
  output::TextDispatcher("%#(D)x");
  EXPECT_EQ(buffer(), ">x");
  EXPECT_EQ(bodyText(), "\n<Body>\n(Note)<!Variable\n\"Current Date (Long)\"");
}

TEST_F(Dispatch, DeepNestingIsBoundedAndReadingGoesOn) {
  std::string deep(50000, '{');
  deep += "x";
  deep += std::string(50000, '}');
  deep += " after\n";
  std::string err;
  std::string out = convert(deep, &err);
  EXPECT_NE(out.find("x after\n"), std::string::npos);
  EXPECT_NE(err.find("nested too deeply"), std::string::npos);
  EXPECT_EQ(err.find("mismatched"), std::string::npos);
}

TEST_F(Dispatch, DeepCommandChainsAreBounded) {
  std::string deep;
  for (int i = 0; i < 20000; ++i) deep += "\\textbf";
  deep += "{x} y\n";
  std::string err;
  std::string out = convert(deep, &err);
  EXPECT_NE(out.find("y"), std::string::npos);
  EXPECT_NE(err.find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace pendra::testing
