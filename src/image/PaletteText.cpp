#include "image/PaletteText.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr std::string_view kGplHeader = "GIMP Palette";
constexpr std::string_view kGplTitle = "Name:";
constexpr std::string_view kJascHeader = "JASC-PAL";
constexpr std::string_view kJascVersion = "0100";
constexpr std::string_view kSpaces = " \t\v\f\r";

std::string_view WithoutByteOrderMark(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

std::string_view Trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kSpaces) - first + 1);
}

// The lines of text without their LF or CR LF; a last line feed ends the last line rather than
// starting an empty one.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t at = line.find_first_not_of(kSpaces); at != std::string_view::npos;
         at = line.find_first_not_of(kSpaces, at)) {
        const size_t end = std::min(line.find_first_of(kSpaces, at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

// text with every control character, which would end the line, made a space.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return uint8_t(c) < 0x20; }, ' ');
    return text;
}

// A line of a file being read, for the message that refuses it.
struct TLineOf {
    const std::string& name;
    size_t number; // from 1

    [[noreturn]] void Refuse(const std::string& what) const {
        throw EInvalidGraphic("パレットファイル " + name + " の " + std::to_string(number) +
                              " 行目: " + what);
    }
};

// Digits only; large numbers come out as 100000, beyond every limit checked here.
std::optional<uint32_t> Decimal(std::string_view field) {
    if (field.empty()) return std::nullopt;
    uint32_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min<uint32_t>(value * 10 + uint32_t(c - '0'), 100000);
    }
    return value;
}

// A number the user wrote, shortened for a message.
std::string Shown(std::string_view number) {
    constexpr size_t kMaxShown = 12;
    if (number.size() <= kMaxShown) return std::string(number);
    return std::string(number.substr(0, kMaxShown)) + "…";
}

uint8_t Channel(std::string_view field, const TLineOf& line) {
    if (const std::optional<uint32_t> value = Decimal(field); value && *value <= 255)
        return uint8_t(*value);
    const bool signedNumber =
        (field.starts_with('-') || field.starts_with('+')) && Decimal(field.substr(1)).has_value();
    if (signedNumber || Decimal(field))
        line.Refuse("値 " + Shown(field) + " が 0 から 255 の範囲にありません");
    line.Refuse("R G B の値に数でないものがあります");
}

// The colour of an entry line's first three fields; what follows them is the caller's business.
TPaletteEntry EntryOf(const std::vector<std::string_view>& fields, const TLineOf& line) {
    if (fields.size() < 3) line.Refuse("R G B の値が足りません");
    const uint8_t red = Channel(fields[0], line);
    const uint8_t green = Channel(fields[1], line);
    const uint8_t blue = Channel(fields[2], line);
    return TPaletteEntry{blue, green, red, 0};
}

} // namespace

bool LooksLikeGpl(std::string_view text) {
    return WithoutByteOrderMark(text).starts_with(kGplHeader);
}

bool LooksLikeJascPal(std::string_view text) {
    return WithoutByteOrderMark(text).starts_with(kJascHeader);
}

TPaletteColors ParseGpl(std::string_view text, const std::string& name) {
    TPaletteNames unused;
    return ParseGpl(text, name, unused);
}

TPaletteColors ParseGpl(std::string_view text, const std::string& name, TPaletteNames& names) {
    const std::vector<std::string_view> lines = Lines(WithoutByteOrderMark(text));
    if (lines.empty() || Trimmed(lines[0]) != kGplHeader)
        TLineOf{name, 1}.Refuse("\"GIMP Palette\" で始まっていません");
    TPaletteColors colors;
    TPaletteNames found;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = Trimmed(lines[i]);
        if (line.empty() || line.starts_with('#')) continue;
        // The header's own lines come before the first colour.
        if (colors.empty() && line.starts_with(kGplTitle)) {
            found.Title = Trimmed(line.substr(kGplTitle.size()));
            continue;
        }
        if (colors.empty() && line.starts_with("Columns:")) continue;
        const TLineOf at{name, i + 1};
        if (colors.size() == 256) at.Refuse("色が 256 を越えています");
        const std::vector<std::string_view> fields = Fields(line);
        colors.push_back(EntryOf(fields, at));
        // Whatever follows the three values names the colour.
        found.Entries.emplace_back(
            fields.size() > 3 ? Trimmed(line.substr(size_t(fields[3].data() - line.data()))) : "");
    }
    if (colors.empty()) throw EInvalidGraphic("パレットファイル " + name + " に色がありません");
    names = std::move(found);
    return colors;
}

TPaletteColors ParseJascPal(std::string_view text, const std::string& name) {
    const std::vector<std::string_view> lines = Lines(WithoutByteOrderMark(text));
    const auto line = [&](size_t i) { return i < lines.size() ? Trimmed(lines[i]) : ""; };
    if (line(0) != kJascHeader) TLineOf{name, 1}.Refuse("\"JASC-PAL\" で始まっていません");
    if (line(1) != kJascVersion) TLineOf{name, 2}.Refuse("版が \"0100\" ではありません");
    const std::optional<uint32_t> count = Decimal(line(2));
    if (!count || *count < 1 || *count > 256)
        TLineOf{name, 3}.Refuse("色数が 1 から 256 の数ではありません");
    constexpr size_t kFirst = 3;
    TPaletteColors colors;
    for (size_t i = kFirst; i < kFirst + *count; ++i) {
        const TLineOf at{name, i + 1};
        if (i >= lines.size())
            at.Refuse("色数 " + std::to_string(*count) + " に対して " +
                      std::to_string(colors.size()) + " 色しかありません");
        const std::vector<std::string_view> fields = Fields(lines[i]);
        if (fields.size() > 3) at.Refuse("値が R G B の 3 つより多くあります");
        colors.push_back(EntryOf(fields, at));
    }
    for (size_t i = kFirst + *count; i < lines.size(); ++i)
        if (!line(i).empty())
            TLineOf{name, i + 1}.Refuse("色数 " + std::to_string(*count) +
                                        " より多くの色があります");
    return colors;
}

std::string GplText(const TPalette& palette, const std::string& title,
                    const std::vector<std::string>& entryNames) {
    std::string text = std::string(kGplHeader) + "\n" + std::string(kGplTitle) + " " +
                       OneLine(title) + "\nColumns: 16\n#\n";
    for (size_t i = 0; i < palette.size(); ++i) {
        const TPaletteEntry& e = palette[i];
        char values[16];
        std::snprintf(values, sizeof values, "%3d %3d %3d\t", e.Red, e.Green, e.Blue);
        const bool named = i < entryNames.size() && !entryNames[i].empty();
        text += values + (named ? OneLine(entryNames[i]) : "Index " + std::to_string(i)) + "\n";
    }
    return text;
}

std::string JascPalText(const TPalette& palette) {
    std::string text =
        std::string(kJascHeader) + "\r\n" + std::string(kJascVersion) + "\r\n256\r\n";
    for (const TPaletteEntry& e : palette)
        text += std::to_string(e.Red) + ' ' + std::to_string(e.Green) + ' ' +
                std::to_string(e.Blue) + "\r\n";
    return text;
}
