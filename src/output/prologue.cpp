#include "output/prologue.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
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

// Appends to `out` as F_Printf would write.
void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& out, const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out.append(small, static_cast<std::size_t>(n));
    return;
  }
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n) + 1);
  va_start(args, format);
  std::vsnprintf(out.data() + at, static_cast<std::size_t>(n) + 1, format, args);
  va_end(args);
  out.resize(at + static_cast<std::size_t>(n));
}

void fontDefinition(std::string& out, std::size_t i) {
  static constexpr struct {
    int bit;
    const char* statement;
  } kStyles[] = {{kItalic, "<Italic>"},          {kBold, "<Bold>"},
                 {kUnderline, "<Underline>"},    {kStrike, "<Strike>"},
                 {kOblique, "<Oblique>"},        {kSubscript, "<Subscript>"},
                 {kSuperscript, "<Superscript>"}};
  const CharacterFormat& row = kCharacterFormats[i];
  appendf(out, "<!DefineFont %s\n\t%s\n\t<pts %d>\n", row.name, familyStatement(row.family),
          pointSize(row.size));
  out += "    <Plain><Normal>";
  for (const auto& s : kStyles)
    if (row.style & s.bit) out += s.statement;
  out += "\n>\n";
}

// A bad character in the settings is reported when `report` is set.
void tabStops(std::string& out, const std::string& tabs, int scale, bool report) {
  out += "\t<TabStops ";
  int count = 0;
  for (std::size_t i = 0; i < tabs.size();) {
    char c = tabs[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      ++i;
      continue;
    }
    if (!((c >= '0' && c <= '9') || c == '.')) {
      if (report) F_Printf(nullptr, "bad character in tab settings string: %s\n", tabs.c_str());
      break;
    }
    std::size_t start = i;
    while (i < tabs.size() && ((tabs[i] >= '0' && tabs[i] <= '9') || tabs[i] == '.')) ++i;
    std::string number = tabs.substr(start, i - start);
    if (count == 4) {
      out += "\n\t";
      count = 0;
    }
    ++count;
    if (scale == 1)
      appendf(out, "<TabStop %s\">", number.c_str());
    else
      appendf(out, "<TabStop %f\">", scale * std::atof(number.c_str()));
  }
  out += ">\n>\n";
}

// The Body first indent: the built-in \parindent is in inches, a value set by the document is
// in points.
float bodyFirstIndent(float fallback) {
  if (!reader::findLength("\\parindent")) return fallback;
  float value = reader::getLength("\\parindent");
  return value == kInitialParindent ? value : value / kPointsPerInch;
}

// The definition of `f` as the document's state now gives it; the Body first indent is taken
// from \parindent without being kept.
void paragraphDefinition(std::string& out, const RegisteredFormat& f, bool report) {
  int scale = fontState().documentSize == kSlidesDocumentSize ? 2 : 1;
  float firstIndent = f.name == "Body" ? bodyFirstIndent(f.firstIndent) : f.firstIndent;
  appendf(out, "<!DefinePar %s\n\t<%s>\n", f.name.c_str(), f.font.c_str());
  appendf(out, "\t<Alignment %s>\n\t<LeftIndent %.2f\">\n", f.alignment.c_str(),
          static_cast<double>(scale * f.leftIndent));
  appendf(out, "\t<FirstIndent %.2f\">\n\t<RightIndent %.2f\">\n",
          static_cast<double>(scale * firstIndent), static_cast<double>(scale * f.rightIndent));
  appendf(out, "\t<Leading %dpt>\n\t<SpaceBefore %dpt>\n\t<SpaceAfter %dpt>\n", scale * f.leading,
          scale * f.spaceBefore, scale * f.spaceAfter);
  out += "\t<LineSpacing Floating>\n";
  if (f.numberFormat) {
    appendf(out, "\t<Autonumber Yes>\n\t<NumberFormat \"%s\">\n", f.numberFormat->c_str());
    if (f.numberFont) appendf(out, "\t<NumberFont %s>\n", f.numberFont->c_str());
    if (f.flags & kNumberAtEnd) out += "\t<PgfNumAtEnd Yes>\n";
  } else {
    out += "\t<Autonumber No>\n";
  }
  appendf(out, "\t<Hyphenate %s>\n", f.flags & kHyphenate ? "Yes" : "No");
  if (f.tabSettings)
    tabStops(out, *f.tabSettings, scale, report);
  else
    out += ">\n";
}

void writeParagraphDefinitions(std::string& out, bool all, std::vector<std::string>* names) {
  resetFormatCursor();
  while (RegisteredFormat* f = nextFormat(all)) {
    // The Body first indent set from \parindent stays with the format.
    if (f->name == "Body") f->firstIndent = bodyFirstIndent(f->firstIndent);
    paragraphDefinition(out, *f, true);
    if (names) names->push_back(f->name);
  }
}

void writePageLayout(std::string& out) {
  bool both = layout.pageWidth && layout.pageHeight;
  if (layout.landscape) {
    if (both)
      appendf(out, "<PageWidth %s>\n<PageHeight %s>\n", layout.pageHeight->c_str(),
              layout.pageWidth->c_str());
    else
      appendf(out, "<PageWidth %s>\n<PageHeight %s>\n", "11.0\"", "8.5\"");
  } else if (both) {
    appendf(out, "<PageWidth %s>\n<PageHeight %s>\n", layout.pageWidth->c_str(),
            layout.pageHeight->c_str());
  }
  if (layout.columns > 1) appendf(out, "<Columns %d>\n", layout.columns);
  if (layout.sides > 1) out += "<DoubleSided Yes>\n";
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

PrologueText writePrologue(ChannelT mlp, int all) {
  char date[kDateTextSize];
  headerDate(date);
  PrologueText written;
  std::string out;
  appendf(out, "<MLP -- created by LaTeX import filter on %s>\n", date);
  written.statements = 1;
  for (std::size_t i = 0; i < kCharacterFormatCount; ++i) {
    if (all == 0 && !fontState().used[i]) continue;
    fontDefinition(out, i);
    ++written.statements;
  }
  writeParagraphDefinitions(out, all != 0, &written.formatOrder);
  written.statements += static_cast<int>(written.formatOrder.size());
  std::string layout;
  writePageLayout(layout);
  written.statements += static_cast<int>(std::count(layout.begin(), layout.end(), '\n'));
  out += layout;
  F_ChannelWrite(out.data(), 1, out.size(), mlp);
  written.lines = static_cast<int>(std::count(out.begin(), out.end(), '\n'));
  return written;
}

void takeNewDefinitions(std::vector<Definition>& into) {
  FontState& fonts = fontState();
  for (std::size_t i = 0; i < kCharacterFormatCount; ++i) {
    if (!fonts.used[i] || fonts.sent[i]) continue;
    fonts.sent[i] = true;
    Definition d{kCharacterFormats[i].name, {}};
    fontDefinition(d.text, i);
    into.push_back(std::move(d));
  }
  for (RegisteredFormat* f : takeNewlyUsedFormats()) {
    Definition d{f->name, {}, static_cast<long>(f->index)};
    paragraphDefinition(d.text, *f, false);
    into.push_back(std::move(d));
  }
}

std::vector<Definition> prologueDefinitions() {
  std::vector<Definition> all;
  for (std::size_t i = 0; i < kCharacterFormatCount; ++i) {
    if (!fontState().used[i]) continue;
    Definition d{kCharacterFormats[i].name, {}};
    fontDefinition(d.text, i);
    all.push_back(std::move(d));
  }
  resetFormatCursor();
  while (RegisteredFormat* f = nextFormat(false)) {
    Definition d{f->name, {}, static_cast<long>(f->index)};
    paragraphDefinition(d.text, *f, false);
    all.push_back(std::move(d));
  }
  return all;
}

}  // namespace pendra::output
