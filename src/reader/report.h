// The message reporter: the one way any stage says that something is wrong.
#pragma once

#include <cstddef>
#include <string_view>

namespace pendra::reader {

constexpr std::size_t kMessageBufferSize = 256;
// Messages of one kind printed in one conversion; the rest are counted and summed up at the end.
constexpr std::size_t kMessagesShownPerKind = 100;

// Thrown by report() while a recovery point is registered; the owner of the recovery point
// catches it and abandons its work.
struct RecoveryAbort {};

// Thrown for the unrecoverable states; F_ApiNotify catches it and ends the run with no document.
struct ConversionStop {
  const char* message;
};

// Forgets the message counts of an earlier conversion and any recovery point.
void initReporter();

// Sets the recovery point (true: report() throws RecoveryAbort after printing) and the line
// counter whose value prefixes every message (nullptr: no line prefix).
void registerReporter(bool recoveryPoint, const int* lineCounter);

// Prints "file: line: message\n" (either prefix only when its source is set); the message is
// formatted into a buffer of kMessageBufferSize bytes and cut there. With a null format nothing is
// printed. Then throws RecoveryAbort if a recovery point is registered.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One line for each kind of message that was given more than kMessagesShownPerKind times, with
// the count of those not shown; then the counts start again.
void summariseMessages();

// Bytes kept of an unknown command's or environment's name in the summary.
constexpr std::size_t kUnknownNameMax = 63;
// Different unknown names counted in one conversion; the uses of further names are summed apart.
constexpr std::size_t kUnknownNamesMax = 4096;
// Names listed of each kind in the summary, most frequent first; the rest are summed in one line.
constexpr std::size_t kUnknownNamesShown = 50;

// Counts one use of a command (its name with the backslash) or an environment that no table and
// no definition of the document knows.
void noteUnknownCommand(std::string_view name);
void noteUnknownEnvironment(std::string_view name);

// The result of the run for the user: the unknown commands and environments with their counts,
// most frequent first (equal counts by name); then the counts start again.
void summariseUnknowns();

// Reports the message and stops the whole conversion (throws ConversionStop).
[[noreturn]] void stopConversion(const char* message);

}  // namespace pendra::reader
