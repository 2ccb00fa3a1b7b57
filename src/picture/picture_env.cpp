// The picture body: its frame, PictDispatcher, \put and \multiput, and boxes placed directly in
// the picture.
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "output/diversions.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/template.h"
#include "picture/picture_internal.h"
#include "reader/arguments.h"
#include "reader/construct.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "table/tables.h"

namespace pendra::picture {

namespace {

void writeTextLine();

bool blank(const char* text) {
  for (; *text; ++text)
    if (*text != ' ' && *text != '\t' && *text != '\n') return false;
  return true;
}

void resetToParagraphFont() {
  const char* tag = reader::currentEnvironment().paragraphTag;
  if (!tag || !*tag) return;
  output::RegisteredFormat* format = output::findParagraphFormat(tag);
  if (!format) return;
  if (const output::CharacterFormat* row = output::findCharacterFormat(format->font.c_str()))
    output::currentFont() = output::formatFont(*row);
}

// A picture that would nest deeper than the bound: its body is read and nothing is written.
void refusedPicture(const reader::EnvironmentRecord& record, int ending) {
  PictureState& pictures = pictureState();
  if (!pictures.nestingReported) {
    pictures.nestingReported = true;
    reader::report("pictures nested too deeply; the inner ones are left out");
  }
  readPair();
  if (reader::peekChar() == '(') readPair();
  output::suppressOutput();
  reader::genericBody(record, ending);
  output::releaseOutput();
}

void runPicture(const reader::EnvironmentRecord& record, int ending) {
  PictureState& pictures = pictureState();
  PictEnv saved = pictures.env;
  int savedMark = pictures.nestingMark;
  int savedTableMark = pictures.tableMark;
  int savedBoxTableMark = pictures.boxTableMark;
  int savedMode = reader::currentMode();
  PictEnv& env = pictures.env;
  env.angle = 0;
  env.graphicCount = 0;
  env.scale = unitScale();
  float w = 1.0f / env.scale;
  float h = w;
  if (std::optional<reader::CoordinatePair> size = readPair()) {
    w = size->x;
    h = size->y;
  } else {
    reader::report("missing/malformed number pair");
  }
  reader::CoordinatePair offset{0.0f, 0.0f};
  if (reader::peekChar() == '(') {
    if (std::optional<reader::CoordinatePair> given = readPair())
      offset = *given;
    else
      reader::report("missing/malformed number pair");
  }
  int boxes = table::tableState().boxNesting;
  // A picture inside a table of the enclosing picture (a tabular, or a box written as a table:
  // a minipage) stands in its cell, in a frame of its own: a cell holds no graphics.
  const table::TableState& tables = table::tableState();
  bool nested = pictures.pictureDepth > 0 && boxes - savedMark < 2 &&
                tables.tableNesting == savedTableMark && tables.boxTables == savedBoxTableMark;
  // An object that holds text (an environment met in the picture, say) and then a picture: a
  // text line holds no graphic, so the text so far goes into a text line of its own and the
  // picture's graphics stand beside it in the frame; what follows is the object's text again.
  // (A picture whose frame was never written, one begun where nothing is output, has no frame
  // to keep graphics apart from text.)
  bool textBefore = nested && saved.inFrame && output::outputState().suppression <= 0 &&
                    pictures.objectDepth > 0 && saved.graphicCount == 0 &&
                    tables.boxNesting == savedMark && tables.tableNesting == savedTableMark &&
                    output::openDiversionSize() > 0;
  if (textBefore) {
    output::BufferProc("E8");
    writeTextLine();
    output::BufferProc("S");
  }
  if (nested) {
    // The enclosing \put position, in the enclosing picture's coordinates, becomes the origin.
    env.xOffset = saved.xOffset + env.x - offset.x;
    env.yOffset = saved.yOffset + env.y - offset.y;
  } else {
    env.width = w;
    env.height = h;
    env.xOffset = -offset.x;
    env.yOffset = -offset.y;
    env.inFrame = output::outputState().suppression <= 0;
    output::writeStatementLine("<!Frame %.2f\" %.2f\"\n", inches(w), inches(h));
  }
  pictures.nestingMark = boxes;
  pictures.tableMark = table::tableState().tableNesting;
  pictures.boxTableMark = table::tableState().boxTables;
  ++pictures.pictureDepth;
  reader::genericBody(record, ending);
  wrapPictureText();
  if (textBefore) {
    output::BufferProc("E8");
    output::BufferProc("I8");
    output::BufferProc("S");
    env.graphicCount = 0;  // they stand in the frame already
    saved.textSplit = true;
  }
  --pictures.pictureDepth;
  pictures.nestingMark = savedMark;
  pictures.tableMark = savedTableMark;
  pictures.boxTableMark = savedBoxTableMark;
  reader::setCurrentMode(savedMode);
  if (nested) {
    saved.graphicCount += env.graphicCount;
  } else {
    output::writeStatementLine(">\n");
    // Text lines of the picture chose their fonts; the text after it chooses its own again.
    output::resetLastWrittenFont();
  }
  pictures.env = saved;
}

void putProc() {
  PictEnv& env = pictureState().env;
  PictEnv saved = env;
  if (std::optional<reader::CoordinatePair> at = readPair()) {
    env.x = at->x;
    env.y = at->y;
  } else {
    reader::report("missing/malformed number pair");
  }
  env.alignment = "Left";
  int drawn = runObject(reader::environmentState().put);
  env = saved;
  env.graphicCount += drawn;
}

// The repetition count in braces; nullopt when it is missing.
std::optional<int> readRepetitions() {
  if (reader::peekChar() != '{') return std::nullopt;
  reader::advance();
  std::optional<int> n = reader::readInteger();
  reader::skipBlanks();
  if (reader::peekChar() == '}')
    reader::advance();
  else if (n)
    reader::report("mismatched `{'");
  return n;
}

// The repetitions drawn of `count` asked for, within the bounds of one \multiput and of the
// document.
int allowedRepetitions(int count) {
  PictureState& pictures = pictureState();
  if (count <= 0) return 0;
  std::int64_t allowed = count < kMaxRepetitions ? count : kMaxRepetitions;
  if (allowed > pictures.repetitionsLeft) allowed = pictures.repetitionsLeft;
  if (allowed < count && !pictures.repetitionsReported) {
    pictures.repetitionsReported = true;
    reader::report("too many repetitions on \\multiput (%d); %d are drawn", count,
                   static_cast<int>(allowed));
  }
  pictures.repetitionsLeft -= allowed;
  return static_cast<int>(allowed);
}

void multiputProc() {
  PictEnv& env = pictureState().env;
  PictEnv saved = env;
  std::optional<reader::CoordinatePair> start = readPair();
  if (!start) {
    reader::report("missing %s on \\multiput", "coordinate");
    return;
  }
  std::optional<reader::CoordinatePair> step = readPair();
  if (!step) {
    reader::report("missing %s on \\multiput", "increment");
    return;
  }
  std::optional<int> count = readRepetitions();
  if (!count) {
    reader::report("missing %s on \\multiput", "repetition");
    return;
  }
  std::string body = "{";
  body += reader::readMacroArgument();
  body += "}";
  reader::defineMacro("\\multiput*", 0, body);
  // Each repetition reads its own copy, so an object that redefines the macro changes nothing.
  auto object = std::make_shared<const std::string>(std::move(body));
  float x = start->x;
  float y = start->y;
  for (int n = allowedRepetitions(*count); n > 0; --n) {
    // A few bytes of \multiput may ask for more output than any document needs.
    if (!reader::outputWithinBudget()) break;
    env.x = x;
    env.y = y;
    env.alignment = "Left";
    reader::startExpansion(object, {}, 0);
    int drawn = runObject(reader::environmentState().put);
    x += step->x;
    y += step->y;
    env = saved;
    saved.graphicCount += drawn;
  }
  env = saved;
}

// Buffer 8 inside a text line at the current position.
void writeTextLine() {
  const PictEnv& env = pictureState().env;
  output::writeStatementLine("<!TextLine %s %d %.2f\" %.2f\"\n", env.alignment, env.angle,
                             inchX(env.x), inchY(env.y));
  output::BufferProc("I8");
  output::writeStatementLine(">\n");
}

}  // namespace

void wrapPendingText() {
  const PictureState& pictures = pictureState();
  const table::TableState& tables = table::tableState();
  if (output::outputState().length == 0 || pictures.pictureDepth == 0) return;
  // Text in a box or table of the picture stays in its cell.
  if (tables.boxNesting != pictures.nestingMark || tables.tableNesting != pictures.tableMark)
    return;
  // The buffer's text goes into a diversion of its own, which ends at once.
  output::BufferProc("S");
  output::BufferProc("E8");
  writeTextLine();
}

bool mathObject(const char* delimiter) {
  // Inside an object the object's own text line holds the formula.
  if (pictureState().objectDepth > 0) return false;
  const reader::EnvironmentState& environments = reader::environmentState();
  const reader::EnvironmentRecord* record = environments.math;
  int ending;
  if (std::strcmp(delimiter, "$") == 0) {
    ending = reader::kDollarClose;
  } else if (std::strcmp(delimiter, "\\(") == 0) {
    ending = reader::kInlineClose;
  } else if (std::strcmp(delimiter, "$$") == 0) {
    record = environments.displayMath;
    ending = reader::kDoubleDollarClose;
  } else if (std::strcmp(delimiter, "\\[") == 0) {
    record = environments.displayMath;
    ending = reader::kDisplayClose;
  } else {
    return false;
  }
  PictEnv& env = pictureState().env;
  PictEnv saved = env;
  int drawn = runObject(
      nullptr, [record, ending] { reader::runMathRecord(*record, ending); }, false);
  env = saved;
  env.graphicCount += drawn;
  return true;
}

void environmentObject(const output::TemplateItem& item) {
  if (pictureState().objectDepth > 0) {
    passToBase(item);
    return;
  }
  PictEnv& env = pictureState().env;
  PictEnv saved = env;
  int drawn = runObject(
      nullptr, [&item] { passToBase(item); }, false);
  env = saved;
  env.graphicCount += drawn;
}

void wrapPictureText() {
  if (pictureState().objectDepth == 0) wrapPendingText();
}

void pictureBody(int ending) {
  const reader::EnvironmentRecord& record = reader::currentEnvironment();
  const reader::EnvironmentState& environments = reader::environmentState();
  if (&record == environments.put || &record == environments.pictText) {
    reader::genericBody(record, ending);
  } else if (pictureState().pictureDepth >= kMaxPictureNesting) {
    refusedPicture(record, ending);
  } else {
    runPicture(record, ending);
  }
}

int runObject(const reader::EnvironmentRecord* record, const std::function<void()>& content,
              bool keepEmpty) {
  reader::EnvironmentState& environments = reader::environmentState();
  const reader::EnvironmentRecord* savedRecord = environments.current;
  int savedMode = reader::currentMode();
  PictEnv& env = pictureState().env;
  wrapPictureText();
  if (record) {
    environments.current = record;
    reader::setCurrentMode(record->mode);
  }
  output::outputState().tagLineWritten = true;
  env.graphicCount = 0;
  env.textSplit = false;
  output::BufferProc("S");
  output::resetLastWrittenFont();
  ++pictureState().objectDepth;
  if (content)
    content();
  else
    reader::processOneArgument();
  --pictureState().objectDepth;
  if (env.graphicCount > 0) wrapPendingText();
  // Ending the diversion ends the object's paragraph; an empty one adds no blank line.
  output::BufferProc("E8");
  // An object whose text a picture split has its text lines already, and needs no empty one.
  if (env.graphicCount == 0 &&
      ((keepEmpty && !env.textSplit) || output::diversionBufferSize(8) > 0))
    writeTextLine();
  else
    output::BufferProc("I8");
  environments.current = savedRecord;
  reader::setCurrentMode(savedMode);
  return env.graphicCount;
}

void pictureBox(char letter) {
  if (letter == 'f') {
    reader::processOneArgument();
    return;
  }
  if (letter == 'D') reader::readMacroArgument();
  PictEnv& env = pictureState().env;
  PictEnv saved = env;
  readPair();
  std::optional<std::string> position = reader::readOptionLetters();
  env.alignment = "Center";
  if (position && !position->empty()) {
    if ((*position)[0] == 'l') env.alignment = "Left";
    if ((*position)[0] == 'r') env.alignment = "Right";
  }
  int drawn = runObject(reader::environmentState().pictText);
  env = saved;
  env.graphicCount += drawn;
}

void PictDispatcher(const char* tmpl) {
  output::TemplateItem item;
  for (const char* p = tmpl; output::nextTemplateItem(p, item);) {
    if (item.literal) {
      passToBase(item);
    } else if (!item.hasArgument) {
      switch (item.byte) {
        case '!':
          resetToParagraphFont();
          break;
        case 'b':
          if (!blank(reader::tokenText()))
            reader::report("bad call to PictDispatcher: %s", reader::tokenText());
          break;
        case 'n':
          // Text that reached the picture body itself (math, say) goes into a text line.
          if (output::outputState().length > 0)
            wrapPictureText();
          else
            output::endParagraph();
          break;
        default:
          passToBase(item);
          break;
      }
    } else {
      switch (item.byte) {
        case 'P':
          pictureBox(item.argument[0]);
          break;
        case 'Q':
          curveProc(item.argument);
          break;
        case 'U':
          if (item.argument[0] == 'P')
            putProc();
          else if (item.argument[0] == 'M')
            multiputProc();
          break;
        case 'p':
          PictDispatcher(item.argument);
          break;
        case 'D':
          if (!mathObject(item.argument)) passToBase(item);
          break;
        case 'E':
          environmentObject(item);
          break;
        default:
          if (!output::fontArgumentCode(item.byte, item.argument)) passToBase(item);
          break;
      }
    }
  }
}

}  // namespace pendra::picture
