#include "driver/driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "driver/alongside.h"
#include "driver/stages.h"
#include "fdk/host.h"
#include "fdk/save_file.h"
#include "math/state.h"
#include "mif/writer.h"
#include "mlp/translate.h"
#include "output/diversions.h"
#include "output/prologue.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::driver {

namespace {

constexpr int kParaOrLrMode = 4;
constexpr int kParseToEnd = 1;
constexpr UIntT kTmpChannelSize = 1024;
constexpr MetricT kPoint = 65536;
constexpr MetricT kInch = 72 * kPoint;
constexpr int kMaxMifNameTries = 100;

DriverOptions options;
bool inputRefused = false;
bool besideUsed = false;

// What one run holds; released on every way out of the run, a stop included.
struct Run {
  // The second stage beside the first; stopped before anything it reads or builds goes.
  AlongsideTranslation alongside;
  FilePathT sourcePath = nullptr;
  FilePathT sourceDir = nullptr;
  ChannelT body = nullptr;
  ChannelT mlp = nullptr;
  char* mifName = nullptr;
  FilePathT mifPath = nullptr;

  ~Run() {
    alongside.stop();
    // A tree that was never written goes now, its streamed parts written out or not: no
    // writing outlives the run.
    mif::releaseMif();
    reader::finishReading();
    reader::forgetSourceDir();
    if (body) F_ChannelCloseTmp(body);
    if (mlp) F_ChannelCloseTmp(mlp);
    if (mifPath) F_FilePathFree(mifPath);
    if (mifName) F_Free(mifName);
    if (sourceDir) F_FilePathFree(sourceDir);
    if (sourcePath) F_FilePathFree(sourcePath);
    reader::registerReporter(false, nullptr);
  }
};

// Copies `from` into the file being saved, leaving its position where it is (a channel in
// memory is read once only); false when a write failed.
bool copyChannel(ChannelT from, fdk::SavedFile& to) {
  char buffer[kBodyCopyBlock];
  long at = 0;
  std::size_t n;
  while ((n = fdk::readChannelAt(from, at, buffer, kBodyCopyBlock)) > 0) {
    if (!to.write(buffer, n)) return false;
    at += static_cast<long>(n);
  }
  return true;
}

// Keeps a copy of the MLP file (the prologue and then the body) where the command asked for one,
// saved whole or not at all. False (with a message) when it could not be saved.
bool keepMlpCopy(ChannelT prologue, ChannelT body) {
  if (options.keepMlpPath.empty()) return true;
  fdk::SavedFile out;
  bool saved = out.open(options.keepMlpPath) && copyChannel(prologue, out) &&
               copyChannel(body, out) && out.commit();
  if (!saved) {
    F_Printf(nullptr, "%s\n", out.error().c_str());
    if (out.refusedAsInput()) inputRefused = true;
  }
  return saved;
}

// A temporary channel between the stages refused bytes: the run ends with the reason.
bool temporaryFailed(ChannelT channel, const char* what) {
  int err = fdk::channelError(channel);
  if (err == 0) return false;
  F_Printf(nullptr, "Cannot write the temporary %s file: %s\n", what, std::strerror(err));
  return true;
}

// Opens the MIF file that is imported and then deleted. It never replaces a file that is already
// there (the user's own paper.mif, say): when the name is taken, a fresh name beside it is used.
ChannelT openIntermediateMif(Run& run) {
  // A file is made and registered for removal with no interruption in between.
  fdk::CleanupSignalsHeld held;
  if (ChannelT ch = F_ChannelOpen(run.mifPath, "wx")) {
    fdk::addTransientFile(run.mifPath);
    return ch;
  }
  std::string stem(run.mifName, std::strlen(run.mifName) - std::strlen(kMifExtension));
  for (int k = 1; k <= kMaxMifNameTries; ++k) {
    std::string name = stem + ".pendra-" + std::to_string(k) + kMifExtension;
    FilePathT path = F_PathNameToFilePath(name.c_str(), run.sourceDir, FDefaultPlatform);
    if (!path) return nullptr;
    if (ChannelT ch = F_ChannelOpen(path, "wx")) {
      fdk::addTransientFile(path);
      F_FilePathFree(run.mifPath);
      run.mifPath = path;
      return ch;
    }
    F_FilePathFree(path);
  }
  return nullptr;
}

// The first stage: the source read into run.body, ending with the diversions and the formulas
// left open. False (with the reason) when the source cannot be read or the body not written.
bool readSource(Run& run, ConStringT sparm, const reader::ReadOptions& readOptions) {
  resetLatexStage(readOptions, run.sourceDir, run.body);
  reader::runOutermostTemplate(kParaOrLrMode, "%g(Body)");
  ChannelT source = F_ChannelOpen(run.sourcePath, "r");
  if (!source) {
    F_Printf(nullptr, "Cannot read %s\n", sparm);
    return false;
  }
  reader::startInput(source, sparm);
  while (reader::peekChar() != reader::kEndOfInput) reader::parseUntil(kParseToEnd);
  reader::finishReading();
  reader::registerReporter(false, nullptr);
  output::finishDiversions();
  math::finishMath();
  return !temporaryFailed(run.body, "MLP");
}

// The MLP file is the prologue followed by the body; the second stage reads the two in turn
// rather than a copy of the body behind the prologue. The prologue goes into run.mlp.
bool writeMlpPrologue(Run& run, output::PrologueText& prologue) {
  run.mlp = F_ChannelMakeTmp(kTmpChannelSize);
  if (!run.mlp) {
    F_Printf(nullptr, "Could not create temp MLP file\n");
    return false;
  }
  prologue = output::writePrologue(run.mlp, 0);
  F_ChannelSeek(run.mlp, 0, SEEK_SET);
  return true;
}

// The body read beside went to the translation and is not kept: the source is read again for
// the finished file. Its messages were given by the first reading.
bool readAgain(Run& run, ConStringT sparm, const reader::ReadOptions& readOptions) {
  bool read = false;
  {
    fdk::ConsoleHeld held;
    F_ChannelCloseTmp(run.body);
    F_ChannelCloseTmp(run.mlp);
    run.mlp = nullptr;
    run.body = F_ChannelMakeTmp(kTmpChannelSize);
    output::PrologueText prologue;
    read = run.body && readSource(run, sparm, readOptions) &&
           F_ChannelSeek(run.body, 0, SEEK_SET) == 0 && writeMlpPrologue(run, prologue) &&
           !temporaryFailed(run.mlp, "MLP");
  }
  if (!read) F_Printf(nullptr, "Cannot read %s again: the conversion stops\n", sparm);
  return read;
}

void runConversion(ConStringT sparm) {
  Run run;
  inputRefused = false;
  besideUsed = false;
  F_FdeInit();
  run.sourcePath = F_PathNameToFilePath(sparm, nullptr, FDefaultPlatform);
  if (!run.sourcePath) return;
  IntT status = 0;
  run.sourceDir = F_FilePathParent(run.sourcePath, &status);

  // Both stages at once where the MLP stays in memory and nothing asks for the stages' own
  // output (the kept MLP file, the translation's trace).
  fdk::Host* host = fdk::installedHost();
  bool beside =
      host && host->temporaryChannelsInMemory() && options.keepMlpPath.empty() && !options.verbose;
  if (beside) {
    run.body = run.alongside.makeBodyChannel();
    if (run.body && !run.alongside.start(run.body, kVersionText)) {
      F_ChannelCloseTmp(run.body);
      run.body = nullptr;
    }
    beside = run.body != nullptr;
  }
  if (!run.body) run.body = F_ChannelMakeTmp(kTmpChannelSize);
  if (!run.body) {
    F_Printf(nullptr, "Cannot create temporary file\n");
    F_ApiBailOut();
    return;
  }

  reader::ReadOptions readOptions;
  readOptions.progressTrace = options.progressTrace;
  readOptions.restricted = options.restricted;
  if (!readSource(run, sparm, readOptions)) return;
  if (!beside) F_ChannelSeek(run.body, 0, SEEK_SET);
  output::PrologueText prologue;
  bool prologueWritten = writeMlpPrologue(run, prologue);
  if (beside) run.alongside.endBody({std::move(prologue.formatOrder), prologue.statements});
  if (!prologueWritten) return;
  reader::summariseMessages();
  reader::summariseUnknowns();
  F_Printf(nullptr, "\nLatex->MLP Done\n");

  if (temporaryFailed(run.mlp, "MLP") || temporaryFailed(run.body, "MLP")) return;
  bool translated = false;
  if (beside) {
    beside = run.alongside.finish();
    if (beside) {
      translated = true;
      besideUsed = true;
      F_Printf(nullptr, "\nProcessing complete -- %d lines processed\n",
               prologue.lines + run.alongside.bodyLines());
    } else {
      // The tree built beside the first stage goes; the finished file is translated instead.
      mif::releaseMif();
      if (!readAgain(run, sparm, readOptions)) return;
    }
  }
  if (!beside) {
    if (!keepMlpCopy(run.mlp, run.body)) return;
    translated = mlp::translateMlp(run.mlp, options.verbose, kVersionText, run.body);
  }
  F_ChannelCloseTmp(run.mlp);
  run.mlp = nullptr;
  F_ChannelCloseTmp(run.body);
  run.body = nullptr;
  if (!translated) return;

  char* base = F_FilePathBaseName(run.sourcePath);
  if (!base) return;
  run.mifName =
      static_cast<char*>(F_Realloc(base, std::strlen(base) + std::strlen(kMifExtension) + 1));
  if (!run.mifName) {
    F_Free(base);
    return;
  }
  replaceExtension(run.mifName, kMifExtension);
  run.mifPath = F_PathNameToFilePath(run.mifName, run.sourceDir, FDefaultPlatform);
  if (!run.mifPath) return;
  ChannelT mif = openIntermediateMif(run);
  if (!mif) {
    F_Printf(nullptr, "Cannot write %s: %s\n", run.mifName, std::strerror(errno));
    return;
  }
  mif::writeMif(mif, true);
  // A file that could not be written whole is not handed on as if it were the document.
  bool failed = mif::mifWriteFailed() || fdk::channelError(mif) != 0;
  if (F_ChannelClose(mif) != 0 || failed) {
    int err = fdk::lastChannelError();
    F_Printf(nullptr, "Cannot write the MIF file: %s\n", std::strerror(err ? err : EIO));
    F_DeleteFile(run.mifPath);
    return;
  }

  F_ObjHandleT doc =
      F_ApiCustomDoc(F_MetricFractMul(kInch, 17, 2), 0x3180000, 1, F_MetricFractMul(kInch, 1, 4),
                     kInch, kInch, kInch, kInch, 0, 0);
  F_ObjHandleT flow = F_ApiGetId(0, doc, FP_MainFlowInDoc);
  F_ObjHandleT frame = F_ApiGetId(doc, flow, FP_FirstTextFrameInFlow);
  F_ObjHandleT pgf = F_ApiGetId(doc, frame, FP_FirstPgf);
  F_TextRangeT tr;
  tr.beg.objId = tr.end.objId = pgf;
  tr.beg.offset = tr.end.offset = 0;
  F_ApiSetTextRange(0, doc, FP_TextSelection, &tr);
  tr = F_ApiGetTextRange(0, doc, FP_TextSelection);
  if (tr.beg.objId == 0) {
    F_Printf(nullptr, "MIF not inserted, no insertion point\n");
    return;
  }
  F_PropValsT params = F_ApiGetImportDefaultParams();
  if (params.len() == 0) {
    F_Printf(nullptr, "Can't get default import list\n");
    return;
  }
  const IntT props[] = {4, 18, 7};
  const IntT values[] = {6, 1, 0};
  for (int i = 0; i < 3; ++i) {
    IntT index = F_ApiGetPropIndex(&params, props[i]);
    if (index >= 0) params.val[index].intValue = values[i];
  }
  char* mifPathName = F_FilePathToPathName(run.mifPath, FDefaultPlatform);
  F_PropValsT returned;
  F_ApiImport(doc, &tr.beg, mifPathName, &params, &returned);
  F_Free(mifPathName);
  F_ApiDeallocatePropVals(&params);
  F_ApiDeallocatePropVals(&returned);
  F_ApiUpdateDoc(doc, 7);
  F_DeleteFile(run.mifPath);
  F_Printf(nullptr, "Deleted MIF file, all done ...\n");
  F_ApiReturnValue(static_cast<IntT>(doc));
  F_ApiBailOut();
}

}  // namespace

void setOptions(const DriverOptions& o) {
  options = o;
}

bool inputOverwriteRefused() {
  return inputRefused;
}

bool translatedAlongside() {
  return besideUsed;
}

void replaceExtension(char* name, const char* ext) {
  std::size_t len = std::strlen(name);
  for (std::size_t i = len; i-- > 1;) {
    if (name[i] == '.') {
      std::strcpy(name + i, ext);
      return;
    }
  }
  std::strcpy(name + len, ext);
}

}  // namespace pendra::driver

void F_ApiInitialize(IntT initialization) {
  if (initialization == 1) F_ApiClientRequest(2, 1);
}

void F_ApiNotify(IntT, F_ObjHandleT, ConStringT sparm, IntT) {
  try {
    pendra::driver::runConversion(sparm);
  } catch (const pendra::reader::ConversionStop&) {
    pendra::fdk::closeAllChannels();
    if (pendra::fdk::Host* host = pendra::fdk::installedHost()) host->conversionStopped();
  } catch (const std::bad_alloc&) {
    // The unwinding has given back what the run held, so the message can be printed.
    F_Printf(nullptr, "%s\n", pendra::driver::kOutOfMemory);
    pendra::fdk::closeAllChannels();
    if (pendra::fdk::Host* host = pendra::fdk::installedHost()) host->conversionStopped();
  }
}
