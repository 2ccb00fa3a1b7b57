// \special{file options}: an EPS file, checked and measured by its bounding-box comment, as a
// frame holding the imported file.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/chars.h"
#include "fdk/fdk.h"
#include "output/paragraph.h"
#include "picture/picture_internal.h"
#include "reader/arguments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::picture {

namespace {

constexpr std::size_t kEpsLineCapacity = 255;  // 254 bytes of a line and a terminating zero
constexpr std::size_t kEpsReadBlock = 1024;
// Bytes read looking for the bounding box; a file without one in its first 64 MiB has none.
constexpr std::uint64_t kMaxEpsScanBytes = std::uint64_t{64} << 20;
// Longer file names are not looked for (they could not be written into one statement).
constexpr std::size_t kMaxEpsNameLength = 255;
// Bounding-box numbers beyond this are not whole numbers of a page.
constexpr long kMaxBoundingBoxValue = 10000000;
// Scale factors above this are not believed.
constexpr float kMaxEpsScale = 1000.0f;
constexpr const char* kPostScriptMagic = "%!PS-Adobe";
constexpr const char* kBoundingBoxComment = "%%BoundingBox:";

enum Reason { kEpsOk = 0, kCannotOpen = 1, kNotPostScript = 2, kNotEps = 3, kNoBoundingBox = 4 };

const char* const kReasonTexts[] = {"", "cannot open file", "not a PostScript file",
                                    "not a EPS file", "missing bounding box info"};

struct BoundingBox {
  long llx = 0;
  long lly = 0;
  long urx = 0;
  long ury = 0;
};

// Reads a channel in blocks, one byte at a time for its callers.
class EpsInput {
 public:
  explicit EpsInput(ChannelT channel) : channel_(channel) {}
  ~EpsInput() { F_ChannelClose(channel_); }
  EpsInput(const EpsInput&) = delete;
  EpsInput& operator=(const EpsInput&) = delete;

  int get() {
    if (pos_ == length_) {
      if (total_ >= kMaxEpsScanBytes) return -1;
      length_ = F_ChannelRead(block_, 1, sizeof block_, channel_);
      pos_ = 0;
      total_ += length_;
      if (length_ == 0) return -1;
    }
    return static_cast<unsigned char>(block_[pos_++]);
  }

  // One line, its line feed included, cut to kEpsLineCapacity - 1 bytes (the rest of a longer
  // line is skipped); false when no byte could be read.
  bool readLine(char (&line)[kEpsLineCapacity]) {
    std::size_t n = 0;
    int c = get();
    if (c < 0) return false;
    while (c >= 0) {
      if (n < kEpsLineCapacity - 1) line[n++] = static_cast<char>(c);
      if (c == '\n') break;
      c = get();
    }
    line[n] = 0;
    return true;
  }

 private:
  ChannelT channel_;
  char block_[kEpsReadBlock];
  std::size_t length_ = 0;
  std::size_t pos_ = 0;
  std::uint64_t total_ = 0;
};

// A whole number after optional white space, as a scan of "%d" reads it.
bool scanInteger(const char*& p, long& value) {
  while (chars::isCSpace(*p)) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  if (!chars::isDigit(*p)) return false;
  long v = 0;
  for (; chars::isDigit(*p); ++p)
    if (v <= kMaxBoundingBoxValue) v = v * 10 + (*p - '0');
  if (v > kMaxBoundingBoxValue) return false;
  value = *start == '-' ? -v : v;
  return true;
}

// "%%BoundingBox:" at the line's start and four whole numbers after it.
bool boundingBoxLine(const char* line, BoundingBox& box) {
  std::size_t n = std::strlen(kBoundingBoxComment);
  if (std::strncmp(line, kBoundingBoxComment, n) != 0) return false;
  const char* p = line + n;
  BoundingBox b;
  if (!scanInteger(p, b.llx) || !scanInteger(p, b.lly) || !scanInteger(p, b.urx) ||
      !scanInteger(p, b.ury))
    return false;
  box = b;
  return true;
}

Reason checkEps(const char* name, BoundingBox& box) {
  if (std::strlen(name) > kMaxEpsNameLength) return kCannotOpen;
  if (!reader::inclusionAllowed(name)) return kCannotOpen;
  ChannelT channel = reader::searchInputFile(name);
  if (!channel) return kCannotOpen;
  EpsInput input(channel);
  char line[kEpsLineCapacity];
  if (!input.readLine(line) || std::strncmp(line, kPostScriptMagic, std::strlen(kPostScriptMagic)))
    return kNotPostScript;
  if (!std::strstr(line, "EPS")) return kNotEps;
  while (input.readLine(line))
    if (boundingBoxLine(line, box)) return kEpsOk;
  return kNoBoundingBox;
}

// The two scale factors that begin the options, when the options say "scale".
void readScale(const std::string& options, float& xscale, float& yscale) {
  xscale = 1.0f;
  yscale = 1.0f;
  if (options.find("scale") == std::string::npos) return;
  const char* p = options.c_str();
  char* end = nullptr;
  float x = std::strtof(p, &end);
  if (end == p) return;
  p = end;
  float y = std::strtof(p, &end);
  if (end == p) return;
  // A factor that is not a positive number within bounds leaves the figure at its size.
  if (!std::isfinite(x) || !std::isfinite(y) || x <= 0.0f || y <= 0.0f || x > kMaxEpsScale ||
      y > kMaxEpsScale)
    return;
  xscale = x;
  yscale = y;
}

}  // namespace

void specialProc() {
  std::optional<std::string> argument = reader::readTextArgument();
  if (!argument) {
    reader::report("missing argument");
    return;
  }
  std::size_t white = 0;
  while (white < argument->size() && !chars::isCSpace((*argument)[white])) ++white;
  std::string name = argument->substr(0, white);
  std::string options = white < argument->size() ? argument->substr(white + 1) : std::string();
  BoundingBox box;
  Reason reason = checkEps(name.c_str(), box);
  if (reason != kEpsOk) {
    reader::report("Cannot import \\special file (%s)", kReasonTexts[reason]);
    return;
  }
  float xscale;
  float yscale;
  readScale(options, xscale, yscale);
  long width = box.urx - box.llx;
  long height = box.ury - box.lly;
  // Inside a picture the imported file stands in the picture's frame: frames do not nest.
  bool inPicture = pictureState().pictureDepth > 0;
  if (inPicture) {
    wrapPendingText();
    ++pictureState().env.graphicCount;
  } else {
    output::writeStatementLine("<!Frame %.2f\" %.2f\"\n", static_cast<float>(width) / 72 * xscale,
                               static_cast<float>(height) / 72 * yscale);
  }
  output::writeStatementLine("    <!EPSFile \"%s\" %ldpt %ldpt %ldpt %ldpt %.2f %.2f >\n",
                             mlpQuoted(name).c_str(), box.llx, box.lly, width, height, xscale,
                             yscale);
  if (!inPicture) output::writeStatementLine(">\n");
}

std::string mlpQuoted(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace pendra::picture
