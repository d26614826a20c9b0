// The editor: start-up, an optional file to open, the event loop until the document window
// closes.
#include "app/docwindow.h"
#include "app/startup.h"
#include "base/Stream.h"
#include "ui/dialogs.h"
#include "ui/errors.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Ctrl+C in the terminal during a save must not leave the temporary file beside the target.
    RemoveTemporaryFileOnSignals();
    SetApplicationTitle("Varnet");
    // The installed desktop entry and icon (data/) name the program to the desktop.
    QGuiApplication::setDesktopFileName("varnet");
    QApplication::setWindowIcon(QIcon::fromTheme("varnet"));
    // Qt's own dialog texts (file dialogs, standard buttons) in the editor's language.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    CreateWindows();
    RunGuarded([] { mainform->OfferRecovery(); });
    const QStringList arguments = QApplication::arguments();
    // A file named on the command line opens as if chosen in the open dialog.
    if (arguments.size() > 1) RunGuarded([&] { mainform->OpenPath(arguments.at(1)); });
    const int result = QApplication::exec();
    DestroyWindows();
    return result;
}
