// The PNG codec's errors: one code for each way a read or a write fails, and one table that gives
// each code its text and what a user is told of a file the reader stopped on. The texts are the
// codec's own words, kept exactly: messages show them, and other programs may look for them.
#pragma once

#include "image/ReadMessage.h"

#include <cstdint>
#include <string>

enum class TPngError : uint8_t {
    // The reader.
    NotPng,
    SecondHeader,
    HeaderTooShort,
    HeaderTruncated,
    BadColorType,
    BadGreyDepth,
    BadDepth, // of a colour or palette picture
    AlphaBelow8Bits,
    BadCompression,
    BadFilterMethod,
    BadInterlace,
    ImageTooLarge,
    DataBeforeHeader,
    InflateStart,
    BadImageData, // corrupt, or too short for the rows
    // The data ended before the picture did: inside the image data, inside a chunk (the detail
    // is its type), or between chunks (or inside one without a readable type).
    ImageDataCut,
    ChunkCut,
    FileCut,
    // The writer.
    BadIdatSize,
    CommentNotUtf8,
    EmptyImage,
    UnsupportedImage, // the detail says which: "16 bits, 4 x 4"
    WriteFailed,
};

// The text of code, with detail where the text names a chunk or an image.
std::string PngErrorText(TPngError code, const std::string& detail = {});
// What a message says of a file the reader stopped on with code, following the file's name
// (" は PNG ファイルではありません"); empty for the codes that no read raises.
std::string PngErrorSentence(TPngError code, const std::string& detail = {});

class EKivPNG : public ECodecError {
public:
    explicit EKivPNG(TPngError code, const std::string& detail = {})
        : ECodecError(PngErrorText(code, detail)), code_(code), detail_(detail) {}

    TPngError Code() const { return code_; }
    // Whether the data ended before the picture did, and inside which chunk ("PLTE", "IDAT"; empty
    // between chunks).
    bool Cut() const;
    std::string CutChunk() const;
    std::string FileSentence() const override { return PngErrorSentence(code_, detail_); }

private:
    TPngError code_;
    std::string detail_;
};
