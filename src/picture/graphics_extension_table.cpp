// The extensions \includegraphics adds to a name, in the order pdfLaTeX's graphics driver tries
// them. Data only.
#include <span>

#include "common/table_check.h"
#include "picture/graphics.h"

namespace pendra::picture {

namespace {

// clang-format off
constexpr const char* kRows[] = {
    ".pdf",
    ".png",
    ".jpg",
    ".mps",
    ".jpeg",
    ".jbig2",
    ".jb2",
    ".PDF",
    ".PNG",
    ".JPG",
    ".JPEG",
    ".JBIG2",
    ".JB2",
    ".eps",
};
// clang-format on

static_assert(tables::duplicateNames(kRows, [](const char* row) { return row; }) == 0,
              "an extension stands twice");

}  // namespace

constexpr std::span<const char* const> kGraphicExtensions{kRows};

}  // namespace pendra::picture
