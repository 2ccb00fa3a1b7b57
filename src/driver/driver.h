// One conversion, from the host's notification to the document handed back.
#pragma once

#include <string>

#include "fdk/fdk.h"

namespace pendra::driver {

constexpr const char* kVersionText = "2.01alpha";
constexpr const char* kMifExtension = ".mif";
constexpr int kBodyCopyBlock = 512;
// Said when memory runs out anywhere in a conversion, which then stops like an unrecoverable state.
constexpr const char* kOutOfMemory = "Out of memory: the conversion stops";

// Settings the standalone command passes to the driver before a run.
struct DriverOptions {
  bool progressTrace = true;  // print line numbers while reading
  bool verbose = false;       // the MLP reader reports skipped statements
  bool restricted = false;    // refuse absolute, parent-directory and hidden file names
  std::string keepMlpPath;    // when set, the MLP file (prologue + body) is also copied here
};

void setOptions(const DriverOptions& options);

// The last run stopped because the MLP copy would have replaced a file the run read.
bool inputOverwriteRefused();

// The last run's document was translated beside the first stage, not from the finished MLP.
bool translatedAlongside();

// Replaces the extension of `name` (from its last dot after the first character) by `ext`, or
// appends `ext` when there is no such dot. `name` must have room for strlen(ext) more bytes.
void replaceExtension(char* name, const char* ext);

}  // namespace pendra::driver

void F_ApiInitialize(IntT initialization);
void F_ApiNotify(IntT notification, F_ObjHandleT docId, ConStringT sparm, IntT iparm);
