#include "image/PaletteFile.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/FileName.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "image/ReadMessage.h"
#include "png/KivPNGReader.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace {

// A MacBinary header and a PNG signature: enough to see every signature the readers know.
constexpr int64_t kHeadSize = 136;
// No palette file comes near this; larger files are refused before they are read into memory.
constexpr int64_t kMaxPaletteFileSize = int64_t(1) << 20;
// An Adobe colour table: 256 RGB triples, optionally followed by a big-endian count of the
// colours used and the index of the transparent one.
constexpr size_t kActTableSize = 768, kActFullSize = 772;

using TReader = TPaletteColors (*)(TStream& stream, const std::string& name, TPaletteNames* names);

std::string Lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The rest of the stream, refused when it is too large to be a palette.
std::string Contents(TStream& stream, const std::string& name) {
    const int64_t size = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    if (size > kMaxPaletteFileSize)
        throw EInvalidGraphic("パレットファイル " + name + " は大きすぎます (" +
                              std::to_string(size) + " バイト)");
    std::string bytes(size_t(size), '\0');
    stream.ReadBuffer(bytes.data(), size);
    return bytes;
}

TPaletteColors ReadGpl(TStream& stream, const std::string& name, TPaletteNames* names) {
    TPaletteNames unused;
    return ParseGpl(Contents(stream, name), name, names != nullptr ? *names : unused);
}

TPaletteColors ReadJascPal(TStream& stream, const std::string& name, TPaletteNames*) {
    return ParseJascPal(Contents(stream, name), name);
}

TPaletteColors ReadAct(TStream& stream, const std::string& name, TPaletteNames*) {
    const std::string bytes = Contents(stream, name);
    if (bytes.size() != kActTableSize && bytes.size() != kActFullSize)
        throw EInvalidGraphic("パレットファイル " + name + " は " + std::to_string(bytes.size()) +
                              " バイトです (.act は 768 か 772 バイト)");
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t count = 256;
    if (bytes.size() == kActFullSize) {
        count = LoadBE16(data + kActTableSize);
        if (count < 1 || count > 256)
            throw EInvalidGraphic("パレットファイル " + name + " のオフセット 768: 色数 " +
                                  std::to_string(count) + " が 1 から 256 の範囲にありません");
    }
    TPaletteColors colors(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* rgb = data + 3 * i;
        colors[i] = TPaletteEntry{rgb[2], rgb[1], rgb[0], 0};
    }
    return colors;
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
    if (LooksLikeGpl(text)) return ReadGpl;
    if (LooksLikeJascPal(text)) return ReadJascPal;
    if (FormatNamed("png")->HasSignature(head.data(), head.size())) return ReadPng;
    const std::optional<TPaletteFormat> format = PaletteFormatForExtension(name);
    if (format == TPaletteFormat::Act) return ReadAct;
    if (FormatNamed("bmp")->HasSignature(head.data(), head.size())) return ReadBmp;
    if (format == TPaletteFormat::Gpl) return ReadGpl;
    if (format == TPaletteFormat::JascPal) return ReadJascPal;
    // A picture without its signature, for its reader to refuse in its own words.
    const TImageFormat* image = FormatForExtension(name);
    if (image == FormatNamed("png")) return ReadPng;
    if (image == FormatNamed("bmp")) return ReadBmp;
    return nullptr;
}

} // namespace

std::optional<TPaletteFormat> PaletteFormatForExtension(const std::string& path) {
    const std::string extension = Lowered(FileExtension(path));
    if (extension == ".gpl") return TPaletteFormat::Gpl;
    if (extension == ".pal") return TPaletteFormat::JascPal;
    if (extension == ".act") return TPaletteFormat::Act;
    return std::nullopt;
}

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

void SavePalette(const TPalette& palette, TPaletteFormat format, const std::string& title,
                 TStream& stream, const std::vector<std::string>& entryNames) {
    std::string bytes;
    switch (format) {
    case TPaletteFormat::Gpl:
        bytes = GplText(palette, title, entryNames);
        break;
    case TPaletteFormat::JascPal:
        bytes = JascPalText(palette);
        break;
    case TPaletteFormat::Act:
        for (const TPaletteEntry& e : palette)
            bytes += {char(e.Red), char(e.Green), char(e.Blue)};
        break;
    }
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

void WritePaletteFile(const std::string& path, TPaletteFormat format, const TPalette& palette,
                      const TPaletteNames& names) {
    const std::string file = path.substr(path.rfind('/') + 1);
    const std::string title = !names.Title.empty()
                                  ? names.Title
                                  : file.substr(0, file.size() - FileExtension(file).size());
    WriteFileAtomically(
        path, [&](TStream& stream) { SavePalette(palette, format, title, stream, names.Entries); });
}

TPalette WithColors(TPalette palette, const TPaletteColors& colors) {
    const size_t count = std::min(colors.size(), palette.size());
    for (size_t i = 0; i < count; ++i) {
        palette[i].Red = colors[i].Red;
        palette[i].Green = colors[i].Green;
        palette[i].Blue = colors[i].Blue;
    }
    return palette;
}

TPaletteNames NamesKept(TPaletteNames names, const TPalette& before, const TPalette& after) {
    for (size_t i = 0; i < names.Entries.size() && i < after.size(); ++i) {
        const TPaletteEntry &was = before[i], &is = after[i];
        if (was.Red != is.Red || was.Green != is.Green || was.Blue != is.Blue)
            names.Entries[i].clear();
    }
    return names;
}
