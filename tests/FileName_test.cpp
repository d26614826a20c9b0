// The extension of a path's last component, which chooses image and palette formats.
#include "base/FileName.h"

#include <gtest/gtest.h>

TEST(FileExtension, RunsFromTheLastDotOfTheLastComponent) {
    struct Case {
        const char* path;
        const char* extension;
    };
    const Case cases[] = {
        {"a.png", ".png"},    {"dir/a.PNG", ".PNG"}, {"a.Bmp", ".Bmp"},   {"a.tar.bmp", ".bmp"},
        {"a.gif", ".gif"},    {"noext", ""},         {"d.png/noext", ""}, {"a.png.jpg", ".jpg"},
        {"dir/.png", ".png"}, {"a.", "."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileExtension(c.path), c.extension) << c.path;
}
