// The math frame stack: pushing and closing frames, the row separator of arrays and multi-line
// displays, and the end code that closes an equation, an array or a dropped argument.
#pragma once

#include "math/node.h"

namespace pendra::math {

// Pushes a frame of `mode` (a kLeftFrame also keeps its delimiter letter). Past kMaxMathFrames
// the push is only counted: "Excessive nesting of equations", once per equation.
void pushFrame(char mode, char delimiter = 0);

// Closes the top frame and returns its tree, or none: the chain is laid out (an array's becomes a
// matrix; a row of an array is handed on as it is), an outermost equation or array is written,
// a dropped argument's nodes are freed. At depth 0 a pending equation label is written.
NodePtr closeFrame();

// Closes frames until `depth` is reached: rows go to their row list, \left groups that no \right
// closed are built as if \right. had come.
void closeFramesAbove(int depth);

// The mode character of the frame at `depth` (1 is the lowest pushed frame).
char frameModeAt(int depth);

// %&: ends one row of an array or a display and starts the next.
void rowSeparator();

// %$(E): closes an open row and any \left group left open, then the frame of the construct.
void endFrame();

}  // namespace pendra::math
