// What users are told when a file cannot be read: one sentence naming the file per kind of
// failure, with the reader's own text kept inside.
#include "base/Exceptions.h"
#include "image/ReadMessage.h"
#include "png/KivPNGCommon.h"

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
        {"not a PNG", Make<EKivPNG>("PNG LoadStream: Not PNG Format"),
         "notes.png は PNG ファイルではありません（PNG LoadStream: Not PNG Format）"},
        {"bad colour type", Make<EKivPNG>("Read Header(PNG): Error ColorType"),
         "notes.png の PNG ヘッダーにある色の種類が正しくありません（Read Header(PNG): Error "
         "ColorType）"},
        {"bad bit depth", Make<EKivPNG>("Read Header(PNG): Error Bitdepth"),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): Error "
         "Bitdepth）"},
        {"two headers", Make<EKivPNG>("Read Header(PNG): appear two IHDR"),
         "notes.png の PNG ヘッダーが壊れています（Read Header(PNG): appear two IHDR）"},
        {"header cut", Make<EKivPNG>("Read Header(PNG): Header truncated"),
         "notes.png は PNG ヘッダーの途中で切れています（Read Header(PNG): Header truncated）"},
        {"unsupported interlace", Make<EKivPNG>("Read Header(PNG): not interlace type"),
         "notes.png は対応していないインターレース方式の PNG です（Read Header(PNG): not "
         "interlace type）"},
        {"header too short", Make<EKivPNG>("Read Header(PNG): Header too short"),
         "notes.png の PNG ヘッダーが壊れています（Read Header(PNG): Header too short）"},
        {"bad colour bit depth", Make<EKivPNG>("Read Header(PNG): Error BitDepth"),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): Error "
         "BitDepth）"},
        {"alpha below 8 bits", Make<EKivPNG>("Read Header(PNG): not Use AlphaChannel"),
         "notes.png の PNG ヘッダーにあるビット深度が正しくありません（Read Header(PNG): not Use "
         "AlphaChannel）"},
        {"unsupported compression", Make<EKivPNG>("Read Header(PNG): not support Compression"),
         "notes.png は対応していない圧縮方式の PNG です（Read Header(PNG): not support "
         "Compression）"},
        {"unsupported filter method", Make<EKivPNG>("Read Header(PNG): not supprt Filter"),
         "notes.png は対応していないフィルター方式の PNG です（Read Header(PNG): not supprt "
         "Filter）"},
        {"image too large", Make<EKivPNG>("Read Header(PNG): Image too large"),
         "notes.png の画像は大きすぎて読み込めません（Read Header(PNG): Image too large）"},
        {"image data first", Make<EKivPNG>("Read Image (PNG): IDAT before IHDR"),
         "notes.png の PNG はチャンクの順序が正しくありません（Read Image (PNG): IDAT before "
         "IHDR）"},
        {"inflate refused", Make<EKivPNG>("PNG LoadStream: Error ZLIB"),
         "notes.png の画像データを展開できません（PNG LoadStream: Error ZLIB）"},
        {"a writer's error", Make<EKivPNG>("Write Image (PNG): Write Error"),
         "notes.png を読み込めません（Write Image (PNG): Write Error）"},
        {"cut in PLTE", Make<EKivPNG>("Read Image (PNG): PLTE truncated", "PLTE"),
         "notes.png は PLTE チャンクの途中で切れています（Read Image (PNG): PLTE truncated）"},
        {"cut between chunks", Make<EKivPNG>("Read Image (PNG): File truncated", ""),
         "notes.png は画像データの前で切れています（Read Image (PNG): File truncated）"},
        {"cut in IDAT", Make<EKivPNG>("Read Image (PNG): Read Error", "IDAT"),
         "notes.png は画像データの途中で切れています（Read Image (PNG): Read Error）"},
        {"corrupt image data", Make<EKivPNG>("Read Image (PNG): Read Error"),
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
    EXPECT_EQ(ReadFailureMessage("G", EKivPNG("PNG LoadStream: Not PNG Format")),
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
