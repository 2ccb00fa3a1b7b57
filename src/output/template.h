// The action template interpreters: TextDispatcher, BoxTextDispatcher, TableDispatcher and
// BaseDispatcher, which all modes share, and the template item reader.
#pragma once

#include <cstddef>

#include "reader/environments.h"

namespace pendra::output {

// Template codes
// ---------------
// A command's action template is text with codes: `%c` without an argument, `%c(arg)` with one
// (at most kTemplateArgumentMax bytes kept; `\)` stands for a parenthesis inside). Any other byte
// is literal text. Seven interpreters run templates, chosen by the current environment's record:
//   Text   TextDispatcher (paragraph text)         Box  BoxTextDispatcher (\mbox and box text)
//   Table  TableDispatcher (tabular cells)         Math the math parser (math/parser.cpp)
//   Pict   PictDispatcher (the picture body)       Put  putInterpreter (objects in \put)
//   Base   BaseDispatcher: every interpreter hands it the codes it does not run itself.
// A code means what its first column says unless a later column says otherwise; "-" there means
// the interpreter drops it. `%k` is the case in point: quotes or underlining in text, an operator
// in math.
//
// clang-format off
//  code   Base                                   overridden by
//  %\t    skip the rest of the line
//  % (sp) skip white space
//  %*     skip a star after the command
//  %+ %-  suppress / release output (skipped arguments)
//  %L     after a display or list: next paragraph is FirstBody-ruled
//  %O     after a heading
//  %Z     nothing (the command is known and empty); %Z(d): a dimension after it, read and
//         dropped (\kern, \raise and kin); %Z(g): glue (\hskip, \vskip), read and dropped;
//         %Z(x): \xspace, a space unless punctuation follows
//  %y     \char: the character of the code that follows; %y(s): \string, the next token as
//         text
//  %K     \usepackage, \RequirePackage: [options]{names} loads the packages' command rows
//  %o %x  skip an optional / a braced argument
//  %J     \tableofcontents and kin: no text, the first use of each reported
//  The codes below take an argument in Base, whether they use it or not.
//  %B(op) diversion buffers (BufferProc)
//  %D(d)  a delimiter: ends or opens a construct        Math: \left \right and brackets;
//                                                       Pict, Put: math inside a picture
//  %E(n)  \begin of environment n                       Pict, Put: an environment as an object
//  %F(k)  definitions and conditionals, k naming which: \def \gdef \edef \xdef \let \global
//         \long \csname \newif \iftrue \ifx \else \fi \ifthenelse \@ifstar...; `if` and `set`
//         are a \newif boolean's \iffoo and \footrue/\foofalse (the token text names it)
//  %N(k)  \newenvironment (n), document environments (d), listings (l v t)
//  %n(c)  \newcommand (n), \renewcommand (r), \providecommand (p); document commands: new (d),
//         declare (D), renew (R), provide (P)
//  %H     \hspace           %v(D) the date variable     %z(c) spacing: \, \: \; \! ~ and kin
//  %L(u)  lengths (LengthProc)   %c(e) counters (CounterProc)   %M(n) a macro with n arguments
//  %P(k)  boxes (boxProc)        %S(k) save boxes        %R  \input, \include
//  %T(k)  tabular only: reported                        Table: cell, row and rule commands;
//                                                       Math: %T(t) array column spacing
//  %U     theorem note          %X(k) cross-references (XRefProc)   %Y %d  \documentclass
//  %e(c)  \tag (t) and \intertext (i) as \mbox text,  Math: the lines of amsmath displays:
//         \DeclareMathOperator (o), else nothing       t \tag, n \notag, i \intertext, Lx Rx a
//                                                       delimited group, A an array whose columns
//                                                       are counted (math/displays.h)
//  %k(a)  closing quotes ' or ", else underline         Math: an operator (class, name, format)
//  %m     \mbox                 %q(m) set the mode by letter (m i p t f)
//  %r     \rule                 %t  \newtheorem
//  %u(k)  by k: s \special, g \includegraphics, p \graphicspath, u \url, n \nolinkurl and
//         \path (no link), h \href (the URL's marker; the template processes the text)
//  %t(*)  \newtheorem* (no number)                     %w(t) nothing (Text: see below)
//  Text and Box (text interpreters; Math and Put run the ones marked *):
//  %0*    back to the font of the run's start     %b*  the token's text in the run's font
//  %p*    process one argument                    %q   optional text
//  %\x08* trim trailing blanks                    %h   a non-breaking space (Text, Box)
//  %f(F)* %h(s)* %s(S)  family, size, style       %A(c) accent    %V  \verb    %#(D) date
//  %V(l) \lstinline: as \verb, or its code in braces
//  %#(T)  \today: the date of SOURCE_DATE_EPOCH as text when set, else as %#(D)
//  %s(E)  emphasis: upright in italic or slanted text, else italic
//  Text alone:
//  %!     the paragraph format's font             %&   line break by the environment's kind
//  %@*    back to the run's mode                  %T   paragraph tag from the environment
//  %X     nothing                                 %i   index text
//  %n %|* end the paragraph                       %C   caption   %W  footnote
//  %I(t)* list item                               %a(s) space above the next paragraph
//  %w(t)  \centering and kin: tag t for the paragraph about to begin
//  %l(b)  the proof's heading   %l(e) the proof's end mark
//  %g(t)* new paragraph with tag t                %v   \vspace
//  Math alone: %$(m) open (m) or end (E) a math frame, %G(c) a delimiter code, %c a column,
//  %m a math box, %z(c) math spacing, %s dropped.
//  Pict: %P(k) a picture box, %Q curves, %U(P|M) \put and \multiput, %p(..) a picture command,
//  %! the paragraph font, %n text that reached the picture body becomes a text line.
//  Put: %A accent, %P(k) an object, %j \rotatebox, %Q curves, %V \verb, and
//  B D E H L M R X c n u v z passed to Base.
// clang-format on

// Bytes kept of a code's argument; the rest of a longer argument is dropped.
constexpr std::size_t kTemplateArgumentMax = 31;

// One item of a template: a literal byte, or a code with or without argument.
struct TemplateItem {
  bool literal = false;
  unsigned char byte = 0;  // the literal byte or the code byte
  bool hasArgument = false;
  char argument[kTemplateArgumentMax + 1] = {};
};

// %f, %h and %s with their argument, the font codes that the text, box text and picture
// interpreters share: runs the code and says true, or says false for any other code.
bool fontArgumentCode(unsigned char code, const char* argument);

// Reads the item at `p` and moves `p` past it; false at the end of the template.
bool nextTemplateItem(const char*& p, TemplateItem& item);

// Bounds nested template runs: a run past the bound is reported once and skipped. Every
// interpreter holds one for the length of a run.
class TemplateNestingGuard {
 public:
  TemplateNestingGuard();
  ~TemplateNestingGuard();
  TemplateNestingGuard(const TemplateNestingGuard&) = delete;
  TemplateNestingGuard& operator=(const TemplateNestingGuard&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// Runs a template through the interpreter of the current environment record.
void runInCurrentMode(const char* tmpl);
// In a construct loop, between tokens: when the text and box text interpreters run and the reader
// is at plain running text, writes that text as its tokens' templates would and moves past it.
// False, with nothing read, when the next token must take the ordinary way.
bool takePlainText();
// Runs a template through the named interpreter.
void runWithInterpreter(reader::Interpreter interpreter, const char* tmpl);

void TextDispatcher(const char* tmpl);
void BoxTextDispatcher(const char* tmpl);
void TableDispatcher(const char* tmpl);
// Interprets a string of codes that every mode shares; anything else is reported.
void BaseDispatcher(const char* tmpl);
// Runs one item, already read, as BaseDispatcher runs it: the interpreters hand the codes they do
// not know themselves on to it.
void runBaseItem(const TemplateItem& item);

}  // namespace pendra::output
