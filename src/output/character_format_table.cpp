// The built-in character formats and the point sizes of the size indexes. Data only.
#include "common/table_check.h"
#include "output/fonts.h"

namespace pendra::output {

constexpr CharacterFormat kCharacterFormats[kCharacterFormatCount] = {
    {"rm", Family::kTimes, 4, 0},
    {"bf", Family::kTimes, 4, kBold},
    {"tt", Family::kCourier, 4, 0},
    {"em", Family::kTimes, 4, kItalic},
    {"sy", Family::kSymbol, 4, 0},
    {"sf", Family::kHelvetica, 4, 0},
    {"h1", Family::kTimes, 7, kBold},
    {"h2", Family::kTimes, 6, kBold},
    {"h3", Family::kTimes, 5, kBold},
    {"et", Family::kTimes, 4, 0},
    {"eq", Family::kTimes, 4, 0},
    {"lg", Family::kTimes, 5, 0},
    {"fn", Family::kTimes, 2, 0},
    {"sc", Family::kTimes, 1, 0},
    {"sch", Family::kTimes, 1, kItalic | kSuperscript},
    {"scl", Family::kTimes, 1, kItalic | kSubscript},
    {"tiny", Family::kTimes, 0, 0},
    {"huge", Family::kTimes, 8, 0},
    {"vhuge", Family::kTimes, 9, 0},
};

// The count in the header is the number of rows: none left empty.
static_assert(tables::unfilledRows(kCharacterFormats, tables::rowName) == 0,
              "kCharacterFormats has fewer rows than its count");
static_assert(tables::duplicateNames(kCharacterFormats, tables::rowName) == 0,
              "a character format stands twice");

// Rows: 10pt, 11pt, 12pt, slides; columns: size index 0 to 9.
const int kPointSizes[kDocumentSizeCount][kSizeIndexCount] = {
    {6, 7, 8, 9, 10, 11, 12, 14, 16, 18},
    {7, 8, 9, 10, 11, 12, 14, 16, 18, 20},
    {8, 9, 10, 11, 12, 14, 18, 20, 22, 24},
    {12, 14, 16, 16, 18, 20, 24, 28, 32, 36},
};

}  // namespace pendra::output
