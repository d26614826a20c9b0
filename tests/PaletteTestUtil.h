// Helpers for the tests of palette files: palettes and colour tables to write, the message a
// read is refused with, and a folder to write files into.
#pragma once

#include "base/Exceptions.h"
#include "formats/PaletteRead.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

inline TPaletteEntry Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPaletteEntry{blue, green, red, 0};
}

// Entry i is (i, 255 - i, i * 7 mod 256), so every entry differs from its neighbours.
inline TPalette Distinct() {
    TPalette palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = Rgb(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
    return palette;
}

inline TPaletteColors FirstOf(const TPalette& palette, size_t count) {
    return TPaletteColors(palette.begin(), palette.begin() + long(count));
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// The message reading path is refused with; empty when it is read.
inline std::string Refusal(const std::string& path) {
    try {
        ReadPaletteFile(path);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// An Adobe colour table: entry i of count is (i, 2i, 3i); with a count field, 772 bytes. A
// count over 256 is only written into the count field.
inline std::vector<uint8_t> Act(int count, bool withCount) {
    std::vector<uint8_t> bytes(768, 0);
    for (int i = 0; i < std::min(count, 256); ++i) {
        bytes[3 * i] = uint8_t(i);
        bytes[3 * i + 1] = uint8_t(2 * i);
        bytes[3 * i + 2] = uint8_t(3 * i);
    }
    if (withCount) bytes.insert(bytes.end(), {uint8_t(count >> 8), uint8_t(count), 0xFF, 0xFF});
    return bytes;
}

// Each test writes its files into a folder of its own.
class PaletteFolderTest : public testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir + "/" + name;
        WriteFileBytes(path, bytes);
        return path;
    }
    std::string dir = MakeTempDir();
};
