#include "formats/ImageFormat.h"

#include "base/Exceptions.h"
#include "base/FileName.h"
#include "base/Stream.h"
#include "formats/Gif.h"
#include "png/KivPNG.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr size_t kMacBinarySize = TKivCustomReadStream::MacBinaryHeaderSize;
// Enough of a file to see a PNG signature behind a MacBinary header.
constexpr size_t kHeadSize = kMacBinarySize + PngSignature.size();
// Input that cannot seek is held in memory; no file the readers accept comes near this.
constexpr int64_t kMaxBufferedInput = int64_t(1) << 32;

bool IsPng(const uint8_t* head, size_t size) {
    const auto signatureAt = [&](size_t offset) {
        return size >= offset + PngSignature.size() &&
               std::memcmp(head + offset, PngSignature.data(), PngSignature.size()) == 0;
    };
    // The reader skips a MacBinary header in front of the file: 0 at offsets 0 and 74.
    return signatureAt(0) ||
           (size > 74 && head[0] == 0 && head[74] == 0 && signatureAt(kMacBinarySize));
}

bool IsBmp(const uint8_t* head, size_t size) {
    return size >= 2 && head[0] == 'B' && head[1] == 'M';
}

void LoadPng(TPicture& picture, TStream& stream) {
    TKivPNG png;
    png.LoadFromStream(stream);
    // Shares the decoded pixels and palette; the object goes, the picture stays.
    png.AssignTo(picture.Image);
    picture.Transparency.PaletteAlpha = png.PaletteAlpha;
    if (picture.Image.BitCount() == 24 && (uint32_t(png.TransparentColor) >> 24) == 0)
        picture.Transparency.Color = png.TransparentColor;
    picture.AlphaChannel = png.HasAlpha;
    picture.WideSamples = png.BitDepth == 16 || png.BitDepth == 48; // grey or RGB samples
}

void SavePng(const TDIB& image, const TTransparency& transparency, TStream& stream) {
    TKivPNG png;
    png.Assign(&image);
    png.PaletteAlpha = transparency.PaletteAlpha;
    png.TransparentColor = transparency.Color;
    png.SaveToStream(stream);
}

void LoadBmp(TPicture& picture, TStream& stream) {
    picture.Image.LoadFromBmp(stream);
}

void SaveBmp(const TDIB& image, const TTransparency&, TStream& stream) {
    image.SaveAsBmp(stream);
}

const TImageFormat* FormatWithSignature(const std::vector<uint8_t>& head) {
    for (const TImageFormat& format : ImageFormats())
        if (format.HasSignature(head.data(), head.size())) return &format;
    return nullptr;
}

// The rest of file after the bytes already read, appended to memory.
void ReadToEnd(TFileStream& file, TMemoryStream& memory) {
    std::vector<uint8_t> piece(1 << 16);
    for (int64_t n; (n = file.Read(piece.data(), int64_t(piece.size()))) > 0;) {
        if (memory.Size() + n > kMaxBufferedInput) throw EOutOfMemory();
        memory.WriteBuffer(piece.data(), n);
    }
    if (file.LastError() != 0) throw EReadError();
}

} // namespace

const std::vector<TImageFormat>& ImageFormats() {
    static const std::vector<TImageFormat> formats = {
        {"png", ".png", IsPng, LoadPng, {SavePng}},
        {"bmp", ".bmp", IsBmp, LoadBmp, {SaveBmp}},
        {"gif", ".gif", IsGif, LoadGif, {SaveGif}},
    };
    return formats;
}

const TImageFormat* FormatForExtension(const std::string& path) {
    std::string ext = FileExtension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const TImageFormat& format : ImageFormats())
        if (ext == format.Extension) return &format;
    return nullptr;
}

const TImageFormat* FormatNamed(const std::string& name) {
    for (const TImageFormat& format : ImageFormats())
        if (name == format.Name) return &format;
    return nullptr;
}

TImageInput OpenImage(std::unique_ptr<TFileStream> file, const std::string& path) {
    const bool seekable = file->IsRegular();
    const int64_t start = seekable ? file->Position() : 0;
    std::vector<uint8_t> head(kHeadSize);
    head.resize(size_t(file->Read(head.data(), int64_t(head.size()))));
    if (head.empty()) throw EInvalidGraphic("画像データがありません");
    const TImageFormat* bySignature = FormatWithSignature(head);
    const TImageFormat* format = bySignature != nullptr ? bySignature : FormatForExtension(path);
    if (format == nullptr) throw EInvalidGraphic("ファイル " + path + " は対応していない形式です");
    if (seekable) {
        file->SetPosition(start);
        return {std::move(file), format, start};
    }
    auto memory = std::make_unique<TMemoryStream>();
    memory->WriteBuffer(head.data(), int64_t(head.size()));
    if (bySignature != nullptr) ReadToEnd(*file, *memory);
    memory->SetPosition(0);
    return {std::move(memory), format, 0};
}

TImageInput OpenImage(const std::string& path) {
    return OpenImage(std::make_unique<TFileStream>(path, TFileStream::fmOpenRead), path);
}

TPicture ReadPicture(const TImageInput& input) {
    TPicture picture;
    input.Format->Load(picture, *input.Stream);
    RequirePicture(picture.Image);
    return picture;
}

TPicture ReadPictureFile(const std::string& path) {
    return ReadPicture(OpenImage(path));
}

TDIB ReadImage(const TImageInput& input) {
    return ReadPicture(input).Image;
}

TDIB ReadImageFile(const std::string& path) {
    return ReadImage(OpenImage(path));
}

void RequirePicture(const TDIB& image) {
    if (image.IsEmpty() || image.Width() <= 0 || image.Height() <= 0)
        throw EInvalidGraphic("画像データがありません");
}

void WriteImageFile(const std::string& path, const TDIB& image,
                    const std::function<void(TStream&)>& save) {
    RequirePicture(image);
    WriteFileAtomically(path, save);
}

void WriteImageFile(const std::string& path, const TImageFormat& format, const TDIB& image,
                    const TTransparency& transparency) {
    WriteImageFile(path, image, [&](TStream& stream) { format.Save(image, transparency, stream); });
}
