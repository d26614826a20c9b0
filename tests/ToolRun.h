// Running the built converter and, for a second opinion on its files, Pillow.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

struct TToolRun {
    int Status = -1;
    std::string Output; // stdout and stderr together
};

// Runs command through the shell and collects what it prints.
inline TToolRun RunCommand(const std::string& command) {
    TToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char piece[4096];
    for (size_t n; (n = fread(piece, 1, sizeof piece, pipe)) > 0;)
        run.Output.append(piece, n);
    const int raw = pclose(pipe);
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// Runs the converter with args, from folder when one is given.
inline TToolRun Tool(const std::vector<std::string>& args, const std::string& folder = "") {
    std::string command = (folder.empty() ? "" : "cd '" + folder + "' && ") + VARNET_IMG;
    for (const std::string& a : args)
        command += " '" + a + "'"; // test paths hold no quotes
    return RunCommand(command + " 2>&1");
}

// What the Python script (given the file as sys.argv[1], Pillow's Image imported) prints about
// the file at path; nullopt when Pillow is not installed. A script that fails fails the test.
inline std::optional<std::string> PillowSays(const std::string& script, const std::string& path) {
    static const bool installed =
        std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
    if (!installed) return std::nullopt;
    const TToolRun run = RunCommand("/usr/bin/python3 -c \"import sys; from PIL import Image; " +
                                    script + "\" '" + path + "'");
    EXPECT_EQ(run.Status, 0) << "Pillow on " << path << ": " << run.Output;
    return run.Output;
}
