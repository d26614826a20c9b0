#include "png_format.h"

#include "image/DIB.h"
#include "png/KivPNG.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

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

int32_t Number(const TOptions& options, const std::string& option, int32_t fallback) {
    const auto found = options.find(option);
    if (found == options.end()) return fallback;
    const std::string& text = found->second;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw TUsageError("--" + option + " takes a number, not '" + text + "'");
    return value;
}

// Reads the file's picture and side information; a file without image data is an error, not an
// empty picture.
void LoadPng(TKivPNG& png, TStream& stream) {
    png.LoadFromStream(stream);
    if (png.Empty()) throw std::runtime_error("the PNG file holds no image data");
}

void Load(TDIB& image, TStream& stream) {
    TKivPNG png;
    LoadPng(png, stream);
    png.AssignTo(image);
}

void Save(const TDIB& image, TStream& stream, const TOptions& options) {
    TKivPNG png;
    png.Assign(&image);
    // The names in the order of the codec's codes.
    png.FilterType = Choice(
        options, "filter", {"adaptive", "none", "sub", "up", "average", "paeth"}, FilterChoiceNone);
    png.CompressionLevel =
        Choice(options, "level", {"none", "default", "fastest", "best"}, CompressionDefault);
    png.Interlace = options.count("interlace") ? 1 : 0;
    png.Grayscale = options.count("grey") != 0;
    png.IDATSize = Number(options, "idat-size", png.IDATSize);
    if (const auto comment = options.find("comment"); comment != options.end())
        png.Comment = comment->second;
    png.SaveToStream(stream);
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
    LoadPng(png, stream);
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

TImageFormat PngImageFormat() {
    return {".png",  Load, Save, {"filter", "level", "idat-size", "comment"}, {"interlace", "grey"},
            Describe};
}
