#include "ui/toolframe.h"

#include <QCloseEvent>

TToolWindow::TToolWindow(QWidget* owner, const QString& caption)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(caption);
}

void TToolWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}
