// The math interpreter: runs action templates in math mode, appending nodes to the current frame
// instead of writing text.
#pragma once

#include <string_view>

#include "math/node.h"

namespace pendra::math {

// The interpreter named by the math environment records.
void mathInterpreter(const char* tmpl);

// Runs a %k argument (class letter, operator name, format codes) and returns the node made, or
// nullptr for a script or when nothing was made.
MathNode* mathOperator(const char* argument);

// Reads the next argument (a token or a brace group) into a frame of its own and returns its
// tree; blanks and comment lines before it are skipped.
NodePtr readMathArgument();

// Whether a \label met now belongs to the equation being read (math and math array modes).
bool labelBelongsToEquation();
// Holds `label` until the outermost equation closes, where it is written as a marker; a second
// label replaces the first.
void setPendingEquationLabel(std::string_view label);

}  // namespace pendra::math
