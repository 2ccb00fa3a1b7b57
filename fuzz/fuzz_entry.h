// The three conversions the fuzz targets drive, shared with the replay of the fuzz corpora in
// the tests: LaTeX bytes to a saved document, MLP bytes to a MIF file, and the host's MIF check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pendra::fuzz {

// Converts `data` as a LaTeX source; returns the saved document ("" when none was made). When
// `stopped` is given it tells whether the conversion stopped in an unrecoverable state. With
// `beside`, the host keeps the MLP in memory, as the pendra command does, so that the second
// stage translates the body while the first writes it; else the stages run one after the other.
std::string convertLatex(const std::uint8_t* data, std::size_t size, bool* stopped = nullptr,
                         bool beside = false);
// Translates `data` as MLP and writes the MIF file; returns it ("" when the translation aborted).
std::string translateMlp(const std::uint8_t* data, std::size_t size);
// Runs the host's MIF syntax check over `data`.
bool checkMif(const std::uint8_t* data, std::size_t size);

// Sends console text to /dev/null (true) or back to standard error.
void quietConsole(bool quiet);

}  // namespace pendra::fuzz
