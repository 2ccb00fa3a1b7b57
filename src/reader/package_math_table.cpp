// The rows of the table and display-math packages: booktabs, longtable, multirow, array, amsmath,
// amsfonts (and amssymb, which loads it) and mathtools. Data only.
#include "common/table_check.h"
#include "reader/package_table.h"

namespace pendra::reader {

// clang-format off

// booktabs: the rules are written as \hline is; their widths and trimming are read and dropped.
constexpr BuiltinCommand kBooktabsRows[kBooktabsRowCount] = {
    {"\\addlinespace", R"t(%o)t"},
    {"\\bottomrule", R"t(%o%T(h))t"},
    {"\\cmidrule", R"t(%T(r))t"},
    {"\\midrule", R"t(%o%T(h))t"},
    {"\\morecmidrules", R"t(%Z)t"},
    {"\\specialrule", R"t(%x%x%x%T(h))t"},
    {"\\toprule", R"t(%o%T(h))t"},
};

// longtable: the ends of the heading and footing blocks.
constexpr BuiltinCommand kLongtableRows[kLongtableRowCount] = {
    {"\\endfirsthead", R"t(%T(f))t"},
    {"\\endfoot", R"t(%T(F))t"},
    {"\\endhead", R"t(%T(H))t"},
    {"\\endlastfoot", R"t(%T(l))t"},
};

constexpr BuiltinCommand kMultirowRows[kMultirowRowCount] = {
    {"\\multirow", R"t(%T(R))t"},
};

// array: a new column type is read and dropped; its letter counts no column.
constexpr BuiltinCommand kArrayRows[kArrayRowCount] = {
    {"\\newcolumntype", R"t(%x%o%x)t"},
};

// amsmath. \tag, \nonumber and \intertext stand in the main table.
constexpr BuiltinCommand kAmsmathRows[kAmsmathRowCount] = {
    {"\\DeclareMathOperator", R"t(%e(o))t"},
    {"\\allowdisplaybreaks", R"t(%o)t"},
    {"\\binom", R"t(%e(L()%k(2,atop,12)%e(R\)))t"},
    {"\\boldsymbol", R"t(%f(T)%s(B)%p%0)t"},
    {"\\dbinom", R"t(%e(L()%k(2,atop,12)%e(R\)))t"},
    {"\\dfrac", R"t(%k(2,over,12))t"},
    {"\\displaybreak", R"t(%o)t"},
    {"\\notag", R"t(%e(n))t"},
    {"\\operatorname", R"t(%*%m(m))t"},
    {"\\overset", R"t(%k(2,atop,12))t"},
    {"\\tbinom", R"t(%e(L()%k(2,atop,12)%e(R\)))t"},
    {"\\tfrac", R"t(%k(2,over,12))t"},
    {"\\underset", R"t(%k(2,atop,21))t"},
};

// amsfonts and amssymb: the blackboard and Fraktur letters have no face of their own here; they
// are set bold.
constexpr BuiltinCommand kAmsfontsRows[kAmsfontsRowCount] = {
    {"\\mathbb", R"t(%f(T)%s(B)%p%0)t"},
    {"\\mathfrak", R"t(%f(T)%s(B)%p%0)t"},
};

constexpr BuiltinCommand kMathtoolsRows[kMathtoolsRowCount] = {
    {"\\coloneqq", R"t(:=)t"},
    {"\\shortintertext", R"t(%e(i))t"},
};

// clang-format on
static_assert(tables::unfilledRows(kBooktabsRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kBooktabsRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::unfilledRows(kLongtableRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kLongtableRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::unfilledRows(kMultirowRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kMultirowRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::unfilledRows(kArrayRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kArrayRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::unfilledRows(kAmsmathRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kAmsmathRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::unfilledRows(kAmsfontsRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kAmsfontsRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::unfilledRows(kMathtoolsRows, tables::rowName) == 0, "a row is missing");
static_assert(tables::duplicateNames(kMathtoolsRows, tables::rowName) == 0,
              "a command stands twice");

}  // namespace pendra::reader
