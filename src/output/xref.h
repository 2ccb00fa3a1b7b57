// Labels, references and citations: markers and cross-reference statements in the running text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace pendra::output {

// Characters kept of a key: a longer one is cut, so that every statement stays within the
// statement and string sizes of the MLP file.
constexpr std::size_t kXRefKeyMax = 255;

struct XRefState {
  std::optional<std::string> pendingNote;           // the note of the last \cite or \bibitem
  std::optional<std::string> pendingEquationLabel;  // a \label met in math, for the equation
};

XRefState& xrefState();
void initCrossReferences();

// %X(c): B \bibitem, C \cite, L \label, P \pageref, R \ref.
void XRefProc(const char* kind);

// The key of a \label given in math, handed to the equation that writes it; empty afterwards.
std::optional<std::string> takePendingEquationLabel();

}  // namespace pendra::output
