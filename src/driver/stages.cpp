#include "driver/stages.h"

#include "math/state.h"
#include "output/diversions.h"
#include "output/fonts.h"
#include "output/lists.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/prologue.h"
#include "output/xref.h"
#include "picture/picture.h"
#include "reader/conditionals.h"
#include "reader/environments.h"
#include "reader/macros.h"
#include "reader/packages.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "table/tables.h"

namespace pendra::driver {

void resetLatexStage(const reader::ReadOptions& options, FilePathT sourceDir, ChannelT body) {
  reader::initReader(options, sourceDir);
  reader::initReporter();
  reader::registerReporter(false, reader::lineCounter());
  reader::loadCharTables();
  reader::initEnvironments();
  output::initParagraphOutput(body);
  output::initFonts();
  output::initLayout();
  output::initParagraphFormats();
  reader::initSymbols();
  reader::initPackages();
  reader::initDefinitions();
  reader::initConditionals();
  picture::initPicture();
  output::initLists();
  output::initDiversions();
  output::initCrossReferences();
  table::initTables();
  math::initMath();
}

}  // namespace pendra::driver
