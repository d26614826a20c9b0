#include "png_format.h"

#include "formats/ImageFormat.h"
#include "image/DIB.h"
#include "png/KivPNG.h"

#include <cstdio>
#include <string>

namespace {

// Index of value in names, or a usage error naming the choices.
uint8_t Choice(const TOptions& options, const std::string& option,
               const std::vector<std::string>& names, uint8_t fallback) {
    const auto found = options.find(option);
    if (found == options.end()) return fallback;
    std::string known;
    for (size_t i = 0; i < names.size(); ++i) {
        if (found->second == names[i]) return uint8_t(i);
        known += (i == 0 ? "" : "|") + names[i];
    }
    throw TUsageError("--" + option + " takes " + known + ", not '" + found->second + "'");
}

// No --filter given: the filter follows the picture.
constexpr uint8_t kFilterByPicture = 0xFF;

// As libpng chooses: no filter for palette pictures and samples under 8 bits, where filters
// seldom pay, adaptive filtering for the rest.
uint8_t FilterFor(const TDIB& image, bool grey) {
    const bool palette = image.BitCount() <= 8 && !grey;
    return palette || image.BitCount() < 8 ? FilterChoiceNone : FilterChoiceAdaptive;
}

// The writer options of TKivPNG that the command line sets.
struct TPngSettings {
    uint8_t FilterType = kFilterByPicture;
    uint8_t CompressionLevel = CompressionDefault;
    uint8_t Interlace = 0;
    bool Grayscale = false;
    int32_t IDATSize = TKivPNGWriteStream::DefaultIDATSize;
    std::string Comment;
};

void Save(const TPngSettings& settings, const TDIB& image, const TTransparency& transparency,
          TStream& stream) {
    if (settings.Grayscale && image.BitCount() > 8)
        throw TUsageError("--grey needs a picture of 1, 4 or 8 bits per pixel, not " +
                          std::to_string(image.BitCount()));
    TKivPNG png;
    png.Assign(&image);
    png.FilterType = settings.FilterType == kFilterByPicture ? FilterFor(image, settings.Grayscale)
                                                             : settings.FilterType;
    png.CompressionLevel = settings.CompressionLevel;
    png.Interlace = settings.Interlace;
    png.Grayscale = settings.Grayscale;
    png.IDATSize = settings.IDATSize;
    png.Comment = settings.Comment;
    png.PaletteAlpha = transparency.PaletteAlpha;
    png.TransparentColor = transparency.Color;
    png.SaveToStream(stream);
}

TWriter MakeWriter(const TOptions& options) {
    TPngSettings png;
    // The names in the order of the codec's codes.
    png.FilterType = Choice(
        options, "filter", {"adaptive", "none", "sub", "up", "average", "paeth"}, kFilterByPicture);
    png.CompressionLevel =
        Choice(options, "level", {"none", "default", "fastest", "best"}, CompressionDefault);
    png.Interlace = options.count("interlace") ? 1 : 0;
    png.Grayscale = options.count("grey") != 0;
    png.IDATSize = NumberOption(options, "idat-size", png.IDATSize, TKivPNGWriteStream::MinIDATSize,
                                TKivPNGWriteStream::MaxIDATSize);
    if (const auto comment = options.find("comment"); comment != options.end())
        png.Comment = comment->second;
    return [png](const TDIB& image, const TTransparency& transparency, TStream& stream) {
        Save(png, image, transparency, stream);
    };
}

// Colour values as the codec keeps them: 0x00BBGGRR, 0x01000000 + a palette index, or none.
std::string ColorText(int32_t value) {
    if (value == ColorNone) return "none";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", uint32_t(value));
    return text;
}

// Line ends and other control characters shown as escapes, so the comment stays on one line.
std::string OneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (uint8_t(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", uint8_t(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

TInfoLines Describe(TStream& stream) {
    TKivPNG png;
    png.LoadFromStream(stream);
    char gamma[32];
    std::snprintf(gamma, sizeof gamma, "%g", png.Gamma);
    return {{"colour_bits", std::to_string(png.BitDepth)},
            {"alpha", png.HasAlpha ? "yes" : "no"},
            {"grey", png.Grayscale ? "yes" : "no"},
            {"interlace", std::to_string(png.Interlace)},
            {"gamma", gamma},
            {"transparent", ColorText(png.TransparentColor)},
            {"background", ColorText(png.BackgroundColor)},
            {"comment", OneLine(png.Comment)}};
}

} // namespace

TFormatOptions PngFormatOptions() {
    return {"png",
            {"filter", "level", "idat-size", "comment"},
            {"interlace", "grey"},
            MakeWriter,
            Describe};
}
