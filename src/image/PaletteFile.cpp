#include "image/PaletteFile.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/FileName.h"
#include "base/Stream.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace {

// No palette file comes near this; larger files are refused before they are read into memory.
constexpr int64_t kMaxPaletteFileSize = int64_t(1) << 20;
// An Adobe colour table: 256 RGB triples, optionally followed by a big-endian count of the
// colours used and the index of the transparent one.
constexpr size_t kActTableSize = 768, kActFullSize = 772;

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

TPaletteColors ReadJascPal(TStream& stream, const std::string& name) {
    return ParseJascPal(Contents(stream, name), name);
}

TPaletteColors ReadAct(TStream& stream, const std::string& name) {
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

} // namespace

std::optional<TPaletteFormat> PaletteFormatForExtension(const std::string& path) {
    const std::string extension = Lowered(FileExtension(path));
    if (extension == ".gpl") return TPaletteFormat::Gpl;
    if (extension == ".pal") return TPaletteFormat::JascPal;
    if (extension == ".act") return TPaletteFormat::Act;
    return std::nullopt;
}

TPaletteColors ReadPaletteAs(TPaletteFormat format, TStream& stream, const std::string& name,
                             TPaletteNames* names) {
    if (names != nullptr) *names = {};
    switch (format) {
    case TPaletteFormat::Gpl:
        return ReadGpl(stream, name, names);
    case TPaletteFormat::JascPal:
        return ReadJascPal(stream, name);
    case TPaletteFormat::Act:
        break;
    }
    return ReadAct(stream, name);
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
