// Test entry point for builds with the GUI: one QApplication, offscreen, for every suite.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Offscreen unless a test run asks for a real window system (the X pointer checks), on a
    // desktop screen that holds the start-up windows at their sizes at the scales the views are
    // tested at.
    const QByteArray platform = qgetenv("VARNET_TEST_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty()
                                   ? QByteArray("offscreen:configfile=" VARNET_SOURCE_DIR
                                                "/tests/gui/offscreen-screen.json")
                                   : platform);
    QStandardPaths::setTestModeEnabled(true);
    // The settings the tests write and clear are this run's own, never the user's nor those of
    // another run going on beside it.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
