#include "image/ReadMessage.h"

#include "png/KivPNGCommon.h"

#include <new>

namespace {

// A reader's text, or the part of it that tells the case, and what is said of the file. The
// first row whose text occurs in the message is taken, so a specific row stands before a
// general one.
struct TReadFailure {
    const char* Text;
    const char* Sentence; // follows the file name
};

constexpr TReadFailure kFailures[] = {
    // The PNG reader.
    {"PNG LoadStream: Not PNG Format", " は PNG ファイルではありません"},
    {"Read Header(PNG): Header truncated", " は PNG ヘッダーの途中で切れています"},
    {"Read Header(PNG): Error ColorType", " の PNG ヘッダーにある色の種類が正しくありません"},
    {"Read Header(PNG): Error Bit", " の PNG ヘッダーにあるビット深度が正しくありません"},
    {"Read Header(PNG): not Use AlphaChannel",
     " の PNG ヘッダーにあるビット深度が正しくありません"},
    {"Read Header(PNG): not support Compression", " は対応していない圧縮方式の PNG です"},
    {"Read Header(PNG): not supprt Filter", " は対応していないフィルター方式の PNG です"},
    {"Read Header(PNG): not interlace type", " は対応していないインターレース方式の PNG です"},
    {"Read Header(PNG): Image too large", " の画像は大きすぎて読み込めません"},
    {"Read Header(PNG):", " の PNG ヘッダーが壊れています"},
    {"Read Image (PNG): IDAT before IHDR", " の PNG はチャンクの順序が正しくありません"},
    {"PNG LoadStream: Error ZLIB", " の画像データを展開できません"},
    {"Read Image (PNG): Read Error", " の画像データが壊れているか、足りません"},
    // The BMP reader and the shared image readers.
    {"画像データがありません", " には画像がありません"},
    {"不正な DIB です", " は正しい BMP ファイルではありません"},
    {"不正なビット数です", " は正しい BMP ファイルではありません"},
    {"BMP は対応していません", " は対応していない種類の BMP です"},
    {"不正なピクセルフォーマットです", " は対応していないピクセル形式の BMP です"},
    // Any reader.
    {"ストリームからの読み込みエラー", " は途中で切れています"},
    {"メモリが足りません", " の画像は大きすぎて読み込めません"},
};

// What is said of a PNG file whose data ended inside the chunk called chunk ("" when it ended
// between chunks).
std::string CutSentence(const std::string& chunk) {
    if (chunk == "IDAT") return " は画像データの途中で切れています";
    if (chunk.empty()) return " は画像データの前で切れています";
    return " は " + chunk + " チャンクの途中で切れています";
}

std::string MessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->Message();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return EOutOfMemory().Message();
    return error.what();
}

std::string SentenceFor(const std::exception& error, const std::string& message) {
    if (const auto* png = dynamic_cast<const EKivPNG*>(&error); png && png->Cut())
        return CutSentence(png->CutChunk());
    for (const TReadFailure& failure : kFailures)
        if (message.find(failure.Text) != std::string::npos) return failure.Sentence;
    return " を読み込めません";
}

// Whether message names file as the messages that name one do: with a space after it, and at
// the start or after a space ("ファイル notes.png がありません").
bool NamesFile(const std::string& message, const std::string& file) {
    return message.starts_with(file + " ") || message.find(" " + file + " ") != std::string::npos;
}

} // namespace

std::string ReadFailureMessage(const std::string& file, const std::exception& error) {
    const std::string message = MessageOf(error);
    if (NamesFile(message, file)) return message;
    return file + SentenceFor(error, message) + "（" + message + "）";
}
