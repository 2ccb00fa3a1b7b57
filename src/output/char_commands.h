// Character-level commands: accents, \verb and \mbox.
#pragma once

#include <cstddef>

namespace pendra::output {

struct AccentRow {
  char base;
  char accent;
  unsigned char code;  // FrameRoman code of the accented letter
};

constexpr std::size_t kAccentCount = 52;
extern const AccentRow kAccents[kAccentCount];

// The FrameRoman code of the letter with that accent; 0 when the table has none.
unsigned char accentedLetter(char base, char accent);

// %A: the accent `accent` ('?' takes it from the input) on the next letter.
void accentProc(char accent);
// %V: \verb and \verb*.
// With `inlineListing` (\lstinline, \mintinline): the code may stand in braces as well, and
// spaces after the delimiter are kept.
void verbProc(bool inlineListing = false);
// \char: the character of the code that follows (a number, 'octal, "hex or `c) as text; a code
// above 127 is read as Latin-1.
void charCodeProc();
// \string: the next token as text (a command's name with its backslash).
void stringProc();
// %m: \mbox.
void mboxProc();
// %V(s): the text between a short-verb character and the next one, as \verb writes it.
void shortVerbProc();
// %V(m), %V(d): \MakeShortVerb{\c} and \DeleteShortVerb{\c}.
void shortVerbDefinition(bool make);
// Makes `c` a short-verb character, or gives it back the meaning it had before.
void setShortVerb(unsigned char c, bool make);

}  // namespace pendra::output
