// Shared set-up for tests that read LaTeX text: the reader and symbol table reset through their
// inits, and the text fed from a temporary channel.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fdk/fdk.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"

namespace pendra::testing {

inline ChannelT channelWith(std::string_view text) {
  ChannelT ch = F_ChannelMakeTmp(1024);
  F_ChannelWrite(text.data(), 1, text.size(), ch);
  F_ChannelSeek(ch, 0, SEEK_SET);
  return ch;
}

class ReaderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    reader::initReader({.progressTrace = false});
    reader::initReporter();
    reader::loadCharTables();
    reader::initSymbols();
  }
  void TearDown() override {
    reader::finishReading();
    reader::registerReporter(false, nullptr);
  }
  // Makes `text` the current input, read from the start like a fresh source file.
  void feed(std::string_view text, const char* name = "test.tex") {
    reader::startInput(channelWith(text), name);
  }
  // Makes `text` the current input with its first character current (past the line feed that
  // reading starts with).
  void feedTokens(std::string_view text, const char* name = "test.tex") {
    feed(text, name);
    reader::advance();
  }
  // Texts of the tokens up to the end of input (the names of records that have one).
  std::vector<std::string> tokenTexts() {
    std::vector<std::string> out;
    for (int guard = 0; guard < 100000; ++guard) {
      reader::CommandRecord* r = reader::nextToken();
      if (r == reader::specialToken(reader::kEndOfInputToken)) break;
      out.push_back(r->name.empty() ? std::string(reader::readerState().tokenText) : r->name);
    }
    return out;
  }
};

}  // namespace pendra::testing
