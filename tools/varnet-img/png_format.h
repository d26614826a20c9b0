// The converter's PNG entry: reading and writing through TKivPNG, with the writer's options.
#pragma once

#include "formats.h"

TImageFormat PngImageFormat();
