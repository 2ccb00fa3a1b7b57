// User macros: the defining commands, invocation and argument reading.
#pragma once

#include <memory>
#include <string>

namespace pendra::reader {

constexpr std::size_t kMacroArgumentMax = 4095;  // characters kept of one argument
constexpr int kMaxMacroArgs = 9;
// Every body ends with the control symbol \?, whose template is empty, so that a control word at
// the end of a body cannot run on into the text after the call.
constexpr const char* kMacroBodyEnd = "\\?";
constexpr char kMacroBodyEndChar = '?';

// Defines (or redefines at the same scope level) the macro `name` with `argCount` arguments.
void defineMacro(const std::string& name, int argCount, const std::string& body);
// %M(n): expands the macro named by the current token text.
void invokeMacro(const char* name, int argCount);
// %n(n), %n(r), %n(p): \newcommand, \renewcommand, \providecommand.
void newCommandProc(char kind);
// %F(\def): \def.
void defProc();
// %F(\let): \let, which gives a name the meaning that another command has now (a macro's body
// and arguments, or a built-in command's template).
void letProc();
// %N(n): \newenvironment and \renewenvironment.
void newEnvironmentProc();
// %N(l), %N(v), %N(t): \lstnewenvironment, \DefineVerbatimEnvironment and \newtcblisting, which
// define environments whose lines are a listing's.
void newListingEnvironmentProc(char kind);
// A brace-delimited argument read character by character (no expansion).
std::string readMacroArgument();
// A bracket-delimited argument, empty when no '[' is current.
std::string readBracketArgument();

}  // namespace pendra::reader
