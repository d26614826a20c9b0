#include "png/KivAdam7.h"

#include "png/KivPNGCommon.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// out[2i] = even[i], out[2i + 1] = odd[i] for the count bytes of out: even holds (count + 1) / 2
// bytes, odd count / 2.
void Interleave(const uint8_t* even, const uint8_t* odd, size_t count, uint8_t* out) {
    size_t i = 0;
#ifdef __SSE2__
    for (; i + 32 <= count; i += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(even + i / 2));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(odd + i / 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16), _mm_unpackhi_epi8(a, b));
    }
#endif
    for (; i < count; ++i)
        out[i] = (i & 1) != 0 ? odd[i / 2] : even[i / 2];
}

} // namespace

TAdam7Rows::TAdam7Rows(const uint8_t* data, int32_t width, int32_t height)
    : width_(width), quarter_(size_t(PassExtent(width, 0, 4))),
      half_(size_t(PassExtent(width, 0, 2))) {
    for (int p = 0; p < 7; ++p) {
        const TPngPass& pass = Adam7Passes[size_t(p)];
        const int64_t passWidth = PassExtent(width, pass.xStart, pass.xStep);
        length_[size_t(p)] = size_t(1 + passWidth);
        passStart_[size_t(p)] = data + 1;
        // A pass without columns has no rows in the data.
        if (passWidth > 0)
            data += size_t(PassExtent(height, pass.yStart, pass.yStep)) * length_[size_t(p)];
    }
}

void TAdam7Rows::BuildRow(int32_t y, uint8_t* out) {
    const auto count = size_t(width_);
    if (y % 2 == 1) { // pass 7 holds the odd rows whole
        std::memcpy(out, PassRow(6, y / 2), count);
        return;
    }
    // Even rows: pass 6 holds the odd columns; the even ones come from pass 5 on rows 2 mod 4,
    // else from pass 4 (columns 2 mod 4) between the columns 0 mod 4 of pass 3 (rows 4 mod 8)
    // or of passes 1 and 2 (rows 0 mod 8).
    const uint8_t* even = half_.data();
    if (y % 4 == 2) {
        even = PassRow(4, y / 4);
    } else {
        const uint8_t* quarter = quarter_.data();
        if (y % 8 == 4) {
            quarter = PassRow(2, y / 8);
        } else {
            Interleave(PassRow(0, y / 8), PassRow(1, y / 8), quarter_.size(), quarter_.data());
        }
        Interleave(quarter, PassRow(3, y / 4), half_.size(), half_.data());
    }
    Interleave(even, PassRow(5, y / 2), count, out);
}
