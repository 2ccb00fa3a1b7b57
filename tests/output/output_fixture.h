// Shared set-up for tests that convert LaTeX text to an MLP body in process: every stage the
// reader and the paragraph layer need is reset through its init, as the driver does.
#pragma once

#include <string>
#include <string_view>

#include "driver/stages.h"
#include "output/diversions.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/prologue.h"
#include "output/template.h"
#include "reader/environments.h"
#include "support/reader_fixture.h"

namespace pendra::testing {

class ConvertFixture : public ReaderFixture {
 protected:
  void SetUp() override {
    ReaderFixture::SetUp();
    body_ = F_ChannelMakeTmp(1024);
    driver::resetLatexStage({.progressTrace = false}, nullptr, body_);
    reader::runOutermostTemplate(reader::kParaMode, "%g(Body)");
  }
  void TearDown() override {
    output::finishDiversions();
    ReaderFixture::TearDown();
    F_ChannelCloseTmp(body_);
  }
  // Reads `text` as a whole source, as the driver does, and returns the body written so far.
  std::string convert(std::string_view text) {
    feed(text);
    while (reader::readerState().currentChar != reader::kEndOfInput) reader::parseUntil(1);
    return bodyText();
  }
  // As convert, with the messages reported on the way.
  std::string convert(std::string_view text, std::string* messages) {
    ::testing::internal::CaptureStderr();
    std::string out = convert(text);
    *messages = ::testing::internal::GetCapturedStderr();
    return out;
  }
  std::string bodyText() {
    long end = F_ChannelTell(body_);
    F_ChannelSeek(body_, 0, SEEK_SET);
    std::string out(static_cast<std::size_t>(end), '\0');
    std::size_t n = F_ChannelRead(out.data(), 1, out.size(), body_);
    out.resize(n);
    F_ChannelSeek(body_, end, SEEK_SET);
    return out;
  }
  // Starts the paragraph layer afresh, in a Body paragraph, on the same body channel.
  void restartParagraphs() {
    output::initParagraphOutput(body_);
    output::initFonts();
    output::initLayout();
    reader::runOutermostTemplate(reader::kParaMode, "%g(Body)");
  }
  // The paragraph buffer's text.
  static std::string buffer() { return output::outputState().buffer; }

  ChannelT body_ = nullptr;
};

}  // namespace pendra::testing
