// The peer for whole-process timings of varnet-img: a converter built on libpng alone, never linked
// into the product.
//   varnet_png_peer tobmp IN.png OUT.bmp   palette files become 8-bit BMP, others 24-bit
//   varnet_png_peer topng IN.bmp OUT.png   8-bit BMP becomes a palette file, 24-bit an RGB file
// Only what the bench corpus needs: 8-bit palette or 8-bit RGB PNG (plain or Adam7), and
// uncompressed bottom-up 8- or 24-bit BMP.
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct TImage {
    uint32_t width = 0, height = 0;
    int bits = 8; // 8: indices into palette, 24: red, green, blue
    std::vector<png_color> palette;
    std::vector<uint8_t> pixels; // top-down, width * bits / 8 bytes a row
    size_t RowBytes() const { return size_t(width) * size_t(bits / 8); }
};

bool Fail(const char* what) {
    std::fprintf(stderr, "varnet_png_peer: %s\n", what);
    return false;
}

bool ReadPng(const char* path, TImage& image) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return Fail("cannot open the input");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return Fail("libpng could not read the input");
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) != 8 ||
        (type != PNG_COLOR_TYPE_PALETTE && type != PNG_COLOR_TYPE_RGB))
        png_error(png, "only 8-bit palette or RGB files");
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.bits = type == PNG_COLOR_TYPE_PALETTE ? 8 : 24;
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp colors = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &colors, &count);
        image.palette.assign(colors, colors + count);
    }
    image.pixels.resize(image.RowBytes() * image.height);
    std::vector<png_bytep> rows(image.height);
    for (uint32_t y = 0; y < image.height; ++y)
        rows[y] = image.pixels.data() + y * image.RowBytes();
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

bool WritePng(const char* path, const TImage& image) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return Fail("cannot create the output");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return Fail("libpng could not write the output");
    }
    png_init_io(png, file);
    const bool indexed = image.bits == 8;
    png_set_IHDR(png, info, image.width, image.height, 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) png_set_PLTE(png, info, image.palette.data(), int(image.palette.size()));
    // Indexed rows unfiltered, as varnet-img writes them by default.
    if (indexed) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_write_info(png, info);
    for (uint32_t y = 0; y < image.height; ++y)
        png_write_row(png, image.pixels.data() + y * image.RowBytes());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 || Fail("cannot finish the output");
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

size_t Stride(const TImage& image) {
    return (image.RowBytes() + 3) / 4 * 4;
}

bool WriteBmp(const char* path, const TImage& image) {
    const uint32_t colors = image.bits == 8 ? 256 : 0;
    const uint32_t offset = 14 + 40 + 4 * colors;
    const size_t stride = Stride(image);
    std::vector<uint8_t> head;
    head.insert(head.end(), {'B', 'M'});
    Put32(head, uint32_t(offset + stride * image.height));
    Put32(head, 0);
    Put32(head, offset);
    Put32(head, 40);
    Put32(head, image.width);
    Put32(head, image.height);
    Put16(head, 1);
    Put16(head, uint32_t(image.bits));
    Put32(head, 0);
    Put32(head, uint32_t(stride * image.height));
    for (int i = 0; i < 4; ++i)
        Put32(head, 0);
    for (uint32_t i = 0; i < colors; ++i) {
        const png_color c = i < image.palette.size() ? image.palette[i] : png_color{0, 0, 0};
        head.insert(head.end(), {c.blue, c.green, c.red, 0});
    }
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return Fail("cannot create the output");
    std::fwrite(head.data(), 1, head.size(), file);
    std::vector<uint8_t> row(stride, 0);
    for (uint32_t k = 0; k < image.height; ++k) {
        const uint8_t* src = image.pixels.data() + (image.height - 1 - k) * image.RowBytes();
        if (image.bits == 8) {
            std::memcpy(row.data(), src, image.RowBytes());
        } else {
            for (uint32_t x = 0; x < image.width; ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        }
        std::fwrite(row.data(), 1, stride, file);
    }
    return std::fclose(file) == 0 || Fail("cannot finish the output");
}

bool ReadBmp(const char* path, TImage& image) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return Fail("cannot open the input");
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return Fail("not a BMP file");
    const uint32_t offset = Get32(&bytes[10]), headerSize = Get32(&bytes[14]);
    const auto height = int32_t(Get32(&bytes[22]));
    image.width = Get32(&bytes[18]);
    image.height = uint32_t(height);
    image.bits = bytes[28] | bytes[29] << 8;
    if (height <= 0 || (image.bits != 8 && image.bits != 24) || Get32(&bytes[30]) != 0)
        return Fail("only bottom-up uncompressed 8- or 24-bit BMP files");
    if (image.bits == 8) {
        const uint32_t used = Get32(&bytes[46]);
        const uint32_t count = used == 0 ? 256 : used;
        const size_t at = 14 + size_t(headerSize);
        if (at + 4 * size_t(count) > bytes.size()) return Fail("palette cut short");
        for (uint32_t i = 0; i < count; ++i)
            image.palette.push_back(
                {bytes[at + 4 * i + 2], bytes[at + 4 * i + 1], bytes[at + 4 * i]});
    }
    const size_t stride = Stride(image);
    if (offset + stride * image.height > bytes.size()) return Fail("pixels cut short");
    image.pixels.resize(image.RowBytes() * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = &bytes[offset + (image.height - 1 - y) * stride];
        uint8_t* dst = image.pixels.data() + y * image.RowBytes();
        if (image.bits == 8) {
            std::memcpy(dst, src, image.RowBytes());
        } else {
            for (uint32_t x = 0; x < image.width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: varnet_png_peer tobmp|topng IN OUT\n");
        return 2;
    }
    TImage image;
    if (std::strcmp(argv[1], "tobmp") == 0)
        return ReadPng(argv[2], image) && WriteBmp(argv[3], image) ? 0 : 1;
    if (std::strcmp(argv[1], "topng") == 0)
        return ReadBmp(argv[2], image) && WritePng(argv[3], image) ? 0 : 1;
    std::fprintf(stderr, "varnet_png_peer: unknown command %s\n", argv[1]);
    return 2;
}
