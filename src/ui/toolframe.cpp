#include "ui/toolframe.h"

#include "ui/toolkeys.h"

#include <QCloseEvent>
#include <QKeyEvent>

TToolWindow::TToolWindow(QWidget* owner, const QString& caption)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(caption);
}

void TToolWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void TToolWindow::keyPressEvent(QKeyEvent* event) {
    if (!EditorKeyEvent(*event)) QWidget::keyPressEvent(event);
}
