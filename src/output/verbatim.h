// The verbatim and alltt environments: their text copied line by line, each line a paragraph.
#pragma once

namespace pendra::output {

void verbatimBody(int ending);
// The body of a listing environment (lstlisting, Verbatim, minted, filecontents and those that
// documents define like them): the options after \begin and the rest of that line are passed
// over, then the lines are copied as verbatim text up to the environment's \end.
void listingBody(int ending);
void allttBody(int ending);

}  // namespace pendra::output
