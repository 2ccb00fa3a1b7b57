// User macros: the defining commands, invocation and argument reading.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/chars.h"

namespace pendra::reader {

constexpr std::size_t kMacroArgumentMax = 4095;  // characters kept of one argument
constexpr int kMaxMacroArgs = 9;
// Every body ends with the control symbol \?, whose template is empty, so that a control word at
// the end of a body cannot run on into the text after the call.
constexpr const char* kMacroBodyEnd = "\\?";
constexpr char kMacroBodyEndChar = '?';
// What an `o` argument of a document command holds when no '[' followed.
constexpr const char* kNoValue = "-NoValue-";
// Nested parameterless macros expanded in an \edef body or a test's text, and the characters
// such an expansion may reach.
constexpr int kMaxTextExpansionDepth = 16;
constexpr std::size_t kMaxExpandedText = 16 * 1024;
// Macros expanded in one such text: bodies that expand to nothing many times over stop here.
constexpr int kMaxTextExpansions = 4096;

// How one argument of a macro is read.
enum class ParamKind : unsigned char {
  kBraced,       // {..}, as \newcommand's arguments
  kOptional,     // [..], or the default (o, O{..}, \newcommand's optional first argument)
  kStar,         // s: an optional star, given as \BooleanTrue or \BooleanFalse
  kUndelimited,  // \def's #1 before another # or the body: a braced group or one token
  kDelimited,    // \def's #1 followed by text: everything up to that text
};

struct MacroParam {
  ParamKind kind = ParamKind::kBraced;
  std::string text;  // the default of an optional argument, the delimiter of a delimited one
  bool hasDefault = false;
};

// The arguments of a macro read otherwise than as n braced groups; a macro without one reads
// `argCount` braced arguments.
struct MacroShape {
  std::string prefix;  // text that must follow the name before the first argument (\def\p(#1))
  std::vector<MacroParam> params;
  bool longArgs = false;  // \long: a delimited argument may hold a blank line
};

// One conversion's state of the defining commands.
struct DefinitionState {
  bool atLetter = false;      // \makeatletter: '@' is a letter of command names
  bool globalPrefix = false;  // \global was read: the next definition is made at level 0
  bool longPrefix = false;    // \long was read
  bool bracedLet = false;     // \LetLtxMacro: the target may stand in braces
  bool expandafter = false;   // an \expandafter was passed in the name or parameters of a \def
};
extern DefinitionState theDefinitions;
inline DefinitionState& definitionState() {
  return theDefinitions;
}
void initDefinitions();
// A letter of a control word: a letter, or '@' between \makeatletter and \makeatother.
inline bool isNameLetter(int c) {
  return chars::isLetter(c) || (c == '@' && theDefinitions.atLetter);
}

// Defines (or redefines at the same scope level) the macro `name` with `argCount` arguments;
// `global` defines it at level 0 as well, for \gdef and \global.
void defineMacro(const std::string& name, int argCount, const std::string& body,
                 std::shared_ptr<const MacroShape> shape = nullptr, bool global = false);
// %M(n): expands the macro named by the current token text.
void invokeMacro(const char* name, int argCount);
// %n(n), %n(r), %n(p): \newcommand, \renewcommand, \providecommand (each with its starred
// form); %n(d), %n(D), %n(R), %n(P): \NewDocumentCommand, \DeclareDocumentCommand,
// \RenewDocumentCommand, \ProvideDocumentCommand.
void newCommandProc(char kind);
// %F(k): \def and its kin, \let, the prefixes, \csname; the conditionals are run by
// conditionalProc. `kind` is the template argument.
void definitionProc(const char* kind);
// \def, \gdef, \edef, \xdef.
void defProc(bool global = false, bool expand = false);
// %F(\let): \let, which gives a name the meaning that another command has now (a macro's body
// and arguments, or a built-in command's template).
void letProc();
// %N(n): \newenvironment and \renewenvironment; %N(d): \NewDocumentEnvironment and kin.
void newEnvironmentProc(char kind = 'n');
// %N(l), %N(v), %N(t): \lstnewenvironment, \DefineVerbatimEnvironment and \newtcblisting, which
// define environments whose lines are a listing's.
void newListingEnvironmentProc(char kind);
// A brace-delimited argument read character by character (no expansion); within a macro's body,
// #1..#9 are replaced by that macro's arguments and ## by #.
std::string readMacroArgument();
// At #1..#9 within a macro's body: reads that argument next (nothing elsewhere).
void substituteParameterHere();
// Passes the \? that ends a macro's body when nothing follows it there: a macro called at the end
// of a body reads its arguments, and \@ifstar looks, in the text after that body.
void passBodyEnds();
// A bracket-delimited argument, empty when no '[' is current.
std::string readBracketArgument();
// The text between \csname (already read) and \endcsname, macros in it expanded.
std::string readCsnameText();
// `text` with its parameterless macros replaced by their bodies (nested ones too, within
// kMaxTextExpansionDepth), and \noexpand\cmd left as \cmd.
std::string expandText(const std::string& text);
// Runs the command of that name as if it stood in the text (nothing when it is undefined).
void runCommandNamed(const std::string& name);
// Reads `text` next, as the body of a macro without arguments is read.
void readNext(const std::string& text);

}  // namespace pendra::reader
