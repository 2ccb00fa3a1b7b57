// \includegraphics: a graphic file imported by reference into an anchored frame, sized from the
// options and from the size the file states in its header (PNG, JPEG, PDF, EPS).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pendra::picture {

// Bytes a header reader looks at: PDF and EPS files are searched this far from their start (and
// from their end, where the start says the size stands there); a JPEG's segments are followed
// this far.
constexpr std::size_t kGraphicScanBytes = 65536;
// JPEG segments passed over looking for the frame header.
constexpr int kMaxJpegSegments = 256;
// PNG chunks passed over looking for the resolution.
constexpr int kMaxPngChunks = 64;
// A size read from a file, or asked for, is believed between these (points).
constexpr float kMinGraphicPoints = 0.5f;
constexpr float kMaxGraphicPoints = 14400.0f;  // 200 inches
// The resolution of a bitmap that states none, as pdfTeX takes it.
constexpr float kDefaultBitmapDpi = 72.0f;
// The size of a graphic whose own size is not known and not asked for (points), and the ratio of
// height to width used when only one of them is asked for.
constexpr float kUnknownGraphicWidth = 216.0f;
constexpr float kUnknownGraphicAspect = 0.75f;
// Lengths that options measure against: the text block of the page FrameMaker gets (points).
constexpr float kTextWidthPoints = 468.0f;
constexpr float kTextHeightPoints = 648.0f;
constexpr float kPaperWidthPoints = 612.0f;
constexpr float kPaperHeightPoints = 792.0f;
// Characters kept of an option list, a \graphicspath entry and a file name.
constexpr std::size_t kGraphicOptionsMax = 1023;
constexpr std::size_t kGraphicNameMax = 200;
constexpr int kMaxGraphicsPaths = 16;
// Macros followed when a length option names one (\newcommand{\figwidth}{0.5\linewidth}).
constexpr int kMaxLengthMacroDepth = 4;

// The extensions tried after a name, in pdfLaTeX's order (graphics_extension_table.cpp).
extern const std::span<const char* const> kGraphicExtensions;

enum class GraphicFormat { kUnknown, kPng, kJpeg, kPdf, kEps };

struct GraphicSize {
  float width = 0.0f;  // points
  float height = 0.0f;
};

// Reads bytes of a file at an offset; readers ask only for what they look at.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes copied into `out` (fewer at the end of the data).
  virtual std::size_t read(std::uint64_t offset, unsigned char* out, std::size_t count) = 0;
  virtual std::uint64_t size() = 0;
};

// Bytes in memory (the tests' files).
class SpanSource : public ByteSource {
 public:
  explicit SpanSource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
  std::size_t read(std::uint64_t offset, unsigned char* out, std::size_t count) override;
  std::uint64_t size() override { return bytes_.size(); }

 private:
  std::span<const unsigned char> bytes_;
};

GraphicFormat graphicFormat(ByteSource& source);
// The size a file states, in points; nullopt when it states none that can be believed.
std::optional<GraphicSize> pngSize(ByteSource& source);
std::optional<GraphicSize> jpegSize(ByteSource& source);
std::optional<GraphicSize> pdfSize(ByteSource& source);
std::optional<GraphicSize> epsSize(ByteSource& source);
std::optional<GraphicSize> graphicSize(ByteSource& source);

// A length as an option gives it ("0.8\linewidth", "5cm", "\textwidth", "{3in}"), in points;
// nullopt when it is not one.
std::optional<float> graphicLength(std::string_view text);

// What the options of \includegraphics ask for.
struct GraphicOptions {
  std::optional<float> width;
  std::optional<float> height;
  std::optional<GraphicSize> natural;  // bb, viewport, natwidth and natheight
  float trimWidth = 0.0f;              // trim: taken off the natural size
  float trimHeight = 0.0f;
  float scale = 1.0f;
  bool keepAspectRatio = false;
  // angle, turned to 0, 90, 180 or 270 degrees counterclockwise (other angles are not kept), and
  // whether it came before the size keys: LaTeX sizes the turned graphic then.
  int angle = 0;
  bool turnedFirst = false;
};

// Reads a key=value list; a value that cannot be read is reported and its key left out.
GraphicOptions parseGraphicOptions(std::string_view text);
// The frame's size from the options and the file's own size (nullopt when unknown).
GraphicSize frameSize(const GraphicOptions& options, std::optional<GraphicSize> natural);

}  // namespace pendra::picture
