// The source folders depend on each other in one direction only: each includes nothing from a
// folder above it, the two window folders nothing from each other, and the core no Qt.
#include "helpers.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>

TEST(LayoutTest, FoldersIncludeOnlyTheFoldersBelowThem) {
    const std::map<std::string, std::set<std::string>> allowed = {
        {"base", {}},
        {"image", {"base"}},
        {"png", {"base", "image"}},
        {"formats", {"base", "image", "png"}},
        {"document", {"base", "image"}},
        {"ui", {"base", "image", "document"}},
        {"editor", {"base", "image", "document", "ui"}},
        {"palette", {"base", "image", "formats", "document", "ui"}},
        {"app", {"base", "image", "png", "formats", "document", "ui", "editor", "palette"}},
    };
    const std::set<std::string> core = {"base", "image", "png", "formats", "document"};
    const std::regex include(R"(#include\s*[<"]([A-Za-z]+)/)");
    const std::regex qt(R"(#include\s*<Q)");
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SourcePath("src"))) {
        if (!entry.is_regular_file()) continue;
        const std::string folder = entry.path().parent_path().filename().string();
        ASSERT_TRUE(allowed.count(folder)) << "a folder the rule does not know: " << folder;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            if (std::regex_search(line, match, include) && match[1] != folder &&
                allowed.count(match[1])) {
                EXPECT_TRUE(allowed.at(folder).count(match[1]))
                    << entry.path().string() << ": " << line;
            }
            if (core.count(folder)) {
                EXPECT_FALSE(std::regex_search(line, qt)) << entry.path();
            }
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}
