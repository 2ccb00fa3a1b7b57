// Argument readers: each reads one kind of argument straight from the character stream.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace pendra::reader {

constexpr std::size_t kNameBufferMax = 255;    // characters of a command name or word
constexpr std::size_t kOptionLettersMax = 31;  // option letters
constexpr std::size_t kNumberTextMax = 79;     // characters of a decimal number
// Characters of a braced argument read as it stands that are kept; the rest is read and dropped.
constexpr std::size_t kBracedGroupMax = 1023;

// A braced or bracketed argument read as tokens (macros expanded); nullopt when missing.
std::optional<std::string> readTextArgument();
// Reads a braced argument as it stands from the input, after white space: from '{' to its
// matching '}' (a backslash protects the next character). Without a '{' nothing but the white
// space is read and the group is empty.
std::string readBracedGroup(bool* present = nullptr);
// A command name (backslash and letters), optionally in braces; nullopt at the end of input.
std::optional<std::string> readCommandName();
// A word: braced (spaces dropped, macros expanded) or a single character; nullopt when empty.
std::optional<std::string> readWord();
// Letters in brackets; nullopt when no '[' is current.
std::optional<std::string> readOptionLetters();
std::optional<int> readInteger();
// The largest character code \char takes.
constexpr int kCharCodeMax = 255;
// A character code as \char reads it: decimal digits, ' and octal digits, " and hex digits, or `
// and a character or a one-character command (`\#); one space after the number is taken with it.
// nullopt when no number follows or it is past kCharCodeMax (what was read is passed).
std::optional<int> readCharCode();
std::optional<float> readDecimal();
// A length in points; nullopt on failure (`fallback` then holds the value the reader produced).
std::optional<float> readLength(float* fallback = nullptr);
// A length between d1 and d2; nullopt when d1 is not current or the length fails.
std::optional<float> readDelimitedLength(int d1, int d2, bool* present = nullptr);
struct CoordinatePair {
  float x;
  float y;
};
std::optional<CoordinatePair> readCoordinatePair();
// If a '[' follows, takes it and runs the construct loop to the closing bracket.
void readOptionalArgument();
// Passes over the rest of a length argument up to (not past) `closer`: the stretch and shrink of a
// glue ("plus 1fil minus 2pt") are read and ignored; false when something else stood there,
// which is passed over too. The search stops at a blank line.
bool skipStretchTo(int closer);
// Passes over a dimension written without braces (\vskip 2.5\parsep, \hbox to \textwidth) and
// the stretch and shrink after it on the same line.
// With `dimension` false, only the stretch and shrink (after a length already read).
void skipGlue(bool dimension = true);
// \kern and the box moves (\raise, \lower, \moveright, \moveleft): a dimension and one space
// after it, read and dropped.
void skipKern();
// Before a box's braced text: "to <dimension>" or "spread <dimension>" is passed over.
void skipBoxSpecification();
// The factor of a length unit in points; reports unknown units.
float unitFactor(const std::string& unit);

}  // namespace pendra::reader
