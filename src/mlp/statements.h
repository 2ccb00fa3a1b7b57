// The statement table with its run-time entries (macros, aliases, paragraph formats), statement
// dispatch and the statement loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mlp/reader.h"
#include "mlp/statement_table.h"

namespace pendra::mlp {

constexpr std::size_t kStatementChains = 64;
// Statements nested inside statements (footnotes, markers, definitions, ...) go this deep.
constexpr int kMaxStatementNesting = 100;

// The operand slots filled by the operand letters of a statement.
struct Operands {
  std::uint32_t integer = 0;     // #
  std::string name;              // n
  std::string name2;             // a
  bool boolean = false;          // b
  int character = 0;             // c
  float measure = 0;             // d, m
  float pair[2] = {};            // f, p
  float rect[4] = {};            // q
  std::string text;              // s
  std::uint32_t angles[2] = {};  // t
  Unit unit = Unit::Inch;        // u
};

// One statement of a font macro, read once (see StatementEntry::fontOps).
struct FontOp {
  Code code;
  std::string name;
  std::uint32_t integer;
};

struct StatementEntry {
  std::string name;
  Code code = Code::NoEffect;
  std::string operands;  // "*" for a macro
  std::shared_ptr<const std::string> macroText;
  bool dispatched = false;  // the statement ran at least once
  bool awaiting = false;    // a definition that replaces this entry came and has not run yet
  // A macro made only of font statements (the font definitions) runs them from this list, read
  // from its text with the statement loop's own readers; the list holds while the table has not
  // changed since (fontOpsTable), and is not used when the text is anything else.
  std::vector<FontOp> fontOps;
  std::uint64_t fontOpsTable = 0;
  bool fontOpsUsable = false;
};

// Resets the statement loop and the macro evaluation for a translation.
void initStatements();
// Empties the table and enters the built-in rows.
void buildStatementTable();
const StatementEntry* findStatement(const std::string& name);
// The same, to mark it.
StatementEntry* findStatementToMark(const std::string& name);
// Names the table holds.
std::size_t statementCount();
// Marks an entry as waiting for a definition that replaces it (a change of the table).
void markAwaiting(StatementEntry& entry);
// Whether font macros run from their lists (StatementEntry::fontOps) or are read as text; on
// unless a test compares the two.
void useFontMacroLists(bool on);
void defineStatement(const std::string& name, Code code);
void defineMacro(const std::string& name, const std::string& text);

void dispatchStatement(const std::string& name);
// The same for a name whose hash the reader took (readTagName).
void dispatchStatement(const std::string& name, std::size_t hash);

// Reads running text and statements until the end of input or a `>` that closes the enclosing
// statement, which stays current. White space at the start is skipped, or read as running text
// when `skipLeadingWhite` is false.
void processStatements(bool skipTrailingWhite, bool skipLeadingWhite = true);

// Runs the macro `name` for its effect on the font state, outside the running text.
void invokeMacro(const char* name);

}  // namespace pendra::mlp
