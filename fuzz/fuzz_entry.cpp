#include "fuzz_entry.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "driver/driver.h"
#include "fdk/host.h"
#include "host/mif_check.h"
#include "host/standalone_host.h"
#include "mif/writer.h"
#include "mlp/translate.h"

namespace pendra::fuzz {

namespace {

// One directory per process for the source file the conversion reads.
const std::filesystem::path& workDir() {
  static const std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "pendra-fuzz-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    return std::filesystem::path(made ? made : std::filesystem::temp_directory_path().c_str());
  }();
  return dir;
}

std::string readChannel(ChannelT ch) {
  std::string text;
  char block[4096];
  std::size_t n;
  F_ChannelSeek(ch, 0, SEEK_SET);
  while ((n = F_ChannelRead(block, 1, sizeof block, ch)) > 0) text.append(block, n);
  return text;
}

}  // namespace

void quietConsole(bool quiet) {
  static std::FILE* devnull = std::fopen("/dev/null", "w");
  fdk::setConsole(quiet ? devnull : nullptr);
}

std::string convertLatex(const std::uint8_t* data, std::size_t size, bool* stopped, bool beside) {
  std::filesystem::path source = workDir() / "input.tex";
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  host::StandaloneHost host;
  if (beside) host.keepImportFiles(workDir().string());
  fdk::installHost(&host);
  driver::DriverOptions options;
  options.progressTrace = false;
  options.restricted = true;  // the input may name any file on the machine
  driver::setOptions(options);
  F_ApiInitialize(1);
  F_ApiNotify(0, 0, source.c_str(), 0);
  fdk::installHost(nullptr);
  if (stopped) *stopped = host.stopped();
  std::string saved;
  if (const host::Document* doc = host.returnedDocument(); doc && doc->imported)
    saved = host::savedDocumentText(*doc);
  std::error_code ignored;
  std::filesystem::remove(source, ignored);
  std::filesystem::remove(workDir() / "input.mif", ignored);
  return saved;
}

std::string translateMlp(const std::uint8_t* data, std::size_t size) {
  ChannelT in = F_ChannelMakeTmp(1024);
  F_ChannelWrite(data, 1, size, in);
  F_ChannelSeek(in, 0, SEEK_SET);
  bool ok = mlp::translateMlp(in, false, driver::kVersionText);
  F_ChannelCloseTmp(in);
  if (!ok) return {};
  ChannelT out = F_ChannelMakeTmp(1024);
  mif::writeMif(out, true);
  std::string mif = readChannel(out);
  F_ChannelCloseTmp(out);
  return mif;
}

bool checkMif(const std::uint8_t* data, std::size_t size) {
  return host::checkMif(std::string_view(reinterpret_cast<const char*>(data), size)).ok;
}

}  // namespace pendra::fuzz
