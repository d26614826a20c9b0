#include "app/settings.h"

#include "app/docwindow.h"
#include "app/windowplace.h"
#include "editor/animation.h"
#include "editor/lupe.h"
#include "editor/tilepreview.h"
#include "editor/toolwindow.h"
#include "palette/palettewindow.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QAction>
#include <QFileInfo>
#include <QSettings>

namespace {
constexpr const char* kOrganization = "Varnet";
constexpr const char* kApplication = "Varnet";

// The windows with a remembered place, each under its own key.
std::pair<const char*, QWidget*> Windows(int i) {
    const std::pair<const char*, QWidget*> windows[] = {
        {"main", mainform}, {"tool", toolform},           {"palette", palletform},
        {"lupe", LupeForm}, {"animation", AnimationForm}, {"tiles", TileForm}};
    return windows[i];
}
constexpr int kWindowCount = 6;

// The radio item of the list whose value is value, or null.
QAction* ItemWithValue(std::initializer_list<QAction*> items, int value) {
    for (QAction* item : items)
        if (item->data().toInt() == value) return item;
    return nullptr;
}

// The document view's grids; a tile size is kept only once the user set one.
void SaveGrids(QSettings& store) {
    store.setValue("doc/pixelGrid", Editor().PixelGrid());
    store.setValue("doc/tileGrid", Editor().TileGrid());
    if (const std::optional<TPixelSize> tile = Editor().TileSizeSet()) {
        store.setValue("doc/tileWidth", tile->Width);
        store.setValue("doc/tileHeight", tile->Height);
    } else {
        store.remove("doc/tileWidth");
        store.remove("doc/tileHeight");
    }
}

void RestoreGrids(const QSettings& store) {
    Editor().SetGrids(store.value("doc/pixelGrid", false).toBool(),
                      store.value("doc/tileGrid", false).toBool());
    const int width = store.value("doc/tileWidth", 0).toInt(),
              height = store.value("doc/tileHeight", 0).toInt();
    if (width >= 1 && width <= kMostTileSide && height >= 1 && height <= kMostTileSide)
        Editor().SetTileSize(TPixelSize{width, height});
}

// The animation's settings and whether the previews are shown.
void SaveAnimation(QSettings& store) {
    const TAnimation& animation = Editor().Animation();
    store.setValue("animation/frames", animation.Frames);
    store.setValue("animation/fps", animation.Fps);
    store.setValue("animation/scale", animation.Scale);
    store.setValue("animation/checker", animation.Checker);
    store.setValue("animation/backdrop", animation.Backdrop);
    store.setValue("animation/shown", AnimationForm->isVisible());
    store.setValue("tiles/shown", TileForm->isVisible());
}

// The values kept, brought into their ranges by the editor state; the windows are shown once the
// others are (CreateWindows).
void RestoreAnimation(const QSettings& store) {
    const TAnimation defaults;
    Editor().SetAnimation(TAnimation{
        store.value("animation/frames", defaults.Frames).toInt(),
        store.value("animation/fps", defaults.Fps).toInt(),
        store.value("animation/scale", defaults.Scale).toInt(),
        store.value("animation/checker", defaults.Checker).toBool(),
        store.value("animation/backdrop", defaults.Backdrop).toUInt() & 0xFFFFFF,
    });
    mainform->acAnimation->setChecked(store.value("animation/shown", false).toBool());
    mainform->acTilePreview->setChecked(store.value("tiles/shown", false).toBool());
}
} // namespace

void SaveSettings() {
    QSettings store(kOrganization, kApplication);
    for (int i = 0; i < kWindowCount; ++i) {
        const auto [key, window] = Windows(i);
        if (window) SavePlace(store, key, *window);
    }
    store.setValue("lupe/power", Editor().LupePower());
    store.setValue("lupe/grid", int(LupeForm->GridMode));
    store.setValue("lastFolder", LastFolder());
    store.setValue("palette/sortKeepsTransparent", Editor().SortKeepsTransparent);
    store.setValue("export/scale", mainform->ExportScale);
    SaveGrids(store);
    SaveAnimation(store);
}

void RestoreSettings() {
    QSettings store(kOrganization, kApplication);
    for (int i = 0; i < kWindowCount; ++i) {
        const auto [key, window] = Windows(i);
        if (window) RestorePlace(store, key, *window);
    }
    TLupeForm* lupe = LupeForm;
    if (QAction* item = ItemWithValue(
            {lupe->N1, lupe->N2, lupe->N4, lupe->N6, lupe->N8, lupe->N3, lupe->N5, lupe->N7},
            store.value("lupe/power", -1).toInt()))
        lupe->PowerChange(item);
    if (QAction* item =
            ItemWithValue({lupe->N10, lupe->N11, lupe->N12}, store.value("lupe/grid", -1).toInt()))
        lupe->GridChange(item);
    LastFolder() = store.value("lastFolder").toString();
    Editor().SortKeepsTransparent = store.value("palette/sortKeepsTransparent", false).toBool();
    palletform->mnKeepTransparent->setChecked(Editor().SortKeepsTransparent);
    const int scale = store.value("export/scale", 0).toInt();
    if (scale >= 1 && scale <= kMostExportScale) mainform->ExportScale = scale;
    RestoreGrids(store);
    RestoreAnimation(store);
}

QStringList RecentFiles() {
    const QSettings store(kOrganization, kApplication);
    return store.value("recentFiles").toStringList().mid(0, kRecentCount);
}

void AddRecentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(full);
    files.prepend(full);
    QSettings(kOrganization, kApplication).setValue("recentFiles", files.mid(0, kRecentCount));
}

void RemoveRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    QSettings(kOrganization, kApplication).setValue("recentFiles", files);
}
