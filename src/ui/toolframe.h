// The frame shared by the tool, palette and magnifier windows: a small tool-window frame that
// stays above the document window and offers no close, minimise or maximise button.
#pragma once

#include <QWidget>

class TToolWindow : public QWidget {
public:
    TToolWindow(QWidget* owner, const QString& caption);

protected:
    // These windows live as long as the document window; the user cannot close them alone.
    void closeEvent(QCloseEvent* event) override;
    // The tool and block keys work here as in every editor window.
    void keyPressEvent(QKeyEvent* event) override;
};
