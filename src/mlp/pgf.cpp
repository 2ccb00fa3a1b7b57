#include "mlp/pgf.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "common/chars.h"
#include "mif/tree.h"
#include "mlp/alongside.h"
#include "mlp/catalogs.h"
#include "mlp/font.h"
#include "mlp/intern.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::Op;

namespace {

struct PgfState {
  PgfProps current;
  std::deque<PgfRecord> records;
  // The newest record of each name (a lookup must not walk thousands of formats).
  std::unordered_map<std::string_view, const PgfRecord*> newest;
  const PgfRecord* record = nullptr;
  const PgfRecord* writtenRecord = nullptr;
  PgfProps written;
  std::vector<TabStop> building;
  const char* tabType = "Left";
  int tabLeader = 0;
};

PgfState pgf;

const char* yesNo(bool on) {
  return on ? "Yes" : "No";
}

const char* alignmentKeyword(const char* alignment) {
  return alignment ? alignment : "Left";
}

const PgfRecord* findRecord(const std::string& name) {
  auto found = pgf.newest.find(name);
  return found == pgf.newest.end() ? nullptr : found->second;
}

void writeTabStops(const PgfProps& props) {
  std::size_t count = props.tabs ? props.tabs->size() : 0;
  mif::addLeaf(Op::PgfNumTabs, static_cast<std::int32_t>(count));
  if (!props.tabs) return;
  for (const TabStop& stop : *props.tabs) {
    mif::beginGroup(Op::TabStop);
    mif::addLeaf(Op::TSX, stop.position);
    mif::addLeaf(Op::TSType, stop.type);
    if (stop.leader) {
      const char leader[2] = {static_cast<char>(stop.leader), '\0'};
      mif::addLeaf(Op::TSLeaderStr, internString(leader));
    }
    mif::endGroup(Op::TabStop);
  }
}

using chars::hexValue;

}  // namespace

void initPgf() {
  pgf = PgfState{};
}

const PgfProps& currentProps() {
  return pgf.current;
}
void setCurrentProps(const PgfProps& props) {
  pgf.current = props;
}
const std::deque<PgfRecord>& pgfRecords() {
  return pgf.records;
}
const PgfRecord* currentRecord() {
  return pgf.record;
}
const PgfRecord* newestRecord(const std::string& name) {
  return findRecord(name);
}

std::string convertNumberFormat(const std::string& text) {
  std::string out;
  auto append = [&out](const std::string& piece) {
    if (out.size() + piece.size() > kMaxNumberFormatLength) return false;
    out += piece;
    return true;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    std::string piece(1, c);
    if (c == '+') {
      piece = "<n+>";
    } else if (c >= '0' && c <= '9') {
      piece = std::string("<n=") + c + ">";
    } else if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
      unsigned value = 0;
      std::size_t j = i + 2;
      for (int digit; j < text.size() && (digit = hexValue(text[j])) >= 0; ++j)
        value = (value * 16u + static_cast<unsigned>(digit)) & 0xFFu;
      // The character that ends the digits belongs to the escape.
      i = j < text.size() ? j : j - 1;
      piece = value ? std::string(1, static_cast<char>(value)) : std::string();
    }
    if (!append(piece)) break;
  }
  return out;
}

void pgfStatement(Code code, const Operands& o) {
  PgfProps& p = pgf.current;
  switch (code) {
    case Code::LeftIndent:
      p.leftIndent = o.measure;
      break;
    case Code::RightIndent:
      p.rightIndent = o.measure;
      break;
    case Code::FirstIndent:
      p.firstIndent = o.measure;
      break;
    case Code::SpaceBefore:
      p.spaceBefore = o.measure;
      break;
    case Code::SpaceAfter:
      p.spaceAfter = o.measure;
      break;
    case Code::Leading:
      p.leading = o.measure;
      break;
    case Code::Alignment:
      if (o.name == "leftright") {
        p.alignment = "LeftRight";
      } else if (o.name == "right") {
        p.alignment = "Right";
      } else if (o.name == "center") {
        p.alignment = "Center";
      } else {
        p.alignment = "Left";
      }
      break;
    case Code::AutoNumber:
      p.autonumber = o.boolean;
      break;
    case Code::PgfNumAtEnd:
      p.numberAtEnd = o.boolean;
      break;
    case Code::Hyphenate:
      p.hyphenate = o.boolean;
      break;
    case Code::ColumnTop:
      p.columnTop = o.boolean;
      break;
    case Code::WithNext:
      p.withNext = o.boolean;
      break;
    case Code::Tolerance:
      p.tolerance = static_cast<std::int32_t>(o.integer);
      break;
    case Code::BlockSize:
      p.blockSize = static_cast<std::int32_t>(o.integer);
      break;
    case Code::NumberFormat:
      p.numberFormat = std::make_shared<const std::string>(convertNumberFormat(o.text));
      break;
    case Code::NumberFont:
      p.numberFont = internString(o.name.c_str());
      addToFontCatalog(p.numberFont);
      break;
    case Code::TabStopType: {
      char first = o.name.empty() ? '\0' : o.name[0];
      pgf.tabType = first == 'c'   ? "Center"
                    : first == 'd' ? "Decimal"
                    : first == 'r' ? "Right"
                                   : "Left";
      break;
    }
    case Code::TabStopLeader:
      pgf.tabLeader = o.character;
      break;
    case Code::TabStop:
      if (pgf.building.size() < kMaxTabStops)
        pgf.building.push_back(TabStop{o.measure, pgf.tabType, pgf.tabLeader});
      break;
    default:
      break;
  }
}

void tabStopsStatement() {
  pgf.building.clear();
  pgf.tabType = "Left";
  pgf.tabLeader = 0;
  processStatements(true);
  if (pgf.building.empty()) {
    pgf.current.tabs.reset();
  } else {
    pgf.current.tabs = std::make_shared<const std::vector<TabStop>>(pgf.building);
  }
  pgf.building.clear();
}

void definePgf(const std::string& name, bool inCatalog) {
  PgfProps kept = pgf.current;
  processStatements(true);
  PgfRecord record{name, inCatalog, pgf.current};
  const Font& font = currentFont();
  record.props.family = font.family;
  record.props.size = font.size;
  record.props.flags = font.flags;
  pgf.records.push_front(std::move(record));
  const PgfRecord& added = pgf.records.front();
  pgf.newest.erase(added.name);  // the key views the name of the record it replaces
  pgf.newest.emplace(added.name, &added);
  pgf.current = kept;
}

void switchPgf(const std::string& name) {
  endParagraph();
  pgf.record = findRecord(name);
  // Beside the reading, the format's definition may have come without being run yet.
  if (!pgf.record && translatingAlongside() && defineOnMiss(name)) pgf.record = findRecord(name);
  if (!pgf.record) return;
  const PgfProps& from = pgf.record->props;
  PgfProps& to = pgf.current;
  to.leftIndent = from.leftIndent;
  to.rightIndent = from.rightIndent;
  to.firstIndent = from.firstIndent;
  to.spaceBefore = from.spaceBefore;
  to.spaceAfter = from.spaceAfter;
  to.leading = from.leading;
  to.autonumber = from.autonumber;
  to.hyphenate = from.hyphenate;
  to.columnTop = from.columnTop;
  to.withNext = from.withNext;
  to.numberAtEnd = from.numberAtEnd;
  to.tolerance = from.tolerance;
  to.blockSize = from.blockSize;
  to.numberFormat = from.numberFormat;
  to.numberFont = from.numberFont;
  to.alignment = from.alignment;
  to.tabs = from.tabs;
  Font font{from.family, from.size, from.flags};
  setCurrentFont(font);
  setWrittenFont(font);
  setFontChanged(false);
}

void forgetWrittenPgf() {
  pgf.writtenRecord = nullptr;
}

WrittenPgf writtenPgf() {
  return WrittenPgf{pgf.writtenRecord, pgf.written};
}

void setWrittenPgf(const WrittenPgf& written) {
  pgf.writtenRecord = written.record;
  pgf.written = written.props;
}

PgfSelection pgfSelection() {
  return PgfSelection{pgf.record, pgf.current};
}

void setPgfSelection(const PgfSelection& selection) {
  pgf.record = selection.record;
  pgf.current = selection.props;
}

void writeParagraphPgf() {
  const PgfRecord* record = pgf.record;
  if (!record || !record->inCatalog) {
    writePgf(pgf.current, nullptr);
  } else if (record != pgf.writtenRecord) {
    mif::addLeaf(Op::PgfTag, record->name.c_str());
    writePgfChanges(record->props);
  } else {
    writePgfChanges(pgf.written);
  }
  pgf.writtenRecord = record;
  pgf.written = pgf.current;
}

void writePgf(const PgfProps& props, const char* tag) {
  mif::beginGroup(Op::Pgf);
  if (tag) mif::addLeaf(Op::PgfTag, tag);
  if (props.family) {
    mif::beginGroup(Op::PgfFont);
    mif::addLeaf(Op::FFamily, props.family);
    mif::addLeaf(Op::FSize, static_cast<float>(props.size));
    mif::addLeaf(Op::FItalic, yesNo(props.flags & (kItalic | kOblique)));
    mif::addLeaf(Op::FBold, yesNo(props.flags & kBold));
    mif::addLeaf(Op::FUnderlining, (props.flags & kUnderline) ? "FSingle" : "FNoUnderlining");
    mif::addLeaf(Op::FStrike, yesNo(props.flags & kStrike));
    mif::addLeaf(Op::FPosition, positionKeyword(props.flags));
    mif::endGroup(Op::PgfFont);
    mif::addLeaf(Op::PgfAlignment, alignmentKeyword(props.alignment));
    mif::addLeaf(Op::PgfFIndent, props.firstIndent);
    mif::addLeaf(Op::PgfLIndent, props.leftIndent);
    mif::addLeaf(Op::PgfRIndent, props.rightIndent);
    mif::addLeaf(Op::PgfSpBefore, props.spaceBefore);
    mif::addLeaf(Op::PgfSpAfter, props.spaceAfter);
    mif::addLeaf(Op::PgfLineSpacing, props.lineSpacing == 'f' ? "Floating" : "Fixed");
    mif::addLeaf(Op::PgfLeading, props.leading);
    mif::addLeaf(Op::PgfPlacement, props.columnTop ? "ColumnTop" : "Anywhere");
    mif::addLeaf(Op::PgfWithNext, yesNo(props.withNext));
    mif::addLeaf(Op::PgfBlockSize, props.blockSize);
    mif::addLeaf(Op::PgfAutoNum, yesNo(props.autonumber));
    if (props.autonumber) {
      mif::addLeaf(Op::PgfNumFormat, props.numberFormat ? props.numberFormat->c_str() : "");
      if (props.numberFont) mif::addLeaf(Op::PgfNumberFont, props.numberFont);
      mif::addLeaf(Op::PgfNumAtEnd, yesNo(props.numberAtEnd));
    }
    mif::addLeaf(Op::PgfHyphenate, yesNo(props.hyphenate));
    writeTabStops(props);
  } else if (!tag) {
    mif::addLeaf(Op::PgfTag, "body");
  }
  mif::endGroup(Op::Pgf);
}

void writePgfChanges(const PgfProps& base) {
  const PgfProps& now = pgf.current;
  bool alignment =
      std::strcmp(alignmentKeyword(now.alignment), alignmentKeyword(base.alignment)) != 0;
  bool first = now.firstIndent != base.firstIndent;
  bool left = now.leftIndent != base.leftIndent;
  bool right = now.rightIndent != base.rightIndent;
  bool before = now.spaceBefore != base.spaceBefore;
  bool after = now.spaceAfter != base.spaceAfter;
  bool leading = now.leading != base.leading;
  bool tabs = now.tabs != base.tabs;
  if (!(alignment || first || left || right || before || after || leading || tabs)) return;
  mif::beginGroup(Op::Pgf);
  if (alignment) mif::addLeaf(Op::PgfAlignment, alignmentKeyword(now.alignment));
  if (first) mif::addLeaf(Op::PgfFIndent, now.firstIndent);
  if (left) mif::addLeaf(Op::PgfLIndent, now.leftIndent);
  if (right) mif::addLeaf(Op::PgfRIndent, now.rightIndent);
  if (before) mif::addLeaf(Op::PgfSpBefore, now.spaceBefore);
  if (after) mif::addLeaf(Op::PgfSpAfter, now.spaceAfter);
  if (leading) mif::addLeaf(Op::PgfLeading, now.leading);
  if (tabs) writeTabStops(now);
  mif::endGroup(Op::Pgf);
}

}  // namespace pendra::mlp
