#include "app/errors.h"

#include "app/dialogs.h"
#include "base/Exceptions.h"

#include <QAction>
#include <exception>

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Exception& e) {
        Dialogs().Error(QString::fromStdString(e.Message()));
    } catch (const std::bad_alloc&) {
        Dialogs().Error(QString::fromStdString(EOutOfMemory().Message()));
    } catch (const std::exception& e) {
        Dialogs().Error(QString::fromLocal8Bit(e.what()));
    }
}

void ConnectGuarded(QAction* action, std::function<void()> handler) {
    QObject::connect(action, &QAction::triggered,
                     [handler = std::move(handler)] { RunGuarded(handler); });
}
