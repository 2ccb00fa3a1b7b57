// The built-in command tables (data in command_table.cpp).
#pragma once

#include <cstddef>
#include <span>

namespace pendra::reader {

struct BuiltinCommand {
  const char* name;
  const char* tmpl;
};

// The records the tokenizer returns without a lookup.
enum SpecialToken : std::size_t {
  kTwoDollars,
  kEndOfInputToken,
  kTwoHyphens,
  kThreeHyphens,
  kTwoGraves,
  kTwoApostrophes,
  kTextToken,
  kDefaultSlashToken,
  kUnknownCommand,
  kSpecialTokenCount
};

// The tables hold as many rows as command_table.cpp gives them.
extern const std::span<const BuiltinCommand> kCharCommands;
extern const std::span<const BuiltinCommand> slash_chars;
extern const BuiltinCommand kSpecialTokens[kSpecialTokenCount];
extern const std::span<const BuiltinCommand> kMainCommands;

}  // namespace pendra::reader
