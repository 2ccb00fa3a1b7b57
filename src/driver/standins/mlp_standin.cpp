// Stand-in for the MLP translation until the MLP reader is built: an empty document.
#include "driver/stages.h"

namespace pendra::mlp {
bool translateMlp(ChannelT, bool, const char*) {
  return true;
}
}  // namespace pendra::mlp
