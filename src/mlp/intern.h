// One stored copy of each text: font names and families are compared by identity and are held by
// reference in the MIF tree.
#pragma once

namespace pendra::mlp {

// The one stored copy of `text`; an empty or absent text gives the shared empty string.
const char* internString(const char* text);

// Releases every stored text. Texts stay valid until then, so a tree built in one translation can
// be written after it has finished.
void freeInternTable();

}  // namespace pendra::mlp
