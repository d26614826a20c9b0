#include "image/ReadMessage.h"

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

std::string MessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->Message();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return EOutOfMemory().Message();
    return error.what();
}

std::string SentenceFor(const std::exception& error, const std::string& message) {
    if (const auto* codec = dynamic_cast<const ECodecError*>(&error)) {
        std::string sentence = codec->FileSentence();
        if (!sentence.empty()) return sentence;
    }
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
