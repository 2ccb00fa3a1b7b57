// Writing a finished equation into the MLP body: inline math as plain text or as an inline
// FrameMath statement, display math as a paragraph of its own, and the equation's label marker.
#pragma once

#include <string>
#include <string_view>

#include "math/node.h"

namespace pendra::math {

// Inline math: running text when the tree is simple, else a FrameMath statement followed by an
// empty Comment statement, so that the text after it continues the paragraph.
void writeInlineMath(NodePtr tree);

// The paragraph format of an equation without a number.
constexpr const char* kUnnumberedTag = "EquationNoNum";

// Display math: a paragraph with the current environment's equation tag (or `tag`) holding the
// statement, and after it `number` as text when there is one (\tag's).
void writeDisplayMath(NodePtr tree, const char* tag = nullptr, const std::string* number = nullptr);

// The marker that lets cross-references find the equation; after a display it is flushed with
// the equation's paragraph, so that the paragraph after the display does not take it.
void writeEquationLabel(std::string_view label, bool afterDisplay);

}  // namespace pendra::math
