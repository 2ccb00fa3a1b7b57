// Anchored frames in the AFrames tree: frames holding graphic objects, frames of raw MIF text,
// equations and text frames. The text gets an AFrame with the frame's ID where the object stands.
#pragma once

#include <cstdint>

namespace pendra::mlp {

// Frames are never smaller than this (points), so that an empty size still gives a frame.
constexpr float kMinFrameWidth = 1.0f;
constexpr float kMinFrameHeight = 0.4f;
// The bounding box given to an equation; the host sizes it to the formula.
constexpr float kMathBoxSize = 0.1f;
// How far the equation's origin stands above the frame's bottom edge (inches).
constexpr float kMathBaselineRaise = 0.02f;
// Text frames and their text rectangles are squares of this size (inches).
constexpr float kTextFrameSize = 6.5f;

void initFrames();

// `!frame w h` (pen width 1) and `!inlineframe n w h` (pen width n): the nested graphics.
void frameStatement(float penWidth, float width, float height);
// `aframe`: the rest of the statement, collected, is the frame's raw MIF content.
void rawFrameStatement(const char* name);
// `!textframe w h`: the nested content is a text flow of its own in a text rectangle.
void textFrameStatement();
// `!framemath c x y w h expression`: the expression in a Math object of its own frame.
void frameMathStatement(float width, float height);

}  // namespace pendra::mlp
