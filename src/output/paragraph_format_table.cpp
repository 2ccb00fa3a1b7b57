// The built-in paragraph formats, in table order. Data only; the registry copies the rows.
#include "common/table_check.h"
#include "output/paragraph_formats.h"

namespace pendra::output {

// name, font, alignment, left, first and right indent (inches), leading, space before and after
// (points), flags, number format, tab settings, number font.
constexpr ParagraphFormat kParagraphFormats[kParagraphFormatCount] = {
    {"Abstract", "rm", "Left", 0.8f, 0.8f, 0.8f, 2, 6, 10, 1, nullptr, nullptr, nullptr},
    {"Author", "lg", "Center", 0.5f, 0.5f, 0.5f, 4, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Body", "rm", "LeftRight", 0.0f, 0.5f, 0.0f, 2, 12, 6, 1, nullptr, nullptr, nullptr},
    {"Bullet", "rm", "LeftRight", 0.2f, 0.0f, 0.0f, 2, 6, 0, 1, R"t(\xa5 \t)t", R"t(0.2 0.4 0.6)t",
     nullptr},
    {"Bullet2", "rm", "LeftRight", 0.6f, 0.4f, 0.0f, 2, 6, 0, 1, R"t(\xa5 \t)t", R"t(0.6 0.8 1.0)t",
     nullptr},
    {"Bullet3", "rm", "LeftRight", 1.0f, 0.8f, 0.0f, 2, 6, 0, 1, R"t(\xa5 \t)t", R"t(1.0 1.2 1.4)t",
     nullptr},
    {"CBlockIndent", "rm", "LeftRight", 0.5f, 0.5f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CBlockIndent2", "rm", "LeftRight", 1.0f, 1.0f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CBlockIndent3", "rm", "LeftRight", 1.5f, 1.5f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CBullet", "rm", "LeftRight", 0.2f, 0.2f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CBullet2", "rm", "LeftRight", 0.6f, 0.6f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CBullet3", "rm", "LeftRight", 1.0f, 1.0f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"Center", "rm", "Center", 0.0f, 0.0f, 0.0f, 2, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Cell", "rm", "Left", 0.0f, 0.0f, 0.0f, 2, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Chapter", "h1", "Left", 2.0f, 0.5f, 0.5f, 6, 0, 18, 0, R"t(C:CHAPTER +:\t)t", R"t(2.0)t",
     nullptr},
    {"Chapter*", "h1", "Left", 0.5f, 0.5f, 0.5f, 6, 0, 18, 0, nullptr, nullptr, nullptr},
    {"Code", "tt", "Left", 0.0f, 0.0f, 0.0f, 2, 0, 0, 0, nullptr,
     R"t(0.5 1.0 1.5 2.0 2.5 3.0 3.5 4.0 4.5 5.0 5.5 6.0 6.5)t", nullptr},
    {"CStep", "rm", "LeftRight", 0.2f, 0.2f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CStep2", "rm", "LeftRight", 0.6f, 0.6f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"CStep3", "rm", "LeftRight", 1.0f, 1.0f, 0.0f, 2, 4, 0, 1, nullptr, nullptr, nullptr},
    {"Equation", "eq", "Center", 0.0f, 0.0f, 0.0f, 0, 10, 6, 2, R"t(E:(+))t", nullptr, nullptr},
    {"EquationNoNum", "eq", "Center", 0.0f, 0.0f, 0.0f, 0, 10, 6, 0, nullptr, nullptr, nullptr},
    {"ETable", "et", "Left", 0.0f, 0.0f, 0.0f, 2, 4, 4, 0, nullptr,
     R"t(1.0 2.0 3.0 4.0 5.0 6.0 7.0)t", nullptr},
    {"Extract", "rm", "LeftRight", 0.8f, 0.8f, 0.8f, 2, 6, 0, 1, nullptr, nullptr, nullptr},
    {"Figure", "bf", "Center", 0.0f, 0.0f, 0.0f, 2, 8, 4, 0, R"t(F:Figure +  )t", nullptr, nullptr},
    {"FirstBody", "rm", "LeftRight", 0.0f, 0.0f, 0.0f, 2, 6, 6, 1, nullptr, nullptr, nullptr},
    {"FlushL", "rm", "Left", 0.0f, 0.0f, 0.0f, 2, 0, 0, 0, nullptr, nullptr, nullptr},
    {"FlushR", "rm", "Right", 0.0f, 0.5f, 0.0f, 2, 0, 0, 0, nullptr, nullptr, nullptr},
    {"Footnote", "fn", "LeftRight", 0.5f, 0.5f, 0.0f, 2, 6, 6, 0, nullptr, nullptr, nullptr},
    {"HangIndent", "rm", "LeftRight", 0.5f, 0.0f, 0.0f, 2, 6, 0, 1, nullptr, R"t(0.5 1.0 1.5)t",
     nullptr},
    {"HangIndent2", "rm", "LeftRight", 1.0f, 0.5f, 0.0f, 2, 6, 0, 1, nullptr, R"t(1.0 1.5 2.0)t",
     nullptr},
    {"HangIndent3", "rm", "LeftRight", 1.5f, 1.0f, 0.0f, 2, 6, 0, 1, nullptr, R"t(1.5 2.0 2.5)t",
     nullptr},
    {"1Heading", "h1", "Left", 0.3f, 0.0f, 0.0f, 6, 12, 10, 0, R"t(H:+\t)t", R"t(0.3)t", nullptr},
    {"1Heading*", "h1", "Left", 0.0f, 0.0f, 0.0f, 6, 12, 10, 0, nullptr, nullptr, nullptr},
    {"2Heading", "h2", "Left", 0.4f, 0.0f, 0.0f, 2, 12, 8, 0, R"t(H:<n\>.+\t)t", R"t(0.4)t",
     nullptr},
    {"2Heading*", "h2", "Left", 0.0f, 0.0f, 0.0f, 2, 12, 8, 0, nullptr, nullptr, nullptr},
    {"3Heading", "h3", "Left", 0.5f, 0.0f, 0.0f, 2, 12, 2, 0, R"t(H:<n\>.<n\>.+\t)t", R"t(0.5)t",
     nullptr},
    {"3Heading*", "h3", "Left", 0.0f, 0.0f, 0.0f, 2, 12, 2, 0, nullptr, nullptr, nullptr},
    {"4Heading", "h3", "Left", 0.6f, 0.0f, 0.0f, 2, 12, 2, 0, R"t(H:<n\>.<n\>.<n\>.+\t)t",
     R"t(0.6)t", nullptr},
    {"4Heading*", "h3", "Left", 0.0f, 0.0f, 0.0f, 2, 12, 2, 0, nullptr, nullptr, nullptr},
    {"5Heading", "h3", "Left", 0.6f, 0.0f, 0.0f, 2, 12, 2, 0, R"t(H:<n\>.<n\>.<n\>.<n\>.+\t)t",
     R"t(0.7)t", nullptr},
    {"5Heading*", "h3", "Left", 0.0f, 0.0f, 0.0f, 2, 12, 2, 0, nullptr, nullptr, nullptr},
    {"Index", "rm", "Left", 0.0f, 0.0f, 0.0f, 2, 0, 0, 0, nullptr, R"t(0.2 0.4)t", nullptr},
    {"Part", "h1", "Center", 1.0f, 0.0f, 0.0f, 6, 0, 18, 0, R"t(P:PART +\t)t", R"t(1.0)t", nullptr},
    {"Part*", "h1", "Center", 0.0f, 0.0f, 0.0f, 6, 0, 18, 0, nullptr, nullptr, nullptr},
    {"Reference", "rm", "LeftRight", 0.5f, 0.0f, 0.0f, 2, 6, 0, 1, R"t(R:[+]\t)t",
     R"t(0.5 1.0 1.5)t", nullptr},
    {"1Step", "rm", "LeftRight", 0.2f, 0.0f, 0.0f, 2, 6, 0, 1, R"t(S:1.\t)t", R"t(0.2)t", nullptr},
    {"Step", "rm", "LeftRight", 0.2f, 0.0f, 0.0f, 2, 6, 0, 1, R"t(S:+.\t)t", R"t(0.2)t", nullptr},
    {"1StepLev2", "rm", "LeftRight", 0.6f, 0.4f, 0.0f, 2, 6, 0, 1, R"t(U:1.\t)t", R"t(0.6)t",
     nullptr},
    {"StepLev2", "rm", "LeftRight", 0.6f, 0.4f, 0.0f, 2, 6, 0, 1, R"t(U:+.\t)t", R"t(0.6)t",
     nullptr},
    {"1StepLev3", "rm", "LeftRight", 1.0f, 0.8f, 0.0f, 2, 6, 0, 1, R"t(V:1.\t)t", R"t(1.0)t",
     nullptr},
    {"StepLev3", "rm", "LeftRight", 1.0f, 0.8f, 0.0f, 2, 6, 0, 1, R"t(V:+.\t)t", R"t(1.0)t",
     nullptr},
    {"Table", "bf", "Center", 0.0f, 0.0f, 0.0f, 2, 8, 4, 0, R"t(T:Table +  )t", nullptr, nullptr},
    {"Title", "h1", "Center", 1.0f, 1.0f, 1.0f, 6, 0, 18, 0, nullptr, nullptr, nullptr},
};

namespace {
constexpr const char* rowName(const ParagraphFormat& row) {
  return row.name;
}
}  // namespace

// The count in the header is the number of rows: none left empty.
static_assert(tables::unfilledRows(kParagraphFormats, rowName) == 0,
              "kParagraphFormats has fewer rows than its count");
static_assert(tables::duplicateNames(kParagraphFormats, rowName) == 0,
              "a paragraph format stands twice");

}  // namespace pendra::output
