// What the files of the picture part share: coordinate conversion, the line thickness, the
// running of one object, the objects themselves and the oval part table.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "output/template.h"
#include "picture/picture.h"
#include "reader/arguments.h"
#include "reader/environments.h"

namespace pendra::picture {

// Below this, \unitlength counts as 1pt and \endlinethickness as 1pt.
constexpr float kSmallestLength = 0.01f;
// Pen widths above this many points are cut to it.
constexpr float kMaxPenWidth = 1000.0f;

// A picture point in inches on a y axis that points down from the frame's top left corner.
float inchX(float x);
float inchY(float y);
// A size in picture units, in inches.
float inches(float units);
// Inches per picture unit for the current \unitlength.
float unitScale();
// The pen width written with every graphic, in points.
float lineThickness();

// Hands one template item (a literal byte or a code) to BaseDispatcher.
void passToBase(const output::TemplateItem& item);

// A coordinate pair; a malformed one is skipped to its closing parenthesis, so that its rest is
// not read as picture text.
std::optional<reader::CoordinatePair> readPair();
// Skips to and past the '}' that closes the group the reader is in.
void skipToClosingBrace();

// Text of an object that also draws cannot stand loose in the frame: before a graphic, the text
// written so far is put into a text line of its own at the current position.
void wrapPendingText();
// The same for text met in a picture body itself, outside every object (inside one, the object's
// own text line holds it).
void wrapPictureText();

// Runs the next argument as a picture object in `record` (*put or *picttext) at the current
// position, and writes a text line around its text when it drew no graphic. Gives the number of
// graphics drawn: an object's graphics count for the object (or nested picture) around it, so
// that a \put holding a picture of lines writes no text line.
// `record` nullptr keeps the current environment; `content` empty processes the next argument;
// an object that wrote nothing has a text line only when `keepEmpty`.
int runObject(const reader::EnvironmentRecord* record,
              const std::function<void()>& content = nullptr, bool keepEmpty = true);

// %E met directly in a picture body: the environment (a tabular, a nested picture) is an object
// at the current position, so that its text and tables stand in a text line. Inside an object
// the environment is run as it is: the object's own text line holds it.
void environmentObject(const output::TemplateItem& item);
// %D opening a formula directly in a picture body: the formula is run as an object in the same
// way, so that its equation frame stands in a text line. False for other delimiters and inside
// objects.
bool mathObject(const char* delimiter);

// %P inside a \put object: the command letter.
void putObject(char letter);
// %P directly in a picture body: boxes placed at the current position.
void pictureBox(char letter);
// %Q: \qbezier (empty), \drawline (l), \dottedline (d).
void curveProc(const char* kind);
// %j: \rotatebox's angle.
void rotateProc();

// Start angle and sweep of an oval, by its part mask (b 1, t 2, r 4, l 8).
struct OvalPart {
  int start;
  int sweep;
};
constexpr int kOvalPartCount = 16;
extern const OvalPart kOvalParts[kOvalPartCount];

// A file name as the text of an MLP string: quotes and backslashes escaped.
std::string mlpQuoted(const std::string& name);

}  // namespace pendra::picture
