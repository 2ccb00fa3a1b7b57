// Paragraph formats: the built-in table and the registry of formats the document may use, with
// the used flags that decide which ones the prologue defines.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pendra::output {

enum ParagraphFlag : int { kHyphenate = 1, kNumberAtEnd = 2 };

// One row of the built-in paragraph format table; indents in inches, spacing in points.
struct ParagraphFormat {
  const char* name;
  const char* font;
  const char* alignment;
  float leftIndent;
  float firstIndent;
  float rightIndent;
  short leading;
  short spaceBefore;
  short spaceAfter;
  short flags;
  const char* numberFormat;  // nullptr: none
  const char* tabSettings;   // nullptr: none
  const char* numberFont;    // nullptr: none
};

constexpr std::size_t kParagraphFormatCount = 54;
extern const ParagraphFormat kParagraphFormats[kParagraphFormatCount];

// A registered format: its own copy of the row, so that formats made at run time and the Body
// first indent set from \parindent need no table of their own.
struct RegisteredFormat {
  std::string name;
  std::string font;
  std::string alignment;
  float leftIndent = 0;
  float firstIndent = 0;
  float rightIndent = 0;
  int leading = 0;
  int spaceBefore = 0;
  int spaceAfter = 0;
  int flags = 0;
  std::optional<std::string> numberFormat;
  std::optional<std::string> tabSettings;
  std::optional<std::string> numberFont;
  bool used = false;
  std::size_t index = 0;  // the place in the registry: the prologue defines higher places first
};

struct FormatRegistry {
  std::deque<RegisteredFormat> formats;  // in registration order; the newest is the head
  std::size_t cursor = 0;                // formats taken by nextFormat, counted from the head
  std::unordered_map<std::string, RegisteredFormat*> newest;  // the newest format of each name
  std::vector<RegisteredFormat*> newlyUsed;  // marked used since takeNewlyUsedFormats last ran
};

FormatRegistry& formatRegistry();
// The newest registered format of that name, without marking it used or reporting its absence.
RegisteredFormat* newestFormat(const char* name);
void initParagraphFormats();

RegisteredFormat makeFormat(const ParagraphFormat& row);
void registerFormat(RegisteredFormat format);
// The newest format of that name, marked used; reports and returns nullptr when there is none.
RegisteredFormat* findParagraphFormat(const char* name);
// The formats marked used since the last call, in the order they were marked.
std::vector<RegisteredFormat*> takeNewlyUsedFormats();
// The cursor walk of the prologue: from the head, all formats or only the used ones.
void resetFormatCursor();
RegisteredFormat* nextFormat(bool all);

}  // namespace pendra::output
