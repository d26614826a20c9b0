// What the converter adds to the shared image formats: the writer options each format takes on
// the command line, and the extra lines of the info command.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TDIB;
class TStream;
struct TImageFormat;
struct TTransparency;

// Writer options from the command line: --name=value or --name value for options that take a
// value, a bare --name for flags (whose value is "").
using TOptions = std::map<std::string, std::string>;
// Format-specific "name: value" lines for the info command.
using TInfoLines = std::vector<std::pair<std::string, std::string>>;
// Writes one picture with the transparency its file gave, where the format can hold it; raises
// TUsageError for options the picture cannot take.
using TWriter =
    std::function<void(const TDIB& image, const TTransparency& transparency, TStream& stream)>;

struct TFormatOptions {
    const char* Name;                     // the shared format's name
    std::vector<std::string> OptionNames; // writer options that take a value
    std::vector<std::string> FlagNames;   // writer options that stand alone
    // Checks the options, before any input is read, and gives the writer that applies them.
    TWriter (*MakeWriter)(const TOptions& options);
    TInfoLines (*Describe)(TStream& stream) = nullptr; // extra info lines, if the format has any
};

// A command line the converter cannot act on; it answers with its usage text.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const std::vector<TFormatOptions>& AllFormatOptions();
const TFormatOptions& OptionsOf(const TImageFormat& format);

// The options of every conversion, whatever its formats: --format and --scale (for OUT) take a
// value, --sheet (for IN) stands alone.
extern const std::vector<std::string> kCommonOptionNames;
extern const std::vector<std::string> kCommonFlagNames;

// The value of option, a whole number from low to high, or fallback when it is not given; a
// usage error names the option and the range.
int32_t NumberOption(const TOptions& options, const std::string& option, int32_t fallback,
                     int32_t low, int32_t high);
// --scale: each pixel of the picture becomes scale x scale pixels of OUT; 1 to 16, default 1.
int32_t ScaleOption(const TOptions& options);
