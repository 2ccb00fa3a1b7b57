// The catalogs of the document (fonts, paragraph formats, the table format, cross-reference
// formats) and the order of the document's top level.
#pragma once

#include <vector>

#include "mif/tree.h"

namespace pendra::mlp {

void initCatalogs();

// Adds a font (an interned name of a font macro) to the font catalog list; repeats are ignored.
void addToFontCatalog(const char* name);

struct PgfRecord;
// At the first text: the font catalog and the paragraph catalog into the current tree; the
// paragraph formats in `order` when given, else newest first.
void writeCatalogs(const std::vector<const PgfRecord*>* order = nullptr);

// At the end, with the top-level tree current: the table catalog, the cross-reference formats,
// the side trees and the main text flow holding the footnotes and the body.
void assembleDocument(mif::MifTree* body, mif::MifTree* footnotes);

}  // namespace pendra::mlp
