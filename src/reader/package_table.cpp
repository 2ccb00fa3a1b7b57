// The packages' command tables and the packages that classes load. Data only; packages.cpp
// enters a package's rows when a document loads it.
//
// Each package's rows stand in an array of their own, one row a line. A name may stand in one
// table only, and not in the main table as well (tests/common/table_check_test.cpp checks all
// of them together): which row a document gets must not depend on the order it loads packages.
#include "reader/package_table.h"

#include "common/table_check.h"

namespace pendra::reader {

namespace {

// clang-format off

// enumitem: the settings of lists are read and dropped.
constexpr BuiltinCommand kEnumitemRows[] = {
    {"\\setdescription", R"t(%o%x)t"},
    {"\\setenumerate", R"t(%o%x)t"},
    {"\\setitemize", R"t(%o%x)t"},
    {"\\setlist", R"t(%o%x)t"},
};

// graphics (and graphicx, which loads it): \includegraphics imports the file into an anchored
// frame; \graphicspath gives the directories it searches.
constexpr BuiltinCommand kGraphicsRows[] = {
    {"\\DeclareGraphicsExtensions", R"t(%x)t"},
    {"\\DeclareGraphicsRule", R"t(%x%x%x%x)t"},
    {"\\graphicspath", R"t(%u(p))t"},
    {"\\includegraphics", R"t(%u(g))t"},
};

// url: the URL's text as it stands, in a typewriter font, with a hypertext marker.
constexpr BuiltinCommand kUrlRows[] = {
    {"\\DeclareUrlCommand", R"t(%x%x)t"},
    {"\\path", R"t(%u(n))t"},
    {"\\url", R"t(%u(u))t"},
    {"\\urlstyle", R"t(%x)t"},
};

// hyperref (which loads url): \href's text with a hypertext marker for its URL; the settings and
// the PDF's own furniture (bookmarks, anchors) are read and dropped.
constexpr BuiltinCommand kHyperrefRows[] = {
    {"\\href", R"t(%u(h)%p)t"},
    {"\\hyperbaseurl", R"t(%x)t"},
    {"\\hyperdef", R"t(%x%x%p)t"},
    {"\\hyperlink", R"t(%x%p)t"},
    {"\\hypersetup", R"t(%x)t"},
    {"\\hypertarget", R"t(%x%p)t"},
    {"\\nolinkurl", R"t(%u(n))t"},
    {"\\pdfbookmark", R"t(%o%x%x)t"},
    {"\\phantomsection", R"t(%Z)t"},
    {"\\texorpdfstring", R"t(%p%x)t"},
};

// subcaption: a subfigure's caption is its text; subfig: \subfloat's caption, then its content.
constexpr BuiltinCommand kSubcaptionRows[] = {
    {"\\subcaption", R"t(%o%p)t"},
    {"\\subcaptionbox", R"t(%o%p %p)t"},
};
constexpr BuiltinCommand kSubfigRows[] = {
    {"\\subfloat", R"t(%q %p)t"},
};
// subfigure (the older package): \subfigure[caption]{content}, and \subtable alike.
constexpr BuiltinCommand kSubfigureRows[] = {
    {"\\subfigure", R"t(%q %p)t"},
    {"\\subtable", R"t(%q %p)t"},
};

constexpr PackageRows kPackageRows[] = {
    {"enumitem", kEnumitemRows, ""},
    {"graphics", kGraphicsRows, ""},
    {"graphicx", {}, "graphics"},
    {"url", kUrlRows, ""},
    {"hyperref", kHyperrefRows, "url"},
    {"subcaption", kSubcaptionRows, ""},
    {"subfig", kSubfigRows, ""},
    {"subfigure", kSubfigureRows, ""},
};

constexpr ClassPackages kClassRows[] = {
    {"memoir", "enumitem"},
    {"beamer", "hyperref,graphicx"},
};

// clang-format on

static_assert(tables::duplicateNames(kEnumitemRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kPackageRows, tables::rowName) == 0, "a package stands twice");
static_assert(tables::duplicateNames(kClassRows, tables::rowName) == 0, "a class stands twice");
static_assert(tables::duplicateNames(kGraphicsRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kUrlRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::duplicateNames(kHyperrefRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kSubfigureRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kSubcaptionRows, tables::rowName) == 0,
              "a command stands twice");

}  // namespace

constexpr std::span<const PackageRows> kPackages{kPackageRows};
constexpr std::span<const ClassPackages> kClassPackages{kClassRows};

}  // namespace pendra::reader
