// The converter's GIF writer options (one frame, or the cells of a sheet as an animation) and
// info lines.
#pragma once

#include "formats.h"

TFormatOptions GifFormatOptions();
