// GIF files through giflib: one picture, or the cells of a sprite sheet as the frames of an
// animation. Indices, palette and the transparent index are kept exactly.
#pragma once

#include "formats/ImageFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// "GIF87a" or "GIF89a".
bool IsGif(const uint8_t* head, size_t size);

// The first frame as the file's players show it, with picture.Frames the number of frames the
// file holds. Raises EInvalidGraphic with a message of its own for a file giflib cannot read.
void LoadGif(TPicture& picture, TStream& stream);
// Every frame, disposal methods honoured, laid out left to right in one row of logical-screen
// sized cells; picture.Frames is their count.
void LoadGifSheet(TPicture& picture, TStream& stream);

// The whole picture as one frame: an 8-bit image's palette and indices as they are (the colour
// table sized to the bit depth its entries need), the entry that transparency makes fully
// transparent as the GIF's transparent colour.
void SaveGif(const TDIB& image, const TTransparency& transparency, TStream& stream);
// The cells of sheet (SheetCells) as the frames of an animation that loops forever, each shown
// for 1/fps of a second (in whole hundredths).
void SaveGifAnimation(const TDIB& sheet, const TTransparency& transparency,
                      const std::vector<TRect>& cells, int32_t fps, TStream& stream);
