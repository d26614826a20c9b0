#include "formats.h"
#include "png_format.h"

#include "image/DIB.h"

#include <algorithm>
#include <cctype>

namespace {

void LoadBmp(TDIB& image, TStream& stream) {
    image.LoadFromBmp(stream);
}
void SaveBmp(const TDIB& image, TStream& stream, const TOptions&) {
    image.SaveAsBmp(stream);
}

const std::vector<TImageFormat>& Formats() {
    static const std::vector<TImageFormat> formats = {
        {".bmp", LoadBmp, SaveBmp, {}, {}},
        PngImageFormat(),
    };
    return formats;
}

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

const TImageFormat& FormatForPath(const std::string& path) {
    const std::string ext = LowerExtension(path);
    std::string known;
    for (const TImageFormat& format : Formats()) {
        if (ext == format.Extension) return format;
        known += known.empty() ? "" : ", ";
        known += format.Extension;
    }
    throw std::runtime_error("unknown image format for " + path + " (known: " + known + ")");
}
