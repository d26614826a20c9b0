#include "formats/PaletteRead.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "image/ReadMessage.h"
#include "png/KivPNGReader.h"

#include <string_view>
#include <vector>

namespace {

// A MacBinary header and a PNG signature: enough to see every signature the readers know.
constexpr int64_t kHeadSize = 136;

using TReader = TPaletteColors (*)(TStream& stream, const std::string& name, TPaletteNames* names);

template <TPaletteFormat Format>
TPaletteColors ReadAs(TStream& stream, const std::string& name, TPaletteNames* names) {
    return ReadPaletteAs(Format, stream, name, names);
}

// The first count entries of a picture's palette; count 0 means the picture has none.
TPaletteColors PictureColors(const TDIB& image, int32_t count, const std::string& name) {
    if (count <= 0 || image.BitCount() > 8)
        throw EInvalidGraphic("ファイル " + name + " の画像はパレットを持っていません");
    TPaletteColors colors(image.PaletteBlock.begin(), image.PaletteBlock.begin() + count);
    for (TPaletteEntry& e : colors)
        e.Reserved = 0;
    return colors;
}

// The PNG reader, telling how many entries the file's PLTE chunk gave.
class TPngPaletteReader : public TKivPNGReadStream {
public:
    int32_t PaletteEntries() const { return paletteCount_; }
};

TPaletteColors ReadPng(TStream& stream, const std::string& name, TPaletteNames*) {
    TPngPaletteReader reader;
    TDIB image;
    reader.LoadFromStream(image, stream, 0);
    RequirePicture(image);
    // A grey picture's colour table is the reader's ramp, not a palette of the file; but the
    // 2, 4 or 16 greys of 1, 2 or 4 bits, which the picture opens with, serve as one.
    const bool fewGreys = reader.Grayscale() && reader.ColorBits() <= 4;
    return PictureColors(image, !reader.Grayscale() || fewGreys ? reader.PaletteEntries() : 0,
                         name);
}

TPaletteColors ReadBmp(TStream& stream, const std::string& name, TPaletteNames*) {
    const int64_t start = stream.Position();
    const int32_t count = ReadBmpColorCount(stream);
    stream.SetPosition(start);
    // The whole file is read, so that a palette comes only from a picture the editor could open.
    TDIB image;
    image.LoadFromBmp(stream);
    return PictureColors(image, count, name);
}

TReader ReaderFor(const std::vector<uint8_t>& head, const std::string& name) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    if (LooksLikeGpl(text)) return ReadAs<TPaletteFormat::Gpl>;
    if (LooksLikeJascPal(text)) return ReadAs<TPaletteFormat::JascPal>;
    if (FormatNamed("png")->HasSignature(head.data(), head.size())) return ReadPng;
    const std::optional<TPaletteFormat> format = PaletteFormatForExtension(name);
    if (format == TPaletteFormat::Act) return ReadAs<TPaletteFormat::Act>;
    if (FormatNamed("bmp")->HasSignature(head.data(), head.size())) return ReadBmp;
    if (format == TPaletteFormat::Gpl) return ReadAs<TPaletteFormat::Gpl>;
    if (format == TPaletteFormat::JascPal) return ReadAs<TPaletteFormat::JascPal>;
    // A picture without its signature, for its reader to refuse in its own words.
    const TImageFormat* image = FormatForExtension(name);
    if (image == FormatNamed("png")) return ReadPng;
    if (image == FormatNamed("bmp")) return ReadBmp;
    return nullptr;
}

} // namespace

TPaletteColors ReadPalette(TStream& stream, const std::string& name, TPaletteNames* names) {
    const int64_t start = stream.Position();
    std::vector<uint8_t> head(kHeadSize);
    head.resize(size_t(stream.Read(head.data(), kHeadSize)));
    stream.SetPosition(start);
    if (head.empty()) throw EInvalidGraphic("パレットファイル " + name + " は空です");
    const TReader read = ReaderFor(head, name);
    if (read == nullptr)
        throw EInvalidGraphic("ファイル " + name + " は対応していないパレット形式です");
    if (names != nullptr) *names = {};
    return read(stream, name, names);
}

TPaletteColors ReadPaletteFile(const std::string& path, TPaletteNames* names) {
    return ReadNamingFile(path, [&] {
        TFileStream file(path, TFileStream::fmOpenRead);
        return ReadPalette(file, path, names);
    });
}
