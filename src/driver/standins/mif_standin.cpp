// Stand-in for the MIF writer until it is built: the header line of an empty document.
#include "driver/stages.h"

namespace pendra::mif {
void writeMif(ChannelT channel, bool final) {
  if (final) F_Printf(channel, "<MIFFile 4.00> # created by pendra 2.01alpha\n");
}
}  // namespace pendra::mif
