// The spacing codes of running text: %z, \hspace (%H), \vspace (%v) and \xspace (%Z(x)).
#include <cstdio>
#include <cstring>

#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

// Room for the \vspace template with any float printed in full.
constexpr std::size_t kSpaceTemplateSize = 160;

// The braced length after \hspace or \vspace; nullopt when no brace follows.
std::optional<float> spaceLength() {
  reader::skipBlanks();
  if (reader::peekChar() != '{') return std::nullopt;
  std::optional<float> length = reader::readDelimitedLength('{', '}');
  if (!length) {
    reader::report("missing/malformed size argument");
    return 0.0f;
  }
  return length;
}

}  // namespace

void spacingCodes(const char* chars) {
  for (const char* c = chars; *c; ++c) {
    switch (*c) {
      case ' ':
        writeRawString(" ");
        break;
      case ',':
        writeRawString("<ThinSpace>");
        break;
      case '~':
        writeRawString("<HardSpace>");
        break;
      default:
        break;
    }
  }
}

void xspaceProc() {
  // Called at the end of a macro's body (as it always is), it looks at the text after the body.
  reader::passBodyEnds();
  int c = reader::peekChar();
  // No space before punctuation, a brace, a blank of the source or the end.
  if (c == reader::kEndOfInput || (c < 0x80 && std::strchr(",.'/?;:!~-)}{ \t\r\n", c))) return;
  writeRawString(" ");
}

void horizontalSpace() {
  std::optional<float> length = spaceLength();
  if (!length) {
    runInCurrentMode("%x%n");
    return;
  }
  if (*length > 0) writeInlineStatement("!HSpace", "%.2fpt", static_cast<double>(*length));
}

// A paragraph of its own holding one tab escape, with the space above it.
void verticalSpace() {
  std::optional<float> length = spaceLength();
  if (!length) {
    runInCurrentMode("%x%n");
    return;
  }
  char tmpl[kSpaceTemplateSize];
  std::snprintf(tmpl, sizeof tmpl, "%%g(FirstBody)%%a(%2f) \\x09 %%n",
                static_cast<double>(*length));
  runInCurrentMode(tmpl);
}

}  // namespace pendra::output
