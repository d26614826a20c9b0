// The editor's windows over an offscreen display, for the benchmarks that drive them.
#pragma once

#include "app/main.h"
#include "app/startup.h"

#include <QApplication>

// Creates the application and the windows once; every case after the first reuses them.
inline void StartEditor() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "varnet_bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
    if (!mainform) CreateWindows();
}
