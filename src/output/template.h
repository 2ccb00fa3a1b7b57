// The action template interpreters: TextDispatcher, BoxTextDispatcher, TableDispatcher and
// BaseDispatcher, which all modes share, and the template item reader.
#pragma once

#include <cstddef>

#include "reader/environments.h"

namespace pendra::output {

// Bytes kept of a code's argument; the rest of a longer argument is dropped.
constexpr std::size_t kTemplateArgumentMax = 31;

// One item of a template: a literal byte, or a code with or without argument.
struct TemplateItem {
  bool literal = false;
  unsigned char byte = 0;  // the literal byte or the code byte
  bool hasArgument = false;
  char argument[kTemplateArgumentMax + 1] = {};
};

// %f, %h and %s with their argument, the font codes that the text, box text and picture
// interpreters share: runs the code and says true, or says false for any other code.
bool fontArgumentCode(unsigned char code, const char* argument);

// Reads the item at `p` and moves `p` past it; false at the end of the template.
bool nextTemplateItem(const char*& p, TemplateItem& item);

// Bounds nested template runs: a run past the bound is reported once and skipped. Every
// interpreter holds one for the length of a run.
class TemplateNestingGuard {
 public:
  TemplateNestingGuard();
  ~TemplateNestingGuard();
  TemplateNestingGuard(const TemplateNestingGuard&) = delete;
  TemplateNestingGuard& operator=(const TemplateNestingGuard&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// Runs a template through the interpreter of the current environment record.
void runInCurrentMode(const char* tmpl);
// Runs a template through the named interpreter.
void runWithInterpreter(reader::Interpreter interpreter, const char* tmpl);

void TextDispatcher(const char* tmpl);
void BoxTextDispatcher(const char* tmpl);
void TableDispatcher(const char* tmpl);
// Interprets a string of codes that every mode shares; anything else is reported.
void BaseDispatcher(const char* tmpl);

}  // namespace pendra::output
