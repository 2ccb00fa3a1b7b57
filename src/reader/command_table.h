// The built-in command tables (data in command_table.cpp).
#pragma once

#include <cstddef>

namespace pendra::reader {

struct BuiltinCommand {
  const char* name;
  const char* tmpl;
};

constexpr std::size_t kCharCommandCount = 15 + 95;
constexpr std::size_t kSlashCharCount = 25;
constexpr std::size_t kMainCommandCount = 557;

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

extern const BuiltinCommand kCharCommands[kCharCommandCount];
extern const BuiltinCommand slash_chars[kSlashCharCount];
extern const BuiltinCommand kSpecialTokens[kSpecialTokenCount];
extern const BuiltinCommand kMainCommands[kMainCommandCount];

}  // namespace pendra::reader
