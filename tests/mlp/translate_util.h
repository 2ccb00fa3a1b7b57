// Runs the MLP-to-MIF stage on a text held in memory, for tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fdk/fdk.h"
#include "mif/writer.h"
#include "mlp/translate.h"

namespace pendra::testing {

struct Translation {
  bool ok = false;
  std::string mif;      // the writer's output; empty after a failed translation
  std::string console;  // what the stage wrote to the console
};

inline std::string readAll(ChannelT channel) {
  F_ChannelSeek(channel, 0, SEEK_SET);
  std::string text;
  char block[4096];
  std::size_t n;
  while ((n = F_ChannelRead(block, 1, sizeof block, channel)) > 0) text.append(block, n);
  return text;
}

// With `split` inside the text, the first `split` bytes come from one channel and the rest from
// a second one that the stage reads after it.
inline Translation translate(const std::string& mlp, bool verbose = false,
                             std::size_t split = std::string::npos) {
  Translation result;
  std::size_t first = split < mlp.size() ? split : mlp.size();
  ChannelT in = F_ChannelMakeTmp(1024);
  F_ChannelWrite(mlp.data(), 1, first, in);
  F_ChannelSeek(in, 0, SEEK_SET);
  ChannelT rest = nullptr;
  if (split < mlp.size()) {
    rest = F_ChannelMakeTmp(1024);
    F_ChannelWrite(mlp.data() + first, 1, mlp.size() - first, rest);
    F_ChannelSeek(rest, 0, SEEK_SET);
  }
  ::testing::internal::CaptureStderr();
  result.ok = mlp::translateMlp(in, verbose, "2.01alpha", rest);
  result.console = ::testing::internal::GetCapturedStderr();
  F_ChannelCloseTmp(in);
  if (rest) F_ChannelCloseTmp(rest);
  if (result.ok) {
    ChannelT out = F_ChannelMakeTmp(1024);
    mif::writeMif(out, true);
    result.mif = readAll(out);
    F_ChannelCloseTmp(out);
  }
  return result;
}

// The MIF text after the two header lines and the cross-reference formats, which every document
// with text has; the text flow and what precedes it stay.
inline std::string bodyOf(const std::string& mif) {
  std::size_t at = mif.find("<TextFlow");
  return at == std::string::npos ? std::string() : mif.substr(at);
}

}  // namespace pendra::testing
