// Graphic objects, added at the current position (normally inside an anchored frame): lines,
// arrows, arcs, rectangles, ellipses, text lines and imported EPS files. Coordinates arrive in
// points and are written in inches; pen widths stay in points.
#pragma once

#include <cstdint>
#include <string>

#include "mif/operator_table.h"

namespace pendra::mlp {

// Arrow heads: tip and base angles (degrees), length (stored as points divided by the points per
// inch, as the host expects it) and scale factor.
constexpr std::int32_t kArrowTipAngle = 16;
constexpr std::int32_t kArrowBaseAngle = 90;
constexpr float kArrowLength = 12.0f;
constexpr float kArrowScaleFactor = 0.25f;

// `!line` and `!arrow`: pen width, then the two end points (x1, y1, x2, y2).
void lineStatement(bool arrow, float penWidth, const float (&points)[4]);
// `!arc`: pen width, rectangle (x, y, w, h), start angle and sweep in degrees.
void arcStatement(float penWidth, const float (&rect)[4], const std::uint32_t (&angles)[2]);
// `!rectangle` and `!ellipse` (op Rectangle or Ellipse): filled or not, pen width, rectangle.
void shapeStatement(mif::Op op, bool filled, float penWidth, const float (&rect)[4]);
// `!textline name angle x y`: the nested running text and font statements form the line.
void textLineStatement(const std::string& alignment, std::uint32_t angle, const float (&origin)[2]);
// `!epsfile file x y w h sx sy`: the file at its size times the scale factors.
void epsFileStatement(const std::string& file, const float (&rect)[4], const float (&scale)[2]);
// `!importfile file w h [angle]`: a graphic file of any kind imported by reference at the size
// given (points), its name written as a MIF device-independent path. Turned by 90, 180 or 270
// degrees counterclockwise, it fills the size given as turned; other angles are not kept.
void importFileStatement(const std::string& file, float width, float height, std::uint32_t angle);
// A file name as a MIF device-independent path: <c> before each name of it, <r> for a leading
// slash, <u> for "..", "." left out.
std::string deviceIndependentPath(const std::string& name);

}  // namespace pendra::mlp
