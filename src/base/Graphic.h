// The graphic base class: an object that knows its size, draws itself onto a surface, loads and
// saves itself through streams, and tells observers about changes and about load/save progress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TStream;

// One pixel's position.
struct TCell {
    int32_t X, Y;
    bool operator==(const TCell&) const = default;
};

// Left, top, right, bottom; right and bottom exclusive.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    bool operator==(const TRect&) const = default;
};

// A grid of direct-colour pixels that graphics draw onto: 24 bits (blue, green, red) or 32 bits
// (blue, green, red, unused) per pixel. Row y starts at TopRow + y * RowStep.
struct TSurface {
    uint8_t* TopRow = nullptr;
    ptrdiff_t RowStep = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BitCount = 32;

    uint8_t* Row(int32_t y) const { return TopRow + y * RowStep; }
};

enum class TProgressStage { Starting, Running, Ending };

class TGraphic;
using TNotifyEvent = std::function<void(TGraphic& sender)>;
using TProgressEvent =
    std::function<void(TGraphic& sender, TProgressStage stage, int percent, bool redrawNow,
                       const TRect& rect, const std::string& message)>;

class TGraphic {
public:
    virtual ~TGraphic() = default;

    // Take over the picture of source (nullptr empties this graphic).
    virtual void Assign(const TGraphic* source) = 0;
    // Draw the whole graphic stretched into rect of target.
    virtual void Draw(TSurface& target, const TRect& rect) const = 0;
    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;

    void LoadFromFile(const std::string& path);
    // Written through WriteFileAtomically: a failed save leaves an existing file untouched. The
    // editor and the converter save through the format table; only the tests call this.
    void SaveToFile(const std::string& path) const;

    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    // Set when the graphic took a new palette (an assign or a load); only the tests read it.
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

    // Tells the change observer.
    void Changed();
    void Progress(TProgressStage stage, int percent, const std::string& message);

private:
    bool transparent_ = false;
    bool paletteModified_ = false;
};
