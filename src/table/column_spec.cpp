#include "table/column_spec.h"

#include "common/chars.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::table {

namespace {

using chars::isWhite;

// The braced group that starts after white space at `i` in `text`, without its braces; `i`
// moves past it. An unclosed group runs to the end of the text.
std::string_view takeGroup(std::string_view text, std::size_t& i) {
  while (i < text.size() && isWhite(static_cast<unsigned char>(text[i]))) ++i;
  if (i >= text.size() || text[i] != '{') return {};
  std::size_t start = ++i;
  int depth = 1;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 < text.size()) ++i;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return text.substr(start, i++ - start);
    }
  }
  return text.substr(start);
}

int repeatCount(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhite(static_cast<unsigned char>(text[i]))) ++i;
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMaxColumns) value = kMaxColumns;
  }
  return static_cast<int>(value);
}

// Columns are added with the sum held at kMaxColumns.
void add(long& columns, long more) {
  columns += more;
  if (columns > kMaxColumns) columns = kMaxColumns;
}

long countIn(std::string_view text, int depth, bool wideColumns) {
  long columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    switch (text[i++]) {
      case 'c':
      case 'l':
      case 'r':
        add(columns, 1);
        break;
      case 'X':
      case 'L':
      case 'C':
      case 'R':
      case 'J':
        if (wideColumns) add(columns, 1);
        break;
      case 'p':
      case 'm':
      case 'b':
        add(columns, 1);
        takeGroup(text, i);
        break;
      case '@':
        takeGroup(text, i);
        break;
      case '{':  // >{\bfseries}, !{...}: a group that is not a column
        takeGroup(text, --i);
        break;
      case '*': {
        int count = repeatCount(takeGroup(text, i));
        std::string_view repeated = takeGroup(text, i);
        if (count < 1) {
          reader::report("Bad * form in cols argument");
        } else if (depth >= kMaxRepeatNesting) {
          reader::report("* forms nested too deeply in cols argument");
        } else {
          long inner = countIn(repeated, depth + 1, wideColumns);
          add(columns,
              inner == 0 ? 0 : (count > kMaxColumns / inner ? kMaxColumns : count * inner));
        }
        break;
      }
      default:
        break;
    }
  }
  return columns;
}

}  // namespace

int countColumns(std::string_view preamble, bool wideColumns) {
  long columns = countIn(preamble, 0, wideColumns);
  return columns == 0 ? 1 : static_cast<int>(columns);
}
}  // namespace pendra::table
