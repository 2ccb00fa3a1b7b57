// Footnotes and floats: statements around text written in the middle of the running text, after
// which the paragraph goes on as it was.
#pragma once

#include <span>

namespace pendra::output {

// An environment that holds a figure or a table (float_table.cpp).
struct FloatKind {
  const char* name;
  const char* captionTag;  // the paragraph tag of its \caption
  bool sub;                // a part of a float: its caption is not numbered as a float's
};

extern const std::span<const FloatKind> kFloatKinds;

// The innermost figure or table being read, nullptr outside them.
const FloatKind* enclosingFloat();

// %W: \footnote, \footnotetext, and \thanks inside a title block.
void footnoteProc();
// The body handler of figure, figure*, table and table*: the content as a text frame.
void floatBody(int ending);
// %C: \caption: the paragraph takes the tag of the float it stands in (Figure in a figure,
// Table in a table or outside floats; a subfigure's caption is a centred line, not numbered).
// %C(of): \captionof{type}[short]{text}: a paragraph of its own with the caption tag of the
// float type named (figure or table), wherever it stands.
void captionProc(const char* argument);

}  // namespace pendra::output
