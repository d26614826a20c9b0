#include "app/imagefile.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/Quantize.h"
#include "png/KivPNG.h"

#include <algorithm>
#include <cctype>

std::string FileExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot);
}

TImageFormat FormatOfPath(const std::string& path) {
    std::string ext = FileExtension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".bmp") return TImageFormat::Bmp;
    if (ext == ".png") return TImageFormat::Png;
    return TImageFormat::Unknown;
}

namespace {
// The picture as the codec decoded it, at the file's own bit count.
TDIB ReadAsIs(const std::string& path, TImageFormat format) {
    TDIB image;
    if (format == TImageFormat::Bmp) {
        TFileStream stream(path, TFileStream::fmOpenRead);
        image.LoadFromBmp(stream);
    } else {
        TKivPNG png;
        png.LoadFromFile(path);
        // Shares the decoded pixels and palette; the object goes, the picture stays.
        image.AssignFrom(&png.InternalImage());
    }
    return image;
}
} // namespace

TReadImage ReadDocumentImage(const std::string& path, TImageFormat format) {
    const TDIB decoded = ReadAsIs(path, format);
    if (decoded.IsEmpty()) throw EInvalidGraphic("画像データがありません");
    TReadImage result;
    result.Image = std::make_unique<TDIB>(ToEightBit(decoded, result.Reduced));
    result.Image->DetachToMemory();
    return result;
}

void WriteDocumentImage(const std::string& path, TImageFormat format, const TDIB& image) {
    if (format == TImageFormat::Bmp) {
        WriteFileAtomically(path, [&](TStream& stream) { image.SaveAsBmp(stream); });
    } else {
        TKivPNG png;
        png.Assign(&image);
        png.SaveToFile(path);
    }
}
