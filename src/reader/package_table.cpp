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

// natbib: citations as \cite gives them, [pre][post] notes kept as text; the star (all authors)
// changes nothing here. biblatex loads these rows too (its natbib compatibility, and
// \citeauthor, \citeyear of its own).
constexpr BuiltinCommand kNatbibRows[] = {
    {"\\citet", R"t(%*%X(N))t"},
    {"\\citep", R"t(%*%X(N))t"},
    {"\\citealt", R"t(%*%X(N))t"},
    {"\\citealp", R"t(%*%X(N))t"},
    {"\\citeauthor", R"t(%*%X(N))t"},
    {"\\citeyear", R"t(%*%X(N))t"},
    {"\\citeyearpar", R"t(%*%X(N))t"},
    {"\\citenum", R"t(%X(N))t"},
    {"\\Citet", R"t(%*%X(N))t"},
    {"\\Citep", R"t(%*%X(N))t"},
    {"\\Citealt", R"t(%*%X(N))t"},
    {"\\Citealp", R"t(%*%X(N))t"},
    {"\\Citeauthor", R"t(%*%X(N))t"},
    {"\\citetext", R"t(%p)t"},
    {"\\setcitestyle", R"t(%x)t"},
    {"\\bibpunct", R"t(%o%x%x%x%x%x%x)t"},
    {"\\citestyle", R"t(%x)t"},
};

// biblatex: its citation commands; the bibliography itself comes from a .bbl of biblatex's own
// form, which is not read.
constexpr BuiltinCommand kBiblatexRows[] = {
    {"\\parencite", R"t(%*%X(N))t"},
    {"\\Parencite", R"t(%*%X(N))t"},
    {"\\textcite", R"t(%X(N))t"},
    {"\\Textcite", R"t(%X(N))t"},
    {"\\autocite", R"t(%*%X(N))t"},
    {"\\Autocite", R"t(%*%X(N))t"},
    {"\\footcite", R"t(%X(N))t"},
    {"\\smartcite", R"t(%X(N))t"},
    {"\\citetitle", R"t(%*%X(N))t"},
    {"\\addbibresource", R"t(%o%x)t"},
    {"\\printbibliography", R"t(%o)t"},
    {"\\ExecuteBibliographyOptions", R"t(%o%x)t"},
};

// cleveref: references to one label or a list of them, as \ref gives them.
constexpr BuiltinCommand kCleverefRows[] = {
    {"\\cref", R"t(%*%X(A))t"},
    {"\\Cref", R"t(%*%X(A))t"},
    {"\\cpageref", R"t(%X(P))t"},
    {"\\Cpageref", R"t(%X(P))t"},
    {"\\crefname", R"t(%x%x%x)t"},
    {"\\Crefname", R"t(%x%x%x)t"},
    {"\\creflabelformat", R"t(%x%x)t"},
};

// nameref (hyperref loads it): the reference stands where the heading's title would.
constexpr BuiltinCommand kNamerefRows[] = {
    {"\\nameref", R"t(%*%X(A))t"},
    {"\\Nameref", R"t(%X(A))t"},
};

// amsthm: theorems without numbers, styles read and dropped, the proof's end mark.
constexpr BuiltinCommand kAmsthmRows[] = {
    {"\\newtheorem*", R"t(%t(*))t"},
    {"\\theoremstyle", R"t(%x)t"},
    {"\\newtheoremstyle", R"t(%x%x%x%x%x%x%x%x%x)t"},
    {"\\swapnumbers", ""},
    {"\\qed", R"t(%l(e))t"},
    {"\\qedhere", ""},
    {"\\qedsymbol", R"t(%f(T)\xd7 %0)t"},
};

// Page layout, listings and caption settings, units: read and dropped.
constexpr BuiltinCommand kGeometryRows[] = {
    {"\\geometry", R"t(%x)t"},
    {"\\newgeometry", R"t(%x)t"},
    {"\\restoregeometry", ""},
};

constexpr BuiltinCommand kListingsRows[] = {
    {"\\lstset", R"t(%x)t"},
    {"\\lstdefinestyle", R"t(%x%x)t"},
    {"\\lstdefinelanguage", R"t(%o%x%o%x)t"},
    {"\\lstinline", R"t(%o%V(l))t"},
};

constexpr BuiltinCommand kCaptionRows[] = {
    {"\\captionsetup", R"t(%o%x)t"},
    {"\\DeclareCaptionFormat", R"t(%x%x)t"},
    {"\\DeclareCaptionLabelFormat", R"t(%x%x)t"},
};

// capt-of's \captionof, which caption defines as well.
constexpr BuiltinCommand kCaptofRows[] = {
    {"\\captionof", R"t(%C(of))t"},
};

constexpr BuiltinCommand kSiunitxRows[] = {
    {"\\sisetup", R"t(%x)t"},
    {"\\num", R"t(%o%p)t"},
};

constexpr BuiltinCommand kXcolorRows[] = {
    {"\\colorlet", R"t(%x%x)t"},
};

// enumitem: the settings of lists are read and dropped.
constexpr BuiltinCommand kEnumitemRows[] = {
    {"\\setdescription", R"t(%o%x)t"},
    {"\\setenumerate", R"t(%o%x)t"},
    {"\\setitemize", R"t(%o%x)t"},
    {"\\setlist", R"t(%o%x)t"},
    {"\\newlist", R"t(%x%x%x)t"},
    {"\\renewlist", R"t(%x%x%x)t"},
    {"\\setlistdepth", R"t(%x)t"},
    {"\\SetLabelAlign", R"t(%x%x)t"},
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

// hyperref (which loads url and nameref): \href's text with a hypertext marker for its URL;
// \autoref as \ref; \hyperref[label]{text} keeps its text; the settings and the PDF's own
// furniture (bookmarks, anchors) are read and dropped.
constexpr BuiltinCommand kHyperrefRows[] = {
    {"\\autoref", R"t(%*%X(A))t"},
    {"\\href", R"t(%u(h)%p)t"},
    {"\\hyperbaseurl", R"t(%x)t"},
    {"\\hyperdef", R"t(%x%x%p)t"},
    {"\\hyperlink", R"t(%x%p)t"},
    {"\\hyperref", R"t(%o%p)t"},
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

// apacite: its citation commands as \cite gives them (notes kept as text).
constexpr BuiltinCommand kApaciteRows[] = {
    {"\\citeA", R"t(%*%X(N))t"},
    {"\\citeNP", R"t(%*%X(N))t"},
    {"\\citeyearNP", R"t(%*%X(N))t"},
    {"\\fullcite", R"t(%*%X(N))t"},
    {"\\fullciteA", R"t(%*%X(N))t"},
    {"\\fullciteNP", R"t(%*%X(N))t"},
    {"\\shortcite", R"t(%*%X(N))t"},
    {"\\shortciteA", R"t(%*%X(N))t"},
    {"\\shortciteNP", R"t(%*%X(N))t"},
};

// xspace: the space a word after a command would need is there already.
constexpr BuiltinCommand kXspaceRows[] = {
    {"\\xspace", R"t(%Z(x))t"},
};

// babel: French quotes, the guillemets with the non-breaking space French puts inside them (the
// blanks of the source inside them give way to it).
constexpr BuiltinCommand kBabelRows[] = {
    {"\\og", R"t(\xc7 %z(~)% )t"},
    {"\\fg", R"t(%)t" "\x08" R"t(%z(~)\xc8 )t"},
};

// doc: the metavariables of package documentation, an argument's name in angle brackets and
// italics, bare or in the braces, brackets or parentheses of its kind of argument.
constexpr BuiltinCommand kDocRows[] = {
    {"\\meta", R"t(%f(S)\xe1 %0%s(I)%p%0%f(S)\xf1 %0)t"},
    {"\\marg", R"t(%f(C){%0%f(S)\xe1 %0%s(I)%p%0%f(S)\xf1 %0%f(C)}%0)t"},
    {"\\oarg", R"t(%f(C)[%0%f(S)\xe1 %0%s(I)%p%0%f(S)\xf1 %0%f(C)]%0)t"},
    {"\\parg", R"t(%f(C)(%0%f(S)\xe1 %0%s(I)%p%0%f(S)\xf1 %0%f(C))%0)t"},
};

// ltxdoc and l3doc: a command's name in typewriter type, with its backslash.
constexpr BuiltinCommand kLtxdocRows[] = {
    {"\\cs", R"t(%f(C)\\%p%0)t"},
};

constexpr PackageRows kPackageRows[] = {
    {"doc", kDocRows, ""},
    {"babel", kBabelRows, ""},
    {"apacite", kApaciteRows, ""},
    {"xspace", kXspaceRows, ""},
    {"ltxdoc", kLtxdocRows, "doc"},
    {"natbib", kNatbibRows, ""},
    {"biblatex", kBiblatexRows, "natbib"},
    {"cleveref", kCleverefRows, ""},
    {"nameref", kNamerefRows, ""},
    {"amsthm", kAmsthmRows, ""},
    {"ntheorem", kAmsthmRows, ""},
    {"geometry", kGeometryRows, ""},
    {"listings", kListingsRows, ""},
    {"caption", kCaptionRows, "capt-of"},
    {"capt-of", kCaptofRows, ""},
    {"siunitx", kSiunitxRows, ""},
    {"xcolor", kXcolorRows, ""},
    {"enumitem", kEnumitemRows, ""},
    {"graphics", kGraphicsRows, ""},
    {"graphicx", {}, "graphics"},
    {"url", kUrlRows, ""},
    {"hyperref", kHyperrefRows, "url,nameref"},
    {"subcaption", kSubcaptionRows, ""},
    {"subfig", kSubfigRows, ""},
    {"subfigure", kSubfigureRows, ""},
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

// amsart, amsbook and amsproc define amsthm's commands themselves (and load amsmath).
constexpr ClassPackages kClassRows[] = {
    {"amsart", "amsmath,amsthm,amsfonts"},
    {"amsbook", "amsmath,amsthm,amsfonts"},
    {"amsproc", "amsmath,amsthm,amsfonts"},
    {"beamer", "hyperref,graphicx,xcolor,amsmath,amssymb,amsthm"},
    {"ltxdoc", "ltxdoc"},
    {"l3doc", "ltxdoc"},
};

// clang-format on

static_assert(tables::duplicateNames(kNatbibRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::duplicateNames(kBiblatexRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kAmsthmRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::duplicateNames(kEnumitemRows, tables::rowName) == 0,
              "a command stands twice");
static_assert(tables::duplicateNames(kPackageRows, tables::rowName) == 0, "a package stands twice");
static_assert(tables::duplicateNames(kDocRows, tables::rowName) == 0, "a command stands twice");
static_assert(tables::duplicateNames(kApaciteRows, tables::rowName) == 0, "a command stands twice");
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
