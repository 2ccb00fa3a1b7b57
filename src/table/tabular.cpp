// The tabular environment: the table state, cells diverted into buffer 7, rows, and the table
// commands.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "common/chars.h"
#include "output/diversions.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "table/column_spec.h"
#include "table/tables.h"

namespace pendra::table {

namespace {

TableState tables;

constexpr const char* kCellStart = "<!Cell ";
constexpr const char* kCellEnd = " >\n";
// The bytes of a cell without text.
constexpr long kEmptyCellBytes =
    std::char_traits<char>::length(kCellStart) + std::char_traits<char>::length(kCellEnd);

using chars::isWhite;

void skipWhite() {
  while (isWhite(reader::peekChar())) reader::advanceWithSubstitution();
}

void bufferOperation(const char* letter, int buffer) {
  std::string operation = letter;
  operation += std::to_string(buffer);
  output::BufferProc(operation.c_str());
}

// The statement that starts a cell spanning `span` columns and `rows` rows.
void writeCellStart(int span, int rows) {
  Table& t = tables.current;
  t.cellColumns = span > 1 ? span : 1;
  if (rows > 1)
    output::writeStatementLine("<!Straddle %d %d ", rows, t.cellColumns);
  else if (span > 1)
    output::writeStatementLine("<!Span %d ", span);
  else
    output::writeStatementLine("%s", kCellStart);
}

void openCell(int span) {
  Table& t = tables.current;
  if (!t.rowOpen) {
    t.rowOpen = true;
    t.cells = 0;
  }
  if (t.cellOpen) return;
  t.cellOpen = true;
  output::writeStatementLine("%s", "");
  output::BufferProc("S");
  reader::beginScope();
  writeCellStart(span, 1);
  output::setParagraphTag("Cell");
  output::outputState().blankLines = 0;
}

void closeCell(bool keep) {
  Table& t = tables.current;
  if (!t.cellOpen) return;
  t.cellOpen = false;
  output::writeStatementLine("%s", kCellEnd);
  bufferOperation("E", kCellBuffer);
  // The rows of longtable, tabularx and tabulary all end with \\: the cell the last one opens
  // before the table's end is not a row. (A tabular keeps it, as it always has.) A table with no
  // other row keeps it: a table needs a row.
  // (A longtable counts the rows of its body only: those of its heading and footing are not.)
  if (keep && t.trimLastRow && t.cells == 0 && t.closing && t.rows > t.blockEnd &&
      output::diversionBufferSize(kCellBuffer) == kEmptyCellBytes)
    keep = false;
  if (!keep) {
    bufferOperation("F", kCellBuffer);
  } else {
    if (++t.cells == 1) output::writeStatementLine("<!Row ");
    bufferOperation("I", kCellBuffer);
  }
  reader::endScope();
}

void closeRow(bool keepCell) {
  Table& t = tables.current;
  closeCell(keepCell);
  if (!t.rowOpen) return;
  t.rowOpen = false;
  if (t.cells > 0) {
    output::writeStatementLine(" >\n");
    t.cells = 0;
    ++t.rows;
  }
}

// The width of tabular*, tabularx and tabulary: a length in braces.
void readTableWidth() {
  skipWhite();
  if (reader::peekChar() != '{') {
    reader::report("missing table width");
    return;
  }
  reader::advance();
  if (std::optional<float> width = reader::readLength())
    tables.current.width = *width;
  else
    reader::report("malformed table width");
  bool glue = reader::skipStretchTo('}');
  reader::skipBlanks();
  if (!glue || reader::peekChar() != '}') reader::report("missing '}'");
  if (reader::peekChar() == '}') reader::advanceWithSubstitution();
}

// A whole number in text such as "2" or " 3 "; nullopt when there is none.
std::optional<int> numberIn(const std::string& text, std::size_t* end = nullptr) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(static_cast<unsigned char>(text[i]))) ++i;
  int value = 0;
  auto [rest, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (error != std::errc() || rest == text.data() + i) return std::nullopt;
  if (end) *end = static_cast<std::size_t>(rest - text.data());
  return value;
}

// & and \\ in a table that is text of the enclosing cell: one space between the words.
void separateWords() {
  output::trimBlanks();
  output::writeTextChar(' ');
  reader::skipBlanks();
}

// An optional argument in brackets or parentheses (\cmidrule's width and trimming, \multirow's
// placement and adjustment), read and dropped. The input ends it when the closing one is missing.
void skipDelimited(int open, int close) {
  skipWhite();
  if (reader::peekChar() != open) return;
  reader::advance();
  while (reader::peekChar() != close && reader::peekChar() != reader::kEndOfInput)
    reader::advance();
  if (reader::peekChar() == close) reader::advanceWithSubstitution();
}

// \cline{a-b}: writes the rule statement between rows.
void clineCommand(bool refused) {
  std::string argument = readBracedGroup();
  std::size_t end = 0;
  std::optional<int> first = numberIn(argument, &end);
  if (!first) {
    reader::report("bad argument to \\cline");
    return;
  }
  int last = *first;
  while (end < argument.size() && isWhite(static_cast<unsigned char>(argument[end]))) ++end;
  if (end < argument.size() && argument[end] == '-') {
    if (std::optional<int> second = numberIn(argument.substr(end + 1))) last = *second;
  }
  if (refused) return;
  closeCell(false);
  output::writeStatementLine("<!CLine %d %d>\n", *first, last);
  openCell(1);
}

// \multicolumn{n}{preamble}{text}: a cell spanning n columns.
void multicolumnCommand(bool refused) {
  std::optional<int> count = numberIn(readBracedGroup());
  if (!count) reader::report("bad number arg to \\multicolumn");
  readBracedGroup();
  if (!refused) {
    closeCell(false);
    openCell(count && *count > 1 ? *count : 1);
  }
  output::runInCurrentMode("%p");
}

// True when the open cell has received neither text nor a statement: spaces at most.
bool cellHoldsNothing() {
  const output::OutputState& out = output::outputState();
  if (out.tagLineWritten) return false;
  for (std::size_t i = 0; i < out.length; ++i)
    if (out.buffer[i] != ' ') return false;
  return true;
}

// Starts the open cell again, empty, as one that straddles `rows` rows. Its scope and the font
// set in it so far (a brace group around \multirow, say) are kept.
void restartCell(int rows) {
  output::trimBlanks();
  bufferOperation("E", kCellBuffer);
  bufferOperation("F", kCellBuffer);
  output::BufferProc("S");
  writeCellStart(tables.current.cellColumns, rows);
  // The cell's text begins with its tag line, as in a cell just opened.
  output::outputState().tagLineWritten = false;
}

// \multirow[placement]{rows}[struts]{width}[shift]{text}: at the start of a cell, the cell
// straddles the rows (and keeps the columns of a \multicolumn around it); the cells it covers
// below are the rows' own, which a table leaves empty there. After other text in the cell, or
// with a count below two (a negative one sets the text in the last row), the text stays in this
// row's cell alone.
void multirowCommand(bool refused) {
  Table& t = tables.current;
  skipDelimited('[', ']');
  std::optional<int> count = numberIn(readBracedGroup());
  if (!count) reader::report("bad number arg to \\multirow");
  skipDelimited('[', ']');
  readBracedGroup();
  skipDelimited('[', ']');
  if (!refused && count && *count > 1 && *count <= kMaxColumns) {
    t.multirowEnd = std::max(t.multirowEnd, t.rows + *count);
    if (t.cellOpen && cellHoldsNothing()) restartCell(*count);
  }
  output::runInCurrentMode("%p");
}

// \endhead, \endfirsthead, \endfoot and \endlastfoot end a block of a longtable's rows.
// FrameMaker repeats one heading and one footing on each page: the \endfirsthead block is the
// heading (else the \endhead one), the first footing block the footing; the others, and a block
// without rows, are dropped.
void endBlock(char kind) {
  Table& t = tables.current;
  if (!t.longtable) {
    reader::report("%s is valid only inside longtable", reader::tokenText());
    return;
  }
  closeRow(false);
  bool heading = kind == 'H' || kind == 'f';
  bool keep = t.rows > t.blockEnd;
  if (heading)
    keep = keep && (!t.headKept || (kind == 'f' && !t.firstHeadKept));
  else
    keep = keep && !t.footKept;
  if (keep) {
    bufferOperation("E", heading ? kHeadBuffer : kFootBuffer);
    (heading ? t.headKept : t.footKept) = true;
    if (kind == 'f') t.firstHeadKept = true;
  } else {
    bufferOperation("E", kSectionBuffer);
    bufferOperation("F", kSectionBuffer);
  }
  t.blockEnd = t.rows;
  output::BufferProc("S");
  openCell(1);
}

// The longtable's rows at its end: the heading, the body, the footing.
void writeLongtableRows() {
  Table& t = tables.current;
  bufferOperation("E", kSectionBuffer);
  if (t.headKept) {
    output::writeStatementLine("<!TblHeading\n");
    bufferOperation("I", kHeadBuffer);
    output::writeStatementLine(" >\n");
  }
  bufferOperation("I", kSectionBuffer);
  if (t.footKept) {
    output::writeStatementLine("<!TblFooting\n");
    bufferOperation("I", kFootBuffer);
    output::writeStatementLine(" >\n");
  }
}

}  // namespace

TableState& tableState() {
  return tables;
}

void initTables() {
  tables = TableState{};
}

void tabularBody(int ending) {
  const reader::EnvironmentRecord& record = reader::currentEnvironment();
  Table enclosing = tables.current;
  tables.current = Table{};
  tables.current.suppression = output::outputState().suppression;
  bool longtable = std::strcmp(record.name, "longtable") == 0;
  bool wideColumns =
      std::strcmp(record.name, "tabularx") == 0 || std::strcmp(record.name, "tabulary") == 0;
  if (wideColumns || std::strcmp(record.name, "tabular*") == 0) readTableWidth();
  skipWhite();
  if (std::optional<std::string> position = reader::readOptionLetters())
    tables.current.position = position->empty() ? 'c' : (*position)[0];
  tables.current.columns = countColumns(readBracedGroup(), wideColumns);
  if (++tables.tableNesting >= 2) {
    reader::report("Cannot handle nested tables");
    tables.current.refused = true;
    reader::genericBody(record, ending);
  } else {
    output::writeStatementLine("<!Table %d\n", tables.current.columns);
    output::ParagraphState paragraph = output::saveParagraphState();
    output::Font font = output::currentFont();
    tables.current.longtable = longtable;
    tables.current.trimLastRow = std::strncmp(record.name, "tabular", 7) != 0 || wideColumns;
    if (longtable) output::BufferProc("S");
    openCell(1);
    reader::genericBody(record, ending);
    tables.current.closing = true;
    closeRow(true);
    if (longtable) writeLongtableRows();
    if (tables.current.multirowEnd > tables.current.rows)
      reader::report("\\multirow reaches past the end of the table");
    output::writeStatementLine(" >\n");
    output::restoreParagraphState(paragraph);
    output::currentFont() = font;
  }
  tables.current = enclosing;
  --tables.tableNesting;
}

void tableCommand(const char* kind) {
  if (tables.tableNesting == 0) {
    reader::report("%s command is valid only inside tabular environment", reader::tokenText());
    return;
  }
  Table& t = tables.current;
  bool refused = t.refused || output::outputState().suppression != t.suppression;
  switch (kind[0]) {
    case 't':
      if (refused) {
        separateWords();
        break;
      }
      closeCell(true);
      openCell(1);
      break;
    case 'n':
      if (refused) {
        separateWords();
        break;
      }
      closeRow(true);
      openCell(1);
      break;
    case 'h':
      if (refused) break;
      closeRow(false);
      output::writeStatementLine("<!HorizLine>\n");
      openCell(1);
      break;
    case 'c':
      clineCommand(refused);
      break;
    case 'm':
      multicolumnCommand(refused);
      break;
    case 'r':
      skipDelimited('[', ']');
      skipDelimited('(', ')');
      clineCommand(refused);
      break;
    case 'R':
      multirowCommand(refused);
      break;
    case 'H':
    case 'f':
    case 'F':
    case 'l':
      if (!refused) endBlock(kind[0]);
      break;
    case 'v':
      break;
    default:
      reader::report("unknown tabular control %s", kind);
      break;
  }
}

}  // namespace pendra::table
