// The converter's command line: a command, its files and options, in any order.
#pragma once

#include "formats.h"

#include <string>
#include <vector>

struct TCommandLine {
    std::vector<std::string> Words; // the command and its files, in order
    TOptions Options;               // every option but --help and --version
    bool Help = false;
    bool Version = false;
};

// Options may stand before, between or after the words, as --name value, --name=value or a bare
// --name for flags; "--" ends them, and "-" alone is a word (standard input or output). Raises
// TUsageError for an option no format knows or a value that is missing.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

extern const char* const kUsage;
// The line that follows the message of a bad command line, pointing to the usage.
extern const char* const kUsageHint;
