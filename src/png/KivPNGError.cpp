#include "png/KivPNGError.h"

#include <iterator>

namespace {

struct TPngErrorRow {
    TPngError Code;
    const char* Text;     // "%s" stands for the detail
    const char* Sentence; // "%s" stands for the detail; null: no read raises the code
};

constexpr TPngErrorRow kErrors[] = {
    {TPngError::NotPng, "PNG LoadStream: Not PNG Format", " は PNG ファイルではありません"},
    {TPngError::SecondHeader, "Read Header(PNG): appear two IHDR",
     " の PNG ヘッダーが壊れています"},
    {TPngError::HeaderTooShort, "Read Header(PNG): Header too short",
     " の PNG ヘッダーが壊れています"},
    {TPngError::HeaderTruncated, "Read Header(PNG): Header truncated",
     " は PNG ヘッダーの途中で切れています"},
    {TPngError::BadColorType, "Read Header(PNG): Error ColorType",
     " の PNG ヘッダーにある色の種類が正しくありません"},
    {TPngError::BadGreyDepth, "Read Header(PNG): Error Bitdepth",
     " の PNG ヘッダーにあるビット深度が正しくありません"},
    {TPngError::BadDepth, "Read Header(PNG): Error BitDepth",
     " の PNG ヘッダーにあるビット深度が正しくありません"},
    {TPngError::AlphaBelow8Bits, "Read Header(PNG): not Use AlphaChannel",
     " の PNG ヘッダーにあるビット深度が正しくありません"},
    {TPngError::BadCompression, "Read Header(PNG): not support Compression",
     " は対応していない圧縮方式の PNG です"},
    {TPngError::BadFilterMethod, "Read Header(PNG): not supprt Filter",
     " は対応していないフィルター方式の PNG です"},
    {TPngError::BadInterlace, "Read Header(PNG): not interlace type",
     " は対応していないインターレース方式の PNG です"},
    {TPngError::ImageTooLarge, "Read Header(PNG): Image too large",
     " の画像は大きすぎて読み込めません"},
    {TPngError::DataBeforeHeader, "Read Image (PNG): IDAT before IHDR",
     " の PNG はチャンクの順序が正しくありません"},
    {TPngError::InflateStart, "PNG LoadStream: Error ZLIB", " の画像データを展開できません"},
    {TPngError::BadImageData, "Read Image (PNG): Read Error",
     " の画像データが壊れているか、足りません"},
    {TPngError::ImageDataCut, "Read Image (PNG): Read Error", " は画像データの途中で切れています"},
    {TPngError::ChunkCut, "Read Image (PNG): %s truncated", " は %s チャンクの途中で切れています"},
    {TPngError::FileCut, "Read Image (PNG): File truncated", " は画像データの前で切れています"},
    {TPngError::BadIdatSize, "Write PNG Param: Err IDAT Size(min:256  max:100000)", nullptr},
    {TPngError::CommentNotUtf8, "Write PNG Param: Comment is not UTF-8", nullptr},
    {TPngError::EmptyImage, "Write Image (PNG): Empty Image", nullptr},
    {TPngError::UnsupportedImage, "Write Image (PNG): Not Supported Image (%s)", nullptr},
    {TPngError::WriteFailed, "Write Image (PNG): Write Error", nullptr},
};

// Every code has its row, at the code's place.
constexpr bool RowsInCodeOrder() {
    for (size_t i = 0; i < std::size(kErrors); ++i)
        if (size_t(kErrors[i].Code) != i) return false;
    return std::size(kErrors) == size_t(TPngError::WriteFailed) + 1;
}
static_assert(RowsInCodeOrder());

std::string Filled(const char* text, const std::string& detail) {
    std::string filled = text;
    if (const size_t at = filled.find("%s"); at != std::string::npos) filled.replace(at, 2, detail);
    return filled;
}

} // namespace

std::string PngErrorText(TPngError code, const std::string& detail) {
    return Filled(kErrors[size_t(code)].Text, detail);
}

std::string PngErrorSentence(TPngError code, const std::string& detail) {
    // Image data cut short is called so, whichever way the reader found the end.
    if (code == TPngError::ChunkCut && detail == "IDAT") code = TPngError::ImageDataCut;
    const char* sentence = kErrors[size_t(code)].Sentence;
    return sentence != nullptr ? Filled(sentence, detail) : std::string();
}

bool EKivPNG::Cut() const {
    return code_ == TPngError::ImageDataCut || code_ == TPngError::ChunkCut ||
           code_ == TPngError::FileCut;
}

std::string EKivPNG::CutChunk() const {
    if (code_ == TPngError::ImageDataCut) return "IDAT";
    return code_ == TPngError::ChunkCut ? detail_ : std::string();
}
