// Hyperlinks: \url, \nolinkurl, \path and \href become their text with a FrameMaker hypertext
// marker whose command opens the URL.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace pendra::output {

// Bytes of a URL read from the source: a longer argument is cut, the rest passed over.
constexpr std::size_t kUrlReadMax = 2048;
// Characters passed over looking for the end of a URL argument before it counts as unclosed.
constexpr std::size_t kUrlScanMax = 65536;
// Bytes of the hypertext command a marker may hold (its string is written into one statement):
// a longer URL keeps its text and loses its link, with a message.
constexpr std::size_t kHypertextCommandMax = 400;

// The hypertext command of a marker that opens `url` ("message URL ..."), as the text of an MLP
// string operand: bytes outside printable ASCII percent-encoded, quotes and backslashes escaped.
// nullopt when it would be longer than kHypertextCommandMax.
std::optional<std::string> hypertextCommand(const std::string& url);

// Reads a URL argument from the current character on: braced (braces inside counted) or between
// two equal characters (\url|...|). Every character is kept as it stands (% # _ ~ included);
// blanks and line ends are dropped. With `escapes` (the URL of \href), a backslash before one of
// # % & _ ~ $ ^ { } \ stands for that character. nullopt when no argument stands there.
std::optional<std::string> readUrlArgument(bool escapes);

// %u(u) \url, %u(n) \nolinkurl and \path: the URL in a typewriter font, after a hypertext marker
// when `link`.
void urlProc(bool link);
// %u(h) \href{URL}{text}: writes the marker for the URL; the template processes the text next.
void hrefProc();

}  // namespace pendra::output
