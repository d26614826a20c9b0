#include "formats/FrameRead.h"

#include "base/Exceptions.h"
#include "formats/Gif.h"

#include <string>
#include <string_view>

bool HoldsFrames(const TImageFormat& format) {
    return std::string_view(format.Name) == "gif";
}

TPicture ReadSheetPicture(const TImageInput& input) {
    if (!HoldsFrames(*input.Format))
        throw EInvalidGraphic(std::string(input.Format->Name) + " の画像にはフレームがありません");
    TPicture picture;
    LoadGifSheet(picture, *input.Stream);
    RequirePicture(picture.Image);
    return picture;
}
