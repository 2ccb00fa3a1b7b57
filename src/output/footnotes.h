// Footnotes and floats: statements around text written in the middle of the running text, after
// which the paragraph goes on as it was.
#pragma once

namespace pendra::output {

// %W: \footnote, \footnotetext, and \thanks inside a title block.
void footnoteProc();
// The body handler of figure, figure*, table and table*: the content as a text frame.
void floatBody(int ending);
// %C: \caption.
void captionProc();

}  // namespace pendra::output
