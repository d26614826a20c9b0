// Helpers for the tests of PNG output: test images, splitting a file into chunks, inflating its
// image data, and decoding it with libpng as an independent reader.
#pragma once

#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNG.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

// An image of pseudo-random pixels. Indexed images get a palette of distinct entries: entry i is
// red i, green 255 - i, blue i * 7.
inline TDIB TestImage(int32_t width, int32_t height, int32_t bits, uint32_t seed = 1) {
    TDIB image;
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[i] = {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i), 0};
    image.Resize(width, height, bits);
    image.ApplyPalette();
    std::mt19937 random(seed);
    const uint32_t valueMask = bits <= 8 ? (1u << bits) - 1 : 0xFFFFFFu;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, random() & valueMask);
    return image;
}

// An 8-bit mask (255 - alpha) with a different value at most pixels.
inline TDIB TestMask(int32_t width, int32_t height) {
    TDIB mask;
    mask.Resize(width, height, 8);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            mask.SetPixel(x, y, uint32_t(x * 31 + y * 17));
    return mask;
}

// A TestImage saved by TKivPNG with transparency: palette alpha (tRNS of a palette file, or of a
// grey one when Grey writes the indices as grey samples) or, at 24 bits, a colour key.
struct TTransparentPng {
    int32_t Bits;
    bool Grey;
    std::vector<uint8_t> PaletteAlpha;
    int32_t Color; // TransparentColor

    std::vector<uint8_t> Bytes() const {
        TKivPNG png;
        const TDIB image = TestImage(6, 4, Bits);
        png.Assign(&image);
        png.Grayscale = Grey;
        png.PaletteAlpha = PaletteAlpha;
        png.TransparentColor = Color;
        TMemoryStream out;
        png.SaveToStream(out);
        return out.Bytes();
    }
};

// Appends a chunk of type with data and its CRC to file.
inline void AppendChunk(std::vector<uint8_t>& file, const std::string& type,
                        const std::vector<uint8_t>& data) {
    PutBE32(file, uint32_t(data.size()));
    std::vector<uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    PutBE32(file, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

struct TPngChunk {
    std::string Type;
    std::vector<uint8_t> Data;
    bool CrcOk = false;
};

inline uint32_t BE32At(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The chunks of a PNG file in order; throws std::runtime_error when the framing is broken.
inline std::vector<TPngChunk> ParsePngChunks(const std::vector<uint8_t>& file) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0)
        throw std::runtime_error("no PNG signature");
    std::vector<TPngChunk> chunks;
    size_t at = 8;
    while (at < file.size()) {
        if (file.size() - at < 12) throw std::runtime_error("truncated chunk header");
        const uint32_t length = BE32At(&file[at]);
        if (file.size() - at - 12 < length) throw std::runtime_error("truncated chunk");
        TPngChunk chunk;
        chunk.Type.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        chunk.Data.assign(file.begin() + long(at + 8), file.begin() + long(at + 8 + length));
        const uLong crc = crc32(crc32(0, nullptr, 0), &file[at + 4], uInt(length + 4));
        chunk.CrcOk = crc == BE32At(&file[at + 8 + length]);
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

inline std::vector<std::string> ChunkTypes(const std::vector<TPngChunk>& chunks) {
    std::vector<std::string> types;
    for (const auto& c : chunks)
        types.push_back(c.Type);
    return types;
}

inline const TPngChunk* FindChunk(const std::vector<TPngChunk>& chunks, const std::string& type) {
    for (const auto& c : chunks)
        if (c.Type == type) return &c;
    return nullptr;
}
// The chunk would not outlive a temporary list.
const TPngChunk* FindChunk(std::vector<TPngChunk>&& chunks, const std::string& type) = delete;

// The zlib stream of all IDAT chunks, inflated.
inline std::vector<uint8_t> InflatedImageData(const std::vector<TPngChunk>& chunks) {
    std::vector<uint8_t> compressed;
    for (const auto& c : chunks)
        if (c.Type == "IDAT") compressed.insert(compressed.end(), c.Data.begin(), c.Data.end());
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflateInit");
    std::vector<uint8_t> out;
    uint8_t piece[65536];
    z.next_in = compressed.data();
    z.avail_in = uInt(compressed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = piece;
        z.avail_out = sizeof piece;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), piece, piece + (sizeof piece - z.avail_out));
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("corrupt image data");
    return out;
}

// A text chunk as libpng reads it: tEXt text in Latin-1, iTXt text in UTF-8.
struct TLibpngText {
    int Compression; // PNG_TEXT_COMPRESSION_NONE for tEXt, PNG_ITXT_COMPRESSION_* for iTXt, ...
    std::string Key, Text;
};

// A PNG decoded by libpng with samples unpacked to one byte each (no other transformation).
struct TLibpngImage {
    uint32_t Width = 0, Height = 0;
    int BitDepth = 0, ColorType = 0, Interlace = 0, Channels = 0;
    std::vector<std::vector<uint8_t>> Rows;
    std::vector<png_color> Palette;
    std::vector<TLibpngText> Texts; // before and after the image data
    std::string Error;              // empty when libpng decoded the file without complaint
};

inline TLibpngImage DecodeWithLibpng(const std::vector<uint8_t>& file) {
    struct TSource {
        const std::vector<uint8_t>* file;
        size_t at;
    } source{&file, 0};
    TLibpngImage result;
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, &result,
        [](png_structp p, png_const_charp message) {
            static_cast<TLibpngImage*>(png_get_error_ptr(p))->Error = message;
            png_longjmp(p, 1);
        },
        [](png_structp p, png_const_charp message) {
            static_cast<TLibpngImage*>(png_get_error_ptr(p))->Error = message;
        });
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> pointers; // declared before setjmp: a longjmp must not skip it
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return result;
    }
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, size_t count) {
        auto* s = static_cast<TSource*>(png_get_io_ptr(p));
        if (s->file->size() - s->at < count) png_error(p, "read past the end");
        std::memcpy(out, s->file->data() + s->at, count);
        s->at += count;
    });
    png_read_info(png, info);
    result.Width = png_get_image_width(png, info);
    result.Height = png_get_image_height(png, info);
    result.BitDepth = png_get_bit_depth(png, info);
    result.ColorType = png_get_color_type(png, info);
    result.Interlace = png_get_interlace_type(png, info);
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count)) result.Palette.assign(palette, palette + count);
    png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result.Channels = png_get_channels(png, info);
    result.Rows.assign(result.Height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
    for (auto& row : result.Rows)
        pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    png_read_end(png, info);
    png_textp texts = nullptr;
    const int textCount = png_get_text(png, info, &texts, nullptr);
    for (int i = 0; i < textCount; ++i) {
        const png_text& t = texts[i];
        const bool international = t.compression >= PNG_ITXT_COMPRESSION_NONE;
        result.Texts.push_back(
            {t.compression, t.key, {t.text, international ? t.itxt_length : t.text_length}});
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}
