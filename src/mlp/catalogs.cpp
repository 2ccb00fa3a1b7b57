#include "mlp/catalogs.h"

#include <vector>

#include "mlp/font.h"
#include "mlp/objects.h"
#include "mlp/pgf.h"
#include "mlp/statements.h"
#include "mlp/tables.h"

namespace pendra::mlp {

using namespace mif;

namespace {

struct CatalogState {
  std::vector<const char*> fonts;  // oldest first; the catalog lists them newest first
};

CatalogState catalogs;

const char* yesNo(bool on) {
  return on ? "Yes" : "No";
}

struct XRefFormatRow {
  const char* name;
  const char* definition;
};

constexpr XRefFormatRow kXRefFormats[] = {
    {"number", "<$paranumonly>"},
    {"pagenumber", "<$pagenum>"},
    {"sectionnumber", "<$paranumonly>"},
};

// One catalog entry: the macro is evaluated twice, from no attributes and from all of them, and
// the attributes that come out the same are those the definition fixes.
void writeFontEntry(const char* name) {
  setCurrentFont(Font{nullptr, 0, 0});
  invokeMacro(name);
  unsigned flags0 = currentFont().flags;
  Font second = currentFont();
  second.flags = ~0u;
  setCurrentFont(second);
  invokeMacro(name);
  const Font& font = currentFont();
  unsigned flags1 = font.flags;
  unsigned mask = (flags1 & kFlagsUnknown) ? kAttributeFlags : ~(flags0 ^ flags1);
  beginGroup(Op::Font);
  addLeaf(Op::FTag, name);
  if (font.family) addLeaf(Op::FFamily, font.family);
  if (font.size > 0) addLeaf(Op::FSize, static_cast<float>(font.size));
  if (mask & (kItalic | kOblique)) addLeaf(Op::FItalic, yesNo(flags0 & (kItalic | kOblique)));
  if (mask & kBold) addLeaf(Op::FBold, yesNo(flags0 & kBold));
  if (mask & kUnderline)
    addLeaf(Op::FUnderlining, (flags0 & kUnderline) ? "FSingle" : "FNoUnderlining");
  if (mask & kStrike) addLeaf(Op::FStrike, yesNo(flags0 & kStrike));
  if (mask & kPositionFlags) addLeaf(Op::FPosition, positionKeyword(flags0));
  endGroup(Op::Font);
}

void writeFontCatalog() {
  if (catalogs.fonts.empty()) return;
  Font kept = currentFont();
  beginGroup(Op::FontCatalog);
  // Newest first; a font macro that adds fonts while it runs does not extend this walk.
  for (std::size_t i = catalogs.fonts.size(); i-- > 0;) writeFontEntry(catalogs.fonts[i]);
  endGroup(Op::FontCatalog);
  setCurrentFont(kept);
}

void writePgfCatalog(const std::vector<const PgfRecord*>* order) {
  // Only formats meant for the catalog go in; without any there is no catalog at all (an empty
  // group could not be written).
  bool any = false;
  for (const PgfRecord& record : pgfRecords()) any = any || record.inCatalog;
  if (!any) return;
  beginGroup(Op::PgfCatalog);
  // A document can define thousands of formats: the catalog is written out as it is built.
  if (MifTree* tree = currentTree(); tree && !tree->spillMarker) streamTree(tree);
  if (order) {
    for (const PgfRecord* record : *order) {
      if (record->inCatalog) writePgf(record->props, record->name.c_str());
    }
  } else {
    for (const PgfRecord& record : pgfRecords()) {
      if (record.inCatalog) writePgf(record.props, record.name.c_str());
    }
  }
  endGroup(Op::PgfCatalog);
}

void writeTableCatalog() {
  beginGroup(Op::TblCatalog);
  beginGroup(Op::TblFormat);
  addLeaf(Op::TblTag, kTableFormat);
  addLeaf(Op::TblSpBefore, 0.2f);
  addLeaf(Op::TblSpAfter, 0.2f);
  addLeaf(Op::TblAlignment, "Center");
  addLeaf(Op::TblPlacement, "Anywhere");
  addLeaf(Op::TblBlockSize, 999);
  addLeaf(Op::TblTitlePlacement, "None");
  beginGroup(Op::TblColumn);
  addLeaf(Op::TblColumnNum, 0);
  addLeaf(Op::TblColumnWidthA, 0.1f, 10.0f);
  endGroup(Op::TblColumn);
  addLeaf(Op::TblInitNumColumns, 1);
  endGroup(Op::TblFormat);
  endGroup(Op::TblCatalog);
}

void writeXRefFormats() {
  beginGroup(Op::XRefFormats);
  for (const XRefFormatRow& row : kXRefFormats) {
    beginGroup(Op::XRefFormat);
    addLeaf(Op::XRefName, row.name);
    addLeaf(Op::XRefDef, row.definition);
    endGroup(Op::XRefFormat);
  }
  endGroup(Op::XRefFormats);
}

}  // namespace

void initCatalogs() {
  catalogs = CatalogState{};
}

void addToFontCatalog(const char* name) {
  for (const char* known : catalogs.fonts) {
    if (known == name) return;
  }
  catalogs.fonts.push_back(name);
}

void writeCatalogs(const std::vector<const PgfRecord*>* order) {
  writeFontCatalog();
  writePgfCatalog(order);
}

void assembleDocument(MifTree* body, MifTree* footnotes) {
  MifTree* aframes = aframesTree();
  MifTree* tables = tablesTree();
  MifTree* flows = textFrameFlowsTree();
  forgetObjectTrees();
  if (tables) writeTableCatalog();
  writeXRefFormats();
  if (aframes) spliceTree(aframes);
  if (tables) spliceTree(tables);
  beginGroup(Op::TextFlow);
  addLeaf(Op::TFTag, "A");
  if (footnotes) spliceTree(footnotes);
  if (body) spliceTree(body);
  endGroup(Op::TextFlow);
  if (flows) spliceTree(flows);
}

}  // namespace pendra::mlp
