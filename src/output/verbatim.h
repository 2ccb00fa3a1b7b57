// The verbatim and alltt environments: their text copied line by line, each line a paragraph.
#pragma once

namespace pendra::output {

void verbatimBody(int ending);
void allttBody(int ending);

}  // namespace pendra::output
