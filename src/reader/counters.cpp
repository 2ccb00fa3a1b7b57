#include "reader/counters.h"

#include <string>

#include "output/fonts.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/input.h"
#include "reader/report.h"

namespace pendra::reader {

namespace {

constexpr const char* kCounterTemplate = "%c(e)";
constexpr const char* kTheTemplate = "%c(t)";
constexpr const char* kLengthTemplate = "%L(u)";
constexpr const char* kAfterDefinition = "%\t";

constexpr const char* kBuiltinCounters[] = {
    "chapter",    "enumi",         "enumii",   "enumiii",     "enumiv",
    "equation",   "figure",        "footnote", "mpfootnote",  "page",
    "paragraph",  "part",          "section",  "secnumdepth", "subparagraph",
    "subsection", "subsubsection", "table",    "tocdepth"};

struct BuiltinLength {
  const char* name;
  float value;
};

constexpr BuiltinLength kBuiltinLengths[] = {
    {"\\evensidemargin", 0.0f},
    {"\\fill", 1.0f},
    {"\\footheight", 0.0f},
    {"\\headheight", 0.0f},
    {"\\headsep", 0.0f},
    {"\\oddsidemargin", 0.0f},
    {"\\parindent", 0.2f},
    {"\\parskip", 0.0f},
    {"\\textheight", 0.0f},
    {"\\textwidth", 0.0f},
    {"\\topmargin", 0.0f},
    {"\\topskip", 0.0f},
    // Lengths of LaTeX 2e and of plain TeX that documents use as dimensions.
    {"\\baselineskip", 12.0f},
    {"\\bigskipamount", 12.0f},
    {"\\columnsep", 10.0f},
    {"\\columnwidth", 0.0f},
    {"\\hsize", 0.0f},
    {"\\linewidth", 0.0f},
    {"\\medskipamount", 6.0f},
    {"\\paperheight", 0.0f},
    {"\\paperwidth", 0.0f},
    {"\\smallskipamount", 3.0f},
    {"\\vsize", 0.0f}};

CommandRecord* findKind(const std::string& name, const char* tmpl, const char* undefined,
                        const char* wrongKind, void (*make)(const std::string&)) {
  CommandRecord* r = lookup(name);
  if (!r) {
    report(undefined, name.c_str());
    make(name);
    r = lookup(name);
  }
  if (r && r->tmpl != tmpl) {
    report(wrongKind, name.c_str());
    return nullptr;
  }
  return r;
}

void makeCounterOnly(const std::string& name) {
  CommandRecord* r = newGlobalRecord(name, kCounterTemplate);
  r->counter = 0;
}

void makeLength(const std::string& name) {
  newLength(name);
}

// Sets a length, giving an inner scope a record of its own so that the change ends with it.
void storeLength(const std::string& name, float value, bool add) {
  CommandRecord* r = findLength(name);
  if (!r) return;
  float v = add ? r->length + value : value;
  if (symbolState().foundLevel < symbolState().level) {
    r = newLocalRecord(name, kLengthTemplate);
  }
  r->length = v;
}

}  // namespace

void createBuiltinCountersAndLengths() {
  for (const char* c : kBuiltinCounters) newCounter(c);
  for (const BuiltinLength& l : kBuiltinLengths) newLength(l.name, l.value);
}

void newCounter(const std::string& name) {
  makeCounterOnly(name);
  newGlobalRecord("\\the" + name, kTheTemplate);
}

CommandRecord* findCounter(const std::string& name) {
  return findKind(name, kCounterTemplate, "undefined counter %s", "command %s is not a counter",
                  makeCounterOnly);
}

void setCounter(const std::string& name, std::int32_t value) {
  if (CommandRecord* r = findCounter(name)) r->counter = value;
}

void addToCounter(const std::string& name, std::int32_t delta) {
  if (CommandRecord* r = findCounter(name))
    r->counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(r->counter) +
                                           static_cast<std::uint32_t>(delta));
}

std::int32_t getCounter(const std::string& name) {
  CommandRecord* r = findCounter(name);
  return r ? r->counter : 0;
}

void newLength(const std::string& name, float value) {
  CommandRecord* r = newGlobalRecord(name, kLengthTemplate);
  r->length = value;
}

CommandRecord* findLength(const std::string& name) {
  return findKind(name, kLengthTemplate, "undefined length %s",
                  "command %s is not a length command", makeLength);
}

void setLength(const std::string& name, float value) {
  storeLength(name, value, false);
}
void addToLength(const std::string& name, float delta) {
  storeLength(name, delta, true);
}

float getLength(const std::string& name) {
  CommandRecord* r = findLength(name);
  return r ? r->length : 0.0f;
}

void CounterProc(const char* arg) {
  ReaderState& rd = readerState();
  char op = arg ? arg[0] : 0;
  switch (op) {
    case 't': {
      std::string text = rd.tokenText;
      if (text.rfind("\\the", 0) != 0) report("expected \\thectr command");
      std::string name = text.size() > 4 ? text.substr(4) : "";
      std::int32_t value = getCounter(name);
      output::Font saved = output::currentFont();
      output::runInCurrentMode(("%f(T)" + std::to_string(value)).c_str());
      output::currentFont() = saved;
      return;
    }
    case 'e':
      report("counter %s used inappropriately", rd.tokenText);
      return;
    case 'n': {
      std::optional<std::string> name = readWord();
      if (name) newCounter(*name);
      output::runInCurrentMode("%o");
      output::runInCurrentMode(kAfterDefinition);
      return;
    }
    case 's':
    case 'a': {
      std::optional<std::string> name = readWord();
      skipBlanks();
      if (rd.currentChar != '{') {
        report("missing number argument");
        return;
      }
      // A macro's #1 may stand right after the brace.
      advanceWithSubstitution();
      std::optional<int> value = readInteger();
      if (value) {
        if (name && op == 's') setCounter(*name, *value);
        if (name && op == 'a') addToCounter(*name, *value);
      } else {
        report("missing/malformed number");
      }
      skipBlanks();
      if (rd.currentChar == '}')
        advance();
      else
        report("mismatched {");
      output::runInCurrentMode(kAfterDefinition);
      return;
    }
    default:
      report("bad option to CounterProc");
      return;
  }
}

void LengthProc(const char* arg) {
  ReaderState& rd = readerState();
  char op = arg ? arg[0] : 0;
  std::optional<std::string> name;
  if (op == 'u')
    name = std::string(rd.tokenText);
  else
    name = readCommandName();
  switch (op) {
    case 'n':
      if (name) newLength(*name);
      break;
    case 'w':
      if (name) setLength(*name, 72.0f);
      output::runInCurrentMode("%x");
      break;
    case 's':
    case 'a':
    case 'u': {
      skipBlanks();
      // \parskip=1ex: the equals sign of an assignment.
      if (op == 'u' && rd.currentChar == '=') {
        advance();
        skipBlanks();
      }
      bool braced = rd.currentChar == '{';
      // A macro's #1 may stand right after the brace.
      if (braced) advanceWithSubstitution();
      std::optional<float> len = readLength();
      if (len) {
        if (name && op == 'a')
          addToLength(*name, *len);
        else if (name)
          setLength(*name, *len);
      } else {
        report("missing/malformed length");
      }
      if (braced) {
        // The stretch and shrink of a glue are read and ignored; other text is passed over.
        bool glue = skipStretchTo('}');
        skipBlanks();
        if (!glue || rd.currentChar != '}') report("missing %c", '}');
        if (rd.currentChar == '}') advance();
      } else if (len) {
        skipGlue(false);
      }
      break;
    }
    default:
      report("bad option to LengthProc");
      break;
  }
  output::runInCurrentMode(kAfterDefinition);
}

}  // namespace pendra::reader
