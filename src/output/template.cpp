#include "output/template.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "math/parser.h"
#include "output/char_commands.h"
#include "output/fonts.h"
#include "output/footnotes.h"
#include "output/index_text.h"
#include "output/later_codes.h"
#include "output/lists.h"
#include "output/paragraph.h"
#include "output/paragraph_formats.h"
#include "picture/picture.h"
#include "reader/construct.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/tokenizer.h"
#include "table/tables.h"

namespace pendra::output {

namespace {

// Bytes of the date \today writes ("September 30, 2026" and room to spare).
constexpr std::size_t kTodayTextSize = 64;

// "%", code, "(", argument, ")" and a terminating zero.
constexpr std::size_t kOneCodeTemplateSize = kTemplateArgumentMax + 6;

// The interpreters that share the text codes.
enum class TextKind { kText, kBoxText };

// What one template run saved when it started.
struct RunState {
  Font font = currentFont();
  int mode = reader::currentMode();
};

void rebuild(const TemplateItem& item, char* out) {
  std::size_t n = 0;
  out[n++] = '%';
  out[n++] = static_cast<char>(item.byte);
  if (item.hasArgument) {
    out[n++] = '(';
    for (const char* a = item.argument; *a;) out[n++] = *a++;
    out[n++] = ')';
  }
  out[n] = 0;
}

void passToText(const TemplateItem& item) {
  char one[kOneCodeTemplateSize];
  if (item.literal) {
    one[0] = static_cast<char>(item.byte);
    one[1] = 0;
  } else {
    rebuild(item, one);
  }
  TextDispatcher(one);
}

// %!: the default font of the current environment's paragraph format.
void resetToParagraphFont() {
  const char* tag = reader::currentEnvironment().paragraphTag;
  if (!tag || !*tag) return;
  RegisteredFormat* format = findParagraphFormat(tag);
  if (!format) return;
  if (const CharacterFormat* row = findCharacterFormat(format->font.c_str()))
    currentFont() = formatFont(*row);
}

void lineBreak() {
  char kind = reader::currentEnvironment().lineBreakKind;
  if (kind == 'P') {
    endParagraph();
    std::string tag = outputState().currentTag;
    setParagraphTag(tag.c_str());
  } else if (kind == 'H') {
    hardReturn();
  }
}

void paragraphTagFromEnvironment() {
  endParagraph();
  const char* tag = reader::currentEnvironment().paragraphTag;
  if (tag && *tag) setParagraphTag(reader::listAdjustedTag(tag).c_str());
}

// \today: the date SOURCE_DATE_EPOCH gives, as LaTeX writes it, when it is set; else the
// document's current date variable, which FrameMaker keeps up to date.
void writeToday() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  char* end = nullptr;
  long long seconds = epoch ? std::strtoll(epoch, &end, 10) : 0;
  std::tm parts{};
  std::time_t t = static_cast<std::time_t>(seconds);
  char text[kTodayTextSize];
  if (epoch && *epoch && end && *end == 0 && gmtime_r(&t, &parts) &&
      std::strftime(text, sizeof text, "%B %d, %Y", &parts) != 0) {
    // "%d" is two digits; LaTeX writes the day without a leading zero.
    std::string date = text;
    std::size_t day = date.find(' ') + 1;
    if (date[day] == '0') date.erase(day, 1);
    writeTextString(date.c_str());
  } else {
    writeInlineStatement("!Variable", "%s", "\"Current Date (Long)\"");
  }
}

void writeDateVariable(const char* argument) {
  if (std::strcmp(argument, "D") == 0)
    writeInlineStatement("!Variable", "%s", "\"Current Date (Long)\"");
  else if (std::strcmp(argument, "T") == 0)
    writeToday();
}

void writeTokenText(const RunState& run) {
  writeTextString(reader::tokenText());
  currentFont() = run.font;
}

}  // namespace

bool fontArgumentCode(unsigned char code, const char* argument) {
  switch (code) {
    case 'f':
      setFamily(argument[0]);
      return true;
    case 'h':
      setSizeByFormat(argument);
      return true;
    case 's':
      applyStyleCodes(argument);
      return true;
    default:
      return false;
  }
}

namespace {

// Codes without argument that the box text interpreter shares with the text interpreter.
bool boxTextCode(unsigned char code, const RunState& run) {
  switch (code) {
    case 0x08:
      trimBlanks();
      return true;
    case '0':
      currentFont() = run.font;
      return true;
    case 'b':
      writeTokenText(run);
      return true;
    case 'h':
      writeTextChar(0x04);
      return true;
    case 'p':
      reader::processOneArgument();
      return true;
    case 'q':
      reader::processOptionalText();
      return true;
    default:
      return false;
  }
}

bool boxTextArgumentCode(unsigned char code, const char* argument) {
  switch (code) {
    case '#':
      writeDateVariable(argument);
      return true;
    case 'A':
      accentProc(argument[0]);
      return true;
    case 'V':
      if (argument[0] == 's')
        shortVerbProc();
      else if (argument[0] == 'm' || argument[0] == 'd')
        shortVerbDefinition(argument[0] == 'm');
      else
        verbProc(argument[0] == 'l');
      return true;
    default:
      return fontArgumentCode(code, argument);
  }
}

bool textCode(unsigned char code, const RunState& run) {
  if (boxTextCode(code, run)) return true;
  switch (code) {
    case '!':
      resetToParagraphFont();
      return true;
    case '&':
      lineBreak();
      return true;
    case '@':
      reader::setCurrentMode(run.mode);
      return true;
    case 'T':
      paragraphTagFromEnvironment();
      return true;
    case 'X':
      return true;
    case 'i':
      indexTextProc();
      return true;
    case 'n':
    case '|':
      endParagraph();
      return true;
    default:
      return false;
  }
}

bool textArgumentCode(unsigned char code, const char* argument) {
  if (boxTextArgumentCode(code, argument)) return true;
  switch (code) {
    case 'C':
      captionProc(argument);
      return true;
    case 'w':
      alignFollowingParagraphs(argument);
      return true;
    case 'l':
      proofProc(argument[0]);
      return true;
    case 'I':
      listItemProc(argument);
      return true;
    case 'W':
      footnoteProc();
      return true;
    case 'a':
      setPendingSpace(argument);
      return true;
    case 'g':
      newParagraphWithTag(argument);
      return true;
    case 'v':
      verticalSpace();
      return true;
    default:
      return false;
  }
}

void interpretText(const char* tmpl, TextKind kind) {
  TemplateNestingGuard guard;
  if (!guard.ok()) return;
  if (tmpl[0] == '%' && tmpl[1] == 'b' && tmpl[2] == 0) {
    // The template of every word and space of running text, taken the short way: what %b does
    // in either interpreter.
    Font font = currentFont();
    writeTextString(reader::tokenText());
    currentFont() = font;
    return;
  }
  if (tmpl[0] == '%' && tmpl[1] == 'n' && tmpl[2] == 0) {
    // The line end's template: a paragraph end in text, nothing in box text.
    if (kind == TextKind::kText) endParagraph();
    return;
  }
  RunState run;
  TemplateItem item;
  for (const char* p = tmpl; nextTemplateItem(p, item);) {
    if (item.literal) {
      writeRawByte(item.byte);
      continue;
    }
    bool done;
    if (kind == TextKind::kBoxText) {
      if (!item.hasArgument && item.byte == 'n') continue;
      done = item.hasArgument ? boxTextArgumentCode(item.byte, item.argument)
                              : boxTextCode(item.byte, run);
    } else {
      done =
          item.hasArgument ? textArgumentCode(item.byte, item.argument) : textCode(item.byte, run);
    }
    if (!done) runBaseItem(item);
  }
}

}  // namespace

TemplateNestingGuard::TemplateNestingGuard() {
  reader::EnvironmentState& state = reader::environmentState();
  ok_ = state.templateNesting < reader::kMaxTemplateNesting;
  if (ok_) {
    ++state.templateNesting;
  } else if (!state.nestingReported) {
    state.nestingReported = true;
    reader::report("commands nested too deeply; the innermost are ignored");
  }
}

TemplateNestingGuard::~TemplateNestingGuard() {
  if (ok_) --reader::environmentState().templateNesting;
}

bool nextTemplateItem(const char*& p, TemplateItem& item) {
  if (*p == 0) return false;
  item.hasArgument = false;
  item.argument[0] = 0;
  if (*p != '%') {
    item.literal = true;
    item.byte = static_cast<unsigned char>(*p++);
    return true;
  }
  item.literal = false;
  ++p;
  item.byte = static_cast<unsigned char>(*p);
  if (*p == 0) return true;  // a lone '%' at the end: code 0, reported as unknown
  ++p;
  if (*p != '(') return true;
  ++p;
  item.hasArgument = true;
  std::size_t n = 0;
  auto keep = [&](char c) {
    if (n < kTemplateArgumentMax) item.argument[n++] = c;
  };
  while (*p && *p != ')') {
    if (*p == '\\' && p[1]) keep(*p++);
    keep(*p++);
  }
  if (*p == ')') ++p;
  item.argument[n] = 0;
  return true;
}

void runWithInterpreter(reader::Interpreter interpreter, const char* tmpl) {
  switch (interpreter) {
    case reader::Interpreter::kText:
      TextDispatcher(tmpl);
      break;
    case reader::Interpreter::kBoxText:
      BoxTextDispatcher(tmpl);
      break;
    case reader::Interpreter::kTable:
      TableDispatcher(tmpl);
      break;
    case reader::Interpreter::kMath:
      math::mathInterpreter(tmpl);
      break;
    case reader::Interpreter::kPicture:
      picture::PictDispatcher(tmpl);
      break;
    case reader::Interpreter::kPut:
      picture::putInterpreter(tmpl);
      break;
  }
}

bool takePlainText() {
  reader::Interpreter interpreter = reader::currentEnvironment().interpreter;
  if (interpreter != reader::Interpreter::kText && interpreter != reader::Interpreter::kBoxText)
    return false;
  // Each token of the text would run "%b" one template deeper (the short way of interpretText).
  if (reader::environmentState().templateNesting >= reader::kMaxTemplateNesting) return false;
  const std::string& tmpl = reader::specialToken(reader::kTextToken)->tmpl;
  if (tmpl.size() != 2 || tmpl[0] != '%' || tmpl[1] != 'b') return false;
  reader::PlainText text;
  if (!reader::plainTextAhead(text)) return false;
  Font font = currentFont();
  bool fontInSync = false;
  if (text.whole) {
    writeTextRun(text.whole, text.restLength + 1, fontInSync);
  } else {
    writeTextRun(&text.first, 1, fontInSync);
    writeTextRun(text.rest, text.restLength, fontInSync);
  }
  currentFont() = font;
  reader::skipPlainText(text);
  return true;
}

void runInCurrentMode(const char* tmpl) {
  runWithInterpreter(reader::currentEnvironment().interpreter, tmpl);
}

void TextDispatcher(const char* tmpl) {
  interpretText(tmpl, TextKind::kText);
}

void BoxTextDispatcher(const char* tmpl) {
  interpretText(tmpl, TextKind::kBoxText);
}

// Each item runs as a template of its own, so %0 and %b restore nothing here.
void TableDispatcher(const char* tmpl) {
  TemplateNestingGuard guard;
  if (!guard.ok()) return;
  RunState run;
  TemplateItem item;
  for (const char* p = tmpl; nextTemplateItem(p, item);) {
    if (!item.literal && item.hasArgument && item.byte == 'T') {
      table::tableCommand(item.argument);
    } else if (!item.literal && !item.hasArgument && item.byte == '&') {
      table::tableCommand("n");
    } else if (!item.literal && !item.hasArgument && item.byte == '@') {
      reader::setCurrentMode(run.mode);
    } else if (!item.literal && !item.hasArgument && item.byte == 'n') {
    } else {
      passToText(item);
    }
  }
}

}  // namespace pendra::output
