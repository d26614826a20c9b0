#include "cmdline.h"

#include <algorithm>

const char* const kUsage =
    "usage: varnet-img convert [options] IN OUT\n"
    "       varnet-img info IN\n"
    "       varnet-img --help | --version\n"
    "IN and OUT may be - for standard input and output. The reader follows the signature of IN;\n"
    "the format of OUT is that of its extension or of --format.\n"
    "options of convert, before or after IN and OUT (--name value or --name=value):\n"
    "  --format png|bmp|gif\n"
    "                      format of OUT; needed when OUT is -\n"
    "  --scale N           each pixel of the picture becomes NxN pixels of OUT, 1 to 16\n"
    "                      (default: 1)\n"
    "  --sheet             GIF IN: every frame, left to right in one row (default: the\n"
    "                      first frame)\n"
    "  --frame WxH         GIF OUT: the picture's cells of W x H pixels (of IN), left to\n"
    "                      right, then down, become the frames of an animation\n"
    "  --fps N             GIF OUT with --frame: frames a second, 1 to 50 (default: 8)\n"
    "  --filter adaptive|none|sub|up|average|paeth\n"
    "                      PNG row filter (default: none for palette pictures, adaptive\n"
    "                      for the others)\n"
    "  --level none|default|fastest|best\n"
    "                      PNG compression (default: default)\n"
    "  --interlace         PNG: write interlaced (Adam7)\n"
    "  --grey              PNG: write a 1-, 4- or 8-bit picture as grey samples\n"
    "  --idat-size N       PNG: bytes per IDAT chunk, 256 to 100000 (default: 32768)\n"
    "  --comment TEXT      PNG: a Comment text chunk\n"
    "  --                  the words that follow are files, not options\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad command line.\n";

const char* const kUsageHint = "Run 'varnet-img --help' for the usage.";

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool TakesValue(const std::string& name) {
    if (Contains(kCommonOptionNames, name)) return true;
    for (const TFormatOptions& format : AllFormatOptions())
        if (Contains(format.OptionNames, name)) return true;
    return false;
}

bool IsFlag(const std::string& name) {
    if (Contains(kCommonFlagNames, name)) return true;
    for (const TFormatOptions& format : AllFormatOptions())
        if (Contains(format.FlagNames, name)) return true;
    return false;
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            line.Words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.Help = true;
            continue;
        }
        if (arg == "--version") {
            line.Version = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) throw TUsageError("unknown option " + arg);
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        if (IsFlag(name)) {
            if (equals != std::string::npos)
                throw TUsageError("option --" + name + " takes no value");
            line.Options[name] = "";
        } else if (!TakesValue(name)) {
            throw TUsageError("option --" + name + " is not known");
        } else if (equals != std::string::npos) {
            line.Options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            line.Options[name] = args[++i];
        } else {
            throw TUsageError("option --" + name + " needs a value");
        }
    }
    return line;
}
