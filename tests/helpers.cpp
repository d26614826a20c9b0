#include "helpers.h"

#include "image/DIB.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::string TestDataPath(const std::string& relative) {
    return std::string(VARNET_TESTDATA) + "/" + relative;
}

std::string SourcePath(const std::string& relative) {
    return std::string(VARNET_SOURCE_DIR) + "/" + relative;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    if (std::filesystem::is_directory(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                files.push_back(entry.path().string());
    if (files.empty()) throw std::runtime_error("no files in " + folder);
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> EntriesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

namespace {
std::vector<std::string>& TempDirs() {
    static std::vector<std::string> dirs;
    static const bool registered = [] {
        std::atexit([] {
            for (const auto& d : TempDirs())
                std::filesystem::remove_all(d);
        });
        return true;
    }();
    (void)registered;
    return dirs;
}
} // namespace

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnet-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    TempDirs().push_back(pattern);
    return pattern;
}

void PutLE16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutLE32(std::vector<uint8_t>& out, uint32_t v) {
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

TDIB Numbered(int32_t w, int32_t h, uint8_t base) {
    TDIB image;
    image.Resize(w, h, 8);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.RowForWrite(y)[x] = uint8_t(base + y * 16 + x);
    return image;
}

void PrintTo(const TPaletteNames& names, std::ostream* out) {
    *out << "title \"" << names.Title << "\", entries {";
    for (const std::string& entry : names.Entries)
        *out << " \"" << entry << "\"";
    *out << " }";
}
