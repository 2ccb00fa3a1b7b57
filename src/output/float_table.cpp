// The environments that hold a figure or a table, with the paragraph tag their \caption takes.
// Data only.
#include "common/table_check.h"
#include "output/footnotes.h"

namespace pendra::output {

namespace {

// clang-format off
constexpr FloatKind kRows[] = {
    {"figure", "Figure", false},
    {"figure*", "Figure", false},
    {"sidewaysfigure", "Figure", false},
    {"subfigure", "Figure", true},
    {"subtable", "Table", true},
    {"sidewaystable", "Table", false},
    {"table", "Table", false},
    {"table*", "Table", false},
    {"wrapfigure", "Figure", false},
    {"wraptable", "Table", false},
};
// clang-format on

static_assert(tables::duplicateNames(kRows, tables::rowName) == 0, "a float stands twice");

}  // namespace

constexpr std::span<const FloatKind> kFloatKinds{kRows};

}  // namespace pendra::output
