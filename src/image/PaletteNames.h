// The names a palette file gives beside its colours, kept with a palette as a plain value.
#pragma once

#include <string>
#include <vector>

// The palette's own name (a GIMP palette's "Name:") and one name per colour, in file order (""
// where a colour has none).
struct TPaletteNames {
    std::string Title;
    std::vector<std::string> Entries;
    bool operator==(const TPaletteNames&) const = default;
};
