#include "output/links.h"

#include <cstdio>
#include <cstring>

#include "output/fonts.h"
#include "output/paragraph.h"
#include "picture/picture.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

// FrameMaker's marker type for hypertext commands.
constexpr int kHypertextMarkerType = 8;
constexpr const char* kOpenUrlCommand = "message URL ";
constexpr const char* kUrlEscapable = "#%&_~$^{}\\";

}  // namespace

std::optional<std::string> hypertextCommand(const std::string& url) {
  std::string command = kOpenUrlCommand;
  for (unsigned char c : url) {
    if (c <= ' ' || c >= 0x7f) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      command += hex;
    } else {
      if (c == '"' || c == '\\') command += '\\';
      command += static_cast<char>(c);
    }
    if (command.size() > kHypertextCommandMax) return std::nullopt;
  }
  return command;
}

std::optional<std::string> readUrlArgument(bool escapes) {
  while (reader::peekChar() == ' ' || reader::peekChar() == '\t') reader::advance();
  if (reader::peekChar() == '\n') {
    reader::advance();
    while (reader::peekChar() == ' ' || reader::peekChar() == '\t') reader::advance();
  }
  int open = reader::peekChar();
  if (open == reader::kEndOfInput || open == '\n' || open == '\\' || open == '}')
    return std::nullopt;
  int close = open == '{' ? '}' : open;
  int line = reader::lineNumber();
  std::string text;
  int depth = 0;
  int lineEnds = 0;
  bool cut = false;
  reader::advanceInRawArgument(text);
  for (std::size_t scanned = 0;; ++scanned) {
    int c = reader::peekChar();
    // A blank line or the end of input ends an argument left open; so does a runaway one.
    if (c == reader::kEndOfInput || lineEnds > 1 || scanned >= kUrlScanMax) {
      reader::MessageLineScope scope(line);
      reader::report("unclosed URL argument");
      break;
    }
    if (c == close && depth == 0) {
      reader::advance();
      break;
    }
    if (open == '{' && c == '{') ++depth;
    if (open == '{' && c == '}') --depth;
    if (c == '\n') {
      ++lineEnds;
      reader::advanceInRawArgument(text);
      continue;
    }
    lineEnds = 0;
    if (c == ' ' || c == '\t' || c == '\r') {
      reader::advanceInRawArgument(text);
      continue;
    }
    if (escapes && c == '\\') {
      reader::advanceInRawArgument(text);
      int next = reader::peekChar();
      if (next != reader::kEndOfInput && next != 0 && std::strchr(kUrlEscapable, next)) {
        c = next;
      } else {
        if (text.size() < kUrlReadMax) text += '\\';
        continue;
      }
    }
    if (text.size() < kUrlReadMax)
      text += static_cast<char>(c);
    else
      cut = true;
    reader::advanceInRawArgument(text);
  }
  if (cut) reader::report("URL longer than %zu bytes: the rest is left out", kUrlReadMax);
  return text;
}

namespace {

void writeHypertextMarker(const std::string& url) {
  // Loose in a picture there is no line for a marker; inside a \put the text stands alone.
  if (picture::pictureState().pictureDepth > 0) return;
  std::optional<std::string> command = hypertextCommand(url);
  if (!command) {
    reader::report("URL too long for a hypertext marker: its text is kept without the link");
    return;
  }
  writeInlineStatement("Marker", "<MType %d> <MText \"%s\">", kHypertextMarkerType,
                       command->c_str());
}

}  // namespace

void urlProc(bool link) {
  std::optional<std::string> url = readUrlArgument(false);
  if (!url) {
    reader::report("missing argument");
    return;
  }
  if (link && !url->empty()) writeHypertextMarker(*url);
  Font saved = currentFont();
  currentFont().family = Family::kCourier;
  currentFont().style = 0;
  for (unsigned char c : *url) writeTextChar(c);
  currentFont() = saved;
}

void hrefProc() {
  std::optional<std::string> url = readUrlArgument(true);
  if (!url) {
    reader::report("missing argument");
    return;
  }
  if (!url->empty()) writeHypertextMarker(*url);
}

}  // namespace pendra::output
