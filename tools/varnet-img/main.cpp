// varnet-img: converts and describes image files with the editor's own codecs.
//   varnet-img convert IN OUT [--option value | --option=value | --flag ...]
//   varnet-img info IN
// Exit status: 0 done, 1 the files could not be read or written, 2 bad command line.
#include "formats.h"

#include "base/Stream.h"
#include "image/DIB.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "usage: varnet-img convert IN OUT [--option value | --flag ...]\n"
                           "       varnet-img info IN\n";

TDIB LoadImage(const std::string& path) {
    const TImageFormat& format = FormatForPath(path);
    TDIB image;
    TFileStream stream(path, TFileStream::fmOpenRead);
    format.Load(image, stream);
    return image;
}

TOptions ParseOptions(const std::vector<std::string>& args, const TImageFormat& format) {
    const auto isIn = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    TOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) throw TUsageError("unexpected argument " + arg);
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        if (isIn(format.FlagNames, name)) {
            if (equals != std::string::npos)
                throw TUsageError("option --" + name + " takes no value");
            options[name] = "";
        } else if (!isIn(format.OptionNames, name)) {
            throw TUsageError("option --" + name + " is not known for " + format.Extension);
        } else if (equals != std::string::npos) {
            options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            options[name] = args[++i];
        } else {
            throw TUsageError("option --" + name + " needs a value");
        }
    }
    return options;
}

int Convert(const std::vector<std::string>& args) {
    if (args.size() < 2) throw TUsageError("convert needs IN and OUT");
    const std::string& out = args[1];
    const TImageFormat& outFormat = FormatForPath(out);
    const TOptions options = ParseOptions({args.begin() + 2, args.end()}, outFormat);
    const TDIB image = LoadImage(args[0]);
    // A failed write leaves no output file behind (nor harms one that was there).
    WriteFileAtomically(out, [&](TStream& stream) { outFormat.Save(image, stream, options); });
    return 0;
}

int Info(const std::vector<std::string>& args) {
    if (args.size() != 1) throw TUsageError("info needs exactly one file");
    const TDIB image = LoadImage(args[0]);
    std::printf("width: %d\nheight: %d\nbits: %d\npalette_count: %d\n", image.Width(),
                image.Height(), image.BitCount(), image.PaletteCount());
    if (const auto describe = FormatForPath(args[0]).Describe) {
        TFileStream stream(args[0], TFileStream::fmOpenRead);
        for (const auto& [name, value] : describe(stream))
            std::printf("%s: %s\n", name.c_str(), value.c_str());
    }
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw TUsageError("no command given");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "convert") return Convert(rest);
    if (args[0] == "info") return Info(rest);
    throw TUsageError("unknown command " + args[0]);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run({argv + 1, argv + argc});
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "varnet-img: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnet-img: %s\n", e.what());
        return 1;
    }
}
