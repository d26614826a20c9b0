// Pictures of several frames (an animated GIF's), read as one sheet of all their frames.
#pragma once

#include "formats/ImageFormat.h"

// Whether files of format can hold more than one frame.
bool HoldsFrames(const TImageFormat& format);

// Every frame of input laid out left to right in one row of equal cells (LoadGifSheet), Frames
// their count. Input of a format without frames raises EInvalidGraphic; a file that yields no
// picture raises it as ReadPicture does.
TPicture ReadSheetPicture(const TImageInput& input);
