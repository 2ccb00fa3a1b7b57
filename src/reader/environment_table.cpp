// The built-in environments, in table order, and the outermost record. Data only; the lookup
// table is built from them at each run.
#include "common/table_check.h"
#include "reader/environments.h"

namespace pendra::reader {

namespace {

// name, body handler, interpreter, begin and end templates, paragraph tag, paragraph kind,
// line-break kind, mode.
// clang-format off
constexpr EnvironmentRecord kRows[] = {
    {"abstract", BodyHandler::kGeneric, Interpreter::kText, R"t(%g(Center)%a(20)%f(T)%s(B)Abstract%n%T)t", R"t(%n)t", "Abstract", 'N', 'H', kParaMode},
    {"*address", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%B(S)%T)t", R"t(%n%B(E1+)%+)t", "FlushR", 'N', 'P', kParaMode},
    {"alltt", BodyHandler::kAlltt, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kAllttMode},
    {"array", BodyHandler::kGeneric, Interpreter::kMath, R"t(%o%T%$(A)%c)t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"*author", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%B(S)%T)t", R"t(%n%B(E2+)%+%L)t", "Author", 'N', 'P', kParaMode},
    {"center", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Center", 'N', 'P', kParaMode},
    {"*closing", BodyHandler::kGeneric, Interpreter::kText, R"t(%n%T)t", "\n" "\n" "\n" "\n" R"t(%T%B(I2+)%n)t", "FlushL", 'N', 'P', kParaMode},
    {"*date", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%B(S)%T)t", R"t(%n%B(E4+)%+%L)t", "Author", 'N', 'P', kParaMode},
    {"description", BodyHandler::kList, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "CBlockIndent", 'N', 'H', kParaMode},
    {"displaymath", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(Q))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathMode},
    {"document", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%T)t", R"t(%n%B(I9+)%+%D(E))t", "Body", 'N', 'H', kParaMode},
    {"enumerate", BodyHandler::kList, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "CStep", 'N', 'H', kParaMode},
    {"equation", BodyHandler::kGeneric, Interpreter::kMath, R"t(%n%$(Q))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathMode},
    {"eqnarray", BodyHandler::kGeneric, Interpreter::kMath, R"t(%n%$(Q))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"eqnarray*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(Q))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"figure", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"figure*", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"filecontents", BodyHandler::kListing, Interpreter::kText, R"t(%x%+)t", R"t(%-)t", "Code", 'P', 'P', kVerbatimMode},
    {"filecontents*", BodyHandler::kListing, Interpreter::kText, R"t(%x%+)t", R"t(%-)t", "Code", 'P', 'P', kVerbatimMode},
    {"flushleft", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FlushL", 'N', 'P', kParaMode},
    {"flushright", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FlushR", 'N', 'P', kParaMode},
    {"*footnote", BodyHandler::kGeneric, Interpreter::kText, R"t(% %T)t", R"t(%n%L)t", "Footnote", 'N', 'H', kParaMode},
    {"itemize", BodyHandler::kList, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "CBullet", 'N', 'H', kParaMode},
    {"letter", BodyHandler::kGeneric, Interpreter::kText, R"t(%E(*letter))t", R"t(%n)t", "FirstBody", 'N', 'P', kParaMode},
    {"*letter", BodyHandler::kGeneric, Interpreter::kText, R"t(%B(S)%T%p%B(E3+)%T)t", R"t(%n%n)t", "FlushL", 'N', 'P', kParaMode},
    {"list", BodyHandler::kGeneric, Interpreter::kText, R"t(%x%x%T)t", R"t(%n%L)t", "CBlockIndent", 'N', 'H', kParaMode},
    {"lrbox", BodyHandler::kGeneric, Interpreter::kText, R"t(%x%+)t", R"t(%-%L)t", "Body", 'N', 'H', kParaMode},
    {"*makeboxtext", BodyHandler::kNone, Interpreter::kBoxText, "", "", "FlushL", ' ', 'H', kParaMode},
    {"math", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(M))t", R"t(%$(E))t", nullptr, ' ', 'P', kMathMode},
    {"minipage", BodyHandler::kMinipage, Interpreter::kText, "", "", "Justified", 'N', 'H', kParaMode},
    {"overlay", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FlushL", 'N', 'H', kParaMode},
    {"picture", BodyHandler::kPicture, Interpreter::kPicture, "", "", nullptr, ' ', ' ', kPictMode},
    {"*picttext", BodyHandler::kPicture, Interpreter::kText, "", "", "FlushL", ' ', 'H', kParaMode},
    {"*put", BodyHandler::kPicture, Interpreter::kPut, "", "", "FlushL", ' ', 'H', kParaMode},
    {"quotation", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Extract", 'N', 'H', kParaMode},
    {"quote", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Extract", 'N', 'H', kParaMode},
    {"*signature", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%B(S)%T%a(72))t", R"t(%n%B(E2+)%+)t", "FlushL", ' ', 'P', kParaMode},
    {"slide", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FlushL", 'N', 'H', kParaMode},
    {"sloppypar", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FlushL", 'N', 'H', kParaMode},
    {"tabbing", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "ETable", ' ', 'P', kTabbingMode},
    {"table", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"table*", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', ' ', kParaMode},
    {"tabular", BodyHandler::kTabular, Interpreter::kTable, R"t(%T)t", R"t(%n%L)t", "Cell", ' ', ' ', kTableMode},
    {"tabular*", BodyHandler::kTabular, Interpreter::kTable, R"t(%T)t", R"t(%n%L)t", "Cell", ' ', 'P', kTableMode},
    {"tabularx", BodyHandler::kTabular, Interpreter::kTable, R"t(%T)t", R"t(%n%L)t", "Cell", ' ', 'P', kTableMode},
    {"tabulary", BodyHandler::kTabular, Interpreter::kTable, R"t(%T)t", R"t(%n%L)t", "Cell", ' ', 'P', kTableMode},
    {"longtable", BodyHandler::kTabular, Interpreter::kTable, R"t(%T)t", R"t(%n%L)t", "Cell", ' ', 'P', kTableMode},
    {"equation*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(Q))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathMode},
    {"align", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"align*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"alignat", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W)%x)t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"alignat*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W)%x)t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"flalign", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"flalign*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"gather", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"gather*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(W))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"multline", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(Q))t", R"t(%$(E)%n%L)t", "Equation", ' ', 'P', kMathArrayMode},
    {"multline*", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(Q))t", R"t(%$(E)%n%L)t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"split", BodyHandler::kGeneric, Interpreter::kMath, R"t(%$(S))t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"aligned", BodyHandler::kGeneric, Interpreter::kMath, R"t(%o%$(S))t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"alignedat", BodyHandler::kGeneric, Interpreter::kMath, R"t(%o%$(S)%x)t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"gathered", BodyHandler::kGeneric, Interpreter::kMath, R"t(%o%$(S))t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"cases", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L{)%e(A))t", R"t(%$(E)%e(R.))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"matrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(A))t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"smallmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(A))t", R"t(%$(E))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"pmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L()%e(A))t", R"t(%$(E)%e(R\)))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"bmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L[)%e(A))t", R"t(%$(E)%e(R]))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"Bmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L{)%e(A))t", R"t(%$(E)%e(R}))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"vmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L|)%e(A))t", R"t(%$(E)%e(R|))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"Vmatrix", BodyHandler::kGeneric, Interpreter::kMath, R"t(%e(L")%e(A))t", R"t(%$(E)%e(R"))t", "EquationNoNum", ' ', 'P', kMathArrayMode},
    {"thebibliography", BodyHandler::kGeneric, Interpreter::kText, R"t(%x%g(1Heading*))t" "\n" R"t(References%g(FirstBody))t", R"t(%n%L)t", "Body", 'N', 'H', kTableMode},
    {"theindex", BodyHandler::kGeneric, Interpreter::kText, R"t(%+)t", R"t(%-%L)t", nullptr, 'N', 'P', kParaMode},
    {"*theorem", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", nullptr, 'N', 'H', kParaMode},
    {"*title", BodyHandler::kGeneric, Interpreter::kText, R"t(%-%B(S)%T)t", R"t(%n%B(E1+)%+)t", "Title", ' ', 'H', kParaMode},
    {"titlepage", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Body", 'N', 'H', kParaMode},
    {"trivlist", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "CBlockIndent", 'N', 'H', kParaMode},
    {"verbatim", BodyHandler::kVerbatim, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"verbatim*", BodyHandler::kVerbatim, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"verse", BodyHandler::kGeneric, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Extract", 'P', 'P', kParaMode},
    // amsthm's proof (amsart and kin have it too): an italic heading and the end mark.
    {"proof", BodyHandler::kGeneric, Interpreter::kText, R"t(%T%l(b))t", R"t(%l(e)%n%L)t", "Body", 'N', 'H', kParaMode},
    {"BVerbatim", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"LVerbatim", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"lstlisting", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"minted", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    // The comment package's environment: its text is left out.
    {"comment", BodyHandler::kComment, Interpreter::kText, "", "", nullptr, ' ', ' ', kVerbatimMode},
    {"tcbverbatimwrite", BodyHandler::kListing, Interpreter::kText, R"t(%x%+)t", R"t(%-)t", "Code", 'P', 'P', kVerbatimMode},
    {"tcblisting", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"Verbatim", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    {"Verbatim*", BodyHandler::kListing, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "Code", 'P', 'P', kVerbatimMode},
    // Figures and tables of packages: wrapfig's are floats beside the text ([lines]{place}[overhang]{width}),
    // rotating's are turned on their page; subcaption's parts of a float keep their content in place.
    {"sidewaysfigure", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"sidewaystable", BodyHandler::kFloat, Interpreter::kText, R"t(%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"subfigure", BodyHandler::kGeneric, Interpreter::kText, R"t(%o%x%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"subtable", BodyHandler::kGeneric, Interpreter::kText, R"t(%o%x%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"wrapfigure", BodyHandler::kFloat, Interpreter::kText, R"t(%o%x%o%x%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
    {"wraptable", BodyHandler::kFloat, Interpreter::kText, R"t(%o%x%o%x%T)t", R"t(%n%L)t", "FirstBody", ' ', 'P', kParaMode},
};
// clang-format on

// The lookup finds one record a name: no name may stand twice.
static_assert(tables::duplicateNames(kRows, tables::rowName) == 0, "an environment stands twice");

}  // namespace

constexpr std::span<const EnvironmentRecord> kBuiltinEnvironments{kRows};

// Current when reading starts, and the pattern of the records made for unknown names.
const EnvironmentRecord kOutermostEnvironment = {
    "?", BodyHandler::kGeneric, Interpreter::kText, "%T", "%n", "Body", ' ', 'H', kParaMode};

}  // namespace pendra::reader
