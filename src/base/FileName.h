// Parts of a file's name, for choosing a format by extension and titling what a file holds.
#pragma once

#include <string>

// The extension of the last path component with its dot ("" when that component has none).
std::string FileExtension(const std::string& path);
