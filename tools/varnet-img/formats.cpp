#include "formats.h"
#include "gif_format.h"
#include "png_format.h"

#include "formats/ImageFormat.h"
#include "image/DIB.h"

#include <charconv>
#include <string_view>

namespace {

TWriter BmpWriter(const TOptions&) {
    return
        [](const TDIB& image, const TTransparency&, TStream& stream) { image.SaveAsBmp(stream); };
}

} // namespace

const std::vector<TFormatOptions>& AllFormatOptions() {
    static const std::vector<TFormatOptions> formats = {
        {"bmp", {}, {}, BmpWriter},
        PngFormatOptions(),
        GifFormatOptions(),
    };
    return formats;
}

const TFormatOptions& OptionsOf(const TImageFormat& format) {
    for (const TFormatOptions& options : AllFormatOptions())
        if (std::string_view(options.Name) == format.Name) return options;
    throw std::logic_error(std::string("no converter options for ") + format.Name);
}

const std::vector<std::string> kCommonOptionNames = {"format", "scale"};
const std::vector<std::string> kCommonFlagNames = {"sheet"};

int32_t NumberOption(const TOptions& options, const std::string& option, int32_t fallback,
                     int32_t low, int32_t high) {
    const auto found = options.find(option);
    if (found == options.end()) return fallback;
    const std::string& text = found->second;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw TUsageError("--" + option + " takes a number, not '" + text + "'");
    if (value < low || value > high)
        throw TUsageError("--" + option + " takes " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not " + text);
    return value;
}

int32_t ScaleOption(const TOptions& options) {
    return NumberOption(options, "scale", 1, 1, 16);
}
