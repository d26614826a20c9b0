// The converter's PNG writer options and info lines, over TKivPNG.
#pragma once

#include "formats.h"

TFormatOptions PngFormatOptions();
