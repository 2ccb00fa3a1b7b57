// The displays of amsmath beyond what the frames do themselves: the %e codes of \tag, \notag and
// \nonumber, \intertext, the delimiters around matrices and binomials, arrays that count their
// columns, and \DeclareMathOperator.
#pragma once

namespace pendra::math {

// %e(c) in math:
//   n  \notag, \nonumber: the line of align and its kin has no number; elsewhere nothing
//   t  \tag{text}, \tag*{text}: the line has the text, in parentheses unless starred, in place of
//      its number; elsewhere the text is set as \mbox text
//   i  \intertext{text}: ends the line and sets the text as a paragraph between the lines;
//      elsewhere as \mbox text
//   Lx opens a group to be closed by the delimiter letter x (matrices, \binom)
//   Rx closes the group of Lx with the delimiter letter x
//   A  opens an array whose columns are counted from its rows (matrix, cases)
//   o  \DeclareMathOperator{\name}{text}: \name becomes \operatorname{text}
void equationCode(const char* argument);

// %e(c) in the text interpreters: t and i set their text as \mbox text, o defines the operator;
// the others do nothing outside math.
void equationTextCode(const char* argument);

}  // namespace pendra::math
