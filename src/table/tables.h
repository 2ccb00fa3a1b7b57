// The tabular environment and boxes: both are written as MLP table statements. A tabular's
// cells are diverted into buffer 7 until the cell ends, so that a row statement is written
// only for a row that has a cell; a box outside a picture is a table of one framed or plain cell.
#pragma once

namespace pendra::table {

constexpr int kCellBuffer = 7;  // the diversion buffer of a cell's text
// A longtable's rows are diverted a block at a time, each block ending at \endhead,
// \endfirsthead, \endfoot or \endlastfoot or at the table's end (the body): at the end the
// heading block is written as the table's heading rows, then the body, then the footing block as
// its footing rows.
constexpr int kSectionBuffer = 5;
constexpr int kFootBuffer = 6;
// The heading block that the table will keep, until the table's end writes it before the body.
constexpr int kHeadBuffer = 0;
// Boxes inside boxes; past this a box is read as its plain content.
constexpr int kMaxBoxNesting = 64;

// One open tabular.
struct Table {
  float width = 0.0f;  // the width of tabular*, tabularx, tabulary, in points; read, not used
  int columns = 0;
  int cells = 0;        // cells kept in the current row
  int rows = 0;         // rows written so far
  int multirowEnd = 0;  // the last row that a \multirow reaches (rows counted from 1)
  int blockEnd = 0;     // rows written when the last longtable block ended
  int cellColumns = 1;  // the columns that the open cell spans
  bool longtable = false;
  bool closing = false;        // the table's end has been read
  bool trimLastRow = false;    // an empty row opened by the last \\ is dropped
  bool headKept = false;       // a heading block (\endhead or \endfirsthead) waits in kHeadBuffer
  bool firstHeadKept = false;  // that block is the \endfirsthead one
  bool footKept = false;       // a footing block (\endfoot or \endlastfoot) waits in kFootBuffer
  char position = 'c';         // the optional position argument's first letter
  bool rowOpen = false;
  bool cellOpen = false;
  // A table inside a table: its body is text of the enclosing cell, its commands write nothing.
  bool refused = false;
  // The output's suppression level when the table opened: in an argument that is skipped (with
  // its output suppressed) & and \\ must not change the table, whose statements would be lost.
  int suppression = 0;
};

struct TableState {
  Table current;  // the innermost open tabular; the enclosing ones are kept by their readers
  int tableNesting = 0;
  int boxNesting = 0;
  int boxTables = 0;  // tables written for boxes and still open (only an outermost box writes one)
  bool boxNestingReported = false;
};

TableState& tableState();
// Forgets every table and box; the nesting counts start at 0.
void initTables();

// Body handler of tabular, tabular*, tabularx, tabulary and longtable: width, position and
// column preamble, then the body up to the delimiter code `ending`, written as a table.
void tabularBody(int ending);
// %T(c) inside a table (and %&, which is %T(n)): t &, n \\, h \hline (and the booktabs rules),
// c \cline, r \cmidrule, m \multicolumn, R \multirow, v \vline; longtable's H \endhead,
// f \endfirsthead, F \endfoot, l \endlastfoot.
void tableCommand(const char* kind);

// %P outside a picture: f \fbox and \frame, F \framebox, M \makebox, P \parbox, m \minipage;
// the picture objects (\line, \vector, \circle, \oval, \dashbox, \shortstack) are reported and
// their arguments read.
void boxProc(const char* kind);
// Body handler of the minipage environment: a plain box whose content ends with `ending`.
void minipageBody(int ending);

}  // namespace pendra::table
