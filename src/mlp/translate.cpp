#include "mlp/translate.h"

#include "mif/fatal.h"
#include "mif/tree.h"
#include "mlp/alongside.h"
#include "mlp/catalogs.h"
#include "mlp/font.h"
#include "mlp/frames.h"
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
  initFrames();
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

AlongsideResult translateAlongside(ChannelT body, const char* versionText, DefinitionFeed& feed) {
  resetStage(body, false, nullptr);
  // The translation is over on every way out, an exception included, so that the next one is
  // an ordinary one.
  struct Stop {
    ~Stop() {
      stopAlongside();
      releaseReader();
    }
  } stop;
  AlongsideResult result;
  try {
    ReporterScope scope;
    mif::initMif(versionText);
    mif::setCurrentTree(mif::newMifTree());
    buildStatementTable();
    startAlongside(feed);
    // The body stands after the prologue's lines: its first white space is running text. The
    // reader starts on a space that stands for no byte: its first byte is taken here.
    setLineFeeds(kLineFeedsUnknown);
    nextChar();
    processStatements(false, false);
    // A `>` that closes no statement ends the translation with an error, which the translation
    // of the finished file reports.
    if (currentChar() == '>') return result;
    finishAlongside();
    finishDocument();
  } catch (const mif::TranslationAbort&) {
    return result;
  }
  result.bodyLines = lineCount();
  result.usable = !alongsideState.spoiled;
  return result;
}

}  // namespace pendra::mlp
