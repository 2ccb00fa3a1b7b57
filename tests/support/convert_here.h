// Converting a source in this process as the pendra command does, for tests.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "driver/driver.h"
#include "fdk/host.h"
#include "host/standalone_host.h"

namespace pendra::testing {

struct InProcessResult {
  std::string document;  // the saved document, empty when none was made
  std::string console;   // messages and closing notes
  bool stopped = false;
};

inline std::string readWhole(std::FILE* file) {
  std::string text;
  char block[4096];
  std::size_t n;
  std::rewind(file);
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, n);
  return text;
}

// Converts `source` from its own directory with `options`. With `keepDir` the host keeps the
// import files there, unnamed, as the pendra command does (and holds the MLP in memory); without
// it the intermediate MIF file is made beside the source, and removed afterwards.
inline InProcessResult convertInProcess(const std::filesystem::path& source,
                                        const driver::DriverOptions& options,
                                        const std::string& keepDir = {}) {
  namespace fs = std::filesystem;
  fs::path before = fs::current_path();
  fs::current_path(source.parent_path());
  std::FILE* console = std::tmpfile();
  fdk::setConsole(console);
  host::StandaloneHost host;
  if (!keepDir.empty()) host.keepImportFiles(keepDir);
  fdk::installHost(&host);
  driver::setOptions(options);
  F_ApiInitialize(1);
  std::string name = source.filename().string();
  F_ApiNotify(0, 0, name.c_str(), 0);
  fdk::installHost(nullptr);
  fdk::setConsole(nullptr);
  InProcessResult result;
  result.stopped = host.stopped();
  if (const host::Document* doc = host.returnedDocument(); doc && doc->imported)
    result.document = host::savedDocumentText(*doc);
  result.console = readWhole(console);
  std::fclose(console);
  if (keepDir.empty()) {
    std::error_code ignored;
    fs::remove(source.parent_path() / (source.stem().string() + ".mif"), ignored);
  }
  fs::current_path(before);
  return result;
}

}  // namespace pendra::testing
