#include "mlp/graphics.h"

#include "mif/tree.h"
#include "mlp/intern.h"
#include "mlp/objects.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::Op;

namespace {

constexpr std::int32_t kPenSolid = 0;
constexpr std::int32_t kFillSolid = 0;
constexpr std::int32_t kNone = 15;  // the pen or fill pattern that draws nothing

void penAndCaps(float penWidth, const char* headCap) {
  mif::addLeaf(Op::Pen, kPenSolid);
  mif::addLeaf(Op::Fill, kNone);
  mif::addLeaf(Op::PenWidth, finitePoints(penWidth));
  mif::addLeaf(Op::HeadCap, headCap);
  mif::addLeaf(Op::TailCap, "Square");
}

// The TLAlignment keyword of an alignment name: by its first letter c, l or r, else the name.
const char* textLineAlignment(const std::string& name) {
  switch (name.empty() ? '\0' : name[0]) {
    case 'c':
      return "Center";
    case 'l':
      return "Left";
    case 'r':
      return "Right";
    default:
      return internString(name.c_str());
  }
}

}  // namespace

void lineStatement(bool arrow, float penWidth, const float (&points)[4]) {
  mif::beginGroup(Op::PolyLine);
  penAndCaps(penWidth, arrow ? "ArrowHead" : "Square");
  if (arrow) {
    mif::beginGroup(Op::ArrowStyle);
    mif::addLeaf(Op::TipAngle, kArrowTipAngle);
    mif::addLeaf(Op::BaseAngle, kArrowBaseAngle);
    mif::addLeaf(Op::Length, kArrowLength / kPointsPerInch);
    mif::addLeaf(Op::HeadType, "Filled");
    mif::addLeaf(Op::ScaleHead, "Yes");
    mif::addLeaf(Op::ScaleFactor, kArrowScaleFactor);
    mif::endGroup(Op::ArrowStyle);
  }
  mif::addLeaf(Op::NumPoints, 2);
  mif::addLeaf(Op::Point, inches(points[0]), inches(points[1]));
  mif::addLeaf(Op::Point, inches(points[2]), inches(points[3]));
  mif::endGroup(Op::PolyLine);
}

void arcStatement(float penWidth, const float (&rect)[4], const std::uint32_t (&angles)[2]) {
  mif::beginGroup(Op::Arc);
  penAndCaps(penWidth, "Square");
  mif::addLeaf(Op::ArcRect, inches(rect[0]), inches(rect[1]), inches(rect[2]), inches(rect[3]));
  mif::addLeaf(Op::ArcTheta, static_cast<std::int32_t>(angles[0]));
  mif::addLeaf(Op::ArcDTheta, static_cast<std::int32_t>(angles[1]));
  mif::endGroup(Op::Arc);
}

void shapeStatement(Op op, bool filled, float penWidth, const float (&rect)[4]) {
  float x = inches(rect[0]), y = inches(rect[1]), w = inches(rect[2]), h = inches(rect[3]);
  mif::beginGroup(op);
  mif::addLeaf(Op::Pen, kPenSolid);
  mif::addLeaf(Op::Fill, filled ? kFillSolid : kNone);
  mif::addLeaf(Op::PenWidth, finitePoints(penWidth));
  mif::addLeaf(Op::ShapeRect, x, y, w, h);
  mif::addLeaf(Op::BRect, x, y, w, h);
  mif::endGroup(op);
}

void textLineStatement(const std::string& alignment, std::uint32_t angle,
                       const float (&origin)[2]) {
  mif::beginGroup(Op::TextLine);
  mif::addLeaf(Op::TLOrigin, inches(origin[0]), inches(origin[1]));
  mif::addLeaf(Op::TLAlignment, textLineAlignment(alignment));
  if (angle != 0) mif::addLeaf(Op::Angle, static_cast<std::int32_t>(angle));
  SavedText saved = beginTextLineMode();
  processStatements(true);
  endTextLineMode(saved);
  mif::endGroup(Op::TextLine);
}

void epsFileStatement(const std::string& file, const float (&rect)[4], const float (&scale)[2]) {
  float width = inches(scale[0] * rect[2]);
  float height = inches(scale[1] * rect[3]);
  mif::beginGroup(Op::ImportObject);
  mif::addLeaf(Op::ImportObFile, internString(file.c_str()));
  mif::addLeaf(Op::ImportObUpdater, "EPSI");
  mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, width, height);
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, width, height);
  mif::addLeaf(Op::ImportObFixedSize, "Yes");
  mif::addLeaf(Op::BitMapDpi, 0.0f);
  mif::addLeaf(Op::FlipLR, "No");
  mif::addLeaf(Op::NativeOrigin, 0.0f, 0.0f);
  mif::endGroup(Op::ImportObject);
}

std::string deviceIndependentPath(const std::string& name) {
  std::string path;
  std::size_t start = 0;
  if (!name.empty() && name[0] == '/') {
    path = "<r>";
    start = 1;
  }
  while (start <= name.size()) {
    std::size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    std::string part = name.substr(start, slash - start);
    if (part == "..")
      path += "<u>";
    else if (!part.empty() && part != ".")
      path += "<c>" + part;
    start = slash + 1;
  }
  return path;
}

void importFileStatement(const std::string& file, float width, float height, std::uint32_t angle) {
  float w = inches(width);
  float h = inches(height);
  mif::beginGroup(Op::ImportObject);
  mif::addLeaf(Op::ImportObFile, internString(deviceIndependentPath(file).c_str()));
  if (angle == 90 || angle == 180 || angle == 270) {
    // The graphic turns about its centre: its own rectangle, before turning, has the same centre
    // as the space it fills.
    mif::addLeaf(Op::Angle, static_cast<std::int32_t>(angle));
    float ownWidth = angle == 180 ? w : h;
    float ownHeight = angle == 180 ? h : w;
    mif::addLeaf(Op::ShapeRect, (w - ownWidth) / 2, (h - ownHeight) / 2, ownWidth, ownHeight);
  } else {
    mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, w, h);
  }
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, w, h);
  mif::addLeaf(Op::ImportObFixedSize, "Yes");
  mif::addLeaf(Op::FlipLR, "No");
  mif::addLeaf(Op::NativeOrigin, 0.0f, 0.0f);
  mif::endGroup(Op::ImportObject);
}

}  // namespace pendra::mlp
