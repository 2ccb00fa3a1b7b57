// Stand-ins for stage entry points whose subsystems are not built yet: each does the least that
// keeps a run whole. Whoever builds a stage deletes its stand-in here.
#include "driver/stages.h"
#include "reader/input.h"
#include "reader/tokenizer.h"

namespace pendra::reader {
void initEnvironments() {}
void runOutermostTemplate(int, const char*) {}
// Reads tokens to the end of input without writing anything.
int parseUntil(int) {
  while (nextToken() != specialToken(kEndOfInputToken)) {
  }
  readerState().currentChar = kEndOfInput;
  return 0;
}
}  // namespace pendra::reader

namespace pendra::output {
void initParagraphOutput(ChannelT) {}
void initParagraphFormats() {}
void initLists() {}
void finishDiversions() {}
void writePrologue(ChannelT, int) {}
}  // namespace pendra::output

namespace pendra::picture {
void initPicture() {}
}  // namespace pendra::picture

// Used by the macro, argument and counter readers until the interpreters and fonts are built.
#include "output/fonts.h"
#include "output/template.h"

namespace pendra::output {
void runInCurrentMode(const char*) {}
Font& currentFont() {
  static Font font;
  return font;
}
}  // namespace pendra::output
