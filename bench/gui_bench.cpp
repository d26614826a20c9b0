// The document view: opening a PNG through the file command against decoding it alone, what
// switching a large document to four times costs in memory and time, painting a screenful of the
// view, undo on a large document, and what playing the animation preview costs.  Each case ends
// with the repaints the event loop would make before the user sees the result. Built only with the
// GUI.
#ifdef VARNET_BENCH_GUI

#include "bench.h"
#include "gui_start.h"

#include "app/docwindow.h"
#include "app/imagefile.h"
#include "app/startup.h"
#include "editor/animation.h"
#include "png/KivPNG.h"
#include "ui/paintbox.h"
#include "ui/session.h"

#include <QAction>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int32_t kSide = 4096;

// A picture with some structure, so that the PNG compresses as real art does.
TDIB Picture(int32_t side) {
    TDIB image;
    image.Resize(side, side, 8);
    for (int32_t y = 0; y < side; ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < side; ++x)
            row[x] = static_cast<uint8_t>((x / 16) ^ (y / 16) ^ ((x * y) >> 10));
    }
    return image;
}

// The process's resident memory, in bytes.
size_t ResidentBytes() {
    size_t pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu %zu", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * size_t(sysconf(_SC_PAGESIZE));
}

// A document of side x side showing Picture at zoom 1, painted.
void ShowPicture(int32_t side) {
    StartEditor();
    Doc().SetSaved(true);
    mainform->xClick(mainform->x1);
    mainform->CreateDocument(side, side);
    *Doc().DocImage() = Picture(side);
    mainform->RenderDocBitmap();
    PaintPending();
}
} // namespace

BENCH_CASE(gui_open_png) {
    StartEditor();
    for (const int32_t side : {4096, 16384}) {
        Doc().SetSaved(true);
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("varnet-bench-" + std::to_string(side) + ".png"))
                                     .string();
        WriteDocumentImage(path, *FormatNamed("png"), Picture(side));
        const QString qpath = QString::fromStdString(path);
        const double ours = Measure([&] {
            mainform->OpenPath(qpath);
            PaintPending();
        });
        const double peer = Measure([&] {
            TKivPNG png;
            png.LoadFromFile(path);
            KeepAlive(&png);
        });
        const std::string size = std::to_string(side) + "x" + std::to_string(side);
        Report("Open " + size + " 8-bit PNG (decode, take over, show)", ours, "decode only", peer);
        std::filesystem::remove(path);
    }
}

// The first switch to 4x of a document shown at 1x: what it adds to the process's resident memory
// for good, against the size of the document's pixels, and how long it takes.
BENCH_CASE(gui_zoom_4096) {
    ShowPicture(kSide);
    const size_t before = ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    mainform->xClick(mainform->x4);
    PaintPending();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t after = ResidentBytes();
    const double image = double(kSide) * kSide;
    std::printf("%-52s %+9.1f MB = %6.2f x the image (%.0f MB)   in %9.3f ms\n",
                "Zoom 4096x4096 from 1x to 4x: resident memory", (double(after) - before) / 1e6,
                (double(after) - before) / image, image / 1e6, seconds * 1e3);
    std::fflush(stdout);
    const double back = Measure([] {
        mainform->xClick(mainform->x1);
        PaintPending();
        mainform->xClick(mainform->x4);
        PaintPending();
    });
    Report("Zoom 4096x4096 to 1x and back to 4x, again", back, "first to 4x", seconds);
    mainform->xClick(mainform->x1);
}

// A screenful of the view, 1600 x 1000 device pixels inside a 4096 x 4096 document,
// against copying as many display bytes.
BENCH_CASE(gui_paint_doc_view) {
    ShowPicture(kSide);
    constexpr int kWidth = 1600, kHeight = 1000;
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    const size_t bytes = size_t(kWidth) * kHeight * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    const double peer = Measure([&] {
        std::memcpy(to.data(), from.data(), bytes);
        KeepAlive(to.data());
    });
    for (QAction* zoom : {mainform->x1, mainform->x4}) {
        mainform->xClick(zoom);
        PaintPending();
        const QRegion area(QRect(1000, 1000, kWidth, kHeight));
        const double ours = Measure([&] {
            QPainter painter(&screen);
            mainform->PaintBox->render(&painter, QPoint(), area, QWidget::RenderFlags());
        });
        Report("Paint 1600x1000 of the 4096x4096 view at " + zoom->data().toString().toStdString() +
                   "x",
               ours, "memcpy", peer);
    }
    mainform->xClick(mainform->x1);
}

// Undo and redo of one 64 x 64 edit-area step: the slot swap is the same at any document size; the
// view of a larger document has more to show only where it is off screen.
BENCH_CASE(editor_undo_redo) {
    StartEditor();
    auto undoRedo = [](int32_t side) {
        mainform->CreateDocument(side, side);
        Editor().SetLupeCells(64, 64);
        const TRect area{0, 0, 64, 64};
        Doc().Edit(TStep{area}, {.Pixels = true, .Rect = {3, 3, 4, 4}},
                   [](TDIB& image) { image.SetPixel(3, 3, 9); });
        return Measure([] {
            Editor().Undo();
            Editor().Redo();
            PaintPending();
        });
    };
    const double small = undoRedo(256);
    const double large = undoRedo(8192);
    Report("Undo + redo of a 64x64 step, 8192x8192 document", large, "on 256x256", small);
    const double render = Measure([] {
        mainform->UpdateDocView();
        PaintPending();
    });
    Report("UpdateDocView 8192x8192 and its repaint", render, "undo + redo", large);
    // The next case opens a file, which must not stop to ask about these changes.
    Doc().SetSaved(true);
}

namespace {
// The process's user and system time so far, in seconds.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
} // namespace

// The animation preview playing four 64 x 64 cells at 8x and 30 frames a second for 10 s, the
// event loop running as it does for a user: the process's CPU time over those seconds, as a share
// of one core.
BENCH_CASE(editor_animation_cpu) {
    StartEditor();
    Doc().SetSaved(true);
    LupeForm->xUpDown->SetPosition(64);
    LupeForm->yUpDown->SetPosition(64);
    LupeForm->xUpDownMouseUp();
    mainform->CreateDocument(256, 64);
    // Every cell different, with transparent pixels for the checkerboard.
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 256; ++x)
            Doc().DocImage()->RowForWrite(y)[x] = uint8_t((x / 4 ^ y / 4) % 16 + x / 64);
    Editor().SetViewOrigin(kEditArea, 0, 0);
    Editor().SetAnimation(TAnimation{.Frames = 4, .Fps = 30, .Scale = 8});
    if (!mainform->acAnimation->isChecked()) mainform->acAnimation->trigger();
    AnimationForm->btPlay->click();
    PaintPending();
    int frames = 0;
    QObject::connect(AnimationForm->Timer, &QTimer::timeout, [&frames] { ++frames; });
    // The frames painted, which the offscreen platform does as a screen would.
    struct TPaintCount : QObject {
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            Paints += event->type() == QEvent::Paint;
            return false;
        }
    } painted;
    AnimationForm->Box->installEventFilter(&painted);
    constexpr int kMilliseconds = 10000;
    QEventLoop loop;
    QTimer::singleShot(kMilliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    loop.exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    AnimationForm->Box->removeEventFilter(&painted);
    AnimationForm->btPlay->click();
    mainform->acAnimation->trigger();
    std::printf("%-52s %9.2f %% of one core (%.3f s CPU in %.2f s, %d frames, %d paints)\n",
                "Animation 64x64 at 8x, 30 fps, offscreen: CPU", 100 * cpu / wall, cpu, wall,
                frames, painted.Paints);
    std::fflush(stdout);
    Doc().SetSaved(true);
}

#endif
