#include "mlp/translate.h"

#include "mif/fatal.h"
#include "mif/tree.h"
#include "mlp/catalogs.h"
#include "mlp/font.h"
#include "mlp/intern.h"
#include "mlp/objects.h"
#include "mlp/pgf.h"
#include "mlp/reader.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

namespace {

// While a translation runs, messages carry the MLP line number.
struct ReporterScope {
  ReporterScope() { mif::setMessageLine(lineCounter()); }
  ~ReporterScope() { mif::setMessageLine(nullptr); }
  ReporterScope(const ReporterScope&) = delete;
  ReporterScope& operator=(const ReporterScope&) = delete;
};

void resetStage(ChannelT channel, bool verbose, ChannelT continuation) {
  // Texts interned by the previous translation were kept for its tree; they go now.
  freeInternTable();
  initReader(channel, verbose, continuation);
  initStatements();
  initFont();
  initPgf();
  initText();
  initObjects();
  initCatalogs();
}

}  // namespace

bool translateMlp(ChannelT channel, bool verbose, const char* versionText, ChannelT continuation) {
  resetStage(channel, verbose, continuation);
  try {
    ReporterScope scope;
    mif::initMif(versionText);
    mif::setCurrentTree(mif::newMifTree());
    buildStatementTable();
    processStatements(false);
    // A `>` that closes no statement would end the document early and drop the rest silently.
    if (currentChar() == '>') mif::fatal("Unmatched '>' in running text");
    finishDocument();
  } catch (const mif::TranslationAbort&) {
    releaseReader();
    mif::releaseMif();
    F_Printf(nullptr, "\nError encountered -- translation aborted\n");
    return false;
  }
  int lines = lineCount();
  releaseReader();
  F_Printf(nullptr, "\nProcessing complete -- %d lines processed\n", lines);
  return true;
}

}  // namespace pendra::mlp
