// The image formats the converter knows, chosen by file extension. A format is one table entry:
// how to read it into a TDIB, how to write a TDIB as it, and which writer options it accepts.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TDIB;
class TStream;

// Writer options from the command line: --name=value or --name value for options that take a
// value, a bare --name for flags (whose value is "").
using TOptions = std::map<std::string, std::string>;
// Format-specific "name: value" lines for the info command.
using TInfoLines = std::vector<std::pair<std::string, std::string>>;

struct TImageFormat {
    const char* Extension; // lower case, with the dot
    void (*Load)(TDIB& image, TStream& stream);
    void (*Save)(const TDIB& image, TStream& stream, const TOptions& options);
    std::vector<std::string> OptionNames;              // writer options that take a value
    std::vector<std::string> FlagNames;                // writer options that stand alone
    TInfoLines (*Describe)(TStream& stream) = nullptr; // extra info lines, if the format has any
};

// A command line the converter cannot act on; it answers with its usage text.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format for path by its extension, ignoring case. Raises std::runtime_error naming the known
// extensions when there is none.
const TImageFormat& FormatForPath(const std::string& path);
