#include "ui/nativepointer.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

std::optional<QPoint> NativePointerInWindow(const QWidget& widget) {
    // The offscreen platform offers the X11 interface too, without a server behind it.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return std::nullopt;
    const auto window = static_cast<xcb_window_t>(widget.window()->winId());
    const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr),
        &std::free);
    // same_screen is false when the pointer is on another screen: win_x and win_y are 0 then.
    if (!reply || !reply->same_screen) return std::nullopt;
    return QPoint(reply->win_x, reply->win_y);
}
