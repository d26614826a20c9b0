// Small helpers shared by the test suites.
#pragma once

#include "image/PaletteNames.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class TDIB;

// Path of a file in the public conformance suites beside the project (shared/testdata).
std::string TestDataPath(const std::string& relative);
// Path of a file in the project's own tree, e.g. "tests/crashers/png".
std::string SourcePath(const std::string& relative);
// The regular files in folder (hidden ones left out), sorted. Raises std::runtime_error when the
// folder is missing or holds none, so a replay test cannot pass by finding nothing.
std::vector<std::string> FilesIn(const std::string& folder);
// Every name in folder, hidden ones included, sorted.
std::vector<std::string> EntriesIn(const std::string& folder);
bool FileExists(const std::string& path);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A fresh empty folder under the system's temporary folder, removed at process exit.
std::string MakeTempDir();

// Little- and big-endian appenders for building fixtures in tests.
void PutLE16(std::vector<uint8_t>& out, uint32_t v);
void PutLE32(std::vector<uint8_t>& out, uint32_t v);
void PutBE32(std::vector<uint8_t>& out, uint32_t v);

// An 8-bit image whose pixel (x, y) is base + y * 16 + x (mod 256): every pixel of a small image
// tells where it came from.
TDIB Numbered(int32_t w, int32_t h, uint8_t base);

// Failure messages show palette names as text.
void PrintTo(const TPaletteNames& names, std::ostream* out);
