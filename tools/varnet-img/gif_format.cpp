#include "gif_format.h"

#include "formats/Gif.h"
#include "formats/ImageFormat.h"
#include "image/DIB.h"
#include "image/PaletteAlpha.h"
#include "image/SpriteSheet.h"

#include <charconv>
#include <string>

namespace {

// The size of one frame, in the input's pixels.
struct TFrameSize {
    int32_t Width = 0, Height = 0;
};

// A positive whole number at the start of text; the text after it is left in rest.
bool ReadSide(std::string_view& rest, int32_t& side) {
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), side);
    if (error != std::errc() || end == rest.data() || side < 1) return false;
    rest.remove_prefix(size_t(end - rest.data()));
    return true;
}

// --frame WxH, or 0 x 0 when not given.
TFrameSize FrameOption(const TOptions& options) {
    const auto found = options.find("frame");
    if (found == options.end()) return {};
    std::string_view rest = found->second;
    TFrameSize frame;
    const bool read = ReadSide(rest, frame.Width) && !rest.empty() &&
                      (rest[0] == 'x' || rest[0] == 'X') &&
                      (rest.remove_prefix(1), ReadSide(rest, frame.Height)) && rest.empty();
    if (!read)
        throw TUsageError("--frame takes WIDTHxHEIGHT in pixels, such as 16x16, not '" +
                          found->second + "'");
    return frame;
}

// One picture, or with a frame size the cells of the picture (enlarged scale times, the frame
// with it) as the frames of an animation at fps frames a second.
void Save(TFrameSize frame, int32_t scale, int32_t fps, const TDIB& image,
          const TTransparency& transparency, TStream& stream) {
    if (frame.Width == 0) {
        SaveGif(image, transparency, stream);
        return;
    }
    const int64_t width = int64_t(frame.Width) * scale, height = int64_t(frame.Height) * scale;
    if (width > image.Width() || height > image.Height())
        throw TUsageError("--frame " + std::to_string(frame.Width) + "x" +
                          std::to_string(frame.Height) + " is larger than the picture (" +
                          std::to_string(image.Width() / scale) + "x" +
                          std::to_string(image.Height() / scale) + ")");
    const std::vector<TRect> cells = SheetCells(
        image.Width(), image.Height(), {0, 0, int32_t(width), int32_t(height)}, kMostSheetCells);
    SaveGifAnimation(image, transparency, cells, fps, stream);
}

TWriter MakeWriter(const TOptions& options) {
    const TFrameSize frame = FrameOption(options);
    if (frame.Width == 0 && options.count("fps"))
        throw TUsageError("--fps needs --frame, which makes the picture an animation");
    const int32_t fps = NumberOption(options, "fps", 8, 1, 50);
    const int32_t scale = ScaleOption(options);
    return [=](const TDIB& image, const TTransparency& transparency, TStream& stream) {
        Save(frame, scale, fps, image, transparency, stream);
    };
}

TInfoLines Describe(TStream& stream) {
    TPicture picture;
    LoadGif(picture, stream);
    const int32_t transparent = FullyTransparentEntry(picture.Transparency.PaletteAlpha);
    return {{"frames", std::to_string(picture.Frames)},
            {"transparent", transparent < 0 ? "none" : std::to_string(transparent)}};
}

} // namespace

TFormatOptions GifFormatOptions() {
    return {"gif", {"frame", "fps"}, {}, MakeWriter, Describe};
}
