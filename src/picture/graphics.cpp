#include "picture/graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/chars.h"
#include "fdk/fdk.h"
#include "output/footnotes.h"
#include "output/paragraph.h"
#include "picture/picture_internal.h"
#include "reader/arguments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/symbols.h"

namespace pendra::picture {

std::size_t SpanSource::read(std::uint64_t offset, unsigned char* out, std::size_t count) {
  if (offset >= bytes_.size()) return 0;
  std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
  std::memcpy(out, bytes_.data() + offset, n);
  return n;
}

namespace {

constexpr float kPointsPerInch = 72.0f;
constexpr float kMetresPerInch = 0.0254f;
constexpr float kCentimetresPerInch = 2.54f;
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr unsigned char kDosEpsSignature[] = {0xc5, 0xd0, 0xd3, 0xc6};
// A PNG chunk's length field, its type and its CRC around its data.
constexpr std::uint32_t kPngChunkOverhead = 12;
constexpr std::uint32_t kPngMaxChunkLength = 0x7fffffffu;
constexpr std::size_t kNumberTextMax = 31;

// A file read through its channel, which it closes.
class ChannelSource : public ByteSource {
 public:
  explicit ChannelSource(ChannelT channel) : channel_(channel) {}
  ~ChannelSource() override { F_ChannelClose(channel_); }
  ChannelSource(const ChannelSource&) = delete;
  ChannelSource& operator=(const ChannelSource&) = delete;
  std::size_t read(std::uint64_t offset, unsigned char* out, std::size_t count) override {
    if (offset > static_cast<std::uint64_t>(kMaxFileOffset)) return 0;
    if (F_ChannelSeek(channel_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
    return F_ChannelRead(out, 1, count, channel_);
  }
  std::uint64_t size() override {
    if (F_ChannelSeek(channel_, 0, SEEK_END) != 0) return 0;
    long end = F_ChannelTell(channel_);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
  }

 private:
  static constexpr long kMaxFileOffset = 0x7fffffffL;
  ChannelT channel_;
};

std::uint32_t bigEndian(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

bool believable(float points) {
  return std::isfinite(points) && points >= kMinGraphicPoints && points <= kMaxGraphicPoints;
}

std::optional<GraphicSize> believed(float width, float height) {
  if (!believable(width) || !believable(height)) return std::nullopt;
  return GraphicSize{width, height};
}

// Pixels at a resolution in dots per inch, as points.
std::optional<GraphicSize> fromPixels(std::uint32_t width, std::uint32_t height, float xDpi,
                                      float yDpi) {
  if (!(xDpi > 0.0f) || !(yDpi > 0.0f) || !std::isfinite(xDpi) || !std::isfinite(yDpi))
    xDpi = yDpi = kDefaultBitmapDpi;
  return believed(static_cast<float>(width) * kPointsPerInch / xDpi,
                  static_cast<float>(height) * kPointsPerInch / yDpi);
}

// A number as PostScript and PDF write it (sign, digits, a point), from `p`; moves `p` past it.
std::optional<float> scanNumber(const char*& p, const char* end) {
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  char text[kNumberTextMax + 1];
  std::size_t n = 0;
  while (p < end && n < kNumberTextMax &&
         (chars::isDigit(*p) || *p == '.' || *p == '-' || *p == '+'))
    text[n++] = *p++;
  text[n] = 0;
  if (n == 0) return std::nullopt;
  char* stop = nullptr;
  float v = std::strtof(text, &stop);
  if (stop == text || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Four numbers after `p`: a box's lower left and upper right corners; its size.
std::optional<GraphicSize> boxAfter(const char* p, const char* end) {
  float v[4];
  for (float& value : v) {
    std::optional<float> number = scanNumber(p, end);
    if (!number) return std::nullopt;
    value = *number;
  }
  return believed(std::fabs(v[2] - v[0]), std::fabs(v[3] - v[1]));
}

// The bytes of a window of the source, as text for the searches below.
std::string window(ByteSource& source, std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t n = source.read(offset, reinterpret_cast<unsigned char*>(bytes.data()), count);
  bytes.resize(n);
  return bytes;
}

// The first "%%BoundingBox:" line at a line start of `text` with four numbers.
std::optional<GraphicSize> boundingBoxIn(const std::string& text) {
  static constexpr std::string_view kComment = "%%BoundingBox:";
  for (std::size_t at = text.find(kComment); at != std::string::npos;
       at = text.find(kComment, at + 1)) {
    if (at > 0 && text[at - 1] != '\n' && text[at - 1] != '\r') continue;
    const char* p = text.data() + at + kComment.size();
    if (auto size = boxAfter(p, text.data() + text.size())) return size;
  }
  return std::nullopt;
}

// The first box of `key` ("/MediaBox") in a PDF's text: "[llx lly urx ury]".
std::optional<GraphicSize> pdfBoxIn(const std::string& text, std::string_view key) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    std::size_t p = at + key.size();
    while (p < text.size() && (text[p] == ' ' || text[p] == '\r' || text[p] == '\n')) ++p;
    if (p >= text.size() || text[p] != '[') continue;
    if (auto size = boxAfter(text.data() + p + 1, text.data() + text.size())) return size;
  }
  return std::nullopt;
}

}  // namespace

GraphicFormat graphicFormat(ByteSource& source) {
  unsigned char head[8] = {};
  std::size_t n = source.read(0, head, sizeof head);
  if (n >= sizeof kPngSignature && std::memcmp(head, kPngSignature, sizeof kPngSignature) == 0)
    return GraphicFormat::kPng;
  if (n >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff) return GraphicFormat::kJpeg;
  if (n >= 5 && std::memcmp(head, "%PDF-", 5) == 0) return GraphicFormat::kPdf;
  if (n >= 4 && (std::memcmp(head, "%!PS", 4) == 0 ||
                 std::memcmp(head, kDosEpsSignature, sizeof kDosEpsSignature) == 0))
    return GraphicFormat::kEps;
  return GraphicFormat::kUnknown;
}

std::optional<GraphicSize> pngSize(ByteSource& source) {
  // The signature, then the IHDR chunk: length, type, width, height.
  unsigned char head[24];
  if (source.read(0, head, sizeof head) < sizeof head) return std::nullopt;
  if (std::memcmp(head, kPngSignature, sizeof kPngSignature) != 0 ||
      std::memcmp(head + 12, "IHDR", 4) != 0)
    return std::nullopt;
  std::uint32_t width = bigEndian(head + 16, 4);
  std::uint32_t height = bigEndian(head + 20, 4);
  if (width == 0 || height == 0 || width > kPngMaxChunkLength || height > kPngMaxChunkLength)
    return std::nullopt;
  // The resolution, in a pHYs chunk before the image data; in pixels per metre.
  float xDpi = 0.0f;
  float yDpi = 0.0f;
  std::uint64_t offset = sizeof kPngSignature;
  for (int chunk = 0; chunk < kMaxPngChunks && offset < kGraphicScanBytes; ++chunk) {
    unsigned char header[8];
    if (source.read(offset, header, sizeof header) < sizeof header) break;
    std::uint32_t length = bigEndian(header, 4);
    if (length > kPngMaxChunkLength || std::memcmp(header + 4, "IDAT", 4) == 0) break;
    if (std::memcmp(header + 4, "pHYs", 4) == 0 && length == 9) {
      unsigned char data[9];
      if (source.read(offset + 8, data, sizeof data) < sizeof data) break;
      if (data[8] == 1) {
        xDpi = static_cast<float>(bigEndian(data, 4)) * kMetresPerInch;
        yDpi = static_cast<float>(bigEndian(data + 4, 4)) * kMetresPerInch;
      }
      break;
    }
    offset += std::uint64_t{length} + kPngChunkOverhead;
  }
  return fromPixels(width, height, xDpi, yDpi);
}

std::optional<GraphicSize> jpegSize(ByteSource& source) {
  unsigned char head[3];
  if (source.read(0, head, sizeof head) < sizeof head || head[0] != 0xff || head[1] != 0xd8)
    return std::nullopt;
  float xDpi = 0.0f;
  float yDpi = 0.0f;
  std::uint64_t offset = 2;
  for (int segment = 0; segment < kMaxJpegSegments && offset < kGraphicScanBytes; ++segment) {
    unsigned char marker[4];
    if (source.read(offset, marker, sizeof marker) < sizeof marker || marker[0] != 0xff)
      return std::nullopt;
    unsigned char type = marker[1];
    if (type == 0xff) {  // a fill byte
      ++offset;
      continue;
    }
    // Markers without a segment: restart markers, TEM, and SOI.
    if ((type >= 0xd0 && type <= 0xd8) || type == 0x01) {
      offset += 2;
      continue;
    }
    if (type == 0xd9 || type == 0xda) return std::nullopt;  // the end, or the image data
    std::uint32_t length = bigEndian(marker + 2, 2);
    if (length < 2) return std::nullopt;
    bool frameHeader = type >= 0xc0 && type <= 0xcf && type != 0xc4 && type != 0xc8 && type != 0xcc;
    if (frameHeader) {
      // Precision, height, width.
      unsigned char data[5];
      if (length < 2 + sizeof data || source.read(offset + 4, data, sizeof data) < sizeof data)
        return std::nullopt;
      std::uint32_t height = bigEndian(data + 1, 2);
      std::uint32_t width = bigEndian(data + 3, 2);
      if (width == 0 || height == 0) return std::nullopt;
      return fromPixels(width, height, xDpi, yDpi);
    }
    if (type == 0xe0) {
      // JFIF: identifier, version, units (1 dots per inch, 2 per centimetre), densities.
      unsigned char data[12];
      if (length >= 2 + sizeof data && source.read(offset + 4, data, sizeof data) == sizeof data &&
          std::memcmp(data, "JFIF", 5) == 0 && (data[7] == 1 || data[7] == 2)) {
        float factor = data[7] == 1 ? 1.0f : kCentimetresPerInch;
        xDpi = static_cast<float>(bigEndian(data + 8, 2)) * factor;
        yDpi = static_cast<float>(bigEndian(data + 10, 2)) * factor;
      }
    }
    offset += 2 + std::uint64_t{length};
  }
  return std::nullopt;
}

std::optional<GraphicSize> pdfSize(ByteSource& source) {
  std::uint64_t size = source.size();
  std::string text = window(source, 0, kGraphicScanBytes);
  if (text.compare(0, 5, "%PDF-") != 0) return std::nullopt;
  // pdfTeX takes the crop box where a page has one, else the media box. The page dictionaries
  // stand near the start or near the end of most files.
  for (int part = 0; part < 2; ++part) {
    if (part == 1) {
      if (size <= kGraphicScanBytes) break;
      text = window(source, size - kGraphicScanBytes, kGraphicScanBytes);
    }
    if (auto box = pdfBoxIn(text, "/CropBox")) return box;
    if (auto box = pdfBoxIn(text, "/MediaBox")) return box;
  }
  return std::nullopt;
}

std::optional<GraphicSize> epsSize(ByteSource& source) {
  // A DOS EPS file holds the PostScript at an offset its header gives.
  unsigned char head[12];
  std::uint64_t start = 0;
  std::uint64_t end = source.size();
  if (source.read(0, head, sizeof head) == sizeof head &&
      std::memcmp(head, kDosEpsSignature, sizeof kDosEpsSignature) == 0) {
    auto little = [&](int at) {
      return std::uint32_t{head[at]} | std::uint32_t{head[at + 1]} << 8 |
             std::uint32_t{head[at + 2]} << 16 | std::uint32_t{head[at + 3]} << 24;
    };
    start = little(4);
    end = std::min<std::uint64_t>(end, start + little(8));
  }
  if (start >= end) return std::nullopt;
  std::string text = window(source, start, std::min<std::uint64_t>(kGraphicScanBytes, end - start));
  if (text.compare(0, 4, "%!PS") != 0) return std::nullopt;
  if (auto box = boundingBoxIn(text)) return box;
  // "%%BoundingBox: (atend)": the trailer gives it.
  if (end - start > kGraphicScanBytes)
    return boundingBoxIn(window(source, end - kGraphicScanBytes, kGraphicScanBytes));
  return std::nullopt;
}

std::optional<GraphicSize> graphicSize(ByteSource& source) {
  switch (graphicFormat(source)) {
    case GraphicFormat::kPng:
      return pngSize(source);
    case GraphicFormat::kJpeg:
      return jpegSize(source);
    case GraphicFormat::kPdf:
      return pdfSize(source);
    case GraphicFormat::kEps:
      return epsSize(source);
    case GraphicFormat::kUnknown:
      break;
  }
  return std::nullopt;
}

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && chars::isWhite(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && chars::isWhite(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// Braces around the whole text are dropped.
std::string_view unbraced(std::string_view text) {
  text = trim(text);
  while (text.size() >= 2 && text.front() == '{' && text.back() == '}')
    text = trim(text.substr(1, text.size() - 2));
  return text;
}

struct NamedLength {
  const char* name;
  float points;
};

// clang-format off
constexpr NamedLength kPageLengths[] = {
    {"\\columnwidth", kTextWidthPoints},
    {"\\hsize", kTextWidthPoints},
    {"\\linewidth", kTextWidthPoints},
    {"\\paperheight", kPaperHeightPoints},
    {"\\paperwidth", kPaperWidthPoints},
    {"\\textheight", kTextHeightPoints},
    {"\\textwidth", kTextWidthPoints},
    {"\\vsize", kTextHeightPoints},
};
constexpr NamedLength kUnits[] = {
    {"bp", 1.0f},
    {"cc", 12.84f},
    {"cm", 28.35f},
    {"dd", 1.07f},
    {"em", 10.0f},
    {"ex", 4.3f},
    {"in", 72.0f},
    {"mm", 2.835f},
    {"pc", 12.0f},
    {"pt", 1.0f},
    {"px", 1.0f},
    {"sp", 1.0f / 65536.0f},
};
// clang-format on

std::optional<float> lengthOf(std::string_view text, int depth);

// The value of a command named in a length: the page's lengths, a length register the document
// set, or a macro whose text is a length.
std::optional<float> namedLength(const std::string& name, int depth) {
  for (const NamedLength& row : kPageLengths)
    if (name == row.name) return row.points;
  const reader::CommandRecord* r = reader::lookup(name);
  if (!r) return std::nullopt;
  if (r->tmpl == "%L(u)") return r->length;
  if (r->body && r->argCount == 0 && depth < kMaxLengthMacroDepth) {
    // The body as stored ends in the reader's end mark.
    std::string_view body = *r->body;
    std::string_view end = reader::kMacroBodyEnd;
    if (body.ends_with(end)) body.remove_suffix(end.size());
    return lengthOf(body, depth + 1);
  }
  return std::nullopt;
}

std::optional<float> lengthOf(std::string_view text, int depth) {
  text = unbraced(text);
  std::size_t i = 0;
  while (i < text.size() && (chars::isDigit(text[i]) || text[i] == '.' || text[i] == '-' ||
                             text[i] == '+' || text[i] == ','))
    ++i;
  float factor = 1.0f;
  if (i > 0) {
    std::string number(text.substr(0, std::min(i, kNumberTextMax)));
    std::replace(number.begin(), number.end(), ',', '.');
    char* stop = nullptr;
    factor = std::strtof(number.c_str(), &stop);
    if (stop == number.c_str()) {
      if (number == "-")
        factor = -1.0f;
      else if (number != "+")
        return std::nullopt;
    }
  }
  std::string_view rest = trim(text.substr(i));
  float unit;
  if (!rest.empty() && rest[0] == '\\') {
    std::size_t n = 1;
    while (n < rest.size() && chars::isLetter(static_cast<unsigned char>(rest[n]))) ++n;
    std::optional<float> named = namedLength(std::string(rest.substr(0, n)), depth);
    if (!named || !trim(rest.substr(n)).empty()) return std::nullopt;
    unit = *named;
  } else {
    if (i == 0) return std::nullopt;
    const NamedLength* found = nullptr;
    for (const NamedLength& row : kUnits)
      if (rest == row.name) found = &row;
    if (!found) return std::nullopt;
    unit = found->points;
  }
  float points = factor * unit;
  if (!std::isfinite(points)) return std::nullopt;
  return points;
}

// Numbers separated by blanks or commas (bb, viewport, trim); false unless `count` are there.
bool numbers(std::string_view text, float* out, int count) {
  std::string copy(unbraced(text));
  std::replace(copy.begin(), copy.end(), ',', ' ');
  const char* p = copy.c_str();
  const char* end = p + copy.size();
  for (int k = 0; k < count; ++k) {
    while (p < end && *p == ' ') ++p;
    const char* start = p;
    while (p < end && *p != ' ') ++p;
    std::optional<float> v = lengthOf(std::string_view(start, p - start), 0);
    if (!v) {
      // A bare number counts in big points.
      const char* q = start;
      v = scanNumber(q, p);
      if (!v || q != p) return false;
    }
    out[k] = *v;
  }
  while (p < end && *p == ' ') ++p;
  return p == end;
}

bool isTrue(std::string_view value) {
  value = unbraced(value);
  return value.empty() || value == "true";
}

}  // namespace

std::optional<float> graphicLength(std::string_view text) {
  return lengthOf(text, 0);
}

GraphicOptions parseGraphicOptions(std::string_view text) {
  GraphicOptions options;
  float natWidth = 0.0f;
  float natHeight = 0.0f;
  bool sized = false;  // a size key has been read
  std::size_t start = 0;
  while (start <= text.size()) {
    // The next item, up to a comma outside braces.
    std::size_t end = start;
    int depth = 0;
    while (end < text.size() && (text[end] != ',' || depth > 0)) {
      if (text[end] == '{') ++depth;
      if (text[end] == '}' && depth > 0) --depth;
      ++end;
    }
    std::string_view item = trim(text.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    std::size_t equals = item.find('=');
    std::string_view key = trim(item.substr(0, equals));
    std::string_view value = equals == std::string_view::npos ? "" : item.substr(equals + 1);
    std::string keyText(key);
    auto length = [&]() -> std::optional<float> {
      std::optional<float> v = graphicLength(value);
      if (!v || !believable(*v)) {
        reader::report("bad length for %s in \\includegraphics options", keyText.c_str());
        return std::nullopt;
      }
      return v;
    };
    if (key == "width") {
      options.width = length();
    } else if (key == "height" || key == "totalheight") {
      options.height = length();
    } else if (key == "scale") {
      std::string number(unbraced(value).substr(0, kNumberTextMax));
      char* stop = nullptr;
      float s = std::strtof(number.c_str(), &stop);
      if (stop == number.c_str() || *stop != 0 || !std::isfinite(s) || s <= 0.0f)
        reader::report("bad scale in \\includegraphics options");
      else
        options.scale = s;
    } else if (key == "keepaspectratio") {
      options.keepAspectRatio = isTrue(value);
    } else if (key == "bb" || key == "viewport") {
      float box[4];
      if (numbers(value, box, 4))
        options.natural = believed(std::fabs(box[2] - box[0]), std::fabs(box[3] - box[1]));
      else
        reader::report("bad %s in \\includegraphics options", keyText.c_str());
    } else if (key == "trim") {
      float box[4];
      if (numbers(value, box, 4)) {
        options.trimWidth = box[0] + box[2];
        options.trimHeight = box[1] + box[3];
      } else {
        reader::report("bad trim in \\includegraphics options");
      }
    } else if (key == "natwidth") {
      if (auto v = length()) natWidth = *v;
    } else if (key == "natheight") {
      if (auto v = length()) natHeight = *v;
    } else if (key == "angle") {
      std::string number(unbraced(value).substr(0, kNumberTextMax));
      char* stop = nullptr;
      float degrees = std::strtof(number.c_str(), &stop);
      if (stop == number.c_str() || *stop != 0 || !std::isfinite(degrees)) {
        reader::report("bad angle in \\includegraphics options");
      } else {
        float turned = std::fmod(degrees, 360.0f);
        if (turned < 0.0f) turned += 360.0f;
        // A right angle only: the frame of a graphic turned otherwise keeps its size.
        if (turned == 0.0f || turned == 90.0f || turned == 180.0f || turned == 270.0f) {
          options.angle = static_cast<int>(turned);
          options.turnedFirst = !sized;
        }
      }
    }
    if (key == "width" || key == "height" || key == "totalheight" || key == "scale") sized = true;
    // Other keys (clip, page, draft, type...) change nothing in the frame's size.
  }
  if (natWidth > 0.0f && natHeight > 0.0f) options.natural = GraphicSize{natWidth, natHeight};
  return options;
}

GraphicSize frameSize(const GraphicOptions& options, std::optional<GraphicSize> natural) {
  if (options.natural) natural = options.natural;
  if (natural && (options.trimWidth != 0.0f || options.trimHeight != 0.0f))
    natural = believed(natural->width - options.trimWidth, natural->height - options.trimHeight);
  bool quarterTurn = options.angle == 90 || options.angle == 270;
  if (natural && quarterTurn && options.turnedFirst)
    natural = GraphicSize{natural->height, natural->width};
  GraphicSize size;
  if (natural) {
    size = *natural;
  } else {
    // Unknown: the asked width or height with the usual proportion, or a default.
    size.width = options.width    ? *options.width
                 : options.height ? *options.height / kUnknownGraphicAspect
                                  : kUnknownGraphicWidth;
    size.height = size.width * kUnknownGraphicAspect;
  }
  if (options.width && options.height) {
    if (options.keepAspectRatio) {
      float factor = std::min(*options.width / size.width, *options.height / size.height);
      size.width *= factor;
      size.height *= factor;
    } else {
      size = GraphicSize{*options.width, *options.height};
    }
  } else if (options.width) {
    size.height *= *options.width / size.width;
    size.width = *options.width;
  } else if (options.height) {
    size.width *= *options.height / size.height;
    size.height = *options.height;
  }
  size.width = std::clamp(size.width * options.scale, kMinGraphicPoints, kMaxGraphicPoints);
  size.height = std::clamp(size.height * options.scale, kMinGraphicPoints, kMaxGraphicPoints);
  // Sized before it is turned, the graphic's frame is turned with it.
  if (quarterTurn && !options.turnedFirst) std::swap(size.width, size.height);
  return size;
}

namespace {

// The text between the opening character (current) and its matching `close`, as it stands; a %
// begins a comment to the line's end. A blank line or the end of input ends it (reported).
std::string readRaw(int close, std::size_t keep) {
  std::string text;
  int depth = 0;
  int lineEnds = 0;
  reader::advanceInRawArgument(text);
  for (;;) {
    int c = reader::peekChar();
    if (c == reader::kEndOfInput || lineEnds > 1) {
      reader::report("unclosed argument of %s", reader::tokenText());
      break;
    }
    if (c == close && depth == 0) {
      reader::advance();
      break;
    }
    if (c == '{') ++depth;
    if (c == '}' && depth > 0) --depth;
    if (c == '%') {
      while (reader::peekChar() != '\n' && reader::peekChar() != reader::kEndOfInput)
        reader::advanceInRawArgument(text);
      continue;
    }
    if (c == '\n')
      ++lineEnds;
    else if (c != ' ' && c != '\t' && c != '\r')
      lineEnds = 0;
    if (text.size() < keep) text += static_cast<char>(c == '\n' ? ' ' : c);
    reader::advanceInRawArgument(text);
  }
  return text;
}

void skipBlanksHere() {
  while (reader::peekChar() == ' ' || reader::peekChar() == '\t' || reader::peekChar() == '\n')
    reader::advance();
}

// A file opened by one of the names LaTeX would try, and the name that opened it.
struct FoundGraphic {
  std::string name;
  ChannelT channel = nullptr;
  bool refused = false;
};

ChannelT tryName(const std::string& name, bool& refused) {
  if (name.size() > kGraphicNameMax) return nullptr;
  return reader::searchInputFile(name.c_str(), &refused);
}

// The directories of \graphicspath after the document's own search path, for one name.
FoundGraphic tryEverywhere(const std::string& name) {
  FoundGraphic found;
  std::vector<std::string> prefixes{""};
  for (const std::string& path : pictureState().graphicsPaths) prefixes.push_back(path);
  for (const std::string& prefix : prefixes) {
    std::string candidate = prefix + name;
    found.channel = tryName(candidate, found.refused);
    if (found.channel) {
      found.name = candidate;
      return found;
    }
    if (found.refused) return found;
  }
  return found;
}

// A name with an extension is tried as it stands first; then the extensions in pdfLaTeX's order
// are added; last, a name without one is tried as it stands.
FoundGraphic findGraphic(const std::string& name) {
  std::size_t slash = name.rfind('/');
  bool hasExtension =
      name.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
  if (hasExtension) {
    FoundGraphic found = tryEverywhere(name);
    if (found.channel || found.refused) return found;
  }
  for (const char* extension : kGraphicExtensions) {
    FoundGraphic found = tryEverywhere(name + extension);
    if (found.channel || found.refused) return found;
  }
  if (!hasExtension) return tryEverywhere(name);
  return {};
}

// The angle of a turned graphic after its size in the ImportFile statement; nothing when it
// is not turned.
std::string angleText(int angle) {
  char text[16] = "";
  if (angle) std::snprintf(text, sizeof text, " %d", angle);
  return text;
}

void writeFrame(const std::string* file, GraphicSize size, int angle) {
  float width = size.width / kPointsPerInch;
  float height = size.height / kPointsPerInch;
  bool inPicture = pictureState().pictureDepth > 0;
  if (inPicture) {
    // Inside a picture the graphic stands in the picture's frame: frames do not nest.
    if (!file) return;
    wrapPendingText();
    ++pictureState().env.graphicCount;
    output::writeStatementLine("<!ImportFile \"%s\" %.2f\" %.2f\"%s >\n", mlpQuoted(*file).c_str(),
                               width, height, angleText(angle).c_str());
    return;
  }
  if (file)
    output::writeInlineStatement(
        "!InlineFrame", "0 %.2f\" %.2f\"\n    <!ImportFile \"%s\" %.2f\" %.2f\"%s >\n", width,
        height, mlpQuoted(*file).c_str(), width, height, angleText(angle).c_str());
  else
    // No file: an empty frame with a border keeps the place and shows it.
    output::writeInlineStatement("!Frame", "%.2f\" %.2f\"\n", width, height);
  // In a float the graphic stands in a paragraph of its own, before its caption.
  if (output::enclosingFloat()) output::endParagraph();
}

}  // namespace

void includeGraphicsProc() {
  reader::takeChar('*');
  skipBlanksHere();
  std::string optionText;
  std::string second;
  bool twoOptionals = false;
  if (reader::peekChar() == '[') {
    optionText = readRaw(']', kGraphicOptionsMax);
    skipBlanksHere();
    if (reader::peekChar() == '[') {
      second = readRaw(']', kGraphicOptionsMax);
      twoOptionals = true;
    }
  }
  std::optional<std::string> name = reader::readTextArgument();
  if (!name) return;
  std::string file(trim(*name));
  GraphicOptions options;
  if (twoOptionals) {
    // The graphics package's form: [llx,lly][urx,ury].
    float box[4];
    if (numbers(optionText + "," + second, box, 4))
      options.natural = believed(std::fabs(box[2] - box[0]), std::fabs(box[3] - box[1]));
    else
      reader::report("bad bounding box in \\includegraphics");
  } else {
    options = parseGraphicOptions(optionText);
  }
  if (file.empty()) {
    reader::report("missing graphic file name");
    return;
  }
  FoundGraphic found = findGraphic(file);
  if (!found.channel) {
    if (!found.refused) reader::report("graphic file %s not found", file.c_str());
    writeFrame(nullptr, frameSize(options, std::nullopt), 0);
    return;
  }
  ChannelSource source(found.channel);
  std::optional<GraphicSize> natural;
  if (reader::inclusionAllowed(found.name.c_str())) {
    natural = graphicSize(source);
    if (!natural && !options.natural)
      reader::report("size of graphic file %s not read: the frame takes a default size",
                     found.name.c_str());
  }
  writeFrame(&found.name, frameSize(options, natural), options.angle);
}

void graphicsPathProc() {
  skipBlanksHere();
  if (reader::peekChar() != '{') {
    reader::report("missing argument");
    return;
  }
  std::string list = readRaw('}', kGraphicOptionsMax);
  std::vector<std::string>& paths = pictureState().graphicsPaths;
  paths.clear();
  // Each directory in braces of its own: {{figures/}{../images/}}.
  std::size_t at = 0;
  while ((at = list.find('{', at)) != std::string::npos) {
    std::size_t end = list.find('}', at);
    if (end == std::string::npos) break;
    std::string path(trim(std::string_view(list).substr(at + 1, end - at - 1)));
    at = end + 1;
    if (path.empty() || path.size() > kGraphicNameMax) continue;
    if (static_cast<int>(paths.size()) >= kMaxGraphicsPaths) {
      reader::report("more than %d directories in \\graphicspath: the rest are not searched",
                     kMaxGraphicsPaths);
      break;
    }
    if (path.back() != '/') path += '/';
    paths.push_back(path);
  }
}

}  // namespace pendra::picture
