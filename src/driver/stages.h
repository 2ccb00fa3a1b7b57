// The stage entry points the driver calls, in the order it calls them.
#pragma once

#include "fdk/fdk.h"
#include "mlp/translate.h"  // translateMlp

namespace pendra::reader {
void initEnvironments();
// Makes `mode` current and runs `tmpl` through the interpreter of the current environment.
void runOutermostTemplate(int mode, const char* tmpl);
// The construct loop, run until the construct that `delimiter` names ends.
int parseUntil(int delimiter);
}  // namespace pendra::reader

namespace pendra::output {
void initParagraphOutput(ChannelT body);
void initParagraphFormats();
void initLists();
void finishDiversions();
void writePrologue(ChannelT mlp, int flag);
}  // namespace pendra::output

namespace pendra::picture {
void initPicture();
}

namespace pendra::table {
void initTables();
}

namespace pendra::math {
void initMath();
void finishMath();
}  // namespace pendra::math

namespace pendra::mif {
void writeMif(ChannelT channel, bool final);
}
