#include "formats/GifError.h"

#include <gif_lib.h>

#include <iterator>

namespace {

struct TGifErrorRow {
    TGifError Code;
    const char* Text;
    const char* Sentence; // follows the file's name; null: no read raises the code
};

constexpr TGifErrorRow kErrors[] = {
    {TGifError::NotGif, "GIF の署名がありません", " は GIF ファイルではありません"},
    {TGifError::Cut, "GIF データが途中で切れています", " は途中で切れています"},
    {TGifError::BadStructure, "GIF のブロックの並びが正しくありません",
     " の GIF データが壊れています"},
    {TGifError::BadImageData, "GIF の画像データを展開できません", " の GIF データが壊れています"},
    {TGifError::EmptyScreen, "GIF の画面の幅か高さが 0 です", " の GIF データが壊れています"},
    {TGifError::FrameOutside, "GIF のフレームが画面の外にはみ出しています",
     " の GIF データが壊れています"},
    {TGifError::TooLarge, "GIF の画像が大きすぎます", " の画像は大きすぎて読み込めません"},
    {TGifError::TooManyColours, "フレームの色が合わせて256色を超えます",
     " はフレームの色が合わせて256色を超えるため、シートとして読み込めません"},
    {TGifError::NotIndexed, "GIF に保存できるのは 1・4・8 ビットのパレット画像だけです", nullptr},
    {TGifError::TooWide, "GIF に保存できる画像の幅と高さは 65535 ピクセルまでです", nullptr},
    {TGifError::WriteFailed, "GIF を書き出せません", nullptr},
};

// Every code has its row, at the code's place.
constexpr bool RowsInCodeOrder() {
    for (size_t i = 0; i < std::size(kErrors); ++i)
        if (size_t(kErrors[i].Code) != i) return false;
    return std::size(kErrors) == size_t(TGifError::WriteFailed) + 1;
}
static_assert(RowsInCodeOrder());

} // namespace

EGifError::EGifError(TGifError code) : ECodecError(kErrors[size_t(code)].Text), code_(code) {}

std::string EGifError::FileSentence() const {
    const char* sentence = kErrors[size_t(code_)].Sentence;
    return sentence != nullptr ? sentence : std::string();
}

void ThrowGifError(int giflibCode) {
    switch (giflibCode) {
    case D_GIF_ERR_NOT_ENOUGH_MEM:
    case E_GIF_ERR_NOT_ENOUGH_MEM:
        throw EOutOfMemory();
    case D_GIF_ERR_NOT_GIF_FILE:
        throw EGifError(TGifError::NotGif);
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON:
    case D_GIF_ERR_NO_SCRN_DSCR: // giflib's word for a file cut before its first block
        throw EGifError(TGifError::Cut);
    case D_GIF_ERR_DATA_TOO_BIG:
    case D_GIF_ERR_IMAGE_DEFECT:
        throw EGifError(TGifError::BadImageData);
    default:
        // The decoder's codes lie above 100, the encoder's below.
        throw EGifError(giflibCode > 100 ? TGifError::BadStructure : TGifError::WriteFailed);
    }
}
