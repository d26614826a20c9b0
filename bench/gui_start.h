// The editor's windows over an offscreen display, and a document shown in them, for the benchmarks
// that drive them.
#pragma once

#include "app/docwindow.h"
#include "app/startup.h"
#include "editor/lupe.h"
#include "editor/updown.h"
#include "ui/session.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

// Creates the application and the windows once; every case after the first reuses them.
inline void StartEditor() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Settings (window places, recent files) of the run's own, never the user's.
        static const QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        static int argc = 1;
        static char name[] = "varnet_bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
    if (!mainform) CreateWindows();
}

// The repaints asked for so far, made as the event loop makes them between events.
inline void PaintPending() {
    QCoreApplication::processEvents();
}

// A new document of side x side with a 64 x 64 edit area in its middle, shown at 14x: the
// magnifier at its largest.
inline void OpenDocument(int32_t side) {
    StartEditor();
    Doc().SetSaved(true);
    LupeForm->xUpDown->SetPosition(64);
    LupeForm->yUpDown->SetPosition(64);
    LupeForm->xUpDownMouseUp();
    LupeForm->PowerChange(LupeForm->N7);
    mainform->CreateDocument(side, side);
    Editor().SetViewOrigin(kEditArea, side / 2 - 32, side / 2 - 32);
    LupeForm->UpdateLupe();
}
