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

constexpr PackageRows kPackageRows[] = {
    {"enumitem", kEnumitemRows, ""},
    {"booktabs", kBooktabsRows, ""},
    {"longtable", kLongtableRows, ""},
    {"multirow", kMultirowRows, ""},
    {"array", kArrayRows, ""},
    {"tabularx", kArrayRows, "array"},
    {"amsmath", kAmsmathRows, ""},
    {"amsfonts", kAmsfontsRows, ""},
    {"amssymb", kAmsfontsRows, "amsfonts"},
    {"mathtools", kMathtoolsRows, "amsmath"},
};

constexpr ClassPackages kClassRows[] = {
    {"memoir", "enumitem"},
};

// clang-format on

static_assert(tables::duplicateNames(kEnumitemRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kPackageRows, tables::rowName) == 0, "a package stands twice");
static_assert(tables::duplicateNames(kClassRows, tables::rowName) == 0, "a class stands twice");

}  // namespace

constexpr std::span<const PackageRows> kPackages{kPackageRows};
constexpr std::span<const ClassPackages> kClassPackages{kClassRows};

}  // namespace pendra::reader
