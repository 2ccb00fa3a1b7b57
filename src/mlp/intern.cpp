#include "mlp/intern.h"

#include <array>
#include <cstring>
#include <forward_list>
#include <string>

namespace pendra::mlp {

namespace {

constexpr std::size_t kInternChains = 128;

struct InternState {
  // forward_list keeps each text at a fixed address for as long as it is stored.
  std::array<std::forward_list<std::string>, kInternChains> chains;
};

InternState interned;

const char kEmpty[] = "";

std::size_t chainOf(const char* text) {
  auto first = static_cast<unsigned char>(text[0]);
  auto second = static_cast<unsigned char>(text[1]);
  return ((first << 5) & 127) ^ (second & 127);
}

}  // namespace

const char* internString(const char* text) {
  if (!text || !*text) return kEmpty;
  auto& chain = interned.chains[chainOf(text)];
  for (const std::string& stored : chain) {
    if (std::strcmp(stored.c_str(), text) == 0) return stored.c_str();
  }
  chain.emplace_front(text);
  return chain.front().c_str();
}

void freeInternTable() {
  for (auto& chain : interned.chains) chain.clear();
}

}  // namespace pendra::mlp
