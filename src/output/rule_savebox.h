// \rule as a rule statement, and \savebox and \sbox as macros that hold their box.
#pragma once

namespace pendra::output {

// %r: \rule[raise]{width}{height}.
void ruleProc();
// %S(a): \savebox{\name}[width][pos]{text}; %S(b): \sbox{\name}{text}.
void saveBoxProc(const char* kind);

}  // namespace pendra::output
