// \includegraphics: the sizes read from file headers (each format, cut short or lying), the
// lengths and options, and the frame's size from both.
#include "picture/graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pendra::picture {
namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
}
void put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<unsigned char>(v >> 8));
  b.push_back(static_cast<unsigned char>(v));
}
void putText(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}
// A PNG chunk (its CRC is not checked by the reader, so zeros stand for it).
void chunk(Bytes& b, const char* type, const Bytes& data, std::uint32_t length) {
  put32(b, length);
  putText(b, type);
  b.insert(b.end(), data.begin(), data.end());
  put32(b, 0);
}

Bytes png(std::uint32_t width, std::uint32_t height, std::uint32_t pixelsPerMetre = 0) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes ihdr;
  put32(ihdr, width);
  put32(ihdr, height);
  for (int i = 0; i < 5; ++i) ihdr.push_back(0);
  chunk(b, "IHDR", ihdr, 13);
  if (pixelsPerMetre) {
    Bytes phys;
    put32(phys, pixelsPerMetre);
    put32(phys, pixelsPerMetre);
    phys.push_back(1);
    chunk(b, "pHYs", phys, 9);
  }
  chunk(b, "IDAT", {0, 0}, 2);
  return b;
}

Bytes jpeg(std::uint32_t width, std::uint32_t height, int dpi = 0, std::size_t exifBytes = 0) {
  Bytes b = {0xff, 0xd8};
  if (dpi) {
    b.insert(b.end(), {0xff, 0xe0});
    put16(b, 16);
    putText(b, std::string("JFIF\0", 5));
    b.insert(b.end(), {1, 1, 1});
    put16(b, static_cast<std::uint32_t>(dpi));
    put16(b, static_cast<std::uint32_t>(dpi));
    b.insert(b.end(), {0, 0});
  }
  if (exifBytes) {
    b.insert(b.end(), {0xff, 0xe1});
    put16(b, static_cast<std::uint32_t>(exifBytes + 2));
    b.insert(b.end(), exifBytes, 0x55);
  }
  b.insert(b.end(), {0xff, 0xff, 0xc2});  // a fill byte, then a progressive frame header
  put16(b, 11);
  b.push_back(8);
  put16(b, height);
  put16(b, width);
  b.insert(b.end(), {1, 1, 0x11, 0});
  b.insert(b.end(), {0xff, 0xda});
  return b;
}

Bytes text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

std::optional<GraphicSize> sizeOf(const Bytes& b) {
  SpanSource source(b);
  return graphicSize(source);
}

void expectSize(const std::optional<GraphicSize>& size, float width, float height) {
  ASSERT_TRUE(size.has_value());
  EXPECT_NEAR(size->width, width, 0.05f);
  EXPECT_NEAR(size->height, height, 0.05f);
}

TEST(GraphicHeaders, EachFormatGivesItsSizeInPoints) {
  // 72 dpi unless the file says otherwise: 300 x 150 pixels at 150 dpi (5906 per metre).
  expectSize(sizeOf(png(144, 72)), 144.0f, 72.0f);
  expectSize(sizeOf(png(300, 150, 5906)), 144.0f, 72.0f);
  expectSize(sizeOf(jpeg(144, 72)), 144.0f, 72.0f);
  expectSize(sizeOf(jpeg(300, 150, 150)), 144.0f, 72.0f);
  // A large application segment before the frame header is passed over, not read.
  expectSize(sizeOf(jpeg(144, 72, 0, 60000)), 144.0f, 72.0f);
  // PDF: the crop box before the media box; reals and a box not at the origin.
  expectSize(sizeOf(text("%PDF-1.4\n1 0 obj << /Type /Page /MediaBox [0 0 612 792] >>")), 612.0f,
             792.0f);
  expectSize(sizeOf(text("%PDF-1.5\n<< /MediaBox [0 0 612 792] /CropBox [ 10.5 20 154.5 92 ] >>")),
             144.0f, 72.0f);
  // A PDF whose page dictionary stands at its end.
  std::string pdf = "%PDF-1.7\n" + std::string(100000, 'x') + "\n<< /MediaBox [0 0 200 100] >>";
  expectSize(sizeOf(text(pdf)), 200.0f, 100.0f);
  // EPS: the bounding box at a line's start; "(atend)" sends the reader to the trailer.
  expectSize(sizeOf(text("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 72 72 216 144\n")), 144.0f,
             72.0f);
  std::string atEnd = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n" +
                      std::string(100000, ' ') + "\n%%BoundingBox: 0 0 50 40\n";
  expectSize(sizeOf(text(atEnd)), 50.0f, 40.0f);
  // A DOS EPS file: the PostScript at the offset its header gives.
  Bytes dos = {0xc5, 0xd0, 0xd3, 0xc6, 32, 0, 0, 0, 60, 0, 0, 0};
  dos.resize(32, 0);
  putText(dos, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 30 20\n");
  expectSize(sizeOf(dos), 30.0f, 20.0f);
}

TEST(GraphicHeaders, CutShortOrLyingHeadersGiveNoSize) {
  Bytes full = png(144, 72);
  for (std::size_t n : {0, 4, 8, 16, 23}) {
    Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
    EXPECT_FALSE(sizeOf(cut).has_value()) << n;
  }
  // Cut anywhere before the end of the frame header's width.
  Bytes fullJpeg = jpeg(144, 72, 96);
  std::size_t widthEnd = fullJpeg.size() - 2 - 4;
  for (std::size_t n = 0; n < widthEnd; ++n) {
    Bytes cut(fullJpeg.begin(), fullJpeg.begin() + static_cast<long>(n));
    EXPECT_FALSE(sizeOf(cut).has_value()) << n;
  }
  // Sizes no page holds, or none at all.
  EXPECT_FALSE(sizeOf(png(0, 72)).has_value());
  EXPECT_FALSE(sizeOf(png(0xffffffffu, 72)).has_value());
  EXPECT_FALSE(sizeOf(png(2000000, 10)).has_value());
  EXPECT_FALSE(sizeOf(jpeg(0, 72)).has_value());
  EXPECT_FALSE(sizeOf(jpeg(65535, 65535)).has_value());
  EXPECT_FALSE(sizeOf(text("%PDF-1.4\n/MediaBox [0 0 1e30 792]")).has_value());
  EXPECT_FALSE(sizeOf(text("%PDF-1.4\n/MediaBox [0 0 nan 792]")).has_value());
  EXPECT_FALSE(sizeOf(text("%PDF-1.4\n/MediaBox [0 0 612")).has_value());
  EXPECT_FALSE(sizeOf(text("%!PS-Adobe-3.0\n%%BoundingBox: 0 0 0 0\n")).has_value());
  EXPECT_FALSE(sizeOf(text("%!PS-Adobe-3.0\nx%%BoundingBox: 0 0 10 10\n")).has_value());
  // A pHYs of zero dots keeps 72 dpi; a chunk length past any file ends the search.
  expectSize(sizeOf(png(144, 72, 0)), 144.0f, 72.0f);
  Bytes hostile = png(144, 72);
  hostile.resize(33);
  chunk(hostile, "tEXt", {}, 0x7ffffff0u);
  expectSize(sizeOf(hostile), 144.0f, 72.0f);
  // A JPEG whose segments loop on themselves (length 0) or that never reaches a frame header.
  Bytes loop = {0xff, 0xd8, 0xff, 0xe1, 0, 0};
  EXPECT_FALSE(sizeOf(loop).has_value());
  Bytes fills = {0xff, 0xd8};
  fills.insert(fills.end(), 200000, 0xff);
  EXPECT_FALSE(sizeOf(fills).has_value());
  // A DOS EPS header pointing past the file.
  Bytes dos = {0xc5, 0xd0, 0xd3, 0xc6, 0xff, 0xff, 0xff, 0x7f, 10, 0, 0, 0};
  EXPECT_FALSE(sizeOf(dos).has_value());
  // Unknown formats have no size.
  EXPECT_FALSE(sizeOf(text("GIF89a....")).has_value());
}

TEST(GraphicSizing, LengthsAsOptionsWriteThem) {
  EXPECT_NEAR(*graphicLength("0.8\\linewidth"), 0.8f * kTextWidthPoints, 0.01f);
  EXPECT_NEAR(*graphicLength("\\textwidth"), kTextWidthPoints, 0.01f);
  EXPECT_NEAR(*graphicLength(" {.5\\columnwidth} "), 0.5f * kTextWidthPoints, 0.01f);
  EXPECT_NEAR(*graphicLength("3in"), 216.0f, 0.01f);
  EXPECT_NEAR(*graphicLength("5 cm"), 141.75f, 0.01f);
  EXPECT_NEAR(*graphicLength("0,5\\textheight"), 0.5f * kTextHeightPoints, 0.01f);
  EXPECT_FALSE(graphicLength("").has_value());
  EXPECT_FALSE(graphicLength("3").has_value());
  EXPECT_FALSE(graphicLength("3furlongs").has_value());
  EXPECT_FALSE(graphicLength("\\nosuchlength").has_value());
  EXPECT_FALSE(graphicLength("2\\linewidth extra").has_value());
}

TEST(GraphicSizing, OptionsAndTheFilesSizeGiveTheFrame) {
  const GraphicSize natural{200.0f, 100.0f};
  auto frame = [&](const char* options, std::optional<GraphicSize> n) {
    return frameSize(parseGraphicOptions(options), n);
  };
  GraphicSize s = frame("", natural);
  EXPECT_FLOAT_EQ(s.width, 200.0f);
  EXPECT_FLOAT_EQ(s.height, 100.0f);
  s = frame("width=100pt", natural);  // the height follows
  EXPECT_FLOAT_EQ(s.height, 50.0f);
  s = frame("height=1in", natural);
  EXPECT_FLOAT_EQ(s.width, 144.0f);
  s = frame("width=100pt,height=100pt", natural);  // both: the shape changes
  EXPECT_FLOAT_EQ(s.width, 100.0f);
  EXPECT_FLOAT_EQ(s.height, 100.0f);
  s = frame("width=100pt, height=100pt, keepaspectratio", natural);  // fits inside both
  EXPECT_FLOAT_EQ(s.width, 100.0f);
  EXPECT_FLOAT_EQ(s.height, 50.0f);
  s = frame("keepaspectratio=true,width=400pt,height=100pt", natural);
  EXPECT_FLOAT_EQ(s.width, 200.0f);
  s = frame("scale=0.5", natural);
  EXPECT_FLOAT_EQ(s.width, 100.0f);
  // A quarter turn turns the frame: the file is trimmed before it turns.
  s = frame("angle=90,clip,trim=10 10 10 10", natural);
  EXPECT_FLOAT_EQ(s.width, 80.0f);
  EXPECT_FLOAT_EQ(s.height, 180.0f);
  // Sized, then turned; turned, then sized: the size keys apply to what stands before them.
  s = frame("width=100pt,angle=-90", natural);
  EXPECT_FLOAT_EQ(s.width, 50.0f);
  EXPECT_FLOAT_EQ(s.height, 100.0f);
  s = frame("angle=270,width=100pt", natural);
  EXPECT_FLOAT_EQ(s.width, 100.0f);
  EXPECT_FLOAT_EQ(s.height, 200.0f);
  EXPECT_EQ(parseGraphicOptions("angle=-270").angle, 90);
  EXPECT_EQ(parseGraphicOptions("angle={450}").angle, 90);
  // A half turn keeps the frame; other angles are not kept.
  for (const char* options : {"angle=180", "angle=45", "angle=90.5"}) {
    s = frame(options, natural);
    EXPECT_FLOAT_EQ(s.width, 200.0f) << options;
    EXPECT_FLOAT_EQ(s.height, 100.0f) << options;
  }
  EXPECT_EQ(parseGraphicOptions("angle=45").angle, 0);
  EXPECT_EQ(parseGraphicOptions("angle=180").angle, 180);
  // The options' own bounding box stands for the file's.
  s = frame("bb=0 0 50 25", natural);
  EXPECT_FLOAT_EQ(s.width, 50.0f);
  s = frame("natwidth=40pt,natheight=20pt,width=80pt", std::nullopt);
  EXPECT_FLOAT_EQ(s.height, 40.0f);
  // Unknown size: the asked width with the usual proportion, or a default.
  s = frame("width=100pt", std::nullopt);
  EXPECT_FLOAT_EQ(s.height, 100.0f * kUnknownGraphicAspect);
  s = frame("", std::nullopt);
  EXPECT_FLOAT_EQ(s.width, kUnknownGraphicWidth);
  // Bad values are left out; sizes stay within a page's bounds.
  s = frame("width=-3cm,scale=0,height=huge", natural);
  EXPECT_FLOAT_EQ(s.width, 200.0f);
  s = frame("scale=1000", natural);
  EXPECT_FLOAT_EQ(s.width, kMaxGraphicPoints);
  s = frame("width=100pt", GraphicSize{kMaxGraphicPoints, kMinGraphicPoints});
  EXPECT_GE(s.height, kMinGraphicPoints);
}

}  // namespace
}  // namespace pendra::picture
