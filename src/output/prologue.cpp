#include "output/prologue.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "output/char_commands.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "output/template.h"
#include "reader/counters.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/packages.h"
#include "reader/tokenizer.h"

namespace pendra::output {

namespace {

LayoutState layout;

constexpr std::size_t kDateTextSize = 64;
constexpr float kInitialParindent = 0.2f;  // the built-in \parindent, in inches
constexpr float kPointsPerInch = 72.0f;

// Characters up to one of `stops` (at most kOptionNameMax kept), each advance skipping spaces
// when `skipSpaces` is set.
std::string collect(const char* stops, bool skipSpaces) {
  std::string text;
  while (reader::peekChar() != reader::kEndOfInput && reader::peekChar() != 0 &&
         !std::strchr(stops, reader::peekChar())) {
    if (text.size() < kOptionNameMax) text += static_cast<char>(reader::peekChar());
    skipSpaces ? reader::advancePastSpaces() : reader::advance();
  }
  return text;
}

using reader::skipWhiteSpace;

// The date of the header: SOURCE_DATE_EPOCH (in UTC) when set, else the local time now.
void headerDate(char* text) {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  bool ok;
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  char* end = nullptr;
  long long seconds = epoch ? std::strtoll(epoch, &end, 10) : 0;
  if (epoch && *epoch && end && *end == 0) {
    std::time_t t = static_cast<std::time_t>(seconds);
    ok = gmtime_r(&t, &parts) != nullptr;
  } else {
    ok = localtime_r(&now, &parts) != nullptr;
  }
  if (!ok || std::strftime(text, kDateTextSize, "%a %b %e %H:%M:%S %Y", &parts) == 0)
    std::strcpy(text, "Thu Jan  1 00:00:00 1970");
}

void writeFontDefinitions(ChannelT mlp, bool all) {
  static constexpr struct {
    int bit;
    const char* statement;
  } kStyles[] = {{kItalic, "<Italic>"},          {kBold, "<Bold>"},
                 {kUnderline, "<Underline>"},    {kStrike, "<Strike>"},
                 {kOblique, "<Oblique>"},        {kSubscript, "<Subscript>"},
                 {kSuperscript, "<Superscript>"}};
  for (std::size_t i = 0; i < kCharacterFormatCount; ++i) {
    if (!all && !fontState().used[i]) continue;
    const CharacterFormat& row = kCharacterFormats[i];
    F_Printf(mlp, "<!DefineFont %s\n\t%s\n\t<pts %d>\n", row.name, familyStatement(row.family),
             pointSize(row.size));
    F_Printf(mlp, "    <Plain><Normal>");
    for (const auto& s : kStyles)
      if (row.style & s.bit) F_Printf(mlp, "%s", s.statement);
    F_Printf(mlp, "\n>\n");
  }
}

void writeTabStops(ChannelT mlp, const std::string& tabs, int scale) {
  F_Printf(mlp, "\t<TabStops ");
  int count = 0;
  for (std::size_t i = 0; i < tabs.size();) {
    char c = tabs[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      ++i;
      continue;
    }
    if (!((c >= '0' && c <= '9') || c == '.')) {
      F_Printf(nullptr, "bad character in tab settings string: %s\n", tabs.c_str());
      break;
    }
    std::size_t start = i;
    while (i < tabs.size() && ((tabs[i] >= '0' && tabs[i] <= '9') || tabs[i] == '.')) ++i;
    std::string number = tabs.substr(start, i - start);
    if (count == 4) {
      F_Printf(mlp, "\n\t");
      count = 0;
    }
    ++count;
    if (scale == 1)
      F_Printf(mlp, "<TabStop %s\">", number.c_str());
    else
      F_Printf(mlp, "<TabStop %f\">", scale * std::atof(number.c_str()));
  }
  F_Printf(mlp, ">\n>\n");
}

// The Body first indent: the built-in \parindent is in inches, a value set by the document is
// in points.
float bodyFirstIndent(float fallback) {
  if (!reader::findLength("\\parindent")) return fallback;
  float value = reader::getLength("\\parindent");
  return value == kInitialParindent ? value : value / kPointsPerInch;
}

void writeParagraphDefinitions(ChannelT mlp, bool all) {
  int scale = fontState().documentSize == kSlidesDocumentSize ? 2 : 1;
  resetFormatCursor();
  while (RegisteredFormat* f = nextFormat(all)) {
    if (f->name == "Body") f->firstIndent = bodyFirstIndent(f->firstIndent);
    F_Printf(mlp, "<!DefinePar %s\n\t<%s>\n", f->name.c_str(), f->font.c_str());
    F_Printf(mlp, "\t<Alignment %s>\n\t<LeftIndent %.2f\">\n", f->alignment.c_str(),
             static_cast<double>(scale * f->leftIndent));
    F_Printf(mlp, "\t<FirstIndent %.2f\">\n\t<RightIndent %.2f\">\n",
             static_cast<double>(scale * f->firstIndent),
             static_cast<double>(scale * f->rightIndent));
    F_Printf(mlp, "\t<Leading %dpt>\n\t<SpaceBefore %dpt>\n\t<SpaceAfter %dpt>\n",
             scale * f->leading, scale * f->spaceBefore, scale * f->spaceAfter);
    F_Printf(mlp, "\t<LineSpacing Floating>\n");
    if (f->numberFormat) {
      F_Printf(mlp, "\t<Autonumber Yes>\n\t<NumberFormat \"%s\">\n", f->numberFormat->c_str());
      if (f->numberFont) F_Printf(mlp, "\t<NumberFont %s>\n", f->numberFont->c_str());
      if (f->flags & kNumberAtEnd) F_Printf(mlp, "\t<PgfNumAtEnd Yes>\n");
    } else {
      F_Printf(mlp, "\t<Autonumber No>\n");
    }
    F_Printf(mlp, "\t<Hyphenate %s>\n", f->flags & kHyphenate ? "Yes" : "No");
    if (f->tabSettings)
      writeTabStops(mlp, *f->tabSettings, scale);
    else
      F_Printf(mlp, ">\n");
  }
}

void writePageLayout(ChannelT mlp) {
  bool both = layout.pageWidth && layout.pageHeight;
  if (layout.landscape) {
    if (both)
      F_Printf(mlp, "<PageWidth %s>\n<PageHeight %s>\n", layout.pageHeight->c_str(),
               layout.pageWidth->c_str());
    else
      F_Printf(mlp, "<PageWidth %s>\n<PageHeight %s>\n", "11.0\"", "8.5\"");
  } else if (both) {
    F_Printf(mlp, "<PageWidth %s>\n<PageHeight %s>\n", layout.pageWidth->c_str(),
             layout.pageHeight->c_str());
  }
  if (layout.columns > 1) F_Printf(mlp, "<Columns %d>\n", layout.columns);
  if (layout.sides > 1) F_Printf(mlp, "<DoubleSided Yes>\n");
}

}  // namespace

LayoutState& layoutState() {
  return layout;
}

void initLayout() {
  layout = LayoutState{};
}

void setLayout(const char* width, const char* height, bool landscape, int columns, int sides) {
  if (width) layout.pageWidth = width;
  if (height) layout.pageHeight = height;
  if (landscape) layout.landscape = true;
  if (columns > 0) layout.columns = columns;
  if (sides > 0) layout.sides = sides;
}

void applyClassOption(const char* name) {
  for (const ClassOption& option : kClassOptions) {
    if (std::strcmp(option.name, name) != 0) continue;
    if (option.documentSize >= 0) fontState().documentSize = option.documentSize;
    if (option.german) reader::useGermanQuotes();
    setLayout(option.width, option.height, option.landscape, option.columns, option.sides);
    return;
  }
}

void documentClassProc() {
  // Out of place, inside a construct (a box, a table, a note, an environment), the class command
  // still reads its arguments but hides nothing after it: what is open around it must be closed
  // in the MLP.
  if (reader::environmentState().constructNesting > 1) releaseOutput();
  skipWhiteSpace();
  if (reader::peekChar() == '[') {
    reader::advancePastSpaces();
    for (;;) {
      std::string option = collect(",]", true);
      applyClassOption(option.c_str());
      if (reader::peekChar() != ',') break;
      reader::advancePastSpaces();
    }
    if (reader::peekChar() == ']') reader::advancePastSpaces();
  }
  skipWhiteSpace();
  if (reader::peekChar() == '{') {
    reader::advance();
    std::string name = collect("}", false);
    reader::takeChar('}');
    reader::loadClassPackages(name);
    if (name == "slides") fontState().documentSize = kSlidesDocumentSize;
    // The classes of package documentation make | a short-verb character.
    if (name == "ltxdoc" || name == "l3doc" || name == "ltxguide") setShortVerb('|', true);
  }
  TextDispatcher("%h(rm)");
}

void writePrologue(ChannelT mlp, int all) {
  char date[kDateTextSize];
  headerDate(date);
  F_Printf(mlp, "<MLP -- created by LaTeX import filter on %s>\n", date);
  writeFontDefinitions(mlp, all != 0);
  writeParagraphDefinitions(mlp, all != 0);
  writePageLayout(mlp);
}

}  // namespace pendra::output
