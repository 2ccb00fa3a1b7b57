// Labels, references and citations: markers and cross-reference statements in the running text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pendra::output {

// Characters kept of a key: a longer one is cut, so that every statement stays within the
// statement and string sizes of the MLP file.
constexpr std::size_t kXRefKeyMax = 255;

struct XRefState {
  std::optional<std::string> pendingNote;           // the note of the last \cite or \bibitem
  std::optional<std::string> pendingEquationLabel;  // a \label met in math, for the equation
  std::vector<std::string> generatedListsNoted;     // \tableofcontents and kin, noted once
  bool bibliographyNoted = false;                   // a missing .bbl reported once
};

XRefState& xrefState();
void initCrossReferences();

// %X(c): B \bibitem, C \cite, L \label, P \pageref, R \ref; N the citations of natbib and
// biblatex ([pre][post]{keys}: with one note it is the post-note); A a list of labels referred to
// as \ref does (\cref, \autoref); b \bibliography{names}: reads the .bbl file BibTeX writes.
void XRefProc(const char* kind);

// %J: a list that FrameMaker generates from the document (\tableofcontents, \listoffigures):
// no text; the first use of each command is reported.
void generatedListProc();

// The key of a \label given in math, handed to the equation that writes it; empty afterwards.
std::optional<std::string> takePendingEquationLabel();

}  // namespace pendra::output
