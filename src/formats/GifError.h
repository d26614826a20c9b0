// What the GIF codec says when it refuses a file or a picture: one table turns giflib's error
// codes and the codec's own findings into a message and the sentence that follows the file's
// name when a read fails.
#pragma once

#include "image/ReadMessage.h"

#include <string>

enum class TGifError {
    NotGif,         // no GIF signature
    Cut,            // the data ends inside the file's structure
    BadStructure,   // a block where another kind must stand, a broken descriptor
    BadImageData,   // the compressed pixels do not decode to the frame
    EmptyScreen,    // a logical screen of width or height 0
    FrameOutside,   // a frame reaching past the logical screen
    TooLarge,       // more pixels than an image may hold, or than the file could describe
    TooManyColours, // a sheet's frames need more than 256 entries together
    NotIndexed,     // writing: a picture that is not 1, 4 or 8 bits
    TooWide,        // writing: a side beyond GIF's 65535
    WriteFailed,    // writing: giflib could not encode
};

class EGifError : public ECodecError {
public:
    explicit EGifError(TGifError code);

    TGifError Code() const { return code_; }
    std::string FileSentence() const override;

private:
    TGifError code_;
};

// Raises the error for one of giflib's D_GIF_ERR_ and E_GIF_ERR_ codes: EOutOfMemory for its
// allocation failures, else EGifError.
[[noreturn]] void ThrowGifError(int giflibCode);
