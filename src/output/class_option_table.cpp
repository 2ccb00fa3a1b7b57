// The document class options and what each sets. Data only.
#include "common/table_check.h"
#include "output/prologue.h"

namespace pendra::output {

// name, document size (-1 unchanged), page width, page height, landscape, columns, sides, german.
constexpr ClassOption kClassOptions[kClassOptionCount] = {
    {"german", -1, nullptr, nullptr, false, 0, 0, true},
    {"10pt", 0, nullptr, nullptr, false, 0, 0, false},
    {"11pt", 1, nullptr, nullptr, false, 0, 0, false},
    {"12pt", 2, nullptr, nullptr, false, 0, 0, false},
    {"letterpaper", -1, "8.5\"", "11.0\"", false, 0, 0, false},
    {"legalpaper", -1, "8.5\"", "14.0\"", false, 0, 0, false},
    {"executivepaper", -1, "7.25\"", "10.5\"", false, 0, 0, false},
    {"a4paper", -1, "210mm", "297mm", false, 0, 0, false},
    {"a5paper", -1, "148mm", "210mm", false, 0, 0, false},
    {"b5paper", -1, "176mm", "250mm", false, 0, 0, false},
    {"landscape", -1, nullptr, nullptr, true, 0, 0, false},
    {"onecolumn", -1, nullptr, nullptr, false, 1, 0, false},
    {"twocolumn", -1, nullptr, nullptr, false, 2, 0, false},
    {"oneside", -1, nullptr, nullptr, false, 0, 1, false},
    {"twoside", -1, nullptr, nullptr, false, 0, 2, false},
};

// The count in the header is the number of rows: none left empty.
static_assert(tables::unfilledRows(kClassOptions, tables::rowName) == 0,
              "kClassOptions has fewer rows than its count");
static_assert(tables::duplicateNames(kClassOptions, tables::rowName) == 0,
              "a class option stands twice");

}  // namespace pendra::output
