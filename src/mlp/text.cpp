#include "mlp/text.h"

#include <climits>

#include "mif/fatal.h"
#include "mlp/alongside.h"
#include "mlp/catalogs.h"
#include "mlp/intern.h"
#include "mlp/pgf.h"
#include "mlp/reader.h"
#include "mlp/statements.h"

namespace pendra::mlp {

using mif::fatal;
using mif::Op;

namespace {

// Only "one" and "more than one" line feed matter; the count stops growing here.
constexpr int kLineFeedCap = INT_MAX / 2;

struct TextState {
  bool started = false;
  bool inPara = false;
  bool inParaLine = false;
  bool inString = false;
  bool textLine = false;  // text goes into a TextLine: no paragraph lines to open or close
  int lineFeeds = 0;
  int lastChar = ' ';
  mif::MifTree* body = nullptr;
  mif::MifTree* top = nullptr;
  std::int32_t markerType = 0;
  mif::MifTree* footnotes = nullptr;
};

TextState text;

struct SpecialChar {
  Code code;
  const char* keyword;
  char last;  // the last text character it leaves: a space for spaces and breaks
};

constexpr SpecialChar kSpecialChars[] = {
    {Code::Tab, "Tab", ' '},
    {Code::HardSpace, "HardSpace", ' '},
    {Code::EmSpace, "EmSpace", ' '},
    {Code::EnSpace, "EnSpace", ' '},
    {Code::ThinSpace, "ThinSpace", ' '},
    {Code::DiscHyphen, "DiscHyphen", ' '},
    {Code::NoHyphen, "NoHyphen", ' '},
    {Code::Cent, "Cent", '*'},
    {Code::Pound, "Pound", '*'},
    {Code::Yen, "Yen", '*'},
    {Code::EnDash, "EnDash", '*'},
    {Code::EmDash, "EmDash", '*'},
    {Code::Dagger, "Dagger", '*'},
    {Code::DoubleDagger, "DoubleDagger", '*'},
    {Code::Bullet, "Bullet", '*'},
    {Code::HardReturn, "HardReturn", ' '},
};

constexpr const char* kSystemVariables[] = {"Page Count", "Current Date (Long)",
                                            "Current Date (Short)"};

}  // namespace

void initText() {
  text = TextState{};
}

bool documentStarted() {
  return text.started;
}

void absorbNextLineFeed() {
  if (text.lineFeeds > -1) --text.lineFeeds;
  if (translatingAlongside()) noteLineFeedsAbsorbed(text.lineFeeds);
}

void setLineFeeds(int count) {
  text.lineFeeds = count;
}

void handleLineFeed() {
  int before = text.lineFeeds;
  if (text.inString) {
    addTextChar(' ');
    closeString();
  }
  if (before == 1) endParagraph();
  if (text.lineFeeds < kLineFeedCap) ++text.lineFeeds;
  nextChar();
}

void addTextChar(int c) {
  if (c == 0) return;  // a NUL cannot stand in a MIF string
  ensureString();
  text.lineFeeds = 0;
  mif::addStringChar(c);
  text.lastChar = c;
}

void handleText() {
  for (;;) {
    int c = currentChar();
    if (c == '<' || c == '>' || c == kEndOfInput) break;
    if (c == '\n' || c == '\r') {
      handleLineFeed();
    } else if (c == '\\') {
      addTextChar(readCharacter());
    } else {
      addTextChar(c);
      // The plain characters after it go into the string at once, as addTextChar would add
      // them one by one; statements, line ends and escapes are handled one at a time.
      std::string_view run = takeRunOf<'<', '>', '\\', '\n', '\r'>();
      if (!run.empty()) {
        mif::addStringText(run.data(), run.size());
        text.lastChar = static_cast<unsigned char>(run.back());
      }
      nextChar();
    }
  }
  closeString();
}

void ensureString() {
  if (text.inString) return;
  ensureParaLine();
  emitFontChange(false);
  mif::beginString(Op::String);
  text.inString = true;
  // A line break between a statement and the text after it is a space.
  if (text.lineFeeds == 1 && text.lastChar != ' ') {
    text.lineFeeds = 0;
    mif::addStringChar(' ');
    text.lastChar = ' ';
  }
}

void ensureParaLine() {
  if (text.inParaLine) return;
  ensurePara();
  mif::beginGroup(Op::ParaLine);
  text.inParaLine = true;
}

void ensurePara() {
  if (!text.started) ensureDocument();
  if (text.inPara) return;
  mif::beginGroup(Op::Para);
  text.inPara = true;
  writeParagraphPgf();
}

void ensureDocument() {
  if (text.started) return;
  // Beside the reading the catalogs wait for the end, when every definition has come.
  if (!translatingAlongside()) writeCatalogs();
  text.body = mif::newMifTree();
  text.top = mif::setCurrentTree(text.body);
  // The body goes into the text flow; it is written out as it is built.
  mif::streamTree(text.body);
  text.started = true;
}

void closeString() {
  if (!text.inString) return;
  mif::flushString();
  text.inString = false;
}

void closeParaLine() {
  closeString();
  if (!text.inParaLine || text.textLine) return;
  mif::endGroup(Op::ParaLine);
  text.inParaLine = false;
}

void endParagraph() {
  if (text.textLine) {
    closeString();
    return;
  }
  if (!text.inPara) return;
  closeParaLine();
  mif::endGroup(Op::Para);
  text.inPara = false;
  if (const PgfRecord* record = currentRecord()) {
    setWrittenFont(Font{record->props.family, record->props.size, record->props.flags});
    setFontChanged(true);
  }
}

namespace {

// The text's own state and its fonts, as they stand.
SavedText textFields() {
  SavedText saved;
  saved.started = text.started;
  saved.inPara = text.inPara;
  saved.inParaLine = text.inParaLine;
  saved.inString = text.inString;
  saved.textLine = text.textLine;
  saved.lineFeeds = text.lineFeeds;
  saved.lastChar = text.lastChar;
  saved.font = currentFont();
  saved.written = writtenFont();
  saved.changed = fontChanged();
  return saved;
}

}  // namespace

SavedText saveTextState() {
  closeString();
  ensureParaLine();
  emitFontChange(true);
  SavedText saved = textFields();
  saved.pgf = writtenPgf();
  saved.format = pgfSelection();
  // The nested paragraphs stand elsewhere in the file, so the first of them names its format.
  forgetWrittenPgf();
  text.inPara = false;
  text.inParaLine = false;
  text.inString = false;
  text.textLine = false;
  return saved;
}

namespace {

// Gives the text around a nested object or text line back its place: in or out of a paragraph
// and a line, its line feeds, its last character and its font.
void restoreTextPlace(const SavedText& saved) {
  text.inPara = saved.inPara;
  text.inParaLine = saved.inParaLine;
  text.textLine = saved.textLine;
  text.lineFeeds = saved.lineFeeds;
  // The nested text does not stand next to the text around it.
  text.lastChar = saved.lastChar;
  setCurrentFont(saved.font);
}

}  // namespace

void restoreTextState(const SavedText& saved) {
  endParagraph();
  text.started = saved.started;
  text.inString = saved.inString;
  restoreTextPlace(saved);
  // The nested object wrote its fonts into its own paragraphs; the outer text still stands in
  // the font it last wrote itself.
  setWrittenFont(saved.written);
  setFontChanged(saved.changed);
  setWrittenPgf(saved.pgf);
  // Format switches inside the object do not carry over to the text around it, whose next
  // paragraphs may come without a format statement of their own.
  setPgfSelection(saved.format);
}

SavedText beginTextLineMode() {
  closeString();
  SavedText saved = textFields();
  text.inPara = true;
  text.inParaLine = true;
  text.inString = false;
  text.textLine = true;
  // A line break of the text around does not reach into the text line as a space.
  text.lineFeeds = 0;
  setCurrentFont(Font{internString("Times"), kInitialFontSize, 0});
  setWrittenFont(Font{nullptr, 0, kFlagsUnknown});
  setFontChanged(true);
  return saved;
}

void endTextLineMode(const SavedText& saved) {
  closeString();
  text.inString = false;
  restoreTextPlace(saved);
  setWrittenFont(saved.written);
  setFontChanged(saved.changed);
}

void finishDocument() {
  if (!text.started) return;
  endParagraph();
  text.started = false;
  mif::setCurrentTree(text.top);
  if (translatingAlongside()) writeCatalogs(&alongsideCatalogOrder());
  assembleDocument(text.body, text.footnotes);
  text.body = nullptr;
  text.footnotes = nullptr;
}

void processSpecialChar(Code code) {
  const SpecialChar* special = nullptr;
  for (const SpecialChar& row : kSpecialChars) {
    if (row.code == code) special = &row;
  }
  if (!special) fatal("bad call to processSpecialChar");
  closeString();
  ensureParaLine();
  emitFontChange(false);
  mif::addLeaf(Op::Char, special->keyword);
  text.lastChar = special->last;
  if (code == Code::HardReturn) {
    closeParaLine();
    // The line feed after the statement is neither a space nor half of a paragraph end.
    text.lineFeeds = -1;
  }
}

void hspaceStatement(float width) {
  float size = static_cast<float>(currentFont().size);
  if (!(size > 0)) return;
  for (int count = 0; width >= size && count < kMaxHSpaceEmSpaces; ++count) {
    processSpecialChar(Code::EmSpace);
    width -= size;
  }
  float half = size / 2;
  while (width >= half && width < size) {
    processSpecialChar(Code::EnSpace);
    width -= half;
  }
}

void ruleStatement() {
  Font kept = currentFont();
  closeString();
  ensureParaLine();
  setCurrentFont(Font{internString("Zapf Dingbats"), kept.size, 0});
  setFontChanged(true);
  emitFontChange(false);
  addTextChar('n');  // the filled square of Zapf Dingbats
  closeString();
  setCurrentFont(kept);
  setFontChanged(true);
}

void markerStatement() {
  text.markerType = 0;
  processStatements(true);
}

void markerTypeStatement(std::uint32_t type) {
  text.markerType = static_cast<std::int32_t>(type);
}

void markerTextStatement(const std::string& markerText) {
  if (text.markerType < 1) fatal("Bad marker type (%d)", text.markerType);
  ensureParaLine();
  mif::beginGroup(Op::Marker);
  mif::addLeaf(Op::MType, text.markerType);
  mif::addLeaf(Op::MText, markerText.c_str());
  mif::endGroup(Op::Marker);
}

void xrefStatement(const std::string& name, const std::string& source) {
  ensureParaLine();
  mif::beginGroup(Op::XRef);
  mif::addLeaf(Op::XRefName, name.c_str());
  mif::addLeaf(Op::XRefSrcText, source.c_str());
  mif::endGroup(Op::XRef);
}

void variableStatement(const std::string& name) {
  text.lastChar = '*';
  closeString();
  ensureParaLine();
  emitFontChange(false);
  const char* variable = nullptr;
  for (const char* known : kSystemVariables) {
    if (name == known) variable = known;
  }
  if (!variable) fatal("Variable `%s' not found", name.c_str());
  mif::beginGroup(Op::Variable);
  mif::addLeaf(Op::VariableName, variable);
  mif::endGroup(Op::Variable);
}

void footnoteStatement() {
  std::int32_t id = mif::newObjectId();
  SavedText saved = saveTextState();
  if (!text.footnotes) {
    text.footnotes = mif::newMifTree();
    mif::MifTree* previous = mif::setCurrentTree(text.footnotes);
    mif::beginGroup(Op::Notes);
    // The notes are written out as they are completed.
    mif::streamTree(text.footnotes);
    if (previous) mif::setCurrentTree(previous);
  }
  mif::MifTree* previous = mif::setCurrentTree(text.footnotes);
  mif::beginGroup(Op::FNote);
  mif::addLeaf(Op::ID, id);
  const mif::MifNode* idNode = mif::cursorNode();
  processStatements(false);
  if (mif::cursorNode() == idNode) addTextChar(' ');
  restoreTextState(saved);
  mif::endGroup(Op::FNote);
  mif::setCurrentTree(previous);
  mif::addLeaf(Op::FNoteRef, id);
}

}  // namespace pendra::mlp
