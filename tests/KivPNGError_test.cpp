// The PNG codec's error table: each code's text, word for word as the codec has always raised
// it, and whether the code tells of data that ended early, and where.
#include "png/KivPNGError.h"

#include <gtest/gtest.h>

#include <string>

TEST(EKivPNG, EachCodeCarriesItsTextAndWhereTheDataEnded) {
    struct Case {
        TPngError code;
        const char* detail;
        const char* text;
        bool cut;
        const char* chunk;
    };
    const Case cases[] = {
        {TPngError::NotPng, "", "PNG LoadStream: Not PNG Format", false, ""},
        {TPngError::SecondHeader, "", "Read Header(PNG): appear two IHDR", false, ""},
        {TPngError::HeaderTooShort, "", "Read Header(PNG): Header too short", false, ""},
        {TPngError::HeaderTruncated, "", "Read Header(PNG): Header truncated", false, ""},
        {TPngError::BadColorType, "", "Read Header(PNG): Error ColorType", false, ""},
        {TPngError::BadGreyDepth, "", "Read Header(PNG): Error Bitdepth", false, ""},
        {TPngError::BadDepth, "", "Read Header(PNG): Error BitDepth", false, ""},
        {TPngError::AlphaBelow8Bits, "", "Read Header(PNG): not Use AlphaChannel", false, ""},
        {TPngError::BadCompression, "", "Read Header(PNG): not support Compression", false, ""},
        {TPngError::BadFilterMethod, "", "Read Header(PNG): not supprt Filter", false, ""},
        {TPngError::BadInterlace, "", "Read Header(PNG): not interlace type", false, ""},
        {TPngError::ImageTooLarge, "", "Read Header(PNG): Image too large", false, ""},
        {TPngError::DataBeforeHeader, "", "Read Image (PNG): IDAT before IHDR", false, ""},
        {TPngError::InflateStart, "", "PNG LoadStream: Error ZLIB", false, ""},
        {TPngError::BadImageData, "", "Read Image (PNG): Read Error", false, ""},
        {TPngError::ImageDataCut, "", "Read Image (PNG): Read Error", true, "IDAT"},
        {TPngError::ChunkCut, "tEXt", "Read Image (PNG): tEXt truncated", true, "tEXt"},
        {TPngError::FileCut, "", "Read Image (PNG): File truncated", true, ""},
        {TPngError::BadIdatSize, "", "Write PNG Param: Err IDAT Size(min:256  max:100000)", false,
         ""},
        {TPngError::CommentNotUtf8, "", "Write PNG Param: Comment is not UTF-8", false, ""},
        {TPngError::EmptyImage, "", "Write Image (PNG): Empty Image", false, ""},
        {TPngError::UnsupportedImage, "16 bits, 4 x 2",
         "Write Image (PNG): Not Supported Image (16 bits, 4 x 2)", false, ""},
        {TPngError::WriteFailed, "", "Write Image (PNG): Write Error", false, ""},
    };
    for (const Case& c : cases) {
        const EKivPNG error(c.code, c.detail);
        EXPECT_EQ(error.Message(), c.text);
        EXPECT_EQ(error.Code(), c.code) << c.text;
        EXPECT_EQ(error.Cut(), c.cut) << c.text;
        EXPECT_EQ(error.CutChunk(), c.chunk) << c.text;
    }
}
