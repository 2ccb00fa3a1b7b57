// A generator of realistic LaTeX articles of any size, deterministic from a seed: sections,
// prose with accents and quotes, lists, tabulars, inline and display math, footnotes, labels and
// references, and a few user macros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pendra::bench {

std::string generateArticle(std::size_t bytes, std::uint32_t seed);

}  // namespace pendra::bench
