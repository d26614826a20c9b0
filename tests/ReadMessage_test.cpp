// What users are told when a file cannot be read: one sentence naming the file per kind of
// failure, with the reader's own text kept inside.
#include "base/Exceptions.h"
#include "image/ReadMessage.h"
#include "png/KivPNGError.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct Case {
    const char* name;
    std::shared_ptr<std::exception> error;
    std::string expected;
};

template <typename E, typename... Args> std::shared_ptr<std::exception> Make(Args&&... args) {
    return std::make_shared<E>(std::forward<Args>(args)...);
}

} // namespace

TEST(ReadMessage, EachFailureGetsItsOwnSentenceWithTheReadersTextInside) {
    const Case cases[] = {
        {"not a PNG", Make<EKivPNG>(TPngError::NotPng),
         "notes.png は PNG ファイルではありません（PNG LoadStream: Not PNG Format）"},
        {"bad colour type", Make<EKivPNG>(TPngError::BadColorType),
         "notes.png の PNG ヘッダーにある色の種類が正しくありません（Read Header(PNG): Error "
         "ColorType）"},
        {"bad bit depth", Make<EKivPNG>(TPngError::BadGreyDepth),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): Error "
         "Bitdepth）"},
        {"two headers", Make<EKivPNG>(TPngError::SecondHeader),
         "notes.png の PNG ヘッダーが壊れています（Read Header(PNG): appear two IHDR）"},
        {"header cut", Make<EKivPNG>(TPngError::HeaderTruncated),
         "notes.png は PNG ヘッダーの途中で切れています（Read Header(PNG): Header truncated）"},
        {"unsupported interlace", Make<EKivPNG>(TPngError::BadInterlace),
         "notes.png は対応していないインターレース方式の PNG です（Read Header(PNG): not "
         "interlace type）"},
        {"header too short", Make<EKivPNG>(TPngError::HeaderTooShort),
         "notes.png の PNG ヘッダーが壊れています（Read Header(PNG): Header too short）"},
        {"bad colour bit depth", Make<EKivPNG>(TPngError::BadDepth),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): Error "
         "BitDepth）"},
        {"alpha below 8 bits", Make<EKivPNG>(TPngError::AlphaBelow8Bits),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): not Use "
         "AlphaChannel）"},
        {"unsupported compression", Make<EKivPNG>(TPngError::BadCompression),
         "notes.png は対応していない圧縮方式の PNG です（Read Header(PNG): not support "
         "Compression）"},
        {"unsupported filter method", Make<EKivPNG>(TPngError::BadFilterMethod),
         "notes.png は対応していないフィルター方式の PNG です（Read Header(PNG): not supprt "
         "Filter）"},
        {"image too large", Make<EKivPNG>(TPngError::ImageTooLarge),
         "notes.png の画像は大きすぎて読み込めません（Read Header(PNG): Image too large）"},
        {"image data first", Make<EKivPNG>(TPngError::DataBeforeHeader),
         "notes.png の PNG はチャンクの順序が正しくありません（Read Image (PNG): IDAT before "
         "IHDR）"},
        {"inflate refused", Make<EKivPNG>(TPngError::InflateStart),
         "notes.png の画像データを展開できません（PNG LoadStream: Error ZLIB）"},
        {"a writer's error", Make<EKivPNG>(TPngError::WriteFailed),
         "notes.png を読み込めません（Write Image (PNG): Write Error）"},
        {"cut in PLTE", Make<EKivPNG>(TPngError::ChunkCut, "PLTE"),
         "notes.png は PLTE チャンクの途中で切れています（Read Image (PNG): PLTE truncated）"},
        {"cut in IDAT's chunk frame", Make<EKivPNG>(TPngError::ChunkCut, "IDAT"),
         "notes.png は画像データの途中で切れています（Read Image (PNG): IDAT truncated）"},
        {"cut between chunks", Make<EKivPNG>(TPngError::FileCut),
         "notes.png は画像データの前で切れています（Read Image (PNG): File truncated）"},
        {"cut in IDAT", Make<EKivPNG>(TPngError::ImageDataCut),
         "notes.png は画像データの途中で切れています（Read Image (PNG): Read Error）"},
        {"corrupt image data", Make<EKivPNG>(TPngError::BadImageData),
         "notes.png の画像データが壊れているか、足りません（Read Image (PNG): Read Error）"},
        {"BMP refusal", Make<EInvalidGraphic>("JPEG を格納した BMP は対応していません"),
         "notes.png は対応していない種類の BMP です（JPEG を格納した BMP は対応していません）"},
        {"BMP masks", Make<EInvalidGraphicOperation>("不正なピクセルフォーマットです"),
         "notes.png は対応していないピクセル形式の BMP です（不正なピクセルフォーマットです）"},
        {"bad DIB", Make<EInvalidGraphic>("不正な DIB です"),
         "notes.png は正しい BMP ファイルではありません（不正な DIB です）"},
        {"short read", Make<EReadError>(),
         "notes.png は途中で切れています（ストリームからの読み込みエラー）"},
        {"no picture", Make<EInvalidGraphic>("画像データがありません"),
         "notes.png には画像がありません（画像データがありません）"},
        {"out of memory", Make<std::bad_alloc>(),
         "notes.png の画像は大きすぎて読み込めません（メモリが足りません）"},
        {"anything else", Make<std::runtime_error>("odd"), "notes.png を読み込めません（odd）"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadFailureMessage("notes.png", *c.error), c.expected) << c.name;
}

TEST(ReadMessage, MessagesThatNameTheFileStayAsTheyAre) {
    const std::string path = "/tmp/a b/notes.png";
    for (const Exception& e :
         {Exception(EFOpenError(path, ENOENT)), Exception(EFOpenError(path, EISDIR)),
          Exception("ファイル " + path + " は対応していない形式です")})
        EXPECT_EQ(ReadFailureMessage(path, e), e.Message());
    // A short name that merely occurs inside the reader's text is no naming.
    EXPECT_EQ(ReadFailureMessage("G", EKivPNG(TPngError::NotPng)),
              "G は PNG ファイルではありません（PNG LoadStream: Not PNG Format）");
}

TEST(ReadMessage, ReadNamingFilePassesResultsAndRenamesFailures) {
    EXPECT_EQ(ReadNamingFile("x.bmp", [] { return 7; }), 7);
    try {
        ReadNamingFile("x.bmp", []() -> int { throw EInvalidGraphic("不正な DIB です"); });
        ADD_FAILURE() << "nothing raised";
    } catch (const EUnreadableFile& e) {
        EXPECT_EQ(e.Message(), "x.bmp は正しい BMP ファイルではありません（不正な DIB です）");
    }
}
