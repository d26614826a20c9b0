#include "png/KivUnfilter.h"

#include "png/KivPNGCommon.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

std::atomic<bool> sse41Allowed{true};

// Whether the vector filters use SSE4.1: the processor has it and the tests have not turned it off.
bool UseSse41() {
    static const bool present = __builtin_cpu_supports("sse4.1");
    return present && sse41Allowed.load(std::memory_order_relaxed);
}

// Paeth predictor with the standard's tie order: left, above, upper left. Written as selects so
// that the compiler emits no branches.
inline int Paeth(int left, int above, int upperLeft) {
    const int p = above - upperLeft;
    const int q = left - upperLeft;
    const int pa = std::abs(p);
    const int pb = std::abs(q);
    const int pc = std::abs(p + q);
    const int nearer = pb < pa ? above : left;
    return pc < std::min(pa, pb) ? upperLeft : nearer;
}

// The filters that depend on the bytes to the left, for a byte distance known at compile time:
// each channel's left and upper-left bytes stay in registers.
template <size_t Bpp> struct TScalarFilters {
    static void Sub(uint8_t* data, size_t n) {
        uint8_t left[Bpp] = {};
        for (size_t i = 0; i < n; i += Bpp) {
            for (size_t c = 0; c < Bpp; ++c)
                left[c] = data[i + c] = uint8_t(data[i + c] + left[c]);
        }
    }

    static void Average(uint8_t* data, const uint8_t* above, size_t n) {
        uint8_t left[Bpp] = {};
        for (size_t i = 0; i < n; i += Bpp) {
            for (size_t c = 0; c < Bpp; ++c) {
                left[c] = data[i + c] = uint8_t(data[i + c] + ((left[c] + above[i + c]) >> 1));
            }
        }
    }

    static void PaethRow(uint8_t* data, const uint8_t* above, size_t n) {
        uint8_t left[Bpp] = {}, upperLeft[Bpp] = {};
        for (size_t i = 0; i < n; i += Bpp) {
            for (size_t c = 0; c < Bpp; ++c) {
                const uint8_t up = above[i + c];
                left[c] = data[i + c] = uint8_t(data[i + c] + Paeth(left[c], up, upperLeft[c]));
                upperLeft[c] = up;
            }
        }
    }
};

#if defined(__SSE2__)
// Pixels of 2 to 8 bytes: all channels of a pixel at once, one pixel per step. Where 8 bytes
// remain a step loads 8 bytes at once and ignores those past the pixel (lanes are never mixed,
// so what is worked out there reaches no stored byte); stores write the pixel's own bytes only,
// so that no load overlaps a store just made (the processor could not forward it and would
// wait).
template <size_t Bpp> struct TVectorFilters {
    template <bool Wide> static __m128i Load(const uint8_t* p) {
        if constexpr (Wide) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        uint64_t v = 0;
        for (size_t c = 0; c < Bpp; ++c)
            v |= uint64_t(p[c]) << (8 * c);
        return _mm_cvtsi64_si128(static_cast<long long>(v));
    }
    static void Store(uint8_t* p, __m128i bytes) {
        const uint64_t v = static_cast<uint64_t>(_mm_cvtsi128_si64(bytes));
        for (size_t c = 0; c < Bpp; ++c)
            p[c] = uint8_t(v >> (8 * c));
    }
    // Runs step(i, wide) for every pixel, wide while 8 bytes remain.
    template <typename TStep> static void ForEachPixel(size_t n, TStep step) {
        size_t i = 0;
        for (; i + 8 <= n; i += Bpp)
            step(i, std::true_type{});
        for (; i < n; i += Bpp)
            step(i, std::false_type{});
    }

    static void Sub(uint8_t* data, size_t n) {
        __m128i left = _mm_setzero_si128();
        ForEachPixel(n, [&](size_t i, auto wide) {
            left = _mm_add_epi8(Load<wide>(data + i), left);
            Store(data + i, left);
        });
    }

    static void Average(uint8_t* data, const uint8_t* above, size_t n) {
        const __m128i one = _mm_set1_epi8(1);
        __m128i left = _mm_setzero_si128();
        ForEachPixel(n, [&](size_t i, auto wide) {
            const __m128i up = Load<wide>(above + i);
            // The rounding-up average, less the lost low bit: (left + up) div 2.
            const __m128i average =
                _mm_sub_epi8(_mm_avg_epu8(left, up), _mm_and_si128(_mm_xor_si128(left, up), one));
            left = _mm_add_epi8(Load<wide>(data + i), average);
            Store(data + i, left);
        });
    }

    static __m128i Abs16(__m128i v) {
        return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
    }
    // yes where mask is set, else no. Blend: SSE4.1's single-instruction select (the caller has
    // checked the processor), which shortens the Paeth chain by a third.
    template <bool Blend> static __m128i Select(__m128i mask, __m128i yes, __m128i no) {
        if constexpr (Blend) {
            // Written out as an instruction: the build's baseline lacks SSE4.1 and the compiler
            // would not inline its intrinsic here.
            __asm__("pblendvb %%xmm0, %1, %0" : "+x"(no) : "x"(yes), "Yz"(mask));
            return no;
        } else {
            return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
        }
    }

    // a is the byte to the left, b the one above, c the one above a. Samples are widened to 16
    // bits, so the predictor's differences cannot overflow. Each pixel waits for the one to its
    // left, so that chain is kept short: whatever depends on the row above only is worked out
    // beside it (the sum with each candidate among them), and sums are added bytewise to the
    // widened samples, whose high bytes stay zero, so nothing needs masking or narrowing before
    // the next pixel.
    static void PaethRow(uint8_t* data, const uint8_t* above, size_t n) {
        if (UseSse41()) {
            PaethRowWith<true>(data, above, n);
        } else {
            PaethRowWith<false>(data, above, n);
        }
    }
    template <bool Blend> static void PaethRowWith(uint8_t* data, const uint8_t* above, size_t n) {
        const __m128i zero = _mm_setzero_si128();
        __m128i left = zero, upperLeft = zero;
        ForEachPixel(n, [&](size_t i, auto wide) {
            const __m128i up = _mm_unpacklo_epi8(Load<wide>(above + i), zero);
            const __m128i filtered = _mm_unpacklo_epi8(Load<wide>(data + i), zero);
            const __m128i upDelta = _mm_sub_epi16(up, upperLeft);   // b - c
            const __m128i pa = Abs16(upDelta);                      // |b - c|
            const __m128i toPc = _mm_sub_epi16(upDelta, upperLeft); // b - 2c
            const __m128i toPcNegated = _mm_sub_epi16(zero, toPc);
            const __m128i withUp = _mm_add_epi8(filtered, up);
            const __m128i withUpperLeft = _mm_add_epi8(filtered, upperLeft);
            // pb = |a - c| and pc = |a + b - 2c|, each the larger of itself and its negation.
            const __m128i pb =
                _mm_max_epi16(_mm_sub_epi16(left, upperLeft), _mm_sub_epi16(upperLeft, left));
            const __m128i pc =
                _mm_max_epi16(_mm_add_epi16(left, toPc), _mm_sub_epi16(toPcNegated, left));
            const __m128i nearer =
                Select<Blend>(_mm_cmplt_epi16(pb, pa), withUp, _mm_add_epi8(filtered, left));
            left = Select<Blend>(_mm_cmplt_epi16(pc, _mm_min_epi16(pa, pb)), withUpperLeft, nearer);
            Store(data + i, _mm_packus_epi16(left, zero));
            upperLeft = up;
        });
    }
};
#endif

template <size_t Bpp>
using TFilters =
#if defined(__SSE2__)
    std::conditional_t<(Bpp > 1), TVectorFilters<Bpp>, TScalarFilters<Bpp>>;
#else
    TScalarFilters<Bpp>;
#endif

template <size_t Bpp>
bool UnfilterWith(uint8_t type, uint8_t* data, const uint8_t* above, size_t n) {
    switch (type) {
    case RowFilterNone:
        return true;
    case RowFilterSub:
        TFilters<Bpp>::Sub(data, n);
        return true;
    case RowFilterUp:
        for (size_t i = 0; i < n; ++i)
            data[i] = uint8_t(data[i] + above[i]);
        return true;
    case RowFilterAverage:
        TFilters<Bpp>::Average(data, above, n);
        return true;
    case RowFilterPaeth:
        TFilters<Bpp>::PaethRow(data, above, n);
        return true;
    default:
        return false;
    }
}

} // namespace

bool AllowUnfilterSse41(bool allow) {
    sse41Allowed.store(allow, std::memory_order_relaxed);
    return UseSse41();
}

bool Unfilter(uint8_t type, uint8_t* data, const uint8_t* above, size_t n, size_t bpp) {
    if (bpp == 0 || n % bpp != 0) return false;
    switch (bpp) {
    case 1:
        return UnfilterWith<1>(type, data, above, n);
    case 2:
        return UnfilterWith<2>(type, data, above, n);
    case 3:
        return UnfilterWith<3>(type, data, above, n);
    case 4:
        return UnfilterWith<4>(type, data, above, n);
    case 6:
        return UnfilterWith<6>(type, data, above, n);
    case 8:
        return UnfilterWith<8>(type, data, above, n);
    default:
        return false;
    }
}
