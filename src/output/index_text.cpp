// %i: the text of an index or glossary marker, copied from the braced argument.
#include "output/index_text.h"

#include "output/paragraph.h"
#include "output/template.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/tokenizer.h"
#include "reader/unicode.h"

namespace pendra::output {

void indexTextProc() {
  while (reader::peekChar() == ' ' || reader::peekChar() == '\t' || reader::peekChar() == '\n' ||
         reader::peekChar() == '\r')
    reader::advance();
  if (reader::peekChar() != '{') {
    reader::report("missing argument");
    return;
  }
  reader::advanceWithSubstitution();
  int depth = 1;
  bool afterSpace = true;  // line ends at the start are dropped
  for (;;) {
    int c = reader::peekChar();
    if (c == reader::kEndOfInput) return;
    if (c == '\\') {
      // A command is dropped, unless it is a macro: its expansion is read on.
      reader::CommandRecord* r = reader::nextToken();
      if (r->tmpl.rfind("%M(", 0) == 0) BaseDispatcher(r->tmpl.c_str());
      continue;
    }
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) {
        reader::advance();
        return;
      }
    } else if (c == '\t' || c == '\n' || c == '\r') {
      if (!afterSpace) writeTextChar(' ');
      afterSpace = true;
    } else if (c == '"') {
      // makeindex's quote character, common in German entries: kept, escaped for the string.
      writeRawString("\\\"");
      afterSpace = false;
    } else if (c >= 0x80) {
      // A character beyond ASCII, its bytes read with it.
      reader::advanceWithSubstitution();
      writeTextString(reader::unicodeText(c, reader::advanceWithSubstitution));
      afterSpace = false;
      continue;
    } else if (c < ' ') {
      // Other control bytes have no place in a marker's text (a NUL would end the MLP line).
    } else {
      unsigned char out = c == '!' ? ':' : static_cast<unsigned char>(c);
      if (c == ':' || c == ';' || c == '<' || c == '[' || c == ']') writeTextChar('\\');
      writeTextChar(out);
      afterSpace = c == ' ';
    }
    reader::advanceWithSubstitution();
  }
}

}  // namespace pendra::output
