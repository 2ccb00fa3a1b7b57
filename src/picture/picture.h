// The picture environment, written as an anchored frame of MLP graphic statements, and EPS files
// included through \special, written as a frame holding the imported file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pendra::picture {

// Pictures inside \put objects of pictures; a deeper one is read with its output suppressed.
constexpr int kMaxPictureNesting = 8;
// Repetitions of one \multiput, and of all \multiput objects of one conversion together: a
// larger count is cut to what is left, with a message.
constexpr std::int32_t kMaxRepetitions = 100000;
constexpr std::int64_t kMaxRepetitionsPerDocument = 1000000;
// Inch values written into graphic statements stay within this magnitude.
constexpr float kMaxInches = 100000.0f;

// What a picture, a \put, a \multiput repetition and a box save on entry and restore on exit.
struct PictEnv {
  float width = 0.0f;  // picture units
  float height = 0.0f;
  float x = 0.0f;  // the current position
  float y = 0.0f;
  float xOffset = 0.0f;
  float yOffset = 0.0f;
  float scale = 1.0f / 72.0f;  // inches per unit
  std::int32_t angle = 0;      // degrees of the next text line
  const char* alignment = "Left";
  const char* verticalAlignment = "Middle";
  std::int32_t graphicCount = 0;  // graphic statements written in the current object
  bool inFrame = false;           // the outermost picture's frame was written (not suppressed)
  bool textSplit = false;         // a picture in the current object split its text (runPicture)
};

struct PictureState {
  PictEnv env;
  int nestingMark = -1;  // box depth at which the innermost picture body runs; -1 outside
  int tableMark = 0;     // tables open when the innermost picture body started
  int boxTableMark = 0;  // tables of boxes open then
  int objectDepth = 0;   // objects of \put, \multiput and boxes being run
  int pictureDepth = 0;  // pictures being run
  std::int64_t repetitionsLeft = kMaxRepetitionsPerDocument;
  bool repetitionsReported = false;
  bool nestingReported = false;
  std::vector<std::string> graphicsPaths;  // \graphicspath: directories, each ending in '/'
};

PictureState& pictureState();
// Resets the picture state; makes \unitlength and \endlinethickness and the macros
// \linethickness, \thinlines and \thicklines.
void initPicture();

// Body handler of the picture environment (and of *picttext and *put when named by \begin).
void pictureBody(int ending);
// Mode interpreter of a picture body.
void PictDispatcher(const char* tmpl);
// Mode interpreter of *put: the objects of \put and \multiput.
void putInterpreter(const char* tmpl);
// %u(s): \special{file options}, an EPS file as a frame with the imported file.
void specialProc();
// %u(g): \includegraphics[options]{file}, the file imported by reference in an anchored frame.
void includeGraphicsProc();
// %u(p): \graphicspath{{dir/}...}: the directories searched for graphic files.
void graphicsPathProc();

}  // namespace pendra::picture
