// Paragraph formats: the properties that the format statements set, the format records made by
// definitions, the switch to a named format, and the Pgf statements written for paragraphs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "mlp/statement_table.h"

namespace pendra::mlp {

struct Operands;

// Numbers formats are cut at this length; a tab stop list holds at most kMaxTabStops entries.
constexpr std::size_t kMaxNumberFormatLength = 255;
constexpr std::size_t kMaxTabStops = 0xFFFF;

struct TabStop {
  float position = 0;         // points
  const char* type = "Left";  // Left, Center, Right, Decimal
  int leader = 0;             // 0: none
};

// Tab lists are shared between formats and compared by identity; an empty list is none.
using TabList = std::shared_ptr<const std::vector<TabStop>>;

struct PgfProps {
  const char* family = nullptr;
  std::int32_t size = 0;
  unsigned flags = 0;
  TabList tabs;
  float leftIndent = 72;
  float rightIndent = 72;
  float firstIndent = 72;
  float spaceBefore = 6;
  float spaceAfter = 6;
  float leading = 2;
  std::shared_ptr<const std::string> numberFormat;
  const char* numberFont = nullptr;
  const char* alignment = nullptr;  // Left, Right, Center, LeftRight; none until set
  std::int32_t tolerance = 0;
  std::int32_t blockSize = 1;
  char lineSpacing = 'f';  // f floating, anything else fixed
  bool autonumber = false;
  bool hyphenate = true;
  bool columnTop = false;
  bool withNext = false;
  bool numberAtEnd = false;
};

struct PgfRecord {
  std::string name;
  bool inCatalog = false;
  PgfProps props;
};

void initPgf();

const PgfProps& currentProps();
void setCurrentProps(const PgfProps& props);
// Format records, newest first.
const std::deque<PgfRecord>& pgfRecords();
const PgfRecord* currentRecord();
// The newest record of that name; nullptr when there is none.
const PgfRecord* newestRecord(const std::string& name);

// The property statements (indents, spacing, alignment, booleans, numbering, tab settings).
void pgfStatement(Code code, const Operands& operands);
// `tabstops`: a new tab list from the nested statements.
void tabStopsStatement();
// `!definepar` (in the catalog) and `!definetag`: a format from the nested statements.
void definePgf(const std::string& name, bool inCatalog);
// The statement named by a format: ends the paragraph and makes that format current.
void switchPgf(const std::string& name);
// Forgets the format of the last written paragraph, so that the next one writes its PgfTag.
void forgetWrittenPgf();

// What the last written paragraph established, kept while a nested object writes paragraphs of
// its own elsewhere in the file.
struct WrittenPgf {
  const PgfRecord* record = nullptr;
  PgfProps props;
};
WrittenPgf writtenPgf();
void setWrittenPgf(const WrittenPgf& written);

// The current format and properties, kept around nested objects (footnotes, tables, frames)
// whose paragraphs switch formats of their own.
struct PgfSelection {
  const PgfRecord* record = nullptr;
  PgfProps props;
};
PgfSelection pgfSelection();
void setPgfSelection(const PgfSelection& selection);

// The Pgf of a new paragraph, by the current format and what the previous paragraph wrote.
void writeParagraphPgf();
// A complete Pgf group; without a font family and a tag it holds only PgfTag `body`.
void writePgf(const PgfProps& props, const char* tag);
// A Pgf group with the properties that differ from `base`; nothing when none differs.
void writePgfChanges(const PgfProps& base);

// The number format text of a `numberformat` string: tabs kept, + and digits as MIF building
// blocks, \x escapes decoded.
std::string convertNumberFormat(const std::string& text);

}  // namespace pendra::mlp
