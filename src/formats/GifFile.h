// giflib's decoder and encoder over our streams, and the walk through the frames of a file.
// giflib is C: no exception may cross it. A stream's error is held while giflib returns its
// failure, and raised in its place.
#pragma once

#include "image/DIB.h"

#include <gif_lib.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

class TStream;

class TGifInput {
public:
    // Reads the signature and the screen descriptor; raises the codec's errors.
    explicit TGifInput(TStream& stream);
    ~TGifInput();
    TGifInput(const TGifInput&) = delete;
    TGifInput& operator=(const TGifInput&) = delete;

    GifFileType* File() const { return gif_; }
    // Raises the error behind a result of GIF_ERROR.
    void Check(int result) const;
    // Bytes handed to giflib so far.
    int64_t Delivered() const { return delivered_; }
    bool StreamFailed() const { return failure_ != nullptr; }

private:
    static int Read(GifFileType* gif, GifByteType* buffer, int count);
    [[noreturn]] void Raise(int giflibCode) const;

    TStream& stream_;
    // Read ahead in large pieces: giflib asks for a few bytes at a time.
    std::vector<uint8_t> buffer_;
    size_t at_ = 0, end_ = 0;
    int64_t delivered_ = 0;
    std::exception_ptr failure_;
    GifFileType* gif_ = nullptr;
};

class TGifOutput {
public:
    explicit TGifOutput(TStream& stream);
    ~TGifOutput();
    TGifOutput(const TGifOutput&) = delete;
    TGifOutput& operator=(const TGifOutput&) = delete;

    GifFileType* File() const { return gif_; }
    void Check(int result) const;
    // Writes the trailer and the bytes still held; raises what failed.
    void Close();

private:
    static int Write(GifFileType* gif, const GifByteType* data, int count);
    [[noreturn]] void Raise(int giflibCode) const;
    void Flush();

    TStream& stream_;
    std::vector<uint8_t> buffer_;
    std::exception_ptr failure_;
    GifFileType* gif_ = nullptr;
};

// One image of a file, with what the graphic control extension before it says.
struct TGifFrame {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    bool Interlace = false;
    // Its local table, else the file's global one; null when there is neither (a grey ramp).
    // Valid while the frame is being read.
    const ColorMapObject* Table = nullptr;
    int32_t Transparent = -1; // the transparent index, -1 for none
    int32_t Disposal = DISPOSAL_UNSPECIFIED;
    bool CoversScreen(const GifFileType& gif) const {
        return Left == 0 && Top == 0 && Width == gif.SWidth && Height == gif.SHeight;
    }
};

// Reads the file to its trailer (or to the end of its data where a block would begin), calling
// onFrame for each frame in order; onFrame must take the frame's pixel data with ReadFrameRows or
// SkipFrame. Returns the number of frames. A frame that reaches past the logical screen is
// refused.
int32_t WalkGifFrames(TGifInput& gif, const std::function<void(const TGifFrame&)>& onFrame);
// Decodes the frame's pixels, each row (Width indices) into rowAt(y), y counted from the frame's
// top; interlaced rows are put in their places.
void ReadFrameRows(TGifInput& gif, const TGifFrame& frame,
                   const std::function<uint8_t*(int32_t y)>& rowAt);
void SkipFrame(TGifInput& gif);

// Colour tables: a frame's table (null: none, read as the grey ramp) as an image's palette, its
// entry count, and the colour of one of its indices (black past the table's end).
TPalette GifPalette(const ColorMapObject* table);
int32_t GifEntries(const ColorMapObject* table);
TPaletteEntry GifColour(const ColorMapObject* table, int32_t index);
// Alpha for entries palette entries (more if index lies beyond them): 0 at index, 255 elsewhere.
std::vector<uint8_t> AlphaWithTransparent(int32_t entries, int32_t index);
