// varnet-img: converts and describes image files with the editor's own codecs.
//   varnet-img convert [options] IN OUT
//   varnet-img info IN
//   varnet-img --help | --version
// Exit status: 0 done, 1 the files could not be read or written, 2 bad command line.
#include "cmdline.h"
#include "formats.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/FrameRead.h"
#include "formats/ImageFormat.h"
#include "image/DIB.h"
#include "image/Enlarge.h"
#include "image/ReadMessage.h"

#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kStandardInput = "(標準入力)";
const char* const kStandardOutput = "(標準出力)";

// IN as messages name it.
std::string InputName(const std::string& in) {
    return in == "-" ? kStandardInput : in;
}

TImageInput OpenInput(const std::string& in) {
    if (in == "-")
        return OpenImage(std::make_unique<TFileStream>(STDIN_FILENO, false), kStandardInput);
    return OpenImage(in);
}

// The known formats' names or extensions, joined by separator.
std::string KnownFormats(const char* TImageFormat::*field, const char* separator) {
    std::string known;
    for (const TImageFormat& format : ImageFormats()) {
        if (!known.empty()) known += separator;
        known += format.*field;
    }
    return known;
}

const TImageFormat& OutputFormat(const std::string& out, const TOptions& options) {
    if (const auto named = options.find("format"); named != options.end()) {
        if (const TImageFormat* format = FormatNamed(named->second)) return *format;
        throw TUsageError("--format takes " + KnownFormats(&TImageFormat::Name, "|") + ", not '" +
                          named->second + "'");
    }
    if (out == "-") throw TUsageError("writing to standard output needs --format");
    if (const TImageFormat* format = FormatForExtension(out)) return *format;
    throw TUsageError("unknown image format for " + out + " (known: " +
                      KnownFormats(&TImageFormat::Extension, ", ") + "); name one with --format");
}

void CheckOptionsApply(const TOptions& options, const TImageFormat& format) {
    const TFormatOptions& known = OptionsOf(format);
    for (const auto& option : options) {
        const std::string& name = option.first;
        const auto in = [&name](const std::vector<std::string>& names) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        if (!in(kCommonOptionNames) && !in(kCommonFlagNames) && !in(known.OptionNames) &&
            !in(known.FlagNames))
            throw TUsageError("option --" + name + " is not known for " + format.Extension);
    }
}

// The writers seek, which a pipe cannot: the file is made in memory and then written out.
void WriteToStandardOutput(const TDIB& image, const std::function<void(TStream&)>& save) {
    RequirePicture(image);
    TMemoryStream bytes;
    save(bytes);
    TFileStream out(STDOUT_FILENO, false);
    try {
        out.WriteBuffer(bytes.Memory(), bytes.Size());
    } catch (const EWriteError&) {
        throw EFCreateError(kStandardOutput, out.LastError());
    }
}

int Convert(const TCommandLine& line) {
    if (line.Words.size() != 3) throw TUsageError("convert needs IN and OUT");
    const std::string& in = line.Words[1];
    const std::string& out = line.Words[2];
    const TImageFormat& format = OutputFormat(out, line.Options);
    CheckOptionsApply(line.Options, format);
    const int32_t scale = ScaleOption(line.Options);
    const bool sheet = line.Options.count("sheet") != 0;
    const TWriter writer = OptionsOf(format).MakeWriter(line.Options);
    if (out == "-" && ::isatty(STDOUT_FILENO))
        throw std::runtime_error("image data is not written to a terminal");
    const TImageInput input = ReadNamingFile(InputName(in), [&] { return OpenInput(in); });
    if (sheet && !HoldsFrames(*input.Format))
        throw TUsageError("--sheet reads the frames of a GIF, and " + InputName(in) + " is " +
                          input.Format->Name);
    const TPicture picture = ReadNamingFile(
        InputName(in), [&] { return sheet ? ReadSheetPicture(input) : ReadPicture(input); });
    const TDIB image = scale == 1 ? picture.Image : Enlarged(picture.Image, scale);
    const auto save = [&](TStream& stream) { writer(image, picture.Transparency, stream); };
    if (out == "-")
        WriteToStandardOutput(image, save);
    else
        WriteImageFile(out, image, save);
    return 0;
}

// The lines of the info command: the geometry, then what the format adds.
TInfoLines InfoLines(const std::string& in) {
    const TImageInput input = OpenInput(in);
    const TDIB image = ReadImage(input);
    TInfoLines lines = {{"width", std::to_string(image.Width())},
                        {"height", std::to_string(image.Height())},
                        {"bits", std::to_string(image.BitCount())},
                        {"palette_count", std::to_string(image.PaletteCount())}};
    if (const auto describe = OptionsOf(*input.Format).Describe) {
        input.Stream->SetPosition(input.Start);
        for (auto& extra : describe(*input.Stream))
            lines.push_back(std::move(extra));
    }
    return lines;
}

int Info(const TCommandLine& line) {
    if (line.Words.size() != 2) throw TUsageError("info needs exactly one file");
    if (!line.Options.empty()) throw TUsageError("info takes no options");
    const std::string& in = line.Words[1];
    for (const auto& [name, value] : ReadNamingFile(InputName(in), [&] { return InfoLines(in); }))
        std::printf("%s: %s\n", name.c_str(), value.c_str());
    return 0;
}

int Run(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine(args);
    if (line.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (line.Version) {
        std::puts("varnet-img " VARNET_VERSION);
        return 0;
    }
    if (line.Words.empty()) throw TUsageError("no command given");
    if (line.Words[0] == "convert") return Convert(line);
    if (line.Words[0] == "info") return Info(line);
    throw TUsageError("unknown command " + line.Words[0]);
}

} // namespace

int main(int argc, char** argv) {
    // An interrupted conversion leaves no temporary file behind.
    RemoveTemporaryFileOnSignals();
    try {
        return Run({argv + 1, argv + argc});
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "varnet-img: %s\n%s\n", e.what(), kUsageHint);
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "varnet-img: %s\n", EOutOfMemory().what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnet-img: %s\n", e.what());
        return 1;
    }
}
