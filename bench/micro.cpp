// Micro-benchmarks of the hot loops on in-memory data (Google Benchmark): the LaTeX tokenizer, the
// MLP translation, the MIF writer and the host's MIF check, each over a generated article (or
// the MLP and MIF made from it), reported in bytes per second of the data each one reads.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/driver.h"
#include "fdk/fdk.h"
#include "fdk/host.h"
#include "generate.h"
#include "host/mif_check.h"
#include "host/standalone_host.h"
#include "mif/tree.h"
#include "mif/writer.h"
#include "mlp/translate.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kArticleBytes = 1 << 20;
constexpr std::uint32_t kSeed = 20261209;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ChannelT channelWith(const std::string& text) {
  ChannelT ch = F_ChannelMakeTmp(1024);
  F_ChannelWrite(text.data(), 1, text.size(), ch);
  F_ChannelSeek(ch, 0, SEEK_SET);
  return ch;
}

// The article, and the MLP and MIF files that one conversion of it makes.
struct Data {
  std::string latex;
  std::string mlp;
  std::string mif;
};

const Data& data() {
  static const Data made = [] {
    Data d;
    d.latex = pendra::bench::generateArticle(kArticleBytes, kSeed);
    fs::path dir = fs::temp_directory_path() / ("pendra-micro-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "article.tex", std::ios::binary) << d.latex;
    pendra::host::StandaloneHost host;
    pendra::fdk::installHost(&host);
    pendra::driver::DriverOptions options;
    options.progressTrace = false;
    options.keepMlpPath = (dir / "article.mlp").string();
    pendra::driver::setOptions(options);
    F_ApiNotify(0, 0, (dir / "article.tex").string().c_str(), 0);
    pendra::fdk::installHost(nullptr);
    d.mlp = slurp(dir / "article.mlp");
    if (const pendra::host::Document* doc = host.returnedDocument())
      d.mif = pendra::host::savedDocumentText(*doc);
    fs::remove_all(dir);
    return d;
  }();
  return made;
}

void tokenizer(benchmark::State& state) {
  const std::string& text = data().latex;
  std::size_t tokens = 0;
  for (auto _ : state) {
    pendra::reader::initReader({.progressTrace = false});
    pendra::reader::loadCharTables();
    pendra::reader::initSymbols();
    pendra::reader::startInput(channelWith(text), "article.tex");
    pendra::reader::advance();
    while (pendra::reader::nextToken() !=
           pendra::reader::specialToken(pendra::reader::kEndOfInputToken))
      ++tokens;
    pendra::reader::finishReading();
  }
  benchmark::DoNotOptimize(tokens);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(tokenizer)->Unit(benchmark::kMillisecond);

// Translates the MLP file and writes the MIF file into a temporary channel.
void translate(benchmark::State& state) {
  const std::string& mlp = data().mlp;
  for (auto _ : state) {
    ChannelT in = channelWith(mlp);
    bool ok = pendra::mlp::translateMlp(in, false, "bench");
    F_ChannelCloseTmp(in);
    ChannelT out = F_ChannelMakeTmp(1024);
    if (ok) pendra::mif::writeMif(out, true);
    F_ChannelCloseTmp(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * mlp.size()));
}
BENCHMARK(translate)->Unit(benchmark::kMillisecond);

// The writer alone: the whole tree is built in memory (untimed), then written.
void writer(benchmark::State& state) {
  const std::string& mlp = data().mlp;
  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    pendra::mif::setStreaming(false);
    ChannelT in = channelWith(mlp);
    pendra::mlp::translateMlp(in, false, "bench");
    F_ChannelCloseTmp(in);
    pendra::mif::setStreaming(true);
    ChannelT out = F_ChannelMakeTmp(1024);
    state.ResumeTiming();
    pendra::mif::writeMif(out, true);
    written = static_cast<std::size_t>(F_ChannelTell(out));
    state.PauseTiming();
    F_ChannelCloseTmp(out);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * written));
}
BENCHMARK(writer)->Unit(benchmark::kMillisecond);

void mifCheck(benchmark::State& state) {
  const std::string& mif = data().mif;
  bool ok = false;
  for (auto _ : state) ok = pendra::host::checkMif(mif).ok;
  if (!ok) state.SkipWithError("the MIF file does not pass the check");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * mif.size()));
}
BENCHMARK(mifCheck)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Progress and messages would only disturb the timing.
  std::FILE* devnull = std::fopen("/dev/null", "w");
  pendra::fdk::setConsole(devnull);
  data();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  pendra::fdk::setConsole(nullptr);
  if (devnull) std::fclose(devnull);
  return 0;
}
