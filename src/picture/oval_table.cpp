#include "picture/picture_internal.h"

namespace pendra::picture {

// Opposite parts together draw the whole oval.
const OvalPart kOvalParts[kOvalPartCount] = {
    {0, 360},    // none
    {90, 180},   // b
    {270, 180},  // t
    {0, 360},    // bt
    {0, 180},    // r
    {90, 90},    // br
    {0, 90},     // tr
    {0, 180},    // btr
    {180, 180},  // l
    {180, 90},   // bl
    {270, 90},   // tl
    {180, 180},  // btl
    {0, 360},    // rl
    {90, 180},   // brl
    {270, 180},  // trl
    {0, 360},    // btrl
};

}  // namespace pendra::picture
