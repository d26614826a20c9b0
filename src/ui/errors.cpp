#include "ui/errors.h"

#include "base/Exceptions.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QAction>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {
void ShowErrorOf(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        Dialogs().Error(CaughtMessage());
    }
}

#ifdef VARNET_CHECK_INVARIANTS
void CheckEditorState() {
    const std::string violation = Editor().Violation();
    if (violation.empty()) return;
    std::fprintf(stderr, "varnet: editor state broken after a handler: %s\n", violation.c_str());
    std::abort();
}
#else
void CheckEditorState() {}
#endif
} // namespace

QString CaughtMessage() {
    try {
        throw;
    } catch (const Exception& e) {
        return QString::fromStdString(e.Message());
    } catch (const std::bad_alloc&) {
        return QString::fromStdString(EOutOfMemory().Message());
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

void RunGuarded(const std::function<void()>& handler) {
    ShowErrorOf(handler);
    CheckEditorState();
}

void ConnectGuarded(QAction* action, std::function<void()> handler) {
    QObject::connect(action, &QAction::triggered,
                     [handler = std::move(handler)] { RunGuarded(handler); });
}
