#include "formats.h"
#include "png_format.h"

#include "formats/Gif.h"
#include "formats/ImageFormat.h"
#include "image/DIB.h"

#include <string_view>

namespace {

TWriter BmpWriter(const TOptions&) {
    return
        [](const TDIB& image, const TTransparency&, TStream& stream) { image.SaveAsBmp(stream); };
}

TWriter GifWriter(const TOptions&) {
    return SaveGif;
}

} // namespace

const std::vector<TFormatOptions>& AllFormatOptions() {
    static const std::vector<TFormatOptions> formats = {
        {"bmp", {}, {}, BmpWriter},
        PngFormatOptions(),
        {"gif", {}, {}, GifWriter},
    };
    return formats;
}

const TFormatOptions& OptionsOf(const TImageFormat& format) {
    for (const TFormatOptions& options : AllFormatOptions())
        if (std::string_view(options.Name) == format.Name) return options;
    throw std::logic_error(std::string("no converter options for ") + format.Name);
}
