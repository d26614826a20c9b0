// Putting an 8-bit interlaced image together row by row from its unfiltered passes. Scattering
// each pass over the image sweeps the whole image seven times with scattered byte stores; every
// image row is instead an interleaving of at most four pass rows, written once and in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The unfiltered rows of all seven passes of an image of width x height 8-bit pixels, as they
// follow each other in the inflated image data (each after its filter byte).
class TAdam7Rows {
public:
    TAdam7Rows(const uint8_t* data, int32_t width, int32_t height);
    // Writes the width pixels of image row y to out.
    void BuildRow(int32_t y, uint8_t* out);

private:
    // Row r of pass p (0-based), its pixels after the filter byte.
    const uint8_t* PassRow(int p, int32_t r) const {
        return passStart_[p] + size_t(r) * length_[p];
    }

    int32_t width_;
    std::array<const uint8_t*, 7> passStart_{};
    std::array<size_t, 7> length_{};      // of each pass's rows, filter byte included
    std::vector<uint8_t> quarter_, half_; // the columns x % 4 == 0 and x % 2 == 0 of a row
};
