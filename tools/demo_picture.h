// The demo's test picture: colour bars, a luma ramp, fine vertical and horizontal detail and
// an upward-pointing marker, so that mistakes of field order and orientation show at a glance.
#pragma once

#include "picture_layouts.h"

// The picture as top-down UYVY, the codec's own samples; every other layout is made from it.
Bytes MakeTestPicture(int width, int height);
